// What a commissioning report says about one instrument: its identity, the
// as-found and as-left records side by side with every difference marked,
// and the journal lines written in between. The window prints it, vela-cli
// writes it as CSV; both take it from here.
#pragma once

#include "core/history/history_store.h"
#include "core/model/compare_rows.h"

#include <string>
#include <vector>

struct CommissioningReport {
  HistoryInstrument instrument;
  HistoryRecord asFound; // the first record of the visit: as-found or before-download
  HistoryRecord asLeft;  // the last record after it
  CompareRows rows;      // column "edited" = as found, "device" = as left
  std::vector<JournalEntry> journal;
};

// The report of the instrument's latest visit: the newest as-left record and
// the as-found (or before-download) record before it. Returns false with a
// problem text when the history has no such pair or a record file cannot be
// read; a record file whose checksum no longer matches is refused.
bool BuildCommissioningReport(CHistoryStore &store, long long instrumentId, CommissioningReport &report,
                              std::string &problem);

// The comparison of a report: a header line, then one line per parameter
// with the mark of the differing rows; CRLF line ends.
std::string ReportCsv(const CommissioningReport &report);

// Journal lines as CSV, the columns of the history's journal table.
std::string JournalCsv(const std::vector<JournalEntry> &rows);
// The same, tab separated, one line per row, no header.
std::string JournalTsv(const std::vector<JournalEntry> &rows);

// The checksum the store keeps of a record file.
std::string RecordChecksum(const std::string &path);
