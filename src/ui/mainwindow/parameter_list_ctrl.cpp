#include "ui/mainwindow/parameter_list_ctrl.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QToolTip>
#include <algorithm>

CParameterListCtrl::CParameterListCtrl(QWidget *parent) : QTableWidget(parent) {
  connect(this, &QTableWidget::cellClicked, this, [this](int row, int column) {
    if (row >= 0 && row < rowCount() && column >= 0 && column < columnCount())
      emit CellClicked(row, column);
  });
}

void CParameterListCtrl::SetupColumns(const QString &name, const QString &value) {
  setShowGrid(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Tab leaves the list. Moving between cells with it would also move the
  // selection whenever a focused editor is hidden, since the toolkit then
  // looks for the next focus with a Tab inside the list.
  setTabKeyNavigation(false);
  setColumnCount(2);
  auto header = [](const QString &text) {
    auto *item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return item;
  };
  setHorizontalHeaderItem(0, header(name));
  setHorizontalHeaderItem(1, header(value));
  horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  setColumnWidth(0, kNameWidth);
  setColumnWidth(1, kValueWidth);
}

void CParameterListCtrl::SetRowText(int row, int column, const QString &text) {
  if (QTableWidgetItem *cell = item(row, column)) {
    // An unchanged text would still make the view lay out the cell again.
    if (cell->text() != text)
      cell->setText(text);
    return;
  }
  auto *cell = new QTableWidgetItem(text);
  cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  setItem(row, column, cell);
}

QString CParameterListCtrl::RowText(int row, int column) const {
  const QTableWidgetItem *cell = item(row, column);
  return cell ? cell->text() : QString();
}

int CParameterListCtrl::FirstSelectedRow() const {
  const QModelIndexList rows = selectionModel()->selectedRows();
  int first = -1;
  for (const QModelIndex &index : rows)
    if (first < 0 || index.row() < first)
      first = index.row();
  return first;
}

void CParameterListCtrl::SelectRow(int row) {
  setCurrentCell(row, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

QRect CParameterListCtrl::ValueCellRect(int row) const {
  // The grid line is the cell's last pixel row and column; the editor sits
  // on the text area inside it.
  QRect cell = visualRect(model()->index(row, 1));
  if (showGrid())
    cell.adjust(0, 0, -1, -1);
  return cell;
}

void CParameterListCtrl::keyPressEvent(QKeyEvent *event) {
  switch (event->key()) {
  case Qt::Key_Left:
    emit BlockStepRequested(-1);
    event->accept();
    return;
  case Qt::Key_Right:
    emit BlockStepRequested(+1);
    event->accept();
    return;
  case Qt::Key_Return:
  case Qt::Key_Enter:
    emit EditRequested();
    event->accept();
    return;
  default:
    QTableWidget::keyPressEvent(event);
  }
}

void CParameterListCtrl::mouseDoubleClickEvent(QMouseEvent *event) {
  event->accept();
  emit EditRequested();
}

void CParameterListCtrl::FitNameColumn(const QStringList &names) {
  const QFontMetrics metrics(font());
  int widest = metrics.horizontalAdvance(horizontalHeaderItem(0) ? horizontalHeaderItem(0)->text() : QString());
  for (const QString &name : names)
    widest = std::max(widest, metrics.horizontalAdvance(name));
  // The cell's own margins on both sides, and the grid line.
  const int margin = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 8;
  horizontalHeader()->setStretchLastSection(true);
  setColumnWidth(0, widest + margin);
}

bool CParameterListCtrl::viewportEvent(QEvent *event) {
  if (event->type() == QEvent::ToolTip) {
    auto *help = static_cast<QHelpEvent *>(event);
    const QString tip = RowToolTip(rowAt(help->pos().y()));
    if (tip.isEmpty())
      QToolTip::hideText();
    else
      QToolTip::showText(help->globalPos(), tip, viewport());
    return true;
  }
  return QTableWidget::viewportEvent(event);
}
