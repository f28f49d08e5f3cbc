// The live value poller against a scripted instrument on a pseudo-terminal:
// what a cycle sends, how the D replies become live texts and values, the
// error flag, the link mutex as the user's commands see it, and shutdown.
#include "wait_for.h"
#include "core/workers/update_io_thread.h"

#include "core/link/comm_interface.h"
#include "pty_peer.h"
#include "core/resources/string_ids.h"
#include "scripted_ui_host.h"

#include <gtest/gtest.h>

#include <atomic>
#include <clocale>
#include <map>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

const std::vector<std::string> OneCycle = {"G01", "I04", "D", "I05", "D", "I03", "D", "I02", "D"};

// An instrument whose item replies the test sets, which can fall silent from
// a given item on, and which can trickle an endless reply one byte at a time.
class ScriptedInstrument {
public:
  ScriptedInstrument() {
    m_peer.Respond([this](const std::string &command) { return Answer(command); });
  }
  ~ScriptedInstrument() {
    m_trickle = false;
    m_peer.Stop();
  }

  void SetReply(int item, const std::string &reply) {
    std::lock_guard lock(m_mutex);
    m_replies[item] = reply;
  }
  // Items selected from now on (and the D after them) get no answer.
  void SilenceFrom(int item) {
    std::lock_guard lock(m_mutex);
    m_silentItem = item;
  }
  void Speak() {
    std::lock_guard lock(m_mutex);
    m_silentItem = -1;
  }
  // The D of this item answers with bytes that never end, each one a little
  // before the reader would give up.
  void TrickleOn(int item, std::chrono::milliseconds gap) {
    std::lock_guard lock(m_mutex);
    m_trickleItem = item;
    m_trickleGap = gap;
  }
  bool Trickling() const { return m_trickling; }

  CPtyPeer &Peer() { return m_peer; }
  std::vector<std::string> Commands() const { return m_peer.Commands(); }

private:
  std::string Answer(const std::string &command) {
    std::unique_lock lock(m_mutex);
    if (command == "G01") {
      m_item = 0;
      return "Denter item\r";
    }
    if (command.size() == 3 && command[0] == 'I') {
      m_item = std::stoi(command.substr(1));
      return m_item == m_silentItem ? "" : "D\r";
    }
    if (m_item == m_silentItem)
      return "";
    if (command == "D" && m_item == m_trickleItem) {
      auto gap = m_trickleGap;
      lock.unlock();
      m_trickling = true;
      while (m_trickle) {
        std::this_thread::sleep_for(gap);
        m_peer.Send("7");
      }
      m_trickling = false;
      return "";
    }
    auto it = m_replies.find(m_item);
    return (it == m_replies.end() ? std::string("D0.0") : it->second) + "\r";
  }

  CPtyPeer m_peer;
  mutable std::mutex m_mutex;
  std::map<int, std::string> m_replies;
  int m_item = 0;
  int m_silentItem = -1;
  int m_trickleItem = -1;
  std::chrono::milliseconds m_trickleGap{0};
  std::atomic<bool> m_trickle{true};
  std::atomic<bool> m_trickling{false};
};

class PollerTest : public ::testing::Test {
protected:
  void SetUp() override {
    m_link.OpenDevice(m_instrument.Peer().SlavePath());
    m_poller.SetTransactTimeout(250);
    m_poller.Start();
  }
  void TearDown() override { m_poller.Stop(); }

  void GoOnline() {
    ASSERT_TRUE(m_poller.Lock());
    ASSERT_TRUE(m_poller.SetProtocol(&m_link));
    m_poller.Unlock();
  }
  // Waits until n more cycles have run from now.
  void WaitCycles(unsigned long n) {
    const auto target = m_poller.CycleCount() + n;
    ASSERT_TRUE(WaitFor([&] { return m_poller.CycleCount() >= target; }));
  }

  CScriptedUIHost m_host;
  ScriptedInstrument m_instrument;
  CCommInterface m_link;
  CUpdateIOThread m_poller;
};

} // namespace

TEST(LiveValue, ReadsOneNumberLikeScanfWithADecimalPoint) {
  EXPECT_DOUBLE_EQ(CUpdateIOThread::ReadLiveValue("  12.5"), 12.5);
  EXPECT_DOUBLE_EQ(CUpdateIOThread::ReadLiveValue("12.5mA"), 12.5);
  EXPECT_DOUBLE_EQ(CUpdateIOThread::ReadLiveValue("\t-0.25 "), -0.25);
  EXPECT_DOUBLE_EQ(CUpdateIOThread::ReadLiveValue("1e3"), 1000.0);
  EXPECT_DOUBLE_EQ(CUpdateIOThread::ReadLiveValue("---"), 0.0);
  EXPECT_DOUBLE_EQ(CUpdateIOThread::ReadLiveValue(""), 0.0);
  EXPECT_DOUBLE_EQ(CUpdateIOThread::ReadLiveValue("mA 12"), 0.0);
  EXPECT_DOUBLE_EQ(CUpdateIOThread::ReadLiveValue("inf"), 0.0);
  EXPECT_DOUBLE_EQ(CUpdateIOThread::ReadLiveValue("nan"), 0.0);
}

TEST(LiveValue, UserLocaleWithDecimalCommaDoesNotChangeTheReading) {
  std::string old = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "de_DE.utf8"))
    GTEST_SKIP() << "no German locale installed";
  double value = CUpdateIOThread::ReadLiveValue(" 3.75");
  std::setlocale(LC_ALL, old.c_str());
  EXPECT_DOUBLE_EQ(value, 3.75);
}

TEST_F(PollerTest, CycleSendsGroupThenItemsFourFiveThreeTwoEachWithARead) {
  ASSERT_TRUE(WaitFor([&] { return m_poller.CycleCount() >= 1; }));
  // Offline the poller sleeps until it is given a connection: no cycles, no
  // wake-ups, and the line untouched.
  const auto offline = m_poller.CycleCount();
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(m_poller.CycleCount(), offline);
  EXPECT_TRUE(m_instrument.Commands().empty()) << "offline cycles must not touch the line";
  EXPECT_FALSE(m_poller.GetError());
  GoOnline();
  WaitCycles(2);
  ASSERT_TRUE(m_poller.Lock());
  auto commands = m_instrument.Commands();
  m_poller.Unlock();
  ASSERT_GE(commands.size(), 18u);
  ASSERT_EQ(commands.size() % 9, 0u) << "a cycle was cut in the middle while the user held the line";
  for (std::size_t i = 0; i < commands.size(); ++i)
    EXPECT_EQ(commands[i], OneCycle[i % 9]) << "command " << i;
  EXPECT_FALSE(m_poller.GetError());
}

TEST_F(PollerTest, RepliesBecomeLiveTextsAndValues) {
  m_instrument.SetReply(4, "D  12.5");
  m_instrument.SetReply(5, "D---");
  m_instrument.SetReply(3, "D");
  m_instrument.SetReply(2, "D12.5mA ");
  GoOnline();
  WaitCycles(2);
  EXPECT_EQ(m_poller.GetLiveText(0), "12.5");
  EXPECT_DOUBLE_EQ(m_poller.GetLiveValue(0), 12.5);
  EXPECT_EQ(m_poller.GetLiveText(1), "---");
  EXPECT_DOUBLE_EQ(m_poller.GetLiveValue(1), 0.0);
  EXPECT_EQ(m_poller.GetLiveText(2), "");
  EXPECT_DOUBLE_EQ(m_poller.GetLiveValue(2), 0.0);
  EXPECT_EQ(m_poller.GetLiveText(3), "12.5mA ") << "trailing blanks stay";
  EXPECT_DOUBLE_EQ(m_poller.GetLiveValue(3), 12.5);
  // The first character is taken off whatever it is, and tabs lead as blanks do.
  m_instrument.SetReply(4, "X\t 7.25");
  WaitCycles(2);
  EXPECT_EQ(m_poller.GetLiveText(4), "") << "out of range index";
  EXPECT_EQ(m_poller.GetLiveText(0), "7.25");
  EXPECT_DOUBLE_EQ(m_poller.GetLiveValue(0), 7.25);
  EXPECT_FALSE(m_poller.GetError());
}

TEST_F(PollerTest, OfflineCycleClearsTheFlagAndKeepsTheLastLiveTexts) {
  m_instrument.SetReply(5, "D42.5");
  m_instrument.SilenceFrom(3);
  GoOnline();
  ASSERT_TRUE(WaitFor([&] { return m_poller.GetError(); }));
  ASSERT_TRUE(m_poller.Lock());
  ASSERT_TRUE(m_poller.SetProtocol(nullptr));
  m_poller.Unlock();
  ASSERT_TRUE(WaitFor([&] { return !m_poller.GetError(); }));
  EXPECT_EQ(m_poller.GetLiveText(1), "42.5");
  EXPECT_DOUBLE_EQ(m_poller.GetLiveValue(1), 42.5);
}

TEST_F(PollerTest, UserOperationWaitsAtMostOneCycleAndThenHasTheLine) {
  for (int item : {4, 5, 3, 2})
    m_instrument.SetReply(item, "D1.0");
  m_instrument.SetReply(10, "D1");
  GoOnline();
  std::size_t ours = 0; // commands this test sent itself
  for (int round = 0; round < 5; ++round) {
    // Catch the poller in the middle of a cycle.
    ASSERT_TRUE(WaitFor([&] { return (m_instrument.Commands().size() - ours) % 9 == 3; }, 2000ms));
    const auto before = m_poller.CycleCount();
    {
      CLinkLock lock = m_poller.ScopedLock();
      ASSERT_TRUE(lock);
      EXPECT_LE(m_poller.CycleCount() - before, 1u);
      auto seen = m_instrument.Commands().size();
      EXPECT_EQ((seen - ours) % 9, 0u) << "the operation started inside a cycle";
      EXPECT_EQ(m_link.ReadItem(10), "1");
      ours += 2;
      std::this_thread::sleep_for(30ms);
      auto after = m_instrument.Commands();
      ASSERT_EQ(after.size(), seen + 2) << "the poller talked while the user held the line";
      EXPECT_EQ(after[seen], "I10");
    }
  }
  EXPECT_FALSE(m_poller.GetError());
}

TEST_F(PollerTest, NestedLocksKeepThePollerOffUntilTheLastUnlock) {
  GoOnline();
  WaitCycles(1);
  ASSERT_TRUE(m_poller.Lock());
  ASSERT_TRUE(m_poller.Lock()); // a disconnect inside an operation takes it again
  const auto seen = m_instrument.Commands().size();
  m_poller.Unlock();
  std::this_thread::sleep_for(600ms); // longer than the poller's own wait
  EXPECT_EQ(m_instrument.Commands().size(), seen);
  m_poller.Unlock();
  ASSERT_TRUE(WaitFor([&] { return m_instrument.Commands().size() > seen; }));
  EXPECT_TRUE(m_host.Messages().empty());
}

TEST_F(PollerTest, LockTimeOutShowsErrorAndTheOperationSendsNothing) {
  m_poller.SetLockTimeout(300ms);
  m_instrument.TrickleOn(4, 100ms); // one reply that never ends, holding the poller's cycle
  GoOnline();
  ASSERT_TRUE(WaitFor([&] { return m_instrument.Trickling(); }));
  const auto seen = m_instrument.Commands().size();

  bool sent = false;
  auto operation = [&] {
    CLinkLock lock = m_poller.ScopedLock();
    if (!lock)
      return;
    std::string response;
    m_link.Transact("I10\r", response);
    sent = true;
  };
  operation();
  EXPECT_FALSE(sent);
  auto shown = m_host.Messages();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, "Error");
  EXPECT_EQ(shown[0].style, MB_OK);
  EXPECT_EQ(m_instrument.Commands().size(), seen);
  EXPECT_FALSE(m_poller.Mutex().IsHeldByCurrentThread());
  // A stray Unlock after the failure takes nothing from the poller.
  m_poller.Unlock();
  EXPECT_FALSE(m_poller.Mutex().Lock(50ms));
}

TEST_F(PollerTest, StopWhileOfflineOrWaitingForTheLineIsPrompt) {
  ASSERT_TRUE(WaitFor([&] { return m_poller.CycleCount() >= 1; }));
  auto start = Clock::now();
  {
    CLinkLock lock = m_poller.ScopedLock(); // the poller now waits for the line
    std::this_thread::sleep_for(50ms);
    m_poller.RequestStop();
  }
  m_poller.Stop();
  EXPECT_LT(Clock::now() - start, 1500ms);
  m_poller.Stop(); // twice is harmless
}
