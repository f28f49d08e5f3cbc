// What the journal costs a write: one edit written and read back against the
// in-process simulator over a real pseudo-terminal, with and without its
// journal row (committed before the write, completed after, in a database
// on disk). The difference of the two is the journal's share of a write;
// the lines the instrument receives are the same either way.
#include "kt5rs_simulator.h"
#include "core/history/history.h"
#include "core/history/write_journal.h"
#include "core/link/comm_interface.h"
#include "core/model/par_kt5rs.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

namespace {

struct Line {
  Line() : sim(Options()) {
    sim.Start();
    comm.OpenDevice(sim.DevicePath());
    model.ReadFromDevice(&comm, -1, -1);
  }
  static SimOptions Options() {
    SimOptions options;
    options.registerPort = false;
    return options;
  }
  CKT5RSSimulator sim;
  CCommInterface comm;
  CParKT5RS model;
};

std::string BenchFolder() {
  const auto folder = std::filesystem::temp_directory_path() / "vela-history-bench";
  std::filesystem::remove_all(folder);
  return folder.string();
}

void BM_EditWithoutJournal(benchmark::State &state) {
  Line line;
  int n = 0;
  for (auto _ : state) {
    line.model.SetValue(5, 1, (++n % 100) * 100);
    line.model.WriteToDevice(line.comm, 5, 1);
    line.model.ReadFromDevice(&line.comm, 5, 1);
  }
}
BENCHMARK(BM_EditWithoutJournal)->Unit(benchmark::kMicrosecond);

void BM_EditWithJournal(benchmark::State &state) {
  const std::string folder = BenchFolder();
  History().SetFolder(folder);
  Line line;
  const CInstrumentIdentity who = IdentityOf(line.model, "COM1");
  int n = 0;
  for (auto _ : state) {
    line.model.SetValue(5, 1, (++n % 100) * 100);
    CJournalScope scope(line.comm, who, kContextEdit, ParameterRows(line.model, nullptr, 5, 1));
    line.model.WriteToDevice(line.comm, 5, 1);
    line.model.ReadFromDevice(&line.comm, 5, 1);
    scope.Complete(&line.model);
  }
  History().SetFolder("");
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_EditWithJournal)->Unit(benchmark::kMicrosecond);

// The journal alone: one row begun and completed.
void BM_JournalRow(benchmark::State &state) {
  const std::string folder = BenchFolder();
  CHistoryStore store(folder);
  const CInstrumentIdentity who{"KT5RS", "A0000001", "", "", "COM1"};
  for (auto _ : state) {
    std::vector<JournalEntry> rows(1);
    rows[0].time = UtcNow();
    store.BeginRows(who, rows);
    rows[0].result = kResultKept;
    store.CompleteRows(rows);
  }
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_JournalRow)->Unit(benchmark::kMicrosecond);

} // namespace
