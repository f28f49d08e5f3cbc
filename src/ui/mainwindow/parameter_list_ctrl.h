// The two-column list of the selected block's parameters: name and value.
// It only shows rows and reports what the user does with them; the main
// window decides what a click, a key or a double click means.
#pragma once

#include <QTableWidget>
#include <functional>
#include <string>

class CParameterListCtrl : public QTableWidget {
  Q_OBJECT
public:
  static constexpr int kNameWidth = 130;
  static constexpr int kValueWidth = 120;

  explicit CParameterListCtrl(QWidget *parent = nullptr);

  // Grid lines, whole rows selected, one at a time; the two left-aligned
  // columns with their widths.
  void SetupColumns(const QString &name, const QString &value);
  // The name column as wide as the longest of names, so no two names are
  // cut to the same text; the value column takes the rest of the list.
  void FitNameColumn(const QStringList &names);

  // The tooltip of a row, asked for when the pointer rests on it.
  void SetRowToolTip(std::function<QString(int row)> tip) { m_rowTip = std::move(tip); }
  QString RowToolTip(int row) const { return m_rowTip && row >= 0 && row < rowCount() ? m_rowTip(row) : QString(); }

  // Row texts, overwriting what is there.
  void SetRowText(int row, int column, const QString &text);
  QString RowText(int row, int column) const;

  // The first selected row, or -1.
  int FirstSelectedRow() const;
  void SelectRow(int row);

  // The value cell of the row in viewport pixels, where an editor covers it.
  QRect ValueCellRect(int row) const;

signals:
  // A click on a valid cell.
  void CellClicked(int row, int column);
  // A double click anywhere, or Enter.
  void EditRequested();
  // Left (-1) or Right (+1).
  void BlockStepRequested(int step);

protected:
  void keyPressEvent(QKeyEvent *event) override;
  void mouseDoubleClickEvent(QMouseEvent *event) override;
  bool viewportEvent(QEvent *event) override;

private:
  std::function<QString(int row)> m_rowTip;
};
