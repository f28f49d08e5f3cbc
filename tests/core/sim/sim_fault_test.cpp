// Faults of the simulated instrument, each switched on with one call and
// seen through the program's own protocol object. Time-outs are shortened
// on both sides so the suite stays quick.
#include "core/resources/string_ids.h"
#include "sim_test_util.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace simtest;
using namespace std::chrono_literals;

namespace {

constexpr unsigned kTimeout = 300; // the "program's" time-out in these tests

class SimFaults : public ::testing::Test {
protected:
  void SetUp() override {
    SimOptions o = QuietOptions();
    o.faultTimeoutMs = kTimeout;
    o.faultMarginMs = 120;
    o.reopenAfterHangupMs = 50;
    sim = std::make_unique<CKT5RSSimulator>(o);
    sim->Start();
    link = std::make_unique<Link>(sim->DevicePath());
  }

  // One command with the short time-out; the reply, or the error id as "#300".
  std::string Tx(const std::string &command) {
    try {
      return link->Tx(command, kTimeout);
    } catch (const CException &e) {
      return "#" + std::to_string(e.GetId());
    }
  }

  std::unique_ptr<CKT5RSSimulator> sim;
  std::unique_ptr<Link> link;
};

TEST_F(SimFaults, SilenceFromNowOrAfterSomeCommands) {
  sim->SetFault(SimFault::Silence);
  EXPECT_EQ(Tx("G01"), "#300");
  EXPECT_EQ(Tx("G01"), "#300");
  sim->ClearFault();
  EXPECT_EQ(Tx("G01"), "Denter item");

  sim->SetFault(SimFault::Silence, 2);
  EXPECT_EQ(Tx("I10"), "D");
  EXPECT_EQ(Tx("D"), "D0");
  EXPECT_EQ(Tx("D"), "#300");
  EXPECT_EQ(sim->ActiveFault(), SimFault::Silence);
  sim->ClearFault();
  EXPECT_EQ(Tx("D"), "D0");
  // The commands were heard even when not answered.
  const auto cmds = sim->Commands();
  EXPECT_EQ(std::count(cmds.begin(), cmds.end(), "G01"), 3);
}

TEST_F(SimFaults, CountLimitsTheRepliesAffected) {
  sim->SetFault(SimFault::Silence, 1, 2);
  EXPECT_EQ(Tx("G01"), "Denter item");
  EXPECT_EQ(Tx("G01"), "#300");
  EXPECT_EQ(Tx("G01"), "#300");
  EXPECT_EQ(Tx("G01"), "Denter item");
  EXPECT_EQ(sim->ActiveFault(), SimFault::None);
}

TEST_F(SimFaults, LateReplyArrivesAfterTheTimeOutAndAnswersTheNextCommand) {
  sim->SetFault(SimFault::LateReply, 0, 1);
  EXPECT_EQ(Tx("G01"), "#300");
  // The late tail is what the next command reads first.
  EXPECT_EQ(Tx("I10"), "Denter item");
  EXPECT_EQ(Tx("D"), "D");
  EXPECT_EQ(Tx("D"), "D0");
}

TEST_F(SimFaults, CutShortReplyTimesOut) {
  sim->SetFault(SimFault::CutShort, 0, 1);
  EXPECT_EQ(Tx("G01"), "#300");
  EXPECT_EQ(sim->Transcript().back(), "< Dente");
  // The link dropped the partial line with its time-out.
  EXPECT_EQ(Tx("G01"), "Denter item");
}

TEST_F(SimFaults, GarbageBeforeTheReplyFailsTheResponseCheck) {
  sim->SetFault(SimFault::Garbage, 0, 1);
  EXPECT_EQ(IdOf([&] { link->link.SelectGroup(1); }), IDS_INVALID_G_RESPONSE);
  link->link.SelectGroup(1);
  sim->SetFault(SimFault::Garbage, 0, 1);
  EXPECT_EQ(IdOf([&] { link->link.SelectItem(10); }), IDS_INVALID_I_RESPONSE);
  sim->SetFault(SimFault::Garbage, 1, 1);
  EXPECT_EQ(IdOf([&] { link->link.ReadItem(10); }), IDS_INVALID_D_RESPONSE);
  EXPECT_EQ(link->link.ReadItem(10), "0");
}

TEST_F(SimFaults, NulInsideAReplyMakesItAFailedRead) {
  link->link.SelectGroup(1);
  link->link.SelectItem(90);
  sim->SetFault(SimFault::NulInside, 0, 1);
  EXPECT_EQ(Tx("D2"), "#300");
  const auto t = sim->Transcript();
  EXPECT_NE(t.back().find('\0'), std::string::npos);
  EXPECT_EQ(Tx("D2"), "DKT5RS Ver 1.00");
}

TEST_F(SimFaults, SlowBytesJustUnderTheTimeOutArriveJustOverFail) {
  link->link.SelectGroup(1);
  link->link.SelectItem(10);
  sim->SetFault(SimFault::SlowUnder, 0, 1);
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(Tx("D"), "D0"); // three bytes, two gaps
  EXPECT_GE(std::chrono::steady_clock::now() - t0, 2 * std::chrono::milliseconds(kTimeout - 120) - 20ms);

  sim->SetFault(SimFault::SlowOver, 0, 1);
  EXPECT_EQ(Tx("D"), "#300");
  ASSERT_TRUE(sim->WaitUntilQuiet(5s));
  // The rest of the slow reply is still on the line: read it away.
  std::string rest;
  EXPECT_NO_THROW(rest = link->link.Serial().ReadLine());
  EXPECT_EQ(rest, "0");
  EXPECT_EQ(Tx("D"), "D0");
}

TEST_F(SimFaults, EndlessLineNeverEndsUntilCleared) {
  link->link.SelectGroup(1);
  sim->SetFault(SimFault::EndlessLine);
  EXPECT_EQ(Tx("I10"), "#300"); // the link gives up on a line without end
  EXPECT_EQ(sim->ActiveFault(), SimFault::EndlessLine);
  EXPECT_FALSE(sim->WaitUntilQuiet(100ms));
  sim->ClearFault();
  ASSERT_TRUE(sim->WaitUntilQuiet(5s));
  // What is still buffered spoils at most a couple of replies.
  std::string r;
  for (int i = 0; i < 4 && r != "Denter item"; ++i)
    r = Tx("G01");
  EXPECT_EQ(r, "Denter item");
  EXPECT_EQ(Tx("G01"), "Denter item");
}

TEST_F(SimFaults, HangUpMidReplyThenANewLineUnderTheSameComNumber) {
  ScopedTestHome home;
  SimOptions o = QuietOptions();
  o.registerPort = true;
  o.reopenAfterHangupMs = 50;
  CKT5RSSimulator s(o);
  s.Start();
  const int com = s.ComNumber();
  ASSERT_GT(com, 0);
  const std::string oldPath = s.DevicePath();
  Link l(com);
  l.link.SelectGroup(1);
  s.SetFault(SimFault::HangUp);
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(IdOf([&] { l.link.SelectItem(10); }), IDS_RECEIVE_TIMEOUT);
  // A hang-up is seen at once, not after the time-out.
  EXPECT_LT(std::chrono::steady_clock::now() - t0, 900ms);
  EXPECT_EQ(s.Transcript().back(), "< D"); // half of "D", then nothing

  // The instrument comes back on a new pty, registered under the same number.
  for (int i = 0; i < 100 && s.DevicePath() == oldPath; ++i)
    std::this_thread::sleep_for(20ms);
  ASSERT_NE(s.DevicePath(), oldPath);
  EXPECT_EQ(s.ComNumber(), com);
  Link again(com);
  again.link.SelectGroup(1);
  EXPECT_EQ(again.link.ReadItem(10), "0");
  EXPECT_EQ(s.ActiveFault(), SimFault::None);
}

TEST_F(SimFaults, PacedBytesTakeTheLineRate) {
  sim->SetPace(true);
  sim->SetTurnaround(20);
  link->link.SelectGroup(1);
  link->link.SelectItem(62);
  const auto t0 = std::chrono::steady_clock::now();
  for (int k = 0; k < 10; ++k)
    EXPECT_EQ(Tx("DX" + std::to_string(k)).substr(0, 1), "D");
  // 10 commands of 4 bytes, 10 replies of at least 8 bytes and 10
  // turnarounds: at least 10 * (4 + 8) byte times and 200 ms.
  EXPECT_GE(std::chrono::steady_clock::now() - t0, 200ms + 120 * std::chrono::microseconds(1041));
  sim->SetPace(false);
  sim->SetTurnaround(0);
}

TEST_F(SimFaults, TranscriptLogFileHasEveryLineWithTimes) {
  ScopedTestHome home;
  SimOptions o = QuietOptions();
  o.logFile = home.File("sim.log");
  {
    CKT5RSSimulator s(o);
    s.Start();
    Link l(s.DevicePath());
    l.link.SelectGroup(1);
    l.link.ReadItem(10);
  }
  const std::string log = ReadWholeFile(home.File("sim.log"));
  EXPECT_NE(log.find("> G01\n"), std::string::npos) << log;
  EXPECT_NE(log.find("< Denter item\n"), std::string::npos);
  EXPECT_NE(log.find("> I10\n"), std::string::npos);
  EXPECT_NE(log.find("< D0\n"), std::string::npos);
  EXPECT_EQ(log[2], ':'); // hh:mm:ss.mmm first
}

} // namespace
