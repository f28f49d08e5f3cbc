// vela-cli as a user runs it: the real binary as a child process against
// simulated instruments on pseudo-terminals, real files in a scratch home.
#include "kt5rs_simulator.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

struct CliResult {
  int status = -1;
  std::string out;
  std::string err;
};

class CliTest : public ::testing::Test {
protected:
  // Runs vela-cli with English messages; standard output and error go to
  // files, so a chatty child can never block on a full pipe.
  CliResult Run(std::vector<std::string> args) {
    const std::string exe = std::string(VELA_BIN_DIR) + "/vela-cli";
    args.insert(args.begin(), {exe, "--lang", "en"});
    std::vector<char *> argv;
    for (auto &a : args)
      argv.push_back(a.data());
    argv.push_back(nullptr);

    const std::string outPath = m_home.File("stdout.txt");
    const std::string errPath = m_home.File("stderr.txt");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    CliResult result;
    const int rc = posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
      ADD_FAILURE() << "cannot start " << exe;
      return result;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadWholeFile(outPath);
    result.err = ReadWholeFile(errPath);
    return result;
  }

  static SimOptions Options(const std::string &model = "KT5RS") {
    SimOptions options;
    options.model = model;
    options.registerPort = false;
    return options;
  }

  static bool HasWrite(const CKT5RSSimulator &sim) {
    const SimWriteCounts counts = sim.WriteCounts();
    return counts.accepted != 0 || counts.refused != 0;
  }

  ScopedTestHome m_home;
};

// A set that differs from the factory one in several blocks.
SimState EditedState() {
  SimState state = CKT5RSSimulator::DefaultState("KT5RS");
  state.inputType = 3;
  state.burnout = 1;
  state.filter = 25000;
  state.input0 = 100000;
  state.input100 = 900000;
  state.outputType = 1;
  state.output0 = -25000;
  state.output100 = 25000;
  state.outFineZero = 5000;
  return state;
}

void ExpectSameParameters(const SimState &a, const SimState &b) {
  EXPECT_EQ(a.inputType, b.inputType);
  EXPECT_EQ(a.burnout, b.burnout);
  EXPECT_EQ(a.filter, b.filter);
  EXPECT_EQ(a.input0, b.input0);
  EXPECT_EQ(a.input100, b.input100);
  EXPECT_EQ(a.outputType, b.outputType);
  EXPECT_EQ(a.output0, b.output0);
  EXPECT_EQ(a.output100, b.output100);
  EXPECT_EQ(a.outFineZero, b.outFineZero);
  EXPECT_EQ(a.points, b.points);
  EXPECT_EQ(a.tableX, b.tableX);
  EXPECT_EQ(a.tableY, b.tableY);
}

std::string Replace(std::string text, const std::string &from, const std::string &to) {
  const auto at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos)
    text.replace(at, from.size(), to);
  return text;
}

} // namespace

TEST_F(CliTest, UploadDownloadCompareRoundTrip) {
  CKT5RSSimulator source(Options());
  source.Start();
  source.SetState([&] {
    SimState s = EditedState();
    s.model = "KT5RS";
    s.firmware = "KT5RS Ver 1.00";
    s.serial = "A0000001";
    return s;
  }());
  CKT5RSSimulator target(Options());
  target.Start();
  const std::string file = m_home.File("set.cfg");

  CliResult up = Run({"upload", "--port", source.DevicePath(), "-o", file});
  ASSERT_EQ(up.status, 0) << up.err;
  EXPECT_NE(ReadWholeFile(file).find("MODEL=KT5RS"), std::string::npos);
  // Not a terminal: no progress bar.
  EXPECT_EQ(up.err, "");
  EXPECT_FALSE(HasWrite(source));

  CliResult down = Run({"download", "--port", target.DevicePath(), file});
  ASSERT_EQ(down.status, 0) << down.err;
  ExpectSameParameters(target.State(), source.State());

  CliResult cmp = Run({"compare", "--port", target.DevicePath(), file});
  EXPECT_EQ(cmp.status, 0) << cmp.err;
  EXPECT_EQ(cmp.out, LoadString(IDS_ALL_MATCHING) + "\n");

  // The same file on standard output.
  CliResult toStdout = Run({"upload", "--port", target.DevicePath()});
  EXPECT_EQ(toStdout.status, 0) << toStdout.err;
  EXPECT_EQ(toStdout.out, ReadWholeFile(file));

  // A backup holds what the instrument had before the download.
  CKT5RSSimulator fresh(Options());
  fresh.Start();
  const std::string backup = m_home.File("backup.cfg");
  CliResult withBackup =
      Run({"download", "--port", fresh.DevicePath(), file, "--backup", backup, "--verify"});
  ASSERT_EQ(withBackup.status, 0) << withBackup.err;
  EXPECT_NE(ReadWholeFile(backup).find("[G0]\r\nP0=0\r\n"), std::string::npos);
  ExpectSameParameters(fresh.State(), source.State());
}

TEST_F(CliTest, CompareAndDiffNameTheDifferingRows) {
  CKT5RSSimulator sim(Options());
  sim.Start();
  const std::string file = m_home.File("a.cfg");
  ASSERT_EQ(Run({"upload", "--port", sim.DevicePath(), "-o", file}).status, 0);
  const std::string original = ReadWholeFile(file);
  std::string changed = Replace(original, "[G1]\r\nP0=0.0000", "[G1]\r\nP0=2.5000");
  changed = Replace(changed, "[G3]\r\nP0=0", "[G3]\r\nP0=1");
  const std::string other = m_home.File("b.cfg");
  WriteWholeFile(other, changed);

  CliResult cmp = Run({"compare", "--port", sim.DevicePath(), other});
  EXPECT_EQ(cmp.status, 1) << cmp.err;
  EXPECT_NE(cmp.out.find("1.0\tInput Value\tFilter time constant\t2.5000\t0.0000\n"), std::string::npos)
      << cmp.out;
  EXPECT_NE(cmp.out.find("3.0\tOutput %\tLinearization\t1: Enable\t0: Disable\n"), std::string::npos)
      << cmp.out;
  EXPECT_NE(cmp.out.find("2 parameter(s) not matching."), std::string::npos) << cmp.out;
  EXPECT_EQ(std::count(cmp.out.begin(), cmp.out.end(), '\n'), 3);
  EXPECT_FALSE(HasWrite(sim));

  CliResult diff = Run({"diff", other, file});
  EXPECT_EQ(diff.status, 1);
  EXPECT_EQ(diff.out, cmp.out);
  EXPECT_EQ(Run({"diff", file, file}).status, 0);

  // A file the model refuses is reported, not compared.
  const std::string bad = m_home.File("bad.cfg");
  WriteWholeFile(bad, Replace(original, "[G1]\r\nP0=0.0000", "[G1]\r\nP0=0.2000"));
  CliResult refused = Run({"diff", file, bad});
  EXPECT_EQ(refused.status, 4);
  EXPECT_EQ(refused.out, "");
  EXPECT_NE(refused.err.find("Filter time constant should be"), std::string::npos) << refused.err;

  CliResult missing = Run({"show", m_home.File("none.cfg")});
  EXPECT_EQ(missing.status, 4);
  EXPECT_NE(missing.err.find(LoadString(IDS_LOAD_FILE_FAILED)), std::string::npos) << missing.err;

  CliResult show = Run({"show", other});
  EXPECT_EQ(show.status, 0);
  EXPECT_NE(show.out.find("1.0\tInput Value\tFilter time constant\t2.5000\n"), std::string::npos);
  EXPECT_EQ(show.out.find("Device Info"), std::string::npos);
}

TEST_F(CliTest, DownloadRefusals) {
  CKT5RSSimulator source(Options());
  source.Start();
  const std::string file = m_home.File("set.cfg");
  ASSERT_EQ(Run({"upload", "--port", source.DevicePath(), "-o", file}).status, 0);

  // Edit switch off: told why, nothing written.
  SimOptions off = Options();
  off.sw28 = false;
  CKT5RSSimulator locked(off);
  locked.Start();
  CliResult sw = Run({"download", "--port", locked.DevicePath(), file});
  EXPECT_EQ(sw.status, 4);
  EXPECT_NE(sw.err.find(LoadString(IDS_EDIT_SWITCH_OFF)), std::string::npos) << sw.err;
  EXPECT_FALSE(HasWrite(locked));

  // A file for the other model: nothing is even sent.
  CKT5RSSimulator target(Options());
  target.Start();
  const std::string foreign = m_home.File("kt7w.cfg");
  WriteWholeFile(foreign, Replace(ReadWholeFile(file), "MODEL=KT5RS", "MODEL=KT7W"));
  CliResult wrongFile = Run({"download", "--port", target.DevicePath(), foreign});
  EXPECT_EQ(wrongFile.status, 4);
  EXPECT_NE(wrongFile.err.find(LoadString(IDS_FILE_MODEL_MISMATCH)), std::string::npos) << wrongFile.err;
  EXPECT_TRUE(target.Commands().empty());

  // An instrument of another model is refused before anything is written.
  for (const char *model : {"KT7W", "KT9X"}) {
    CKT5RSSimulator other(Options(model));
    other.Start();
    CliResult up = Run({"upload", "--port", other.DevicePath()});
    EXPECT_EQ(up.status, 4) << model;
    EXPECT_NE(up.err.find(LoadString(IDS_DEVICE_NOT_SUPPORTED)), std::string::npos) << up.err;
    EXPECT_EQ(up.out, "");
    CliResult down = Run({"download", "--port", other.DevicePath(), file});
    EXPECT_EQ(down.status, 4) << model;
    EXPECT_NE(down.err.find(LoadString(IDS_DEVICE_NOT_SUPPORTED)), std::string::npos) << down.err;
    EXPECT_EQ(other.WriteCounts().accepted, 0) << model;
  }
}

TEST_F(CliTest, WritesTheInstrumentDidNotKeepAreReported) {
  CKT5RSSimulator source(Options());
  source.Start();
  SimState edited = EditedState();
  edited.model = "KT5RS";
  source.SetState(edited);
  const std::string file = m_home.File("set.cfg");
  ASSERT_EQ(Run({"upload", "--port", source.DevicePath(), "-o", file}).status, 0);

  struct Case {
    std::vector<std::string> args; // after --port
    int status;
    std::string report; // on standard output or error
  };
  const Case cases[] = {
      {{"set", "1.0", "2.5"},
       1,
       "Filter time constant was sent as 2.5000, but the instrument kept 0.0000."},
      {{"download", file}, 1, "1.0\tInput Value\tFilter time constant\t2.5000\t0.0000\n"},
      {{"download", file, "--no-verify"}, 0, ""},
  };
  for (const Case &c : cases) {
    // The switch goes off right after the program asked it, so the instrument
    // answers every write with a refusal the protocol does not report.
    SimOptions paced = Options();
    paced.pace = true;
    CKT5RSSimulator target(paced);
    target.Start();
    std::thread flip([&] {
      const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
      while (std::chrono::steady_clock::now() < end) {
        const auto commands = target.Commands();
        if (std::find(commands.begin(), commands.end(), "DW") != commands.end()) {
          target.SetSw28(false);
          target.SetPace(false);
          return;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
      }
    });
    std::vector<std::string> args = {c.args[0], "--port", target.DevicePath()};
    args.insert(args.end(), c.args.begin() + 1, c.args.end());
    CliResult result = Run(args);
    flip.join();
    EXPECT_EQ(result.status, c.status) << c.args[0] << result.err;
    EXPECT_EQ(target.WriteCounts().accepted, 0);
    EXPECT_GT(target.WriteCounts().refused, 0);
    EXPECT_NE((result.out + result.err).find(c.report), std::string::npos) << result.out << result.err;
  }
}

TEST_F(CliTest, GetAndSet) {
  CKT5RSSimulator sim(Options());
  sim.Start();
  CliResult get = Run({"get", "--port", sim.DevicePath(), "0.0"});
  EXPECT_EQ(get.status, 0) << get.err;
  EXPECT_EQ(get.out, "0.0\tInput\tInput type\t0: 0 - 10kOhm\n");

  CliResult block = Run({"get", "--port", sim.DevicePath(), "6"});
  EXPECT_EQ(block.status, 0) << block.err;
  EXPECT_NE(block.out.find("6.0\tDevice Info\tModel\tKT5RS\n"), std::string::npos) << block.out;

  CliResult all = Run({"get", "--port", sim.DevicePath()});
  EXPECT_EQ(all.status, 0);
  EXPECT_NE(all.out.find("5.2\tOutput\tFine span adjustment\t100.0000\n"), std::string::npos);

  // Out of range: the model's message, nothing sent.
  sim.ResetWriteCounts();
  CliResult bad = Run({"set", "--port", sim.DevicePath(), "1.0", "99"});
  EXPECT_EQ(bad.status, 4);
  EXPECT_NE(bad.err.find("Filter time constant should be a 0 or a from 0.5 to 30."), std::string::npos)
      << bad.err;
  EXPECT_FALSE(HasWrite(sim));

  CliResult ok = Run({"set", "--port", sim.DevicePath(), "1.0", "2.5"});
  EXPECT_EQ(ok.status, 0) << ok.err;
  EXPECT_EQ(ok.out, "1.0\tInput Value\tFilter time constant\t2.5000\n");
  EXPECT_EQ(sim.State().filter, 25000);

  // Choices by index or by text.
  EXPECT_EQ(Run({"set", "--port", sim.DevicePath(), "0.1", "2"}).status, 0);
  EXPECT_EQ(sim.State().burnout, 2);
  CliResult byText = Run({"set", "--port", sim.DevicePath(), "0.1", LoadString(IDS_BURNOUT_0)});
  EXPECT_EQ(byText.status, 0) << byText.err;
  EXPECT_EQ(sim.State().burnout, 0);

  sim.SetSw28(false);
  sim.ResetWriteCounts();
  CliResult locked = Run({"set", "--port", sim.DevicePath(), "1.0", "5"});
  EXPECT_EQ(locked.status, 4);
  EXPECT_NE(locked.err.find(LoadString(IDS_EDIT_SWITCH_OFF)), std::string::npos);
  EXPECT_FALSE(HasWrite(sim));

  EXPECT_EQ(Run({"set", "--port", sim.DevicePath(), "9.0", "1"}).status, 2);
  EXPECT_EQ(Run({"get", "--port", sim.DevicePath(), "0.7"}).status, 2);
}

TEST_F(CliTest, CommunicationFailures) {
  CKT5RSSimulator sim(Options());
  sim.Start();
  sim.SetFault(SimFault::Silence);
  CliResult silent = Run({"upload", "--port", sim.DevicePath()});
  EXPECT_EQ(silent.status, 3);
  EXPECT_NE(silent.err.find(LoadString(IDS_RECEIVE_TIMEOUT)), std::string::npos) << silent.err;
  EXPECT_EQ(silent.out, "");

  // One lost reply, one allowed retry: the whole upload is repeated.
  sim.ClearFault();
  sim.SetFault(SimFault::Silence, 3, 1);
  CliResult retried = Run({"upload", "--port", sim.DevicePath(), "--retries", "1"});
  EXPECT_EQ(retried.status, 0) << retried.err;
  EXPECT_NE(retried.err.find(LoadString(IDS_RECEIVE_TIMEOUT)), std::string::npos);
  EXPECT_NE(retried.out.find("MODEL=KT5RS"), std::string::npos);

  CliResult noPort = Run({"get", "--port", m_home.File("no-such-tty")});
  EXPECT_EQ(noPort.status, 3);
  EXPECT_FALSE(noPort.err.empty());

  // The Japanese library beside the program gives the same failure in Japanese.
  CliResult japanese = Run({"--lang", "ja", "get", "--port", m_home.File("no-such-tty")});
  EXPECT_EQ(japanese.status, 3);
  EXPECT_FALSE(japanese.err.empty());
  EXPECT_NE(japanese.err, noPort.err);
}

TEST_F(CliTest, SetRefusesWhatTheListDoesNotOffer) {
  CKT5RSSimulator sim(Options());
  sim.Start();
  struct Case {
    const char *item;
    std::string value;
    const char *message;
  };
  const Case refused[] = {
      {"0.0", "4294967297", "Input type should be a from 0 to 5. "}, // not wrapped into code 1
      {"0.1", "nonsense", "Burnout should be a from 0 to 2. "},     // not code 0
      {"0.1", "3", "Burnout should be a from 0 to 2. "},
      {"3.0", "-1", "Linearization should be a from 0 to 1. "},
  };
  for (const Case &c : refused) {
    CliResult result = Run({"set", "--port", sim.DevicePath(), c.item, c.value});
    EXPECT_EQ(result.status, 4) << c.value;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_FALSE(HasWrite(sim)) << c.value;
  }
  // Choice texts in any letter case; a full-width space around a number is blank.
  const Case taken[] = {{"0.1", "dOWNSCALE", "0.1\tInput\tBurnout\tDownscale\n"},
                        {"1.0", "\xE3\x80\x80" "2.5 \xE3\x80\x80", "1.0\tInput Value\tFilter time constant\t2.5000\n"}};
  for (const Case &c : taken) {
    CliResult result = Run({"set", "--port", sim.DevicePath(), c.item, c.value});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, c.message);
  }
  EXPECT_EQ(sim.State().burnout, 1);
  EXPECT_EQ(sim.State().filter, 25000);
}

TEST_F(CliTest, GarbledOrLateRepliesEndInARetryNeverInWrongValues) {
  CKT5RSSimulator sim(Options());
  sim.Start();
  SimState state = EditedState();
  state.model = "KT5RS";
  for (int k = 0; k < 101; ++k) {
    state.tableX[k] = -137000 + 1000 * k; // "-13.7000": cut at a NUL it reads as -13
    state.tableY[k] = -137000 + 1500 * k;
  }
  sim.SetState(state);
  CliResult clean = Run({"upload", "--port", sim.DevicePath()});
  ASSERT_EQ(clean.status, 0) << clean.err;

  // The first fault hits a table point, after the set-up and the first reads.
  for (SimFault fault : {SimFault::NulInside, SimFault::LateReply}) {
    sim.SetFault(fault, 20, 1);
    CliResult failed = Run({"upload", "--port", sim.DevicePath()});
    EXPECT_EQ(failed.status, 3) << failed.err;
    EXPECT_NE(failed.err.find(LoadString(IDS_RECEIVE_TIMEOUT)), std::string::npos) << failed.err;
    EXPECT_EQ(failed.out, "");
    ASSERT_TRUE(sim.WaitUntilQuiet(std::chrono::seconds(5)));

    sim.SetFault(fault, 20, 1);
    CliResult retried = Run({"upload", "--port", sim.DevicePath(), "--retries", "1"});
    EXPECT_EQ(retried.status, 0) << retried.err;
    EXPECT_EQ(retried.out, clean.out);
  }
}

TEST_F(CliTest, BackupIsTakenOnceBeforeTheFirstWrite) {
  CKT5RSSimulator sim(Options());
  sim.Start();
  SimState original = EditedState();
  original.model = "KT5RS";
  sim.SetState(original);
  const std::string before = m_home.File("before.cfg");
  ASSERT_EQ(Run({"upload", "--port", sim.DevicePath(), "-o", before}).status, 0);
  const std::size_t uploadCommands = sim.Commands().size();
  const std::string file = m_home.File("factory.cfg");
  CKT5RSSimulator factory(Options());
  factory.Start();
  ASSERT_EQ(Run({"upload", "--port", factory.DevicePath(), "-o", file}).status, 0);

  // One reply lost half way through the writes, one retry allowed.
  sim.ClearTranscript();
  sim.SetFault(SimFault::Silence, static_cast<int>(uploadCommands) + 40, 1);
  const std::string backup = m_home.File("backup.cfg");
  CliResult down = Run({"download", "--port", sim.DevicePath(), file, "--backup", backup, "--retries", "1"});
  EXPECT_EQ(down.status, 0) << down.err;
  EXPECT_NE(down.err.find(LoadString(IDS_RECEIVE_TIMEOUT)), std::string::npos) << down.err;
  EXPECT_EQ(ReadWholeFile(backup), ReadWholeFile(before));
  ExpectSameParameters(sim.State(), factory.State());
}

TEST_F(CliTest, CodesWithoutATextTravelAsTheInstrumentHoldsThem) {
  CKT5RSSimulator sim(Options());
  sim.Start();
  SimState state = CKT5RSSimulator::DefaultState("KT5RS");
  state.burnout = 3;
  state.linearization = 2;
  sim.SetState(state);
  const std::string file = m_home.File("codes.cfg");
  CliResult up = Run({"upload", "--port", sim.DevicePath(), "-o", file});
  ASSERT_EQ(up.status, 0) << up.err;
  EXPECT_NE(ReadWholeFile(file).find("[G0]\r\nP0=0\r\nP1=3\r\n"), std::string::npos);

  // Two codes without a text never show as the same empty text.
  state.burnout = 4;
  sim.SetState(state);
  CliResult cmp = Run({"compare", "--port", sim.DevicePath(), file});
  EXPECT_EQ(cmp.status, 1) << cmp.err;
  EXPECT_EQ(cmp.out, "0.1\tInput\tBurnout\t3\t4\n1 parameter(s) not matching.\n");
}

TEST_F(CliTest, UploadNamesValuesThatNoFileCouldHold) {
  CKT5RSSimulator sim(Options());
  sim.Start();
  SimState state = CKT5RSSimulator::DefaultState("KT5RS");
  state.points = 200;
  state.input0 = 1200000;
  sim.SetState(state);
  const std::string file = m_home.File("odd.cfg");
  CliResult up = Run({"upload", "--port", sim.DevicePath(), "-o", file});
  EXPECT_EQ(up.status, 0) << up.err;
  EXPECT_EQ(up.err, LoadString(IDS_VALUES_OUT_OF_RANGE) +
                        "\n0% input should be a from 0.0000 to 90.0000. The instrument holds 120.0000."
                        "\nNumber of points should be a from 2 to 101. The instrument holds 200.\n");
  // The file keeps what the instrument holds.
  EXPECT_NE(ReadWholeFile(file).find("[G3]\r\nP0=0\r\nP1=200\r\n"), std::string::npos);
}

TEST_F(CliTest, MonitorChecksTheModelAndNeverPrintsAPartialNumber) {
  CKT5RSSimulator other(Options("KT7W"));
  other.Start();
  CliResult refused = Run({"monitor", "--port", other.DevicePath(), "--count", "1"});
  EXPECT_EQ(refused.status, 4);
  EXPECT_NE(refused.err.find(LoadString(IDS_DEVICE_NOT_SUPPORTED)), std::string::npos) << refused.err;
  EXPECT_EQ(refused.out, "");

  // After the model check, the first live value's reply comes with stray bytes.
  CKT5RSSimulator sim(Options());
  sim.Start();
  sim.SetFault(SimFault::Garbage, 5, 1);
  CliResult mon = Run({"monitor", "--port", sim.DevicePath(), "--count", "1"});
  EXPECT_EQ(mon.status, 0) << mon.err;
  const std::string row = mon.out.substr(mon.out.find('\n') + 1);
  const auto first = row.find(',');
  ASSERT_NE(first, std::string::npos) << mon.out;
  EXPECT_EQ(row.substr(first, 2), ",,") << row;
  EXPECT_EQ(std::count(row.begin(), row.end(), ','), 4);
}

TEST_F(CliTest, MonitorStopsWhenThreeCyclesInARowBringNoValue) {
  CKT5RSSimulator sim(Options());
  sim.Start();
  // Every reply after the model check comes with stray bytes before it.
  sim.SetFault(SimFault::Garbage, 3);
  CliResult mon = Run({"monitor", "--port", sim.DevicePath(), "--count", "10", "--interval", "0"});
  EXPECT_EQ(mon.status, 3) << mon.out;
  EXPECT_EQ(mon.err, LoadString(IDS_INVALID_G_RESPONSE) + "\n");
  // The header, then the three cycles of empty fields that were polled.
  ASSERT_EQ(std::count(mon.out.begin(), mon.out.end(), '\n'), 4) << mon.out;
  std::size_t end = mon.out.find('\n');
  for (int row = 0; row < 3 && end != std::string::npos; ++row) {
    const std::size_t next = mon.out.find('\n', end + 1);
    EXPECT_EQ(mon.out.substr(next - 4, 4), ",,,,") << mon.out;
    end = next;
  }
}

TEST_F(CliTest, MonitorSimulateAndUsage) {
  CKT5RSSimulator sim(Options());
  sim.Start();
  CliResult mon = Run({"monitor", "--port", sim.DevicePath(), "--count", "3", "--interval", "0"});
  EXPECT_EQ(mon.status, 0) << mon.err;
  EXPECT_EQ(std::count(mon.out.begin(), mon.out.end(), '\n'), 4);
  EXPECT_EQ(mon.out.rfind("time,Input Value,Input %,Output %,Output Value\n", 0), 0u) << mon.out;
  const std::string second = mon.out.substr(mon.out.find('\n') + 1);
  EXPECT_EQ(std::count(second.begin(), second.begin() + second.find('\n'), ','), 4);
  EXPECT_EQ(second.substr(4, 1), "-");
  const auto commands = sim.Commands();
  ASSERT_GE(commands.size(), 9u);
  // The model check, then the poller's cycle.
  EXPECT_EQ(std::vector<std::string>(commands.begin(), commands.begin() + 9),
            (std::vector<std::string>{"G01", "I90", "D2", "G01", "I04", "D", "I05", "D", "I03"}));

  CliResult simulated = Run({"upload", "--simulate"});
  EXPECT_EQ(simulated.status, 0) << simulated.err;
  EXPECT_NE(simulated.out.find("[HEAD]"), std::string::npos);

  CliResult help = Run({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char *command :
       {"ports", "upload", "download", "compare", "diff", "show", "get", "set", "monitor"})
    EXPECT_NE(help.out.find(command), std::string::npos) << command;
  EXPECT_EQ(Run({"download", "--help"}).status, 0);
  EXPECT_EQ(Run({}).status, 2);
  EXPECT_EQ(Run({"upload"}).status, 2);
  EXPECT_EQ(Run({"frobnicate"}).status, 2);
  EXPECT_EQ(Run({"diff", "only-one.cfg"}).status, 2);
  EXPECT_EQ(Run({"monitor", "--simulate", "--count", "x"}).status, 2);
  EXPECT_EQ(Run({"ports"}).status, 0);
}

TEST_F(CliTest, TheLogKeepsWhatWasDoneAndVerboseAddsEveryCommandAndReply) {
  CKT5RSSimulator sim(Options());
  sim.Start();
  const std::string log = m_home.File("state/VANTORIX/vela/vela-cli.log");

  const CliResult quiet = Run({"upload", "--port", sim.DevicePath(), "-o", m_home.File("a.cfg")});
  ASSERT_EQ(quiet.status, 0) << quiet.err;
  EXPECT_EQ(quiet.err, "");
  std::string text = ReadWholeFile(log);
  EXPECT_NE(text.find("upload --port " + sim.DevicePath()), std::string::npos) << text;
  EXPECT_NE(text.find("opened " + sim.DevicePath()), std::string::npos) << text;
  EXPECT_NE(text.find("upload completed in"), std::string::npos) << text;
  EXPECT_EQ(text.find("\"G01\\r\""), std::string::npos) << "no command without --verbose";

  // A failure is there with the message the user saw.
  sim.SetFault(SimFault::Silence);
  EXPECT_EQ(Run({"upload", "--port", sim.DevicePath()}).status, 3);
  text = ReadWholeFile(log);
  EXPECT_NE(text.find("upload failed"), std::string::npos) << text;
  EXPECT_NE(text.find(LoadString(IDS_RECEIVE_TIMEOUT)), std::string::npos) << text;
  sim.ClearFault();

  const CliResult verbose = Run({"--verbose", "get", "--port", sim.DevicePath(), "0.0"});
  ASSERT_EQ(verbose.status, 0) << verbose.err;
  EXPECT_NE(verbose.err.find("\"G01\\r\" -> \"Denter item"), std::string::npos) << verbose.err;
  EXPECT_NE(ReadWholeFile(log).find("\"I10\\r\" -> \"D"), std::string::npos);
}
