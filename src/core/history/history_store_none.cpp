// The store of a build without SQLite (the Windows cross build): there is no
// database, and each use says so.
#include "core/history/history_store.h"

namespace {

[[noreturn]] void NotKept() { throw CHistoryError("this build of the program keeps no history"); }

} // namespace

CHistoryStore::CHistoryStore(std::string folder) : m_folder(std::move(folder)) {}

CHistoryStore::~CHistoryStore() = default;

bool CHistoryStore::Kept() { return false; }

void CHistoryStore::Open() { NotKept(); }

void CHistoryStore::OpenFile() { NotKept(); }

void CHistoryStore::Exec(const char *) { NotKept(); }

void CHistoryStore::Fail(const std::string &) const { NotKept(); }

long long CHistoryStore::TouchInstrument(const CInstrumentIdentity &, const std::string &) { NotKept(); }

long long CHistoryStore::AddRecord(const CInstrumentIdentity &, HistoryRecord) { NotKept(); }

void CHistoryStore::BeginRows(const CInstrumentIdentity &, std::vector<JournalEntry> &) { NotKept(); }

void CHistoryStore::CompleteRows(const std::vector<JournalEntry> &) { NotKept(); }

std::vector<HistoryInstrument> CHistoryStore::Instruments(const HistoryFilter &) { NotKept(); }

std::vector<HistoryRecord> CHistoryStore::Records(const HistoryFilter &) { NotKept(); }

std::vector<JournalEntry> CHistoryStore::Journal(const HistoryFilter &) { NotKept(); }

std::vector<JournalEntry> CHistoryStore::JournalBetween(long long, const std::string &, const std::string &) {
  NotKept();
}
