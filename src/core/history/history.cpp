#include "core/history/history.h"

#include "core/history/commissioning_report.h"

#include "core/model/par_base.h"
#include "core/resources/exception.h"
#include "core/resources/message_format.h"
#include "core/resources/string_ids.h"
#include "core/resources/ui_host.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace {

// The last line of a failure: the system's reason the model appends.
std::string Reason(const std::string &message) {
  const auto nl = message.rfind('\n');
  return nl == std::string::npos ? message : message.substr(nl + 1);
}

} // namespace

CHistory &CHistory::Instance() {
  static CHistory history;
  return history;
}

std::string CHistory::DefaultFolder() {
  std::string base;
  if (const char *xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/')
    base = xdg;
  else if (const char *home = std::getenv("HOME"); home && *home)
    base = std::string(home) + "/.local/share";
  else
    base = "/tmp";
  return base + "/VANTORIX/vela";
}

void CHistory::SetFolder(std::string folder) {
  std::lock_guard lock(m_mutex);
  m_explicitFolder = std::move(folder);
  ActiveFolder();
}

std::string CHistory::ActiveFolder() {
  // The user's data folder as the environment names it now: another folder
  // is another history, with a run of its own.
  std::string folder = m_explicitFolder.empty() ? DefaultFolder() : m_explicitFolder;
  if (folder != m_folder) {
    m_folder = folder;
    m_store.reset();
    m_recorded.clear();
    m_uploaded.clear();
    m_written.clear();
    m_pendingWarning.clear();
    m_warned = false;
  }
  return m_folder;
}

std::string CHistory::Folder() {
  std::lock_guard lock(m_mutex);
  return ActiveFolder();
}

std::string CHistory::RecordsFolder() { return Folder() + "/records"; }

CHistoryStore &CHistory::Store() {
  ActiveFolder();
  if (!m_store)
    m_store = std::make_unique<CHistoryStore>(m_folder);
  const bool opening = !m_store->IsOpen();
  m_store->Open();
  if (opening && !m_store->SetAsideName().empty() && !m_warned && m_pendingWarning.empty())
    m_pendingWarning = FormatMessageId(IDS_HISTORY_SET_ASIDE, {m_store->SetAsideName()});
  return *m_store;
}

std::string CHistory::TakeRecord(CParBase &set, const CInstrumentIdentity &who, const std::string &kind) {
  const std::string folder = RecordsFolder();
  std::lock_guard lock(m_mutex);
  // Counted as taken even when the history fails: the next operation must
  // not read the whole set again for a record that cannot be kept either.
  m_recorded.insert(who.Key());
  const std::string time = UtcNow();
  const std::string stem = who.FileStem() + "_" + CompactTime(time) + "_" + kind;
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) {
    NoteFailure(ec.message() + " (" + folder + ")");
    return {};
  }
  // Written beside its final name and linked there only when complete, so a
  // full disk leaves no half record under a record's name, and an existing
  // record is never replaced.
  const std::string part = folder + "/." + stem + ".part";
  try {
    set.SaveFile(part);
  } catch (const CException &e) {
    std::filesystem::remove(part, ec);
    NoteFailure(Reason(e.GetErrorMessage()) + " (" + folder + ")");
    return {};
  }
  std::string path = folder + "/" + stem + ".cfg";
  for (int n = 2; ::link(part.c_str(), path.c_str()) != 0; ++n) {
    if (errno != EEXIST || n > 99) {
      const std::string reason = std::strerror(errno);
      std::filesystem::remove(part, ec);
      NoteFailure(reason + " (" + folder + ")");
      return {};
    }
    path = folder + "/" + stem + "-" + std::to_string(n) + ".cfg";
  }
  std::filesystem::remove(part, ec);
  try {
    Store().AddRecord(who, {0, 0, time, kind, path, RecordChecksum(path), who.port});
  } catch (const std::exception &e) {
    NoteFailure(e.what());
  }
  return path;
}

bool CHistory::HasRecordThisRun(const CInstrumentIdentity &who) {
  std::lock_guard lock(m_mutex);
  return m_recorded.count(who.Key()) != 0;
}

void CHistory::NoteUpload(CParBase &set, const std::string &port) {
  const CInstrumentIdentity who = IdentityOf(set, port);
  {
    std::lock_guard lock(m_mutex);
    if (!m_uploaded.insert(who.Key()).second)
      return;
  }
  TakeRecord(set, who, kRecordAsFound);
}

void CHistory::NoteMissingRecord(const CInstrumentIdentity &who, const std::string &kind, const std::string &reason) {
  std::vector<JournalEntry> rows(1);
  JournalEntry &row = rows.front();
  row.time = UtcNow();
  row.port = who.port;
  row.model = who.model;
  row.serial = who.serial;
  row.tag = who.tag;
  row.context = kind;
  row.name = kind;
  row.result = kResultFailed;
  row.message = reason;
  BeginRows(who, rows);
}

bool CHistory::BeginRows(const CInstrumentIdentity &who, std::vector<JournalEntry> &rows) {
  std::lock_guard lock(m_mutex);
  try {
    Store().BeginRows(who, rows);
    return true;
  } catch (const std::exception &e) {
    NoteFailure(e.what());
    return false;
  }
}

void CHistory::CompleteRows(const std::vector<JournalEntry> &rows) {
  std::lock_guard lock(m_mutex);
  try {
    Store().CompleteRows(rows);
  } catch (const std::exception &e) {
    NoteFailure(e.what());
  }
}

void CHistory::MarkWritten(const void *connection) {
  std::lock_guard lock(m_mutex);
  m_written.insert(connection);
}

bool CHistory::TakeWritten(const void *connection) {
  std::lock_guard lock(m_mutex);
  return m_written.erase(connection) != 0;
}

void CHistory::NotePort(const void *connection, const std::string &port) {
  std::lock_guard lock(m_mutex);
  m_ports[connection] = port;
}

std::string CHistory::PortOf(const void *connection) {
  std::lock_guard lock(m_mutex);
  const auto found = m_ports.find(connection);
  return found == m_ports.end() ? std::string() : found->second;
}

bool CHistory::Query(const std::function<void(CHistoryStore &)> &query) {
  std::lock_guard lock(m_mutex);
  try {
    query(Store());
    return true;
  } catch (const std::exception &e) {
    NoteFailure(e.what());
    return false;
  }
}

void CHistory::Warn(const std::string &reason) {
  std::lock_guard lock(m_mutex);
  NoteFailure(reason);
}

void CHistory::NoteFailure(const std::string &reason) {
  if (!m_warned && m_pendingWarning.empty())
    m_pendingWarning = FormatMessageId(IDS_HISTORY_UNAVAILABLE, {reason});
}

void CHistory::FlushWarning() {
  std::string text;
  {
    std::lock_guard lock(m_mutex);
    if (m_warned || m_pendingWarning.empty())
      return;
    m_warned = true;
    text = m_pendingWarning;
  }
  AfxMessageBox(text, MB_ICONWARNING);
}
