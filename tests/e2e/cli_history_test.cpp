// vela-cli's records and journal as a user meets them: the real binary
// against simulated instruments, the history in a scratch data folder.
#include "kt5rs_simulator.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

namespace fs = std::filesystem;

struct Child {
  pid_t pid = 0;
  std::string outPath, errPath;
};

struct Result {
  int status = -1;
  std::string out, err;
};

class CliHistoryTest : public ::testing::Test {
protected:
  Child Start(std::vector<std::string> args, const std::string &tag = "") {
    const std::string exe = std::string(VELA_BIN_DIR) + "/vela-cli";
    args.insert(args.begin(), {exe, "--lang", "en"});
    std::vector<char *> argv;
    for (auto &a : args)
      argv.push_back(a.data());
    argv.push_back(nullptr);
    Child child{0, m_home.File("out" + tag), m_home.File("err" + tag)};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, child.outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, child.errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    EXPECT_EQ(posix_spawn(&child.pid, exe.c_str(), &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    return child;
  }
  static Result Wait(const Child &child) {
    int status = 0;
    waitpid(child.pid, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadWholeFile(child.outPath),
            ReadWholeFile(child.errPath)};
  }
  Result Run(std::vector<std::string> args) { return Wait(Start(std::move(args))); }

  static SimOptions Options(const std::string &serial = "A0000001") {
    SimOptions options;
    options.registerPort = false;
    options.serial = serial;
    return options;
  }
  static std::vector<std::vector<std::string>> Lines(const std::string &text) {
    std::vector<std::vector<std::string>> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
      std::vector<std::string> fields;
      std::istringstream fieldsIn(line);
      for (std::string field; std::getline(fieldsIn, field, '\t');)
        fields.push_back(field);
      lines.push_back(fields);
    }
    return lines;
  }
  // A configuration file of a set other than the factory one.
  std::string EditedFile() {
    CKT5RSSimulator source(Options("S-SOURCE"));
    SimState state = CKT5RSSimulator::DefaultState("KT5RS");
    state.filter = 25000;
    state.outFineZero = 5000;
    state.serial = "S-SOURCE";
    source.SetState(state);
    source.Start();
    const std::string file = m_home.File("edited.cfg");
    EXPECT_EQ(Run({"upload", "--port", source.DevicePath(), "-o", file}).status, 0);
    return file;
  }

  ScopedTestHome m_home;
};

TEST_F(CliHistoryTest, DownloadKeepsBeforeDownloadFirstJournalsEveryWriteAndItsReadBackIsTheAsLeft) {
  const std::string file = EditedFile();
  CKT5RSSimulator sim(Options());
  sim.Start();
  const std::string factory = m_home.File("factory.cfg");
  ASSERT_EQ(Run({"upload", "--port", sim.DevicePath(), "-o", factory}).status, 0);
  sim.ClearTranscript();

  const Result down = Run({"download", "--port", sim.DevicePath(), file});
  ASSERT_EQ(down.status, 0) << down.err;
  // The identity, then the whole set, and only then the first write.
  const auto commands = sim.Commands();
  const std::vector<std::string> identity = {"G01", "I90", "D2", "I90", "D0", "I90", "D2", "I90", "D3", "I90", "D6"};
  ASSERT_GT(commands.size(), identity.size());
  EXPECT_EQ(std::vector<std::string>(commands.begin(), commands.begin() + identity.size()), identity);

  const auto records = Lines(Run({"history", "--records", "--serial", "A0000001"}).out);
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0][1], "as-left");
  EXPECT_EQ(records[1][1], "before-download");
  EXPECT_EQ(records[2][1], "as-found"); // the upload above
  // The record is the program's own file: diff reads it, block 6 included.
  EXPECT_EQ(Run({"diff", records[1][4], factory}).status, 0);
  EXPECT_EQ(Run({"diff", records[0][4], file}).status, 0);
  EXPECT_NE(ReadWholeFile(records[0][4]).find("A0000001"), std::string::npos);

  const auto journal = Lines(Run({"history", "--journal"}).out);
  ASSERT_EQ(journal.size(), 217u);
  int changed = 0;
  for (const auto &row : journal) {
    ASSERT_EQ(row.size(), 13u); // no message: the last field is empty
    EXPECT_EQ(row[5], "download");
    EXPECT_EQ(row[11], row[10]);
    EXPECT_EQ(row[12], "kept");
    changed += row[9] != row[10];
  }
  EXPECT_EQ(changed, 2);
}

TEST_F(CliHistoryTest, NoBackupReadsOnlyTheIdentityBeforeWriting) {
  const std::string file = EditedFile();
  CKT5RSSimulator sim(Options());
  sim.Start();
  ASSERT_EQ(Run({"download", "--port", sim.DevicePath(), file, "--no-backup", "--no-verify"}).status, 0);
  const auto commands = sim.Commands();
  // After the identity: the edit switch query, then the writes.
  ASSERT_GT(commands.size(), 14u);
  EXPECT_EQ(commands[11], "G99");
  const auto journal = Lines(Run({"history", "--journal"}).out);
  ASSERT_EQ(journal.size(), 217u);
  EXPECT_EQ(journal[0][12], "sent");
  EXPECT_EQ(Lines(Run({"history", "--records", "--serial", "A0000001"}).out).size(), 0u);
}

TEST_F(CliHistoryTest, SetGivesAsFoundAsLeftAndAReportWithExactlyTheEdit) {
  CKT5RSSimulator sim(Options());
  sim.Start();
  ASSERT_EQ(Run({"set", "--port", sim.DevicePath(), "5.1", "0.25"}).status, 0);
  const auto journal = Lines(Run({"history", "--journal", "--serial", "A0000001"}).out);
  ASSERT_EQ(journal.size(), 1u);
  EXPECT_EQ(journal[0][8], "Fine zero adjustment");
  EXPECT_EQ(journal[0][9], "0.0000");
  EXPECT_EQ(journal[0][10], "0.2500");
  EXPECT_EQ(journal[0][11], "0.2500");
  EXPECT_EQ(journal[0][12], "kept");

  const Result report = Run({"report", "--serial", "A0000001"});
  ASSERT_EQ(report.status, 0) << report.err;
  int marked = 0;
  std::istringstream in(report.out);
  for (std::string line; std::getline(in, line);)
    if (line.ends_with(",*\r")) {
      ++marked;
      EXPECT_EQ(line, "Output,Fine zero adjustment,0.0000,0.2500,*\r");
    }
  EXPECT_EQ(marked, 1);

  const Result csv = Run({"history", "--journal", "--format", "csv"});
  EXPECT_TRUE(csv.out.starts_with(LoadString(IDS_HISTORY_COL_TIME) + ",")) << csv.out;
  EXPECT_EQ(Run({"history", "--serial", "NONE"}).out, "");
  EXPECT_EQ(Run({"report", "--serial", "NONE"}).status, 4);
}

TEST_F(CliHistoryTest, UnwritableHistoryWarnsOnceAndTheDownloadCompletes) {
  const std::string file = EditedFile();
  // Root writes into any folder of its own; a read-only file system stops it too.
  std::string data = "/sys/vela-history";
  if (geteuid() != 0) {
    data = m_home.File("readonly");
    fs::create_directories(data);
    chmod(data.c_str(), 0555);
  }
  setenv("XDG_DATA_HOME", data.c_str(), 1);
  CKT5RSSimulator sim(Options());
  sim.Start();
  const Result down = Run({"download", "--port", sim.DevicePath(), file});
  EXPECT_EQ(down.status, 0) << down.err;
  EXPECT_EQ(sim.State().filter, 25000);
  const std::string warning = LoadString(IDS_HISTORY_UNAVAILABLE).substr(0, 30);
  const auto first = down.err.find(warning);
  ASSERT_NE(first, std::string::npos) << down.err;
  EXPECT_EQ(down.err.find(warning, first + 1), std::string::npos) << down.err;
}

TEST_F(CliHistoryTest, TwoProgramsDownloadingAtOnceLoseNoJournalRow) {
  const std::string file = EditedFile();
  CKT5RSSimulator a(Options("A-1")), b(Options("B-2"));
  a.Start();
  b.Start();
  const Child first = Start({"download", "--port", a.DevicePath(), file}, "a");
  const Child second = Start({"download", "--port", b.DevicePath(), file}, "b");
  EXPECT_EQ(Wait(first).status, 0);
  EXPECT_EQ(Wait(second).status, 0);
  EXPECT_EQ(Lines(Run({"history", "--journal", "--serial", "A-1"}).out).size(), 217u);
  EXPECT_EQ(Lines(Run({"history", "--journal", "--serial", "B-2"}).out).size(), 217u);
  EXPECT_EQ(Lines(Run({"history", "--records"}).out).size(), 5u); // the source's as-found, two each
}

} // namespace
