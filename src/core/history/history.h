// The history of this run of the program: where the store lives, which
// instruments already have a record, which connections have been written
// to, and the one warning of the run when the history cannot be written.
// A history that fails never stops what the user is doing.
#pragma once

#include "core/history/history_store.h"
#include "core/history/instrument_identity.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

class CParBase;

inline constexpr const char *kRecordAsFound = "as-found";
inline constexpr const char *kRecordAsLeft = "as-left";
inline constexpr const char *kRecordBeforeDownload = "before-download";
inline constexpr const char *kRecordRestoredFrom = "restored-from-";

class CHistory {
public:
  // The one history of the process.
  static CHistory &Instance();
  // $XDG_DATA_HOME (or ~/.local/share) / VANTORIX / vela.
  static std::string DefaultFolder();

  // Another folder ("" for the default one), and a fresh run: no instrument
  // recorded, no warning given.
  void SetFolder(std::string folder);
  std::string Folder();
  std::string RecordsFolder();

  // Writes the set as a configuration file under the records folder, named
  // by instrument, UTC time and kind, and enters it in the store. Returns the
  // file's path, or "" when the history could not take it (then warned).
  std::string TakeRecord(CParBase &set, const CInstrumentIdentity &who, const std::string &kind);
  // True when any record of the instrument was taken in this run.
  bool HasRecordThisRun(const CInstrumentIdentity &who);
  // After a whole upload: the as-found record when it is the first upload of
  // that instrument in this run.
  void NoteUpload(CParBase &set, const std::string &port);
  // A record that should have been taken and could not, in the journal.
  void NoteMissingRecord(const CInstrumentIdentity &who, const std::string &kind, const std::string &reason);

  // The journal; failures are warned about, never thrown.
  bool BeginRows(const CInstrumentIdentity &who, std::vector<JournalEntry> &rows);
  void CompleteRows(const std::vector<JournalEntry> &rows);

  // A connection (any pointer that names it) has been written to.
  void MarkWritten(const void *connection);
  // True once after writes on the connection; forgets them.
  bool TakeWritten(const void *connection);

  // The port a connection was opened on, as the history names it.
  void NotePort(const void *connection, const std::string &port);
  std::string PortOf(const void *connection);

  // Runs a query on the store; false (and the warning noted) when it failed.
  bool Query(const std::function<void(CHistoryStore &)> &query);

  // Notes why the history failed; any thread.
  void Warn(const std::string &reason);
  // Shows the run's one warning, if there is one not yet shown. UI thread.
  void FlushWarning();

private:
  // With m_mutex held.
  std::string ActiveFolder();
  CHistoryStore &Store();
  void NoteFailure(const std::string &reason);

  std::mutex m_mutex;
  std::string m_explicitFolder;
  std::string m_folder;
  std::unique_ptr<CHistoryStore> m_store;
  std::set<std::string> m_recorded;
  std::set<std::string> m_uploaded;
  std::set<const void *> m_written;
  std::map<const void *, std::string> m_ports;
  std::string m_pendingWarning;
  bool m_warned = false;
};

inline CHistory &History() { return CHistory::Instance(); }
