// The history against the instrument simulator: records and journal rows
// as an edit, a refused write, a crash, two programs at once, a damaged
// database and a history that cannot be written leave them.
#include "core/history/history.h"
#include "core/history/write_journal.h"
#include "core/link/comm_interface.h"
#include "core/model/compare_rows.h"
#include "core/model/par_kt5rs.h"
#include "core/resources/string_ids.h"
#include "core/resources/message_format.h"
#include "core/resources/strings.h"
#include "kt5rs_simulator.h"
#include "scripted_ui_host.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

SimOptions Options(const std::string &serial = "A0000001", const std::string &model = "KT5RS") {
  SimOptions o;
  o.registerPort = false;
  o.serial = serial;
  o.model = model;
  return o;
}

struct Bench {
  explicit Bench(const SimOptions &options = Options()) : sim(options) {
    History().SetFolder(home.Path() + "/data/VANTORIX/vela");
    sim.Start();
    comm.OpenDevice(sim.DevicePath());
  }
  ~Bench() { History().SetFolder(""); }

  // What Connect does: the whole set, then the as-found record.
  void Connect() {
    model.ReadFromDevice(&comm, -1, -1);
    History().NoteUpload(model, port);
  }
  // What the window does with an accepted edit online.
  void Edit(int block, int item, const std::string &value) {
    const std::string before = model.GetValueText(block, item);
    model.SetValueString(block, item, value);
    auto rows = ParameterRows(model, nullptr, block, item);
    rows.front().before = before;
    CJournalScope scope(comm, IdentityOf(model, port), kContextEdit, std::move(rows));
    model.WriteToDevice(comm, block, item);
    model.ReadFromDevice(&comm, block, item);
    scope.Complete(&model);
  }
  // What Disconnect does after a write.
  std::string Disconnect() {
    if (!History().TakeWritten(&comm))
      return {};
    CParKT5RS device;
    device.ReadFromDevice(&comm, -1, -1);
    return History().TakeRecord(device, IdentityOf(device, port), kRecordAsLeft);
  }
  std::vector<JournalEntry> Journal() {
    std::vector<JournalEntry> rows;
    History().Query([&](CHistoryStore &store) { rows = store.Journal({}); });
    return rows;
  }
  std::vector<HistoryRecord> Records() {
    std::vector<HistoryRecord> rows;
    History().Query([&](CHistoryStore &store) { rows = store.Records({}); });
    return rows;
  }

  ScopedTestHome home;
  CScriptedUIHost host;
  CKT5RSSimulator sim;
  CCommInterface comm;
  CParKT5RS model;
  std::string port = "/dev/ttyUSB0";
};

std::unique_ptr<CParKT5RS> LoadRecord(const std::string &path) {
  auto set = std::make_unique<CParKT5RS>();
  set->LoadFile(path);
  return set;
}

TEST(HistoryTest, EditBetweenAsFoundAndAsLeftIsTheOnlyDifferenceAndOneJournalRow) {
  Bench bench;
  bench.Connect();
  bench.Edit(1, 0, "2.5");
  const std::string asLeft = bench.Disconnect();

  const auto records = bench.Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].kind, "as-left");
  EXPECT_EQ(records[1].kind, "as-found");
  EXPECT_EQ(records[0].file, asLeft);
  EXPECT_NE(asLeft.find("KT5RS_A0000001_"), std::string::npos);
  EXPECT_EQ(asLeft.substr(asLeft.size() - 12), "_as-left.cfg");
  const CompareRows diff = BuildCompareRows(*LoadRecord(records[0].file), *LoadRecord(records[1].file));
  ASSERT_EQ(diff.differing, 1);
  EXPECT_EQ(diff.rows[diff.firstDiffering].block, 1);
  EXPECT_EQ(diff.rows[diff.firstDiffering].item, 0);
  // The record holds the device information as the instrument reported it.
  EXPECT_EQ(LoadRecord(records[1].file)->GetModelName(), "KT5RS");
  EXPECT_NE(ReadWholeFile(records[1].file).find("A0000001"), std::string::npos);

  const auto journal = bench.Journal();
  ASSERT_EQ(journal.size(), 1u);
  EXPECT_EQ(journal[0].context, "edit");
  EXPECT_EQ(journal[0].serial, "A0000001");
  EXPECT_EQ(journal[0].port, "/dev/ttyUSB0");
  EXPECT_EQ(journal[0].before, "0.0000");
  EXPECT_EQ(journal[0].sent, "2.5000");
  EXPECT_EQ(journal[0].readBack, "2.5000");
  EXPECT_EQ(journal[0].result, "kept");
  EXPECT_TRUE(bench.host.Messages().empty());
}

TEST(HistoryTest, SecondConnectInTheSameRunTakesNoSecondAsFound) {
  Bench bench;
  bench.Connect();
  bench.Connect();
  EXPECT_EQ(bench.Records().size(), 1u);
  // Nothing was written: no as-left either.
  EXPECT_EQ(bench.Disconnect(), "");
}

TEST(HistoryTest, RefusedWriteIsJournalledAsDiffers) {
  Bench bench;
  bench.Connect();
  // The switch goes off behind the program's back: the instrument refuses.
  bench.sim.SetSw28(false);
  bench.Edit(1, 0, "2.5");
  const auto journal = bench.Journal();
  ASSERT_EQ(journal.size(), 1u);
  EXPECT_EQ(journal[0].sent, "2.5000");
  EXPECT_EQ(journal[0].readBack, "0.0000");
  EXPECT_EQ(journal[0].result, "differs");
}

TEST(HistoryTest, WriteThatFailsOnTheLineIsJournalledAsFailedWithItsMessage) {
  Bench bench;
  bench.Connect();
  // G01, I90, D2 and I18 are answered; the write itself is not.
  bench.sim.SetFault(SimFault::Silence, 4);
  EXPECT_ANY_THROW(bench.Edit(1, 0, "2.5"));
  const auto journal = bench.Journal();
  ASSERT_EQ(journal.size(), 1u);
  EXPECT_EQ(journal[0].result, "failed");
  EXPECT_EQ(journal[0].message, LoadString(IDS_RECEIVE_TIMEOUT));
}

TEST(HistoryTest, JournallingAddsNoLineTraffic) {
  std::vector<std::string> withJournal, without;
  {
    Bench bench;
    bench.model.ReadFromDevice(&bench.comm, -1, -1);
    bench.sim.ClearTranscript();
    bench.Edit(5, 1, "0.1");
    withJournal = bench.sim.Commands();
    ASSERT_EQ(bench.Journal().size(), 1u);
  }
  {
    Bench bench;
    bench.model.ReadFromDevice(&bench.comm, -1, -1);
    bench.sim.ClearTranscript();
    bench.model.SetValueString(5, 1, "0.1");
    bench.model.WriteToDevice(bench.comm, 5, 1);
    bench.model.ReadFromDevice(&bench.comm, 5, 1);
    without = bench.sim.Commands();
  }
  EXPECT_EQ(withJournal, without);
}

TEST(HistoryTest, SameSerialOfAnotherModelIsAnotherInstrument) {
  Bench a(Options("S-1", "KT5RS"));
  a.Connect();
  CKT5RSSimulator other(Options("S-1", "KT7W"));
  other.Start();
  CCommInterface comm;
  comm.OpenDevice(other.DevicePath());
  CParKT7W base;
  base.ReadFromDevice(&comm, -1, -1);
  History().NoteUpload(base, a.port);

  std::vector<HistoryInstrument> instruments;
  History().Query([&](CHistoryStore &store) { instruments = store.Instruments({}); });
  ASSERT_EQ(instruments.size(), 2u);
  EXPECT_EQ(a.Records().size(), 2u);
  EXPECT_NE(a.Records()[0].instrumentId, a.Records()[1].instrumentId);
}

TEST(HistoryTest, InstrumentWithoutSerialIsKnownByPort) {
  Bench bench(Options(""));
  bench.Connect();
  std::vector<HistoryInstrument> instruments;
  History().Query([&](CHistoryStore &store) { instruments = store.Instruments({}); });
  ASSERT_EQ(instruments.size(), 1u);
  EXPECT_EQ(instruments[0].identity.port, "/dev/ttyUSB0");
  EXPECT_NE(bench.Records()[0].file.find("KT5RS_port-_dev_ttyUSB0_"), std::string::npos);
}

// Each child is a program of its own with its own connection to the database.
void WriteRowsInChild(const std::string &folder, const std::string &serial, int count) {
  CHistoryStore store(folder);
  CInstrumentIdentity who{"KT5RS", serial, "", "", "COM1"};
  for (int n = 0; n < count; ++n) {
    std::vector<JournalEntry> rows(1);
    rows[0].time = UtcNow();
    rows[0].context = "edit";
    store.BeginRows(who, rows);
    rows[0].result = kResultKept;
    store.CompleteRows(rows);
  }
}

TEST(HistoryTest, TwoProgramsWritingAtOnceLoseNoRow) {
  ScopedTestHome home;
  const std::string folder = home.Path() + "/history";
  constexpr int kRows = 300;
  std::vector<pid_t> children;
  for (const char *serial : {"A", "B"}) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      try {
        WriteRowsInChild(folder, serial, kRows);
      } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        _exit(1);
      }
      _exit(0);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  CHistoryStore store(folder);
  const auto rows = store.Journal({});
  EXPECT_EQ(rows.size(), 2u * kRows);
  for (const auto &row : rows)
    EXPECT_EQ(row.result, "kept");
}

TEST(HistoryTest, CrashBetweenSendAndCompletionLeavesARowWithUnknownOutcome) {
  ScopedTestHome home;
  const std::string folder = home.Path() + "/history";
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    CHistoryStore store(folder);
    std::vector<JournalEntry> rows(1);
    rows[0].time = UtcNow();
    store.BeginRows({"KT5RS", "A", "", "", "COM1"}, rows);
    _exit(0); // gone before the write's outcome was stored
  }
  int status = 0;
  waitpid(pid, &status, 0);
  CHistoryStore store(folder);
  const auto rows = store.Journal({});
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].result, "unknown");
}

TEST(HistoryTest, DamagedDatabaseIsSetAsideAndANewOneStarted) {
  Bench bench;
  fs::create_directories(History().Folder());
  const std::string damaged(4096, 'x');
  WriteWholeFile(History().Folder() + "/history.sqlite", damaged);
  bench.Connect();
  History().FlushWarning();

  ASSERT_EQ(bench.Records().size(), 1u);
  std::string aside;
  for (const auto &entry : fs::directory_iterator(History().Folder()))
    if (entry.path().filename().string().starts_with("history.sqlite.damaged-"))
      aside = entry.path().string();
  ASSERT_FALSE(aside.empty());
  EXPECT_EQ(ReadWholeFile(aside), damaged);
  ASSERT_EQ(bench.host.Messages().size(), 1u);
  EXPECT_EQ(bench.host.MessageTexts()[0], FormatMessageId(IDS_HISTORY_SET_ASIDE, {aside}));
}

// A folder nobody may write to; root writes anywhere in a temporary folder,
// so it gets one on a file system that is read-only for everyone.
std::string ReadOnlyFolder(const ScopedTestHome &home) {
  if (geteuid() == 0)
    return "/sys/vela-history";
  const std::string folder = home.Path() + "/readonly";
  fs::create_directories(folder);
  chmod(folder.c_str(), 0555);
  return folder + "/VANTORIX/vela";
}

TEST(HistoryTest, UnwritableHistoryWarnsOnceWithTheReasonAndTheWritesGoOn) {
  Bench bench;
  History().SetFolder(ReadOnlyFolder(bench.home));
  bench.Connect();
  bench.Edit(1, 0, "2.5");
  bench.Edit(1, 0, "3.5");
  History().FlushWarning();
  EXPECT_EQ(bench.sim.State().filter, 35000);
  ASSERT_EQ(bench.host.Messages().size(), 1u);
  const std::string text = bench.host.MessageTexts()[0];
  EXPECT_EQ(text.substr(0, 20), LoadString(IDS_HISTORY_UNAVAILABLE).substr(0, 20));
  EXPECT_TRUE(text.find("denied") != std::string::npos || text.find("not permitted") != std::string::npos ||
              text.find("Read-only") != std::string::npos)
      << text;
}

} // namespace
