#include "ui/history/history_dialog.h"

#include "core/history/commissioning_report.h"
#include "core/history/history.h"
#include "core/platform/replace_file.h"
#include "core/resources/message_format.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"
#include "core/resources/ui_host.h"
#include "ui/history/report_pdf.h"
#include "ui/resources/file_dialog_filter.h"

#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QString Text(int id) { return QString::fromStdString(LoadString(id)); }
QString Q(const std::string &text) { return QString::fromStdString(text); }

QTableWidget *MakeTable(const QString &name, const std::vector<int> &headers, QWidget *parent) {
  auto *table = new QTableWidget(0, static_cast<int>(headers.size()), parent);
  table->setObjectName(name);
  QStringList labels;
  for (int id : headers)
    labels << Text(id);
  table->setHorizontalHeaderLabels(labels);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->verticalHeader()->setVisible(false);
  table->horizontalHeader()->setStretchLastSection(true);
  table->setWordWrap(false);
  return table;
}

void SetRow(QTableWidget *table, int row, const QStringList &cells) {
  for (int column = 0; column < cells.size(); ++column)
    table->setItem(row, column, new QTableWidgetItem(cells[column]));
}

QString KindText(const std::string &kind) {
  if (kind == kRecordAsFound)
    return Text(IDS_HISTORY_AS_FOUND);
  if (kind == kRecordAsLeft)
    return Text(IDS_HISTORY_AS_LEFT);
  return Q(kind);
}

std::string LocalPath(const QString &path) { return QFile::encodeName(path).toStdString(); }

QString AskSavePath(QWidget *parent, int filterId, const QString &suffix) {
  QFileDialog dialog(parent, QString(), QString(), FileDialogFilter(LoadString(filterId)));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(suffix);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return {};
  return dialog.selectedFiles().front();
}

} // namespace

CHistoryDialog::CHistoryDialog(HistoryActions actions, QWidget *parent)
    : QDialog(parent), m_actions(std::move(actions)) {
  setWindowTitle(Text(IDS_HISTORY));
  setObjectName(QStringLiteral("history"));
  auto *layout = new QVBoxLayout(this);

  layout->addWidget(new QLabel(Text(IDS_HISTORY_INSTRUMENTS), this));
  m_instruments = MakeTable(QStringLiteral("instruments"),
                            {IDS_HISTORY_COL_MODEL, IDS_HISTORY_COL_SERIAL, IDS_HISTORY_COL_TAG,
                             IDS_HISTORY_COL_PORT, IDS_HISTORY_COL_TIME},
                            this);
  m_instruments->setMaximumHeight(140);
  layout->addWidget(m_instruments);
  m_identity = new QLabel(this);
  m_identity->setObjectName(QStringLiteral("identity"));
  layout->addWidget(m_identity);

  layout->addWidget(new QLabel(Text(IDS_HISTORY_RECORDS), this));
  auto *recordRow = new QHBoxLayout;
  m_records = MakeTable(QStringLiteral("records"), {IDS_HISTORY_COL_TIME, IDS_HISTORY_COL_RECORD}, this);
  m_records->setMaximumHeight(160);
  recordRow->addWidget(m_records, 1);
  auto *recordButtons = new QVBoxLayout;
  auto button = [this](int id, const char *name) {
    auto *b = new QPushButton(Text(id), this);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
  };
  m_open = button(IDS_HISTORY_OPEN, "open");
  m_compare = button(IDS_HISTORY_COMPARE, "compare");
  m_restore = button(IDS_HISTORY_RESTORE, "restore");
  for (QPushButton *b : {m_open, m_compare, m_restore})
    recordButtons->addWidget(b);
  recordButtons->addStretch();
  recordRow->addLayout(recordButtons);
  layout->addLayout(recordRow);

  layout->addWidget(new QLabel(Text(IDS_HISTORY_JOURNAL), this));
  m_journal = MakeTable(QStringLiteral("journal"),
                        {IDS_HISTORY_COL_TIME, IDS_HISTORY_COL_WHAT, IDS_HISTORY_COL_BLOCK, IDS_HISTORY_COL_ITEM,
                         IDS_COL_PARAMETER_NAME, IDS_HISTORY_COL_BEFORE, IDS_HISTORY_COL_SENT,
                         IDS_HISTORY_COL_READ_BACK, IDS_HISTORY_COL_RESULT, IDS_HISTORY_COL_MESSAGE},
                        this);
  layout->addWidget(m_journal, 1);

  auto *bottom = new QHBoxLayout;
  m_saveJournal = button(IDS_HISTORY_SAVE_JOURNAL, "saveJournal");
  m_report = button(IDS_HISTORY_REPORT, "report");
  auto *close = button(IDS_HISTORY_CLOSE, "close");
  bottom->addWidget(m_saveJournal);
  bottom->addWidget(m_report);
  bottom->addStretch();
  bottom->addWidget(close);
  layout->addLayout(bottom);

  connect(m_instruments, &QTableWidget::itemSelectionChanged, this, &CHistoryDialog::ShowInstrument);
  connect(m_records, &QTableWidget::itemSelectionChanged, this, &CHistoryDialog::UpdateButtons);
  connect(m_open, &QPushButton::clicked, this, [this] { RunOnRecord(m_actions.open); });
  connect(m_compare, &QPushButton::clicked, this, [this] { RunOnRecord(m_actions.compare); });
  connect(m_restore, &QPushButton::clicked, this, [this] {
    const int row = m_instruments->currentRow();
    if (row < 0 || row >= static_cast<int>(m_instrumentRows.size()))
      return;
    const CInstrumentIdentity who = m_instrumentRows[row].identity;
    RunOnRecord([this, who](const HistoryRecord &record) {
      m_actions.restore(record, who);
      Reload();
    });
  });
  connect(m_saveJournal, &QPushButton::clicked, this, [this] {
    const QString path = AskSavePath(this, IDS_HISTORY_CSV_FILTER, QStringLiteral("csv"));
    if (!path.isEmpty())
      SaveJournal(path);
  });
  connect(m_report, &QPushButton::clicked, this, [this] {
    const QString path = AskSavePath(this, IDS_HISTORY_PDF_FILTER, QStringLiteral("pdf"));
    if (!path.isEmpty())
      SaveReport(path);
  });
  connect(close, &QPushButton::clicked, this, &QDialog::accept);

  resize(960, 680);
  Reload();
}

void CHistoryDialog::Reload() {
  const int keep = m_instruments->currentRow();
  m_instrumentRows.clear();
  History().Query([this](CHistoryStore &store) { m_instrumentRows = store.Instruments({}); });
  History().FlushWarning();
  m_instruments->setRowCount(static_cast<int>(m_instrumentRows.size()));
  for (int row = 0; row < static_cast<int>(m_instrumentRows.size()); ++row) {
    const HistoryInstrument &instrument = m_instrumentRows[row];
    SetRow(m_instruments, row,
           {Q(instrument.identity.model), Q(instrument.identity.serial), Q(instrument.identity.tag),
            Q(instrument.identity.port), Q(instrument.lastSeen)});
  }
  m_instruments->resizeColumnsToContents();
  SelectInstrument(keep >= 0 && keep < m_instruments->rowCount() ? keep : 0);
  ShowInstrument();
}

void CHistoryDialog::SelectInstrument(int row) {
  if (row >= 0 && row < m_instruments->rowCount())
    m_instruments->selectRow(row);
}

void CHistoryDialog::ShowInstrument() {
  const int row = m_instruments->currentRow();
  m_recordRows.clear();
  m_journalRows.clear();
  m_identity->clear();
  if (row >= 0 && row < static_cast<int>(m_instrumentRows.size())) {
    const HistoryInstrument &instrument = m_instrumentRows[row];
    HistoryFilter filter;
    filter.instrumentId = instrument.id;
    History().Query([&](CHistoryStore &store) {
      m_recordRows = store.Records(filter);
      m_journalRows = store.Journal(filter);
    });
    History().FlushWarning();
    const CInstrumentIdentity &who = instrument.identity;
    QString identity = Q(who.model + "  " + who.serial + "  " + who.firmware + "  " + who.tag);
    if (who.ByPort())
      identity += QStringLiteral("  ") + Text(IDS_HISTORY_BY_PORT);
    m_identity->setText(identity);
  }
  m_records->setRowCount(static_cast<int>(m_recordRows.size()));
  for (int r = 0; r < static_cast<int>(m_recordRows.size()); ++r)
    SetRow(m_records, r, {Q(m_recordRows[r].time), KindText(m_recordRows[r].kind)});
  m_records->resizeColumnsToContents();
  if (!m_recordRows.empty())
    m_records->selectRow(0);
  m_journal->setRowCount(static_cast<int>(m_journalRows.size()));
  for (int r = 0; r < static_cast<int>(m_journalRows.size()); ++r) {
    const JournalEntry &e = m_journalRows[r];
    SetRow(m_journal, r,
           {Q(e.time), Q(e.context), e.block < 0 ? QString() : QString::number(e.block),
            e.item < 0 ? QString() : QString::number(e.item), Q(e.name), Q(e.before), Q(e.sent), Q(e.readBack),
            Q(e.result), Q(e.message)});
  }
  m_journal->resizeColumnsToContents();
  UpdateButtons();
}

const HistoryRecord *CHistoryDialog::SelectedRecord() const {
  const int row = m_records->currentRow();
  if (row < 0 || row >= static_cast<int>(m_recordRows.size()))
    return nullptr;
  return &m_recordRows[row];
}

void CHistoryDialog::RunOnRecord(const std::function<void(const HistoryRecord &)> &action) {
  const HistoryRecord *record = SelectedRecord();
  if (record && action) {
    const HistoryRecord copy = *record;
    action(copy);
  }
}

void CHistoryDialog::UpdateButtons() {
  const bool record = SelectedRecord() != nullptr;
  m_open->setEnabled(record);
  m_compare->setEnabled(record);
  m_restore->setEnabled(record);
  m_saveJournal->setEnabled(!m_journalRows.empty());
  m_report->setEnabled(record);
}

bool CHistoryDialog::SaveJournal(const QString &path) {
  try {
    ReplaceFileContents(LocalPath(path), "\xEF\xBB\xBF" + JournalCsv(m_journalRows));
    return true;
  } catch (const std::system_error &error) {
    AfxMessageBox(FormatMessageId(IDS_HISTORY_SAVE_FAILED, {LocalPath(path)}) + "\n" + error.code().message(),
                  MB_ICONERROR);
    return false;
  }
}

bool CHistoryDialog::SaveReport(const QString &path) {
  const int row = m_instruments->currentRow();
  if (row < 0 || row >= static_cast<int>(m_instrumentRows.size()))
    return false;
  CommissioningReport report;
  std::string problem;
  bool built = false;
  History().Query([&](CHistoryStore &store) {
    built = BuildCommissioningReport(store, m_instrumentRows[row].id, report, problem);
  });
  History().FlushWarning();
  if (!built) {
    if (!problem.empty())
      AfxMessageBox(problem, MB_ICONERROR);
    return false;
  }
  std::string error;
  const QImage trend = m_actions.trend ? m_actions.trend() : QImage();
  if (!WriteReportPdf(report, trend, path, error)) {
    AfxMessageBox(FormatMessageId(IDS_HISTORY_SAVE_FAILED, {LocalPath(path)}) + "\n" + error, MB_ICONERROR);
    return false;
  }
  return true;
}
