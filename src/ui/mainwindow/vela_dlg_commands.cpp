// The device and file commands of the main window: connecting, the one-shot
// transfers Upload, Download and Compare, configuration files, and taking an
// accepted edit to the instrument.
//
// Every command that talks to the instrument holds the link mutex for its
// whole length, across its modal dialogs, through a CLinkLock; a one-shot
// command's interface and a model copy live in unique_ptrs of the command.
// So whichever way a command ends, the poller gets the line back and no
// half-made interface is left behind.
#include "ui/mainwindow/vela_dlg.h"

#include "ui/link/com_dialog.h"
#include "core/link/comm_interface.h"
#include "ui/model/compare_dialog.h"
#include "core/model/compare_rows.h"
#include "core/model/config_load.h"
#include "core/model/par_base.h"
#include "core/model/par_edit.h"
#include "ui/mainwindow/parameter_list_ctrl.h"
#include "core/resources/exception.h"
#include "ui/resources/file_dialog_filter.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"
#include "core/resources/ui_host.h"
#include "ui/workers/load_dialog.h"
#include "core/history/history.h"
#include "core/history/write_journal.h"
#include "core/workers/update_io_thread.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QPushButton>
#include <QTimer>

namespace {

QString Text(int id) { return QString::fromStdString(LoadString(id)); }

std::string LocalPath(const QString &path) { return QFile::encodeName(path).toStdString(); }

} // namespace

bool CVELADlg::RefusedOnline() {
  if (!IsOnline())
    return false;
  AfxMessageBox(IDS_ONLY_OFFLINE, MB_ICONERROR);
  return true;
}

int CVELADlg::AskPort() {
  CComDialog dialog(this);
  return dialog.Run();
}

std::unique_ptr<CCommInterface> CVELADlg::OpenPort(int port) {
  auto comm = std::make_unique<CCommInterface>();
  try {
    comm->Open(port);
  } catch (const CException &e) {
    AfxMessageBox(e.GetErrorMessage(), MB_ICONERROR);
    return nullptr;
  }
  return comm;
}

std::unique_ptr<CCommInterface> CVELADlg::AskAndOpenPort(int &port) {
  port = AskPort();
  return port ? OpenPort(port) : nullptr;
}

std::unique_ptr<CParBase> CVELADlg::ReadInstrument(std::unique_ptr<CCommInterface> &comm) {
  const int port = AskPort();
  if (!port)
    return nullptr;
  m_lastPort = port;
  comm = OpenPort(port);
  if (!comm)
    return nullptr;
  std::unique_ptr<CParBase> copy = m_model->Clone();
  CLoadDialog transfer(this);
  if (!transfer.Upload(comm.get(), copy.get()))
    return nullptr;
  NoteWholeRead(*copy, *comm, port);
  return copy;
}

void CVELADlg::ShowOutOfRangeReport() {
  // Values the instrument holds outside their ranges would make a file saved
  // from this set unloadable: the user learns it now, not at the next load.
  const std::string report = m_model->GetOutOfRangeReport();
  if (!report.empty())
    AfxMessageBox(report, MB_ICONWARNING);
}

void CVELADlg::ConnectOrDisconnect() {
  const bool ran = RunCommand(IsOnline() ? "Disconnect" : "Connect", [this] {
    if (m_connect->isChecked())
      Connect();
    else if (AskReleaseFixedOutput())
      Disconnect();
    else
      m_connect->setChecked(true);
  });
  if (!ran)
    m_connect->setChecked(IsOnline());
}

void CVELADlg::Connect() {
  bool connected = false;
  // The instrument's set replaces the window's: changes of the window are
  // kept first if the user wants them.
  if (AskKeepChanges()) {
    CLinkLock lock = m_connection.Lock();
    if (lock) {
      std::unique_ptr<CCommInterface> comm;
      std::unique_ptr<CParBase> copy = ReadInstrument(comm);
      if (copy && !m_commands.IsClosePending()) {
        m_model->CopyFrom(*copy);
        TakeConnection(std::move(comm));
        connected = IsOnline();
      }
    }
  }
  if (connected) {
    SetFilePath({});
    SetModified(false);
  } else {
    m_connect->setChecked(false);
    m_connect->setText(Text(IDS_CONNECT));
  }
  RefreshView();
  if (connected)
    ShowOutOfRangeReport();
}

void CVELADlg::OnUpload() {
  RunCommand("Upload", [this] { Upload(); });
}

void CVELADlg::Upload() {
  if (RefusedOnline() || !AskKeepChanges())
    return;
  CLinkLock lock = m_connection.Lock();
  if (!lock)
    return;
  bool taken = false;
  {
    std::unique_ptr<CCommInterface> comm;
    if (std::unique_ptr<CParBase> copy = ReadInstrument(comm)) {
      m_model->CopyFrom(*copy);
      taken = true;
    }
  }
  lock.Unlock();
  if (taken) {
    SetFilePath({});
    SetModified(false);
    SetStatus(IDS_STATUS_UPLOADED, {PortText(m_lastPort)});
  }
  RefreshView();
  if (taken)
    ShowOutOfRangeReport();
}

void CVELADlg::OnDownload() {
  RunCommand("Download", [this] { Download(); });
}

void CVELADlg::Download() {
  if (RefusedOnline())
    return;
  CLinkLock lock = m_connection.Lock();
  if (!lock)
    return;
  int port = 0;
  std::unique_ptr<CCommInterface> comm = AskAndOpenPort(port);
  if (!comm)
    return;
  CInstrumentIdentity who;
  std::unique_ptr<CParBase> held;
  if (!ReadIdentityNow(*comm, port, who) || !TakeBeforeDownload(*comm, who, held))
    return;
  try {
    if (!m_model->CheckEditSwitch(*comm))
      return;
  } catch (const CException &e) {
    AfxMessageBox(e.GetErrorMessage(), MB_ICONERROR);
    return;
  }
  CJournalScope journal(*comm, who, kContextDownload, ParameterRows(*m_model, held.get(), -1, -1));
  CLoadDialog transfer(this);
  // The instrument has the window's changes now.
  const bool done = transfer.Download(comm.get(), m_model.get());
  if (done) {
    journal.Complete(nullptr);
    SetModified(false);
  }
  SetStatus(done ? IDS_STATUS_DOWNLOADED : IDS_STATUS_DOWNLOAD_FAILED, {PortText(port)});
}

void CVELADlg::OnCompare() {
  RunCommand("Compare", [this] { Compare(); });
}

void CVELADlg::Compare() {
  if (RefusedOnline())
    return;
  CLinkLock lock = m_connection.Lock();
  if (!lock)
    return;
  std::unique_ptr<CCommInterface> comm;
  std::unique_ptr<CParBase> device = ReadInstrument(comm);
  if (!device)
    return;
  // The port is free again while the user reads the result.
  comm.reset();
  SetStatus(IDS_STATUS_COMPARED, {PortText(m_lastPort), BuildCompareRows(*m_model, *device).summary});
  CCompareDialog result(*m_model, *device, this);
  result.exec();
}

bool CVELADlg::CheckEditSwitchNow() {
  CLinkLock lock = m_connection.Lock();
  if (!lock)
    return false;
  try {
    return m_model->CheckEditSwitch(*m_connection.Interface());
  } catch (const CException &e) {
    AfxMessageBox(e.GetErrorMessage(), MB_ICONERROR);
    return false;
  }
}

QString CVELADlg::AskConfigFile(bool save) {
  QFileDialog dialog(this, QString(), QString(), FileDialogFilter(LoadString(IDS_CFG_FILE_FILTER)));
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(QStringLiteral("cfg"));
  dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return {};
  return dialog.selectedFiles().front();
}

void CVELADlg::OnOpenFile() {
  RunCommand("Open File", [this] { OpenFile(); });
}

void CVELADlg::OpenFile() {
  // Online the file is written to the instrument: its switch is asked
  // before anyone picks a file for nothing.
  if (IsOnline() && (!AskReleaseFixedOutput() || !CheckEditSwitchNow()))
    return;
  if (!AskKeepChanges())
    return;
  const QString path = AskConfigFile(false);
  if (!path.isEmpty())
    TakeConfigFile(LocalPath(path));
}

bool CVELADlg::OpenConfigFile(const std::string &path) {
  bool taken = false;
  RunCommand("Open File " + path, [&] {
    if (IsOnline() && (!AskReleaseFixedOutput() || !CheckEditSwitchNow()))
      return;
    if (!AskKeepChanges())
      return;
    taken = TakeConfigFile(path);
  });
  return taken;
}

bool CVELADlg::TakeConfigFile(const std::string &path) {
  // A file that is not there is said once, as itself, not as a failed load.
  try {
    RequireConfigFile(path);
  } catch (const CException &e) {
    AfxMessageBox(e.GetErrorMessage(), MB_ICONERROR);
    return false;
  }
  std::unique_ptr<CParBase> copy;
  try {
    copy = LoadConfigCopy(*m_model, path);
  } catch (const CException &e) {
    // A file that could not be read at all comes with the failure's own text
    // above the reason: the reason is shown, the failure once after it.
    std::string reason = e.GetErrorMessage();
    const std::string failed = LoadString(IDS_LOAD_FILE_FAILED) + "\n";
    const bool unread = e.GetId() == IDS_LOAD_FILE_FAILED && reason.rfind(failed, 0) == 0;
    if (unread)
      reason.erase(0, failed.size());
    AfxMessageBox(reason, unread ? MB_ICONERROR : MB_OK);
    AfxMessageBox(IDS_LOAD_FILE_FAILED, MB_ICONERROR);
    return false;
  }
  if (IsOnline()) {
    // Taken only with the line in hand: online the set in the window is the
    // instrument's, and the two must not part.
    CLinkLock lock = m_connection.Lock();
    if (!lock)
      return false;
    std::unique_ptr<CParBase> before = m_model->Clone();
    before->CopyFrom(*m_model);
    m_model->CopyFrom(*copy);
    bool written = false;
    {
      CJournalScope journal(*m_connection.Interface(), IdentityOf(*before, History().PortOf(m_connection.Interface())),
                            kContextOpenFile, ParameterRows(*m_model, before.get(), -1, -1));
      CLoadDialog transfer(this);
      written = transfer.Download(m_connection.Interface(), m_model.get());
      if (written)
        journal.Complete(nullptr);
    }
    SetFilePath(path);
    SetStatus(written ? IDS_STATUS_OPENED_DOWNLOADED : IDS_STATUS_OPENED,
              {QFileInfo(QFile::decodeName(path.c_str())).fileName().toStdString()});
    if (!written)
      Disconnect();
  } else {
    m_model->CopyFrom(*copy);
    SetFilePath(path);
    SetStatus(IDS_STATUS_OPENED, {QFileInfo(QFile::decodeName(path.c_str())).fileName().toStdString()});
  }
  SetModified(false);
  RefreshView();
  return true;
}

void CVELADlg::OnSaveFile() {
  RunCommand("Save File", [this] { SaveFile(); });
}

bool CVELADlg::SaveFile() {
  const QString path = AskConfigFile(true);
  if (path.isEmpty())
    return false;
  try {
    m_model->SaveFile(LocalPath(path));
  } catch (const CException &e) {
    AfxMessageBox(e.GetErrorMessage(), MB_OK);
    return false;
  }
  SetFilePath(LocalPath(path));
  SetModified(false);
  SetStatus(IDS_STATUS_SAVED, {QFileInfo(path).fileName().toStdString()});
  return true;
}

void CVELADlg::CommitEdit() {
  if (m_edit->GetAcceptedResult() == CParEdit::kCancelled) {
    m_list->setFocus();
    return;
  }
  const int block = m_selectedBlock;
  const int row = m_selectedRow;
  // Not exclusive: the edit object waits for its answer whatever else runs.
  RunCommand(
      "Edit", [&] {
        if (IsOnline() && !CheckEditSwitchNow())
          return;
        const std::string before = m_model->GetValueText(block, row);
        try {
          m_model->ApplyEdit(block, row, *m_edit);
        } catch (const CException &e) {
          AfxMessageBox(e.GetErrorMessage(), MB_OK);
          return;
        }
        WriteEdit(block, row, before);
        // Offline, or gone offline with the write: only the window has it.
        if (!IsOnline())
          SetModified(true);
      },
      false);
  RefreshView();
  // The edit object hides its editors and forgets the result.
  Notify();
  m_list->setFocus();
}

void CVELADlg::WriteEdit(int block, int row, const std::string &before) {
  if (!IsOnline())
    return;
  CLinkLock lock = m_connection.Lock();
  if (!lock)
    return;
  // The item goes out and comes back, so the list shows what the
  // instrument kept. A No leaves the edited value in the set, offline.
  for (bool retry = false; IsOnline(); retry = true) {
    try {
      if (retry)
        m_connection.Interface()->Reopen();
      CJournalScope journal(*m_connection.Interface(), IdentityOf(*m_model, History().PortOf(m_connection.Interface())),
                            kContextEdit, EditRows(*m_model, block, row, before));
      m_model->WriteToDevice(*m_connection.Interface(), block, row);
      m_model->ReadFromDevice(m_connection.Interface(), block, row);
      journal.Complete(m_model.get());
      return;
    } catch (const CException &e) {
      AfxMessageBox(e.GetErrorMessage(), MB_ICONERROR);
      if (AfxMessageBox(IDS_COMM_ERROR_RETRY, MB_YESNO | MB_ICONQUESTION) != IDYES)
        Disconnect();
    }
  }
}
