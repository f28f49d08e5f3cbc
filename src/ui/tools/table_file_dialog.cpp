#include "ui/tools/table_file_dialog.h"

#include "ui/instruments/graph.h"
#include "core/resources/dialog_templates.h"
#include "ui/resources/template_builder.h"
#include "core/resources/ui_host.h"

#include <QFile>
#include <QFileDialog>
#include <QPushButton>

namespace {

constexpr int IDC_PREVIEW = 1038;
constexpr int IDC_OPEN = 1029;
constexpr int IDC_SAVE = 1030;

// The table's own range, -15 % to 115 %, with the grid on every 20 %.
constexpr double kAxisLow = -15;
constexpr double kAxisHigh = 115;

// The toolkit's own file dialog: the same on every desktop, and reachable
// by the tests.
QString AskFile(QWidget *parent, QFileDialog::AcceptMode mode) {
  QFileDialog dialog(parent);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return {};
  return dialog.selectedFiles().front();
}

} // namespace

CTableFileDialog::CTableFileDialog(QWidget *parent) : QDialog(parent) {
  CTemplateBuilder builder(IDD_TABLE_FILE_DIALOG);
  builder.Replace(IDC_PREVIEW, [this](QWidget *host, const ControlTemplate &) {
    m_preview = new CGraph(host);
    return m_preview;
  });
  builder.Build(this);
  m_preview->SetAxes(kAxisLow, kAxisHigh, kAxisLow, kAxisHigh);

  connect(FindControl<QPushButton>(this, IDC_OPEN), &QPushButton::clicked, this, &CTableFileDialog::OpenFile);
  connect(FindControl<QPushButton>(this, IDC_SAVE), &QPushButton::clicked, this, &CTableFileDialog::SaveFile);
  connect(FindControl<QPushButton>(this, IDOK), &QPushButton::clicked, this, &QDialog::accept);
  connect(FindControl<QPushButton>(this, IDCANCEL), &QPushButton::clicked, this, &QDialog::reject);
}

int CTableFileDialog::Run(CTableFile &table) {
  m_table = table;
  RefreshPreview();
  if (exec() != QDialog::Accepted)
    return IDCANCEL;
  table = m_table;
  return IDOK;
}

void CTableFileDialog::RefreshPreview() {
  m_preview->Clear();
  for (std::size_t i = 0; i < m_table.Size(); ++i)
    m_preview->AddSample(static_cast<float>(m_table.X[i]), static_cast<float>(m_table.Y[i]));
  m_preview->update();
}

void CTableFileDialog::OpenFile() {
  const QString path = AskFile(this, QFileDialog::AcceptOpen);
  if (path.isEmpty())
    return;
  // A file that does not read leaves the table as it was.
  CTableFile read;
  try {
    read.Read(QFile::encodeName(path).toStdString());
  } catch (const CTableFileException &e) {
    AfxMessageBox(e.GetErrorMessage(), MB_ICONERROR);
    return;
  }
  m_table = read;
  RefreshPreview();
}

void CTableFileDialog::SaveFile() {
  const QString path = AskFile(this, QFileDialog::AcceptSave);
  if (path.isEmpty())
    return;
  try {
    m_table.Write(QFile::encodeName(path).toStdString());
  } catch (const CTableFileException &e) {
    AfxMessageBox(e.GetErrorMessage(), MB_ICONERROR);
  }
}
