// The history database: the instruments this program has met, the records
// taken of them and the journal of every write. SQLite in WAL mode, so the
// window and vela-cli can write at once and a reader never waits on a writer.
#pragma once

#include "core/history/instrument_identity.h"

#include <stdexcept>
#include <string>
#include <vector>

struct sqlite3;

// A failure of the history, with the system's reason as its text.
class CHistoryError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

struct HistoryInstrument {
  long long id = 0;
  CInstrumentIdentity identity;
  std::string firstSeen;
  std::string lastSeen;
};

struct HistoryRecord {
  long long id = 0;
  long long instrumentId = 0;
  std::string time; // UTC, ISO 8601
  std::string kind; // as-found, as-left, before-download, restored-from-...
  std::string file; // full path
  std::string checksum;
  std::string port;
};

// Results of a journal row. A row is committed as "unknown" before its write
// goes out, so a crash in between still leaves the row.
inline constexpr const char *kResultUnknown = "unknown";
inline constexpr const char *kResultKept = "kept";
inline constexpr const char *kResultDiffers = "differs";
inline constexpr const char *kResultFailed = "failed";
inline constexpr const char *kResultSent = "sent"; // written, not read back

struct JournalEntry {
  long long id = 0;
  long long instrumentId = 0;
  std::string time;
  std::string port, model, serial, tag;
  std::string context; // what did it: edit, download, open file, a utility label ...
  int block = -1;
  int item = -1;
  std::string name;
  std::string before;
  std::string sent;
  std::string readBack;
  std::string result = kResultUnknown;
  std::string message;
};

struct HistoryFilter {
  std::string serial; // empty: every instrument
  std::string since;  // UTC ISO time or date; empty: from the start
  long long instrumentId = 0;
};

class CHistoryStore {
public:
  // The database file lives in folder, created when missing.
  explicit CHistoryStore(std::string folder);
  ~CHistoryStore();
  CHistoryStore(const CHistoryStore &) = delete;
  CHistoryStore &operator=(const CHistoryStore &) = delete;

  // Opens (once) and throws CHistoryError with the reason when it cannot. A
  // damaged database is moved aside (its new name in SetAsideName()) and a
  // new one started; the caller warns about it.
  void Open();
  bool IsOpen() const { return m_db != nullptr; }
  const std::string &Folder() const { return m_folder; }
  std::string DatabasePath() const { return m_folder + "/history.sqlite"; }
  const std::string &SetAsideName() const { return m_setAside; }

  long long TouchInstrument(const CInstrumentIdentity &identity, const std::string &time);
  long long AddRecord(const CInstrumentIdentity &identity, HistoryRecord record);
  // Inserts every row in one transaction and gives each its id.
  void BeginRows(const CInstrumentIdentity &identity, std::vector<JournalEntry> &rows);
  // Stores read-back, result and message of rows begun before.
  void CompleteRows(const std::vector<JournalEntry> &rows);

  std::vector<HistoryInstrument> Instruments(const HistoryFilter &filter);
  // Newest first.
  std::vector<HistoryRecord> Records(const HistoryFilter &filter);
  std::vector<JournalEntry> Journal(const HistoryFilter &filter);
  // The journal rows of one instrument between two times (inclusive), oldest first.
  std::vector<JournalEntry> JournalBetween(long long instrumentId, const std::string &from, const std::string &to);

private:
  void OpenFile();
  void Exec(const char *sql);
  [[noreturn]] void Fail(const std::string &what) const;

  std::string m_folder;
  std::string m_setAside;
  sqlite3 *m_db = nullptr;
};
