#include "core/history/commissioning_report.h"

#include "core/model/par_base.h"
#include "core/model/par_kt5rs.h"
#include "core/model/par_kt7w.h"
#include "core/resources/exception.h"
#include "core/resources/message_format.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

namespace {

void AppendField(std::string &out, const std::string &field) {
  if (field.find_first_of(",\"\r\n") == std::string::npos) {
    out += field;
    return;
  }
  out += '"';
  for (char c : field) {
    if (c == '"')
      out += '"';
    out += c;
  }
  out += '"';
}

void AppendLine(std::string &out, const std::vector<std::string> &fields) {
  for (std::size_t n = 0; n < fields.size(); ++n) {
    if (n)
      out += ',';
    AppendField(out, fields[n]);
  }
  out += "\r\n";
}

std::vector<std::string> JournalFields(const JournalEntry &row) {
  return {row.time,
          row.port,
          row.model,
          row.serial,
          row.tag,
          row.context,
          row.block < 0 ? "" : std::to_string(row.block),
          row.item < 0 ? "" : std::to_string(row.item),
          row.name,
          row.before,
          row.sent,
          row.readBack,
          row.result,
          row.message};
}

// A tab or line break inside a field would split the line.
std::string Flat(std::string text) {
  for (char &c : text)
    if (c == '\t' || c == '\n' || c == '\r')
      c = ' ';
  return text;
}

std::unique_ptr<CParBase> ModelFor(const std::string &model) {
  if (model == "KT7W")
    return std::make_unique<CParKT7W>();
  return std::make_unique<CParKT5RS>();
}

bool IsAsFound(const std::string &kind) { return kind == "as-found" || kind == "before-download"; }

} // namespace

std::string RecordChecksum(const std::string &path) {
  // FNV-1a over the file: enough to see that a record was changed after it
  // was taken.
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return {};
  std::ostringstream bytes;
  bytes << in.rdbuf();
  std::uint64_t hash = 1469598103934665603ULL;
  for (unsigned char c : bytes.str()) {
    hash ^= c;
    hash *= 1099511628211ULL;
  }
  char text[32];
  std::snprintf(text, sizeof text, "fnv1a64:%016llx", static_cast<unsigned long long>(hash));
  return text;
}

bool BuildCommissioningReport(CHistoryStore &store, long long instrumentId, CommissioningReport &report,
                              std::string &problem) {
  HistoryFilter filter;
  filter.instrumentId = instrumentId;
  for (const HistoryInstrument &instrument : store.Instruments({}))
    if (instrument.id == instrumentId)
      report.instrument = instrument;
  // Newest first: the latest as-left, then the nearest as-found before it.
  const std::vector<HistoryRecord> records = store.Records(filter);
  std::size_t left = records.size();
  for (std::size_t n = 0; n < records.size() && left == records.size(); ++n)
    if (records[n].kind == "as-left")
      left = n;
  std::size_t found = records.size();
  for (std::size_t n = left + 1; n < records.size() && found == records.size(); ++n)
    if (IsAsFound(records[n].kind))
      found = n;
  if (left == records.size() || found == records.size()) {
    problem = LoadString(IDS_HISTORY_NO_REPORT);
    return false;
  }
  report.asLeft = records[left];
  report.asFound = records[found];

  auto load = [&](const HistoryRecord &record, std::unique_ptr<CParBase> &set) {
    if (RecordChecksum(record.file) != record.checksum) {
      problem = FormatMessageId(IDS_HISTORY_RECORD_CHANGED, {record.file});
      return false;
    }
    set = ModelFor(report.instrument.identity.model);
    try {
      set->LoadFile(record.file);
    } catch (const CException &e) {
      problem = FormatMessageId(IDS_HISTORY_RECORD_CHANGED, {record.file}) + "\n" + e.GetErrorMessage();
      return false;
    }
    return true;
  };
  std::unique_ptr<CParBase> asFound, asLeft;
  if (!load(report.asFound, asFound) || !load(report.asLeft, asLeft))
    return false;
  report.rows = BuildCompareRows(*asFound, *asLeft);
  report.journal = store.JournalBetween(instrumentId, report.asFound.time, report.asLeft.time);
  return true;
}

std::string ReportCsv(const CommissioningReport &report) {
  std::string out;
  AppendLine(out, {LoadString(IDS_COL_FUNCTION_BLOCK), LoadString(IDS_COL_PARAMETER_NAME),
                   LoadString(IDS_HISTORY_AS_FOUND), LoadString(IDS_HISTORY_AS_LEFT),
                   LoadString(IDS_COMPARE_CSV_NOT_MATCHING)});
  for (const CompareRow &row : report.rows.rows)
    AppendLine(out, {row.blockName, row.parameterName, row.editedText, row.deviceText, row.differs ? "*" : ""});
  return out;
}

std::string JournalCsv(const std::vector<JournalEntry> &rows) {
  std::string out;
  AppendLine(out, {LoadString(IDS_HISTORY_COL_TIME), LoadString(IDS_HISTORY_COL_PORT),
                   LoadString(IDS_HISTORY_COL_MODEL), LoadString(IDS_HISTORY_COL_SERIAL),
                   LoadString(IDS_HISTORY_COL_TAG), LoadString(IDS_HISTORY_COL_WHAT),
                   LoadString(IDS_HISTORY_COL_BLOCK), LoadString(IDS_HISTORY_COL_ITEM),
                   LoadString(IDS_COL_PARAMETER_NAME), LoadString(IDS_HISTORY_COL_BEFORE),
                   LoadString(IDS_HISTORY_COL_SENT), LoadString(IDS_HISTORY_COL_READ_BACK),
                   LoadString(IDS_HISTORY_COL_RESULT), LoadString(IDS_HISTORY_COL_MESSAGE)});
  for (const JournalEntry &row : rows)
    AppendLine(out, JournalFields(row));
  return out;
}

std::string JournalTsv(const std::vector<JournalEntry> &rows) {
  std::string out;
  for (const JournalEntry &row : rows) {
    const auto fields = JournalFields(row);
    for (std::size_t n = 0; n < fields.size(); ++n)
      out += (n ? "\t" : "") + Flat(fields[n]);
    out += '\n';
  }
  return out;
}
