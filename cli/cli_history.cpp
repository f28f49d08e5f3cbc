#include "cli_history.h"

#include "core/history/commissioning_report.h"
#include "core/history/history.h"
#include "core/link/comm_interface.h"
#include "core/model/par_base.h"
#include "core/platform/replace_file.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"

#include <iostream>
#include <map>

std::string HistoryPortName(const CliOptions &options) {
  if (options.simulate)
    return "simulated";
  int number = 0;
  return ParsePortNumber(options.port, number) ? PortName(number) : options.port;
}

void NoteCliUpload(CParBase &set, const CliOptions &options) {
  History().NoteUpload(set, HistoryPortName(options));
  History().FlushWarning();
}

void NoteBeforeDownload(CParBase &held, const CInstrumentIdentity &who, const CliOptions &options) {
  if (!options.noBackup)
    History().TakeRecord(held, who, kRecordBeforeDownload);
  History().FlushWarning();
}

namespace {

HistoryFilter FilterOf(const CliOptions &options) {
  HistoryFilter filter;
  filter.serial = options.serial;
  filter.since = options.since;
  return filter;
}

std::string Flat(std::string text) {
  for (char &c : text)
    if (c == '\t' || c == '\n' || c == '\r')
      c = ' ';
  return text;
}

} // namespace

int CmdHistory(const CliOptions &options) {
  const HistoryFilter filter = FilterOf(options);
  bool ok = History().Query([&](CHistoryStore &store) {
    if (options.journal) {
      const auto rows = store.Journal(filter);
      std::cout << (options.csv ? JournalCsv(rows) : JournalTsv(rows));
      return;
    }
    if (options.records) {
      std::map<long long, HistoryInstrument> instruments;
      for (const auto &instrument : store.Instruments({}))
        instruments[instrument.id] = instrument;
      for (const auto &record : store.Records(filter)) {
        const auto &who = instruments[record.instrumentId].identity;
        std::cout << record.time << '\t' << record.kind << '\t' << Flat(who.model) << '\t' << Flat(who.serial)
                  << '\t' << record.file << '\n';
      }
      return;
    }
    for (const auto &instrument : store.Instruments(filter)) {
      const auto &who = instrument.identity;
      std::cout << instrument.id << '\t' << Flat(who.model) << '\t' << Flat(who.serial) << '\t'
                << Flat(who.firmware) << '\t' << Flat(who.tag) << '\t' << Flat(who.port) << '\t'
                << instrument.firstSeen << '\t' << instrument.lastSeen << '\n';
    }
  });
  History().FlushWarning();
  return ok ? kExitDone : kExitParameter;
}

int CmdReport(const CliOptions &options) {
  CommissioningReport report;
  std::string problem;
  bool built = false;
  const bool ok = History().Query([&](CHistoryStore &store) {
    const auto instruments = store.Instruments(FilterOf(options));
    if (instruments.empty()) {
      problem = LoadString(IDS_HISTORY_NO_REPORT);
      return;
    }
    built = BuildCommissioningReport(store, instruments.front().id, report, problem);
  });
  History().FlushWarning();
  if (!ok)
    return kExitParameter;
  if (!built) {
    PrintMessage(problem);
    return kExitParameter;
  }
  const std::string csv = ReportCsv(report);
  if (options.output.empty()) {
    std::cout << csv;
    return kExitDone;
  }
  try {
    ReplaceFileContents(options.output, "\xEF\xBB\xBF" + csv);
  } catch (const std::system_error &error) {
    PrintMessage(error.code().message() + " (" + options.output + ")");
    return kExitParameter;
  }
  return kExitDone;
}
