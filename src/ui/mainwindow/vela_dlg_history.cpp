// The main window's part of the history: the as-found record of a whole
// read, the before-download record, the as-left record when a connection
// that wrote ends, and the History window with what it does to a record.
#include "ui/mainwindow/vela_dlg.h"

#include "core/history/commissioning_report.h"
#include "core/history/history.h"
#include "core/history/write_journal.h"
#include "core/link/comm_interface.h"
#include "core/model/par_base.h"
#include "core/resources/exception.h"
#include "core/resources/message_format.h"
#include "core/resources/settings_store.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"
#include "core/resources/ui_host.h"
#include "core/workers/update_io_thread.h"
#include "ui/history/history_dialog.h"
#include "ui/instruments/graph.h"
#include "ui/instruments/graph_ctrl.h"
#include "ui/model/compare_dialog.h"
#include "ui/workers/load_dialog.h"

#include <QPushButton>

namespace {

std::string Name(const CInstrumentIdentity &who) {
  return who.model + " " + (who.ByPort() ? who.port : who.serial);
}

} // namespace

void CVELADlg::AddHistoryButton() {
  // In the free space of the top row, after Download, as tall and wide as it.
  QPushButton *download = Button(IDC_DOWNLOAD);
  QPushButton *upload = Button(IDC_UPLOAD);
  if (!download || !upload)
    return;
  auto *button = new QPushButton(QString::fromStdString(LoadString(IDS_HISTORY)), m_client);
  button->setObjectName(QString::number(IDC_HISTORY));
  const QRect d = download->geometry();
  const int gap = d.left() - upload->geometry().right();
  button->setGeometry(d.right() + gap + 6 * gap, d.top(), d.width(), d.height());
  button->setFont(download->font());
  button->setAutoDefault(false);
  button->show();
  connect(button, &QPushButton::clicked, this, &CVELADlg::OnHistory);
}

void CVELADlg::NoteWholeRead(CParBase &set, CCommInterface &comm, int port) {
  History().NotePort(&comm, PortName(port));
  History().NoteUpload(set, PortName(port));
  History().FlushWarning();
}

void CVELADlg::TakeAsLeft() {
  if (!m_connection.Interface() || !History().TakeWritten(m_connection.Interface()))
    return;
  const std::string port = History().PortOf(m_connection.Interface());
  const CInstrumentIdentity who = IdentityOf(*m_model, port);
  CLinkLock lock = m_connection.Lock();
  std::unique_ptr<CParBase> device = m_model->Clone();
  try {
    if (!lock)
      throw CException(IDS_COMM_ERROR);
    device->ReadFromDevice(m_connection.Interface(), -1, -1);
    History().TakeRecord(*device, IdentityOf(*device, port), kRecordAsLeft);
  } catch (const CException &e) {
    History().NoteMissingRecord(who, kRecordAsLeft, FormatMessageId(IDS_HISTORY_AS_LEFT_MISSING, {e.GetErrorMessage()}));
  }
  History().FlushWarning();
}

bool CVELADlg::ReadIdentityNow(CCommInterface &comm, int port, CInstrumentIdentity &who) {
  try {
    who = ReadIdentity(*m_model, comm, PortName(port));
    return true;
  } catch (const CException &e) {
    AfxMessageBox(e.GetErrorMessage(), MB_ICONERROR);
    return false;
  }
}

bool CVELADlg::TakeBeforeDownload(CCommInterface &comm, const CInstrumentIdentity &who,
                                  std::unique_ptr<CParBase> &held) {
  if (History().HasRecordThisRun(who) || SettingsStore().GetInt("Settings", "BeforeDownloadRecord", 1) == 0)
    return true;
  // Nothing is written unless what the instrument held has been read.
  held = m_model->Clone();
  CLoadDialog transfer(this);
  if (!transfer.Upload(&comm, held.get()))
    return false;
  History().TakeRecord(*held, who, kRecordBeforeDownload);
  History().FlushWarning();
  return true;
}

std::unique_ptr<CParBase> CVELADlg::LoadRecord(const HistoryRecord &record) {
  // A record changed since it was taken is no record of the instrument.
  std::unique_ptr<CParBase> set = m_model->Clone();
  try {
    if (RecordChecksum(record.file) != record.checksum)
      throw CException(IDS_HISTORY_RECORD_CHANGED, FormatMessageId(IDS_HISTORY_RECORD_CHANGED, {record.file}));
    set->LoadFile(record.file);
  } catch (const CException &e) {
    AfxMessageBox(e.GetErrorMessage(), MB_ICONERROR);
    return nullptr;
  }
  return set;
}

void CVELADlg::OnHistory() {
  if (m_graphPanel)
    return;
  // The History window's own actions run as commands inside this one.
  RunCommand(
      "History", [this] {
        HistoryActions actions;
        actions.open = [this](const HistoryRecord &record) { OpenRecord(record); };
        actions.compare = [this](const HistoryRecord &record) { CompareRecord(record); };
        actions.restore = [this](const HistoryRecord &record, const CInstrumentIdentity &who) {
          RestoreRecord(record, who);
        };
        actions.trend = [this] { return m_trendPicture; };
        CHistoryDialog dialog(actions, this);
        dialog.exec();
      },
      false);
}

void CVELADlg::OpenRecord(const HistoryRecord &record) {
  RunCommand(
      "Open record " + record.file, [&] {
        if (!LoadRecord(record))
          return;
        if (IsOnline() && !CheckEditSwitchNow())
          return;
        TakeConfigFile(record.file);
      },
      false);
}

void CVELADlg::CompareRecord(const HistoryRecord &record) {
  RunCommand(
      "Compare with record " + record.file, [&] {
        std::unique_ptr<CParBase> set = LoadRecord(record);
        if (!set)
          return;
        if (IsOnline()) {
          // Online the window's set is what the instrument holds.
          CCompareDialog result(*set, *m_model, this);
          result.exec();
          return;
        }
        CLinkLock lock = m_connection.Lock();
        if (!lock)
          return;
        std::unique_ptr<CCommInterface> comm;
        std::unique_ptr<CParBase> device = ReadInstrument(comm);
        if (!device)
          return;
        comm.reset();
        CCompareDialog result(*set, *device, this);
        result.exec();
      },
      false);
}

void CVELADlg::RestoreRecord(const HistoryRecord &record, const CInstrumentIdentity &who) {
  RunCommand(
      "Restore record " + record.file, [&] {
        if (RefusedOnline())
          return;
        std::unique_ptr<CParBase> set = LoadRecord(record);
        if (!set)
          return;
        if (AfxMessageBox(FormatMessageId(IDS_HISTORY_RESTORE_ASK, {Name(who), record.time}),
                          MB_YESNO | MB_ICONQUESTION) != IDYES)
          return;
        CLinkLock lock = m_connection.Lock();
        if (!lock)
          return;
        int port = 0;
        std::unique_ptr<CCommInterface> comm = AskAndOpenPort(port);
        if (!comm)
          return;
        CInstrumentIdentity now;
        if (!ReadIdentityNow(*comm, port, now))
          return;
        // A record goes back only to the instrument it was taken of.
        if (now.model != who.model || now.serial != who.serial) {
          AfxMessageBox(FormatMessageId(IDS_HISTORY_RESTORE_OTHER, {Name(now), Name(who)}), MB_ICONERROR);
          return;
        }
        std::unique_ptr<CParBase> held;
        if (!TakeBeforeDownload(*comm, now, held))
          return;
        try {
          if (!set->CheckEditSwitch(*comm))
            return;
        } catch (const CException &e) {
          AfxMessageBox(e.GetErrorMessage(), MB_ICONERROR);
          return;
        }
        {
          CJournalScope journal(*comm, now, kContextRestore, ParameterRows(*set, held.get(), -1, -1));
          CLoadDialog transfer(this);
          if (!transfer.Download(comm.get(), set.get()))
            return;
          journal.Complete(nullptr);
        }
        History().TakeRecord(*set, now, kRecordRestoredFrom + CompactTime(record.time));
        History().FlushWarning();
      },
      false);
}

void CVELADlg::KeepTrendPicture(CGraphCtrl *panel) {
  if (panel && panel->Graph())
    m_trendPicture = panel->Graph()->Picture();
}
