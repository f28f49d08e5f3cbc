// The live value poller against the instrument simulator and its faults.
#include "wait_for.h"
#include "core/workers/update_io_thread.h"

#include "kt5rs_simulator.h"
#include "core/link/comm_interface.h"
#include "scripted_ui_host.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

class PollerSimTest : public ::testing::Test {
protected:
  void SetUp() override {
    SimOptions options;
    options.registerPort = false;
    options.inputPercent = 20.0;
    m_sim = std::make_unique<CKT5RSSimulator>(options);
    m_sim->Start();
    m_link.OpenDevice(m_sim->DevicePath());
    m_poller.Start();
    ASSERT_TRUE(m_poller.Lock());
    ASSERT_TRUE(m_poller.SetProtocol(&m_link));
    m_poller.Unlock();
  }
  void TearDown() override { m_poller.Stop(); }

  void WaitCycles(unsigned long n) {
    const auto target = m_poller.CycleCount() + n;
    ASSERT_TRUE(WaitFor([&] { return m_poller.CycleCount() >= target; }));
  }

  CScriptedUIHost m_host;
  std::unique_ptr<CKT5RSSimulator> m_sim;
  CCommInterface m_link;
  CUpdateIOThread m_poller;
};

} // namespace

TEST_F(PollerSimTest, LiveValuesFollowTheSimulatedInput) {
  WaitCycles(2);
  EXPECT_NEAR(m_poller.GetLiveValue(1), 20.0, 0.01); // input %
  for (int i = 0; i < CUpdateIOThread::LiveCount; ++i) {
    std::string text = m_poller.GetLiveText(i);
    EXPECT_FALSE(text.empty()) << i;
    EXPECT_DOUBLE_EQ(CUpdateIOThread::ReadLiveValue(text), m_poller.GetLiveValue(i)) << i;
  }
  EXPECT_FALSE(m_poller.GetError());
}

TEST_F(PollerSimTest, InstrumentFallingSilentInTheThirdPoll) {
  WaitCycles(2);
  double before[CUpdateIOThread::LiveCount];
  std::string beforeText[CUpdateIOThread::LiveCount];
  {
    CLinkLock lock = m_poller.ScopedLock(); // between two cycles
    ASSERT_TRUE(lock);
    for (int i = 0; i < CUpdateIOThread::LiveCount; ++i) {
      before[i] = m_poller.GetLiveValue(i);
      beforeText[i] = m_poller.GetLiveText(i);
    }
    m_sim->SetInputPercent(70.0);
    m_sim->ClearTranscript();
    // G01, I04, D, I05, D are answered; I03 and everything after is not.
    m_sim->SetFault(SimFault::Silence, 5);
  }
  ASSERT_TRUE(WaitFor([&] { return m_poller.GetError(); }));
  CLinkLock lock = m_poller.ScopedLock();
  EXPECT_NE(m_poller.GetLiveValue(0), before[0]);
  EXPECT_NEAR(m_poller.GetLiveValue(1), 70.0, 0.01);
  EXPECT_EQ(m_poller.GetLiveText(2), beforeText[2]);
  EXPECT_DOUBLE_EQ(m_poller.GetLiveValue(2), before[2]);
  EXPECT_EQ(m_poller.GetLiveText(3), beforeText[3]);
  EXPECT_DOUBLE_EQ(m_poller.GetLiveValue(3), before[3]);
  auto commands = m_sim->Commands();
  ASSERT_GE(commands.size(), 6u);
  EXPECT_EQ(std::vector<std::string>(commands.begin(), commands.begin() + 6),
            (std::vector<std::string>{"G01", "I04", "D", "I05", "D", "I03"}));
}

TEST_F(PollerSimTest, FlagComesBackAfterTheOwnerClearsItWhileTheInstrumentStaysSilent) {
  m_sim->SetFault(SimFault::Silence);
  ASSERT_TRUE(WaitFor([&] { return m_poller.GetError(); }));
  {
    // The owner's answer Yes: reopen and clear the flag under the lock.
    CLinkLock lock = m_poller.ScopedLock();
    ASSERT_TRUE(lock);
    m_link.Reopen();
    m_poller.ClearError();
  }
  EXPECT_FALSE(m_poller.GetError());
  ASSERT_TRUE(WaitFor([&] { return m_poller.GetError(); }));
  // Answering again, the instrument does not clear the flag by itself.
  {
    CLinkLock lock = m_poller.ScopedLock();
    m_sim->ClearFault();
    m_link.Reopen();
  }
  WaitCycles(2);
  EXPECT_TRUE(m_poller.GetError());
}

TEST_F(PollerSimTest, ClosingWhileTheInstrumentTricklesBytesEndsWithinASecond) {
  {
    CLinkLock lock = m_poller.ScopedLock();
    // Every byte of every reply comes 850 ms after the one before: each stays
    // within the 1 s read limit, so one line would take many seconds.
    m_sim->SetFaultTiming(1000, 150);
    m_sim->SetFault(SimFault::SlowUnder);
    m_sim->ClearTranscript();
  }
  ASSERT_TRUE(m_sim->WaitForTranscript(1, 3000ms));
  std::this_thread::sleep_for(1200ms); // well inside a trickled reply
  // The way the main window closes: stop first, then disconnect, then wait.
  const auto start = Clock::now();
  m_poller.RequestStop();
  {
    CLinkLock lock(m_poller.Mutex(), 1500ms);
    EXPECT_TRUE(lock) << "the disconnect had to wait for the trickled cycle";
    EXPECT_TRUE(m_poller.SetProtocol(nullptr));
  }
  m_poller.Stop();
  EXPECT_LT(Clock::now() - start, 1500ms);
  EXPECT_TRUE(m_host.Messages().empty());
}
