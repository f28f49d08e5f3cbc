#include "ui/instruments/graph_ctrl.h"

#include "ui/instruments/graph.h"
#include "core/instruments/graph_export.h"
#include "core/instruments/live_value_source.h"
#include "core/resources/dialog_templates.h"
#include "core/resources/message_format.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"
#include "ui/resources/template_builder.h"
#include "core/resources/ui_host.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSaveFile>

#include <algorithm>

namespace {

constexpr int IDC_GRAPH = 1038;
constexpr int IDC_START = 1039;
constexpr int IDC_STOP = 1040;
constexpr int IDC_CLOSE = 1041;
constexpr int IDC_PRINT = 1042;
constexpr int IDC_SAVE = 1043;

constexpr double kSecondsPerSample = CGraphCtrl::TickMs / 1000.0;

// The save dialog's choices, in the order of the filter string.
enum class SaveKind { Png, Pdf, Csv };
constexpr const char *kSuffixes[] = {"png", "pdf", "csv"};

// "Text (*.x)|*.x|...||" as the file dialog lists it: the descriptions.
QStringList NameFilters(const std::string &filter) {
  const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
  QStringList names;
  for (int i = 0; i + 1 < parts.size(); i += 2)
    if (!parts[i].isEmpty())
      names.append(parts[i]);
  return names;
}

bool WriteAll(QSaveFile &file, const QByteArray &data) {
  if (file.write(data) != data.size()) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

} // namespace

CGraphCtrl::CGraphCtrl(QWidget *parent) : QWidget(parent) {
  CTemplateBuilder(IDD_GRAPH_CTRL)
      .Replace(IDC_GRAPH, [this](QWidget *host, const ControlTemplate &) { return m_graph = new CGraph(host); })
      .Build(this);
  m_print = FindControl<QPushButton>(this, IDC_PRINT);
  m_save = FindControl<QPushButton>(this, IDC_SAVE);
  m_start = FindControl<QPushButton>(this, IDC_START);
  m_stop = FindControl<QPushButton>(this, IDC_STOP);
  m_close = FindControl<QPushButton>(this, IDC_CLOSE);
  connect(m_start, &QPushButton::clicked, this, &CGraphCtrl::OnStart);
  connect(m_stop, &QPushButton::clicked, this, &CGraphCtrl::OnStop);
  connect(m_close, &QPushButton::clicked, this, &CGraphCtrl::OnClose);
  connect(m_print, &QPushButton::clicked, this, &CGraphCtrl::OnPrint);
  connect(m_save, &QPushButton::clicked, this, &CGraphCtrl::OnSave);

  m_timer.setInterval(TickMs);
  connect(&m_timer, &QTimer::timeout, this, &CGraphCtrl::OnTick);
  m_graph->SetAxes(0, 1, -0.1, 0.1);
}

CGraphCtrl::~CGraphCtrl() = default;

void CGraphCtrl::SetPoller(const CUpdateIOThread *poller) {
  m_source = nullptr;
  m_pollerSource.reset();
  if (poller) {
    m_pollerSource = std::make_unique<CPollerValueSource>(*poller);
    m_source = m_pollerSource.get();
  }
}

void CGraphCtrl::SetValueSource(const CLiveValueSource *source) {
  m_pollerSource.reset();
  m_source = source;
}

void CGraphCtrl::keyPressEvent(QKeyEvent *event) {
  switch (event->key()) {
  case Qt::Key_Return:
  case Qt::Key_Enter:
  case Qt::Key_Escape:
    m_graph->ShowWholeTrace();
    event->accept();
    return;
  default:
    QWidget::keyPressEvent(event);
  }
}

void CGraphCtrl::EnableButtons(bool recording) {
  m_print->setEnabled(!recording);
  m_save->setEnabled(!recording);
  m_start->setEnabled(!recording);
  m_stop->setEnabled(recording);
}

void CGraphCtrl::OnStart() {
  if (m_timer.isActive())
    return;
  m_nextX = 1;
  m_yLow = -0.001;
  m_yHigh = 0.001;
  m_graph->SetMode(CGraph::RecordingMode);
  m_graph->Clear();
  m_graph->SetAxes(0, m_nextX, m_yLow, m_yHigh);
  m_graph->update();
  m_started = QDateTime::currentDateTime();
  m_stopped = QDateTime();
  m_timer.start();
  EnableButtons(true);
}

void CGraphCtrl::OnTick() {
  // While the poller reports a failed cycle its values are stale; the main
  // window deals with the failure, the chart just waits for good values.
  if (!m_source || m_source->GetError())
    return;
  const double v = m_source->GetLiveValue(m_channel);
  m_graph->AddSample(static_cast<float>(m_nextX), static_cast<float>(v));
  if (m_nextX == 1) {
    m_min = m_max = v;
    m_yLow = v - 0.0001;
    m_yHigh = v + 0.0001;
  } else {
    m_min = std::min(m_min, v);
    m_max = std::max(m_max, v);
  }
  // Margins of 5 % of the span, and the axis never shrinks while recording.
  m_yLow = std::min(m_yLow, m_min - (m_yHigh - m_yLow) * 0.05);
  m_yHigh = std::max(m_yHigh, m_max + (m_yHigh - m_yLow) * 0.05);
  m_nextX += 1;
  m_graph->SetAxes(0, m_nextX, m_yLow, m_yHigh);
  m_graph->update();
}

void CGraphCtrl::OnStop() {
  if (!m_timer.isActive())
    return;
  m_timer.stop();
  m_stopped = QDateTime::currentDateTime();
  EnableButtons(false);
  m_graph->SetMode(CGraph::ReviewMode);
}

void CGraphCtrl::OnClose() {
  OnStop();
  Notify();
}

QStringList CGraphCtrl::PrintHeader() const {
  const TrendDescription &d = m_description;
  QStringList lines;
  lines.append(QString::fromStdString(d.unit.empty() ? FormatMessageId(IDS_TREND_TITLE, {d.block})
                                                     : FormatMessageId(IDS_TREND_TITLE_UNIT, {d.block, d.unit})));
  if (!d.model.empty() || !d.serial.empty() || !d.tag.empty())
    lines.append(QString::fromStdString(FormatMessageId(IDS_TREND_INSTRUMENT, {d.model, d.serial, d.tag})));
  if (m_started.isValid()) {
    const QDateTime end = m_stopped.isValid() ? m_stopped : QDateTime::currentDateTime();
    const qint64 seconds = std::max<qint64>(0, m_started.secsTo(end));
    const QString duration = QStringLiteral("%1:%2:%3")
                                 .arg(seconds / 3600)
                                 .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                                 .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    lines.append(QString::fromStdString(FormatMessageId(
        IDS_TREND_TIME, {m_started.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString(),
                         duration.toStdString()})));
  }
  return lines;
}

void CGraphCtrl::OnPrint() { RunDialog(&CGraphCtrl::PrintChart); }

void CGraphCtrl::OnSave() { RunDialog(&CGraphCtrl::SaveChart); }

void CGraphCtrl::RunDialog(void (CGraphCtrl::*body)()) {
  ++m_dialogsRunning;
  (this->*body)();
  // Posted from the loop that ran the click, after the dialog's own loop has
  // ended: the panel goes once this function is off the stack.
  if (--m_dialogsRunning == 0 && m_deletePending)
    deleteLater();
}

void CGraphCtrl::DeleteWhenIdle() {
  if (m_dialogsRunning > 0)
    m_deletePending = true;
  else
    deleteLater();
}

void CGraphCtrl::PrintChart() {
  QPrinter printer(QPrinter::HighResolution);
  QPrintDialog dialog(&printer, this);
  // One page of one picture: no page range, selection or current page to
  // choose; printing to a PDF file stays offered for machines without a printer.
  dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
  if (dialog.exec() != QDialog::Accepted)
    return;
  if (!m_graph->Print(printer, PrintHeader()))
    AfxMessageBox(IDS_GRAPH_PRINT_FAILED, MB_ICONERROR);
}

void CGraphCtrl::SaveChart() {
  const QStringList filters = NameFilters(LoadString(IDS_GRAPH_SAVE_FILTER));
  QFileDialog dialog(this, m_save->text().remove(QLatin1Char('&')));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters(filters);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return;
  QString path = dialog.selectedFiles().constFirst();

  // The name's extension decides; without a known one, the chosen filter does.
  const QString suffix = QFileInfo(path).suffix().toLower();
  auto known = std::find_if(std::begin(kSuffixes), std::end(kSuffixes),
                            [&](const char *s) { return suffix == QLatin1String(s); });
  SaveKind kind;
  if (known != std::end(kSuffixes)) {
    kind = static_cast<SaveKind>(known - std::begin(kSuffixes));
  } else {
    const int chosen = std::clamp(static_cast<int>(filters.indexOf(dialog.selectedNameFilter())), 0, 2);
    kind = static_cast<SaveKind>(chosen);
    path += QLatin1Char('.') + QLatin1String(kSuffixes[chosen]);
  }

  bool saved = false;
  switch (kind) {
  case SaveKind::Png:
    saved = SavePicture(path);
    break;
  case SaveKind::Pdf:
    saved = SavePdf(path);
    break;
  case SaveKind::Csv:
    saved = SaveCsv(path);
    break;
  }
  if (!saved)
    AfxMessageBox(FormatMessageId(IDS_GRAPH_SAVE_FAILED, {path.toStdString()}), MB_ICONERROR);
}

// Each format is written beside the target and renamed over it only when
// complete, so a failed save leaves an older file as it was.
bool CGraphCtrl::SavePicture(const QString &path) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly))
    return false;
  if (!m_graph->Picture().save(&file, "PNG")) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

bool CGraphCtrl::SavePdf(const QString &path) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly))
    return false;
  {
    // The page the printer would get by default.
    const QPrinter defaults(QPrinter::HighResolution);
    QPdfWriter writer(&file);
    writer.setTitle(QStringLiteral("Graph"));
    writer.setResolution(defaults.resolution());
    writer.setPageLayout(defaults.pageLayout());
    if (!m_graph->PrintPage(writer, PrintHeader())) {
      file.cancelWriting();
      return false;
    }
  }
  return file.commit();
}

bool CGraphCtrl::SaveCsv(const QString &path) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly))
    return false;
  return WriteAll(file, QByteArray::fromStdString(GraphRecordingCsv(m_graph->Logic().Samples(), kSecondsPerSample)));
}
