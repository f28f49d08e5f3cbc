#include "core/history/history_store.h"

#include <sqlite3.h>

#include <cerrno>
#include <chrono>
#include <thread>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <unistd.h>

namespace {

bool Damaged(int code) { return (code & 0xff) == SQLITE_CORRUPT || (code & 0xff) == SQLITE_NOTADB; }

// A damaged file is told apart from every other failure: it is set aside.
[[noreturn]] void Throw(sqlite3 *db) {
  if (Damaged(sqlite3_extended_errcode(db)))
    throw std::system_error(std::make_error_code(std::errc::io_error), sqlite3_errmsg(db));
  throw CHistoryError(sqlite3_errmsg(db));
}

// How long a write waits for the other program's transaction before the
// history is reported as locked.
constexpr int kBusyTimeoutMs = 3000;

const char *const kSchema = R"(
CREATE TABLE IF NOT EXISTS instruments(
  id INTEGER PRIMARY KEY, model TEXT NOT NULL, serial TEXT NOT NULL, port TEXT NOT NULL,
  firmware TEXT NOT NULL DEFAULT '', tag TEXT NOT NULL DEFAULT '',
  first_seen TEXT NOT NULL, last_seen TEXT NOT NULL, UNIQUE(model, serial, port));
CREATE TABLE IF NOT EXISTS records(
  id INTEGER PRIMARY KEY, instrument_id INTEGER NOT NULL REFERENCES instruments(id),
  time TEXT NOT NULL, kind TEXT NOT NULL, file TEXT NOT NULL, checksum TEXT NOT NULL, port TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS journal(
  id INTEGER PRIMARY KEY, instrument_id INTEGER NOT NULL REFERENCES instruments(id),
  time TEXT NOT NULL, port TEXT NOT NULL, model TEXT NOT NULL, serial TEXT NOT NULL, tag TEXT NOT NULL,
  context TEXT NOT NULL, block INTEGER NOT NULL, item INTEGER NOT NULL, name TEXT NOT NULL,
  before TEXT NOT NULL, sent TEXT NOT NULL, read_back TEXT NOT NULL, result TEXT NOT NULL,
  message TEXT NOT NULL);
CREATE INDEX IF NOT EXISTS records_by_instrument ON records(instrument_id, time);
CREATE INDEX IF NOT EXISTS journal_by_instrument ON journal(instrument_id, time);
)";

// One prepared statement, finalized on every way out.
class CStatement {
public:
  CStatement(sqlite3 *db, const char *sql) : m_db(db) {
    if (sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr) != SQLITE_OK)
      Throw(db);
  }
  ~CStatement() { sqlite3_finalize(m_stmt); }
  CStatement(const CStatement &) = delete;
  CStatement &operator=(const CStatement &) = delete;

  CStatement &Bind(int index, const std::string &text) {
    sqlite3_bind_text(m_stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    return *this;
  }
  CStatement &Bind(int index, long long value) {
    sqlite3_bind_int64(m_stmt, index, value);
    return *this;
  }
  // True while a row is there.
  bool Step() {
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
      return true;
    if (rc == SQLITE_DONE)
      return false;
    Throw(m_db);
  }
  void Reset() {
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
  }
  std::string Text(int column) const {
    const auto *p = sqlite3_column_text(m_stmt, column);
    return p ? std::string(reinterpret_cast<const char *>(p), sqlite3_column_bytes(m_stmt, column)) : std::string();
  }
  long long Int(int column) const { return sqlite3_column_int64(m_stmt, column); }

private:
  sqlite3 *m_db;
  sqlite3_stmt *m_stmt = nullptr;
};

// BEGIN IMMEDIATE takes the write lock at once, so two programs never both
// read and then fight over the upgrade; rolled back unless committed.
class CTransaction {
public:
  explicit CTransaction(sqlite3 *db) : m_db(db) { Run("BEGIN IMMEDIATE"); }
  ~CTransaction() {
    if (!m_done)
      sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  CTransaction(const CTransaction &) = delete;
  CTransaction &operator=(const CTransaction &) = delete;
  void Commit() {
    Run("COMMIT");
    m_done = true;
  }

private:
  void Run(const char *sql) {
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
      throw CHistoryError(sqlite3_errmsg(m_db));
  }
  sqlite3 *m_db;
  bool m_done = false;
};

} // namespace

CHistoryStore::CHistoryStore(std::string folder) : m_folder(std::move(folder)) {}

CHistoryStore::~CHistoryStore() { sqlite3_close(m_db); }

void CHistoryStore::Fail(const std::string &what) const {
  throw CHistoryError(what + ": " + (m_db ? sqlite3_errmsg(m_db) : "") + " (" + DatabasePath() + ")");
}

void CHistoryStore::Exec(const char *sql) {
  char *error = nullptr;
  // Switching to WAL and creating the tables may meet the other program
  // doing the same, where SQLite answers busy without waiting.
  int rc = SQLITE_OK;
  for (int waited = 0;; waited += 10) {
    rc = sqlite3_exec(m_db, sql, nullptr, nullptr, &error);
    if ((rc != SQLITE_BUSY && rc != SQLITE_LOCKED) || waited >= kBusyTimeoutMs)
      break;
    sqlite3_free(error);
    error = nullptr;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (rc == SQLITE_OK)
    return;
  const std::string text = error ? error : sqlite3_errstr(rc);
  sqlite3_free(error);
  if (Damaged(rc))
    throw std::system_error(std::make_error_code(std::errc::io_error), text);
  throw CHistoryError(text + " (" + DatabasePath() + ")");
}

void CHistoryStore::OpenFile() {
  const std::string path = DatabasePath();
  if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                      nullptr) != SQLITE_OK) {
    const std::string reason = m_db ? sqlite3_errmsg(m_db) : "out of memory";
    sqlite3_close(m_db);
    m_db = nullptr;
    throw CHistoryError(reason + " (" + path + ")");
  }
  sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
  // WAL with NORMAL syncing: a committed row survives a crash of the
  // program; only a power loss may take the last few.
  Exec("PRAGMA journal_mode=WAL");
  Exec("PRAGMA synchronous=NORMAL");
  Exec("PRAGMA foreign_keys=ON");
  {
    // Finished before the tables are made: an open read would keep this
    // connection on an old snapshot while the other program writes.
    CStatement check(m_db, "PRAGMA quick_check");
    if (!check.Step() || check.Text(0) != "ok")
      throw std::system_error(std::make_error_code(std::errc::io_error), check.Text(0));
  }
  Exec(kSchema);
}

void CHistoryStore::Open() {
  if (m_db)
    return;
  std::error_code ec;
  std::filesystem::create_directories(m_folder, ec);
  if (ec)
    throw CHistoryError(ec.message() + " (" + m_folder + ")");
  // SQLite only says it cannot open the file; the system knows why.
  if (::access(m_folder.c_str(), W_OK) != 0)
    throw CHistoryError(std::string(std::strerror(errno)) + " (" + m_folder + ")");
  try {
    OpenFile();
  } catch (const std::system_error &damage) {
    // A damaged database keeps what can still be read from it: it is moved
    // aside, never emptied, and the journal goes on in a new one.
    sqlite3_close(m_db);
    m_db = nullptr;
    const std::string path = DatabasePath();
    std::string aside = path + ".damaged-" + CompactTime(UtcNow());
    for (int n = 2; std::filesystem::exists(aside, ec); ++n)
      aside = path + ".damaged-" + CompactTime(UtcNow()) + "-" + std::to_string(n);
    std::filesystem::rename(path, aside, ec);
    if (ec)
      throw CHistoryError(std::string("damaged database: ") + damage.what() + "; " + ec.message() + " (" + path + ")");
    for (const char *suffix : {"-wal", "-shm"}) {
      std::error_code ignored;
      if (std::filesystem::exists(path + suffix, ignored))
        std::filesystem::rename(path + suffix, aside + suffix, ignored);
    }
    m_setAside = aside;
    OpenFile();
  }
}

long long CHistoryStore::TouchInstrument(const CInstrumentIdentity &identity, const std::string &time) {
  Open();
  const std::string port = identity.ByPort() ? identity.port : std::string();
  CStatement upsert(m_db, "INSERT INTO instruments(model, serial, port, firmware, tag, first_seen, last_seen) "
                          "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?6) ON CONFLICT(model, serial, port) DO UPDATE SET "
                          "firmware = excluded.firmware, tag = excluded.tag, last_seen = excluded.last_seen");
  upsert.Bind(1, identity.model).Bind(2, identity.serial).Bind(3, port).Bind(4, identity.firmware);
  upsert.Bind(5, identity.tag).Bind(6, time).Step();
  CStatement find(m_db, "SELECT id FROM instruments WHERE model = ?1 AND serial = ?2 AND port = ?3");
  find.Bind(1, identity.model).Bind(2, identity.serial).Bind(3, port);
  if (!find.Step())
    Fail("instrument not stored");
  return find.Int(0);
}

long long CHistoryStore::AddRecord(const CInstrumentIdentity &identity, HistoryRecord record) {
  Open();
  CTransaction transaction(m_db);
  record.instrumentId = TouchInstrument(identity, record.time);
  CStatement insert(m_db, "INSERT INTO records(instrument_id, time, kind, file, checksum, port) "
                          "VALUES(?1, ?2, ?3, ?4, ?5, ?6)");
  insert.Bind(1, record.instrumentId).Bind(2, record.time).Bind(3, record.kind).Bind(4, record.file);
  insert.Bind(5, record.checksum).Bind(6, record.port).Step();
  const long long id = sqlite3_last_insert_rowid(m_db);
  transaction.Commit();
  return id;
}

void CHistoryStore::BeginRows(const CInstrumentIdentity &identity, std::vector<JournalEntry> &rows) {
  if (rows.empty())
    return;
  Open();
  CTransaction transaction(m_db);
  const long long instrument = TouchInstrument(identity, rows.front().time);
  CStatement insert(m_db, "INSERT INTO journal(instrument_id, time, port, model, serial, tag, context, block, item, "
                          "name, before, sent, read_back, result, message) "
                          "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15)");
  for (JournalEntry &row : rows) {
    row.instrumentId = instrument;
    insert.Bind(1, instrument).Bind(2, row.time).Bind(3, row.port).Bind(4, row.model).Bind(5, row.serial);
    insert.Bind(6, row.tag).Bind(7, row.context).Bind(8, row.block).Bind(9, row.item).Bind(10, row.name);
    insert.Bind(11, row.before).Bind(12, row.sent).Bind(13, row.readBack).Bind(14, row.result);
    insert.Bind(15, row.message).Step();
    row.id = sqlite3_last_insert_rowid(m_db);
    insert.Reset();
  }
  transaction.Commit();
}

void CHistoryStore::CompleteRows(const std::vector<JournalEntry> &rows) {
  Open();
  CTransaction transaction(m_db);
  CStatement update(m_db, "UPDATE journal SET sent = ?2, read_back = ?3, result = ?4, message = ?5 WHERE id = ?1");
  for (const JournalEntry &row : rows) {
    if (row.id == 0)
      continue;
    update.Bind(1, row.id).Bind(2, row.sent).Bind(3, row.readBack).Bind(4, row.result).Bind(5, row.message).Step();
    update.Reset();
  }
  transaction.Commit();
}

namespace {

// The WHERE clause of a filter over a table with instrument_id and time.
std::string Where(const HistoryFilter &filter, const char *timeColumn) {
  std::string where = " WHERE 1";
  if (filter.instrumentId != 0)
    where += " AND instrument_id = ?1";
  if (!filter.serial.empty())
    where += " AND instrument_id IN (SELECT id FROM instruments WHERE serial = ?2)";
  if (!filter.since.empty())
    where += std::string(" AND ") + timeColumn + " >= ?3";
  return where;
}

void BindFilter(CStatement &statement, const HistoryFilter &filter) {
  if (filter.instrumentId != 0)
    statement.Bind(1, filter.instrumentId);
  if (!filter.serial.empty())
    statement.Bind(2, filter.serial);
  if (!filter.since.empty())
    statement.Bind(3, filter.since);
}

JournalEntry JournalRow(const CStatement &q) {
  JournalEntry row;
  row.id = q.Int(0);
  row.instrumentId = q.Int(1);
  row.time = q.Text(2);
  row.port = q.Text(3);
  row.model = q.Text(4);
  row.serial = q.Text(5);
  row.tag = q.Text(6);
  row.context = q.Text(7);
  row.block = static_cast<int>(q.Int(8));
  row.item = static_cast<int>(q.Int(9));
  row.name = q.Text(10);
  row.before = q.Text(11);
  row.sent = q.Text(12);
  row.readBack = q.Text(13);
  row.result = q.Text(14);
  row.message = q.Text(15);
  return row;
}

constexpr const char *kJournalColumns = "SELECT id, instrument_id, time, port, model, serial, tag, context, block, "
                                        "item, name, before, sent, read_back, result, message FROM journal";

} // namespace

std::vector<HistoryInstrument> CHistoryStore::Instruments(const HistoryFilter &filter) {
  Open();
  std::string sql = "SELECT id, model, serial, port, firmware, tag, first_seen, last_seen FROM instruments WHERE 1";
  if (!filter.serial.empty())
    sql += " AND serial = ?2";
  if (!filter.since.empty())
    sql += " AND last_seen >= ?3";
  sql += " ORDER BY last_seen DESC, id DESC";
  CStatement q(m_db, sql.c_str());
  if (!filter.serial.empty())
    q.Bind(2, filter.serial);
  if (!filter.since.empty())
    q.Bind(3, filter.since);
  std::vector<HistoryInstrument> out;
  while (q.Step()) {
    HistoryInstrument row;
    row.id = q.Int(0);
    row.identity.model = q.Text(1);
    row.identity.serial = q.Text(2);
    row.identity.port = q.Text(3);
    row.identity.firmware = q.Text(4);
    row.identity.tag = q.Text(5);
    row.firstSeen = q.Text(6);
    row.lastSeen = q.Text(7);
    out.push_back(std::move(row));
  }
  return out;
}

std::vector<HistoryRecord> CHistoryStore::Records(const HistoryFilter &filter) {
  Open();
  const std::string sql = "SELECT id, instrument_id, time, kind, file, checksum, port FROM records" +
                          Where(filter, "time") + " ORDER BY time DESC, id DESC";
  CStatement q(m_db, sql.c_str());
  BindFilter(q, filter);
  std::vector<HistoryRecord> out;
  while (q.Step())
    out.push_back({q.Int(0), q.Int(1), q.Text(2), q.Text(3), q.Text(4), q.Text(5), q.Text(6)});
  return out;
}

std::vector<JournalEntry> CHistoryStore::Journal(const HistoryFilter &filter) {
  Open();
  const std::string sql = kJournalColumns + Where(filter, "time") + " ORDER BY time DESC, id DESC";
  CStatement q(m_db, sql.c_str());
  BindFilter(q, filter);
  std::vector<JournalEntry> out;
  while (q.Step())
    out.push_back(JournalRow(q));
  return out;
}

std::vector<JournalEntry> CHistoryStore::JournalBetween(long long instrumentId, const std::string &from,
                                                        const std::string &to) {
  Open();
  const std::string sql =
      std::string(kJournalColumns) + " WHERE instrument_id = ?1 AND time >= ?2 AND time <= ?3 ORDER BY id";
  CStatement q(m_db, sql.c_str());
  q.Bind(1, instrumentId).Bind(2, from).Bind(3, to);
  std::vector<JournalEntry> out;
  while (q.Step())
    out.push_back(JournalRow(q));
  return out;
}
