#include "ui/model/compare_dialog.h"

#include "core/model/compare_csv.h"
#include "core/model/par_base.h"
#include "core/resources/dialog_templates.h"
#include "core/resources/exception.h"
#include "ui/resources/file_dialog_filter.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"
#include "ui/resources/template_builder.h"
#include "core/resources/ui_host.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

namespace {

constexpr int kColumns[] = {IDS_COL_FUNCTION_BLOCK, IDS_COL_PARAMETER_NAME, IDS_COL_EDITED_VALUE,
                            IDS_COL_DEVICE_VALUE};

// The folder of the last CSV saved in this run, offered again next time.
QString g_lastFolder;

} // namespace

CCompareDialog::CCompareDialog(const CParBase &edited, const CParBase &device, QWidget *parent)
    : QDialog(parent), m_rows(BuildCompareRows(edited, device)) {
  CTemplateBuilder(IDD_COMPARE_DIALOG).Build(this);
  m_list = FindControl<QTableWidget>(this, IDC_LIST);
  m_summary = FindControl<QLabel>(this, IDC_SUMMARY);
  connect(FindControl<QPushButton>(this, IDCANCEL), &QPushButton::clicked, this, &CCompareDialog::reject);
  connect(FindControl<QPushButton>(this, IDC_SAVE_CSV), &QPushButton::clicked, this,
          &CCompareDialog::OnSaveCsv);
  Fill();
}

void CCompareDialog::Fill() {
  m_list->setShowGrid(true);
  m_list->setColumnCount(static_cast<int>(std::size(kColumns)));
  QStringList headers;
  for (int headerId : kColumns)
    headers << QString::fromStdString(LoadString(headerId));
  m_list->setHorizontalHeaderLabels(headers);

  m_list->setUpdatesEnabled(false);
  m_list->setRowCount(static_cast<int>(m_rows.rows.size()));
  int r = 0;
  for (const CompareRow &row : m_rows.rows) {
    const std::string *texts[] = {&row.blockName, &row.parameterName, &row.editedText, &row.deviceText};
    for (int c = 0; c < 4; ++c) {
      auto *item = new QTableWidgetItem(QString::fromStdString(*texts[c]));
      item->setToolTip(item->text());
      if (row.differs) {
        item->setForeground(DifferText());
        item->setBackground(DifferBackground());
      }
      m_list->setItem(r, c, item);
    }
    ++r;
  }
  // Block and name as wide as their longest text in this language, so no
  // two names are cut to the same text; the two values share the rest.
  m_list->resizeColumnToContents(0);
  m_list->resizeColumnToContents(1);
  m_list->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
  m_list->horizontalHeader()->setSectionResizeMode(3, QHeaderView::Stretch);
  m_list->setUpdatesEnabled(true);
  m_summary->setText(QString::fromStdString(m_rows.summary));
}

void CCompareDialog::showEvent(QShowEvent *event) {
  QDialog::showEvent(event);
  if (m_scrolled || m_rows.firstDiffering < 0)
    return;
  m_scrolled = true;
  // By way of the last row the first difference comes into view at the top,
  // with the rows after it below.
  m_list->scrollToItem(m_list->item(m_list->rowCount() - 1, 0));
  m_list->scrollToItem(m_list->item(m_rows.firstDiffering, 0));
}

bool CCompareDialog::SaveCsv(const std::string &path) {
  try {
    SaveCompareCsv(m_rows, path);
    return true;
  } catch (const CException &e) {
    AfxMessageBox(e.GetErrorMessage(), MB_ICONERROR);
    return false;
  }
}

void CCompareDialog::OnSaveCsv() {
  QFileDialog dialog(this, QString(), g_lastFolder, FileDialogFilter(LoadString(IDS_COMPARE_CSV_FILTER)));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QStringLiteral("csv"));
  dialog.selectFile(
      QStringLiteral("compare-%1.csv").arg(QDateTime::currentDateTime().toString("yyyyMMdd-HHmm")));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return;
  const QString path = dialog.selectedFiles().first();
  if (SaveCsv(QFile::encodeName(path).toStdString()))
    g_lastFolder = QFileInfo(path).absolutePath();
}
