// The result of Compare: every parameter of blocks 0 to 5 with the edited
// value beside the instrument's, differing rows in red, a count of them,
// and the list saved as a CSV file on request. Neither set is changed.
#pragma once

#include "core/model/compare_rows.h"

#include <QDialog>
#include <string>

class CParBase;
class QLabel;
class QTableWidget;

class CCompareDialog : public QDialog {
  Q_OBJECT
public:
  static constexpr int IDC_LIST = 1062;
  static constexpr int IDC_SUMMARY = 1035;
  static constexpr int IDC_SAVE_CSV = 1063;

  static QColor DifferText() { return QColor(255, 255, 255); }
  static QColor DifferBackground() { return QColor(200, 50, 50); }

  // edited: the set in the window; device: the copy read from the instrument.
  CCompareDialog(const CParBase &edited, const CParBase &device, QWidget *parent = nullptr);

  const CompareRows &Rows() const { return m_rows; }

  // Writes the rows to path; a failure is shown as a message. True when written.
  bool SaveCsv(const std::string &path);

protected:
  void showEvent(QShowEvent *event) override;

private:
  void Fill();
  void OnSaveCsv();

  CompareRows m_rows;
  QTableWidget *m_list = nullptr;
  QLabel *m_summary = nullptr;
  bool m_scrolled = false;
};
