// The link mutex: re-entrant for its holder, bounded waits, hand-over to a
// waiting user operation before the poller's next cycle.
#include "workers/link_mutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

// Tries the mutex from another thread, as the poller would.
bool TakenElsewhere(CLinkMutex &m, std::chrono::milliseconds timeout = 0ms) {
  bool got = false;
  std::thread t([&] {
    got = m.Lock(timeout);
    if (got)
      m.Unlock();
  });
  t.join();
  return got;
}

// A thread that takes the mutex for one short "cycle" after another, asking
// again as soon as it has released it.
class EagerCycler {
public:
  explicit EagerCycler(CLinkMutex &m) : m_mutex(m), m_thread([this] { Run(); }) {}
  ~EagerCycler() {
    m_stop = true;
    m_thread.join();
  }
  int Cycles() const { return m_cycles.load(); }
  bool InsideCycle() const { return m_inside.load(); }

private:
  void Run() {
    while (!m_stop) {
      CLinkLock lock(m_mutex, 500ms);
      if (!lock)
        continue;
      m_inside = true;
      ++m_cycles;
      std::this_thread::sleep_for(5ms);
      m_inside = false;
    }
  }
  CLinkMutex &m_mutex;
  std::atomic<bool> m_stop{false};
  std::atomic<bool> m_inside{false};
  std::atomic<int> m_cycles{0};
  std::thread m_thread;
};

} // namespace

TEST(LinkMutex, NestedLocksNeedOneUnlockEach) {
  CLinkMutex m;
  ASSERT_TRUE(m.Lock(0ms));
  ASSERT_TRUE(m.Lock(0ms));
  ASSERT_TRUE(m.Lock(0ms));
  EXPECT_EQ(m.Depth(), 3u);
  EXPECT_TRUE(m.Unlock());
  EXPECT_TRUE(m.Unlock());
  EXPECT_TRUE(m.IsHeldByCurrentThread());
  EXPECT_FALSE(TakenElsewhere(m, 20ms));
  EXPECT_TRUE(m.Unlock());
  EXPECT_FALSE(m.IsHeldByCurrentThread());
  EXPECT_TRUE(TakenElsewhere(m));
  // One Unlock too many gives back nothing and says so.
  EXPECT_FALSE(m.Unlock());
}

TEST(LinkMutex, ThreadThatDoesNotHoldItReleasesNothing) {
  CLinkMutex m;
  std::atomic<bool> held{false}, release{false};
  std::thread holder([&] {
    m.Lock(0ms);
    held = true;
    while (!release)
      std::this_thread::sleep_for(1ms);
    m.Unlock();
  });
  while (!held)
    std::this_thread::sleep_for(1ms);
  EXPECT_FALSE(m.Unlock());
  EXPECT_FALSE(m.IsHeldByCurrentThread());
  EXPECT_FALSE(m.Lock(30ms)) << "a stray Unlock must not have freed the holder's mutex";
  release = true;
  holder.join();
  EXPECT_TRUE(m.Lock(1000ms));
  EXPECT_TRUE(m.Unlock());
}

TEST(LinkMutex, TimedOutWaiterLeavesTheQueue) {
  CLinkMutex m;
  std::atomic<bool> held{false}, release{false};
  std::thread holder([&] {
    m.Lock(0ms);
    held = true;
    while (!release)
      std::this_thread::sleep_for(1ms);
    m.Unlock();
  });
  while (!held)
    std::this_thread::sleep_for(1ms);
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(m.Lock(50ms));
  EXPECT_GE(std::chrono::steady_clock::now() - start, 50ms);
  EXPECT_EQ(m.Depth(), 0u);
  release = true;
  holder.join();
  // Had the gone waiter stayed queued, the release would have handed the
  // mutex to nobody and it would be stuck.
  EXPECT_TRUE(TakenElsewhere(m));
}

TEST(LinkMutex, WaitersAreServedInOrderOfArrival) {
  CLinkMutex m;
  ASSERT_TRUE(m.Lock(0ms));
  std::mutex orderMutex;
  std::vector<int> order;
  std::vector<std::thread> waiters;
  for (int i = 0; i < 4; ++i) {
    waiters.emplace_back([&, i] {
      ASSERT_TRUE(m.Lock(5000ms));
      {
        std::lock_guard l(orderMutex);
        order.push_back(i);
      }
      m.Unlock();
    });
    // Let each waiter queue up before the next one starts.
    std::this_thread::sleep_for(20ms);
  }
  m.Unlock();
  for (auto &t : waiters)
    t.join();
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3}));
}

TEST(LinkMutex, ReleaseHandsOverToTheWaiterEvenIfTheReleaserAsksAgainAtOnce) {
  CLinkMutex m;
  std::atomic<bool> userHasIt{false}, userDone{false};
  ASSERT_TRUE(m.Lock(0ms)); // this thread plays the poller
  std::thread user([&] {
    ASSERT_TRUE(m.Lock(5000ms));
    userHasIt = true;
    std::this_thread::sleep_for(20ms);
    userDone = true;
    m.Unlock();
  });
  while (m.WaiterCount() == 0)
    std::this_thread::sleep_for(1ms);
  ASSERT_TRUE(m.Unlock());
  EXPECT_FALSE(m.Lock(0ms)) << "the releasing thread took the mutex back from a waiting operation";
  ASSERT_TRUE(m.Lock(5000ms));
  EXPECT_TRUE(userDone.load());
  m.Unlock();
  user.join();
  EXPECT_TRUE(userHasIt.load());
}

TEST(LinkMutex, WaitingUserOperationGetsItBeforeTheNextCycle) {
  CLinkMutex m;
  EagerCycler poller(m);
  for (int round = 0; round < 20; ++round) {
    while (!poller.InsideCycle())
      std::this_thread::yield();
    int before = poller.Cycles();
    ASSERT_TRUE(m.Lock(5000ms));
    int after = poller.Cycles();
    EXPECT_LE(after - before, 1) << "the poller ran another cycle ahead of the waiting operation";
    std::this_thread::sleep_for(15ms);
    EXPECT_EQ(poller.Cycles(), after) << "the poller cycled while the operation held the line";
    m.Unlock();
  }
}

TEST(LinkLock, ReportsWhetherItGotTheMutexAndReleasesOnScopeExit) {
  CLinkMutex m;
  {
    CLinkLock outer(m, 0ms);
    ASSERT_TRUE(outer);
    {
      CLinkLock inner(m, 0ms);
      EXPECT_TRUE(inner.OwnsLock());
      EXPECT_EQ(m.Depth(), 2u);
    }
    EXPECT_EQ(m.Depth(), 1u);
    bool otherGot = true;
    std::thread t([&] {
      CLinkLock lock(m, 20ms);
      otherGot = lock.OwnsLock();
    });
    t.join();
    EXPECT_FALSE(otherGot);
  }
  EXPECT_EQ(m.Depth(), 0u);
  EXPECT_TRUE(TakenElsewhere(m));
}

TEST(LinkLock, FailedGuardReleasesNothingAndMovesKeepOneRelease) {
  CLinkMutex m;
  std::atomic<bool> held{false}, release{false};
  std::thread holder([&] {
    CLinkLock lock(m, 0ms);
    held = true;
    while (!release)
      std::this_thread::sleep_for(1ms);
  });
  while (!held)
    std::this_thread::sleep_for(1ms);
  {
    CLinkLock failed(m, 10ms);
    EXPECT_FALSE(failed);
  }
  EXPECT_FALSE(m.Lock(10ms)) << "the failed guard gave back the other thread's hold";
  release = true;
  holder.join();

  CLinkLock a(m, 0ms);
  ASSERT_TRUE(a);
  CLinkLock b(std::move(a));
  EXPECT_FALSE(a.OwnsLock());
  EXPECT_TRUE(b.OwnsLock());
  EXPECT_EQ(m.Depth(), 1u);
  b.Unlock();
  EXPECT_EQ(m.Depth(), 0u);

  ASSERT_TRUE(m.Lock(0ms));
  CLinkLock adopted = CLinkLock::Adopt(m);
  EXPECT_TRUE(adopted);
  adopted.Unlock();
  EXPECT_EQ(m.Depth(), 0u);
  EXPECT_FALSE(CLinkLock::Adopt(m)) << "nothing to adopt when the thread does not hold it";
}
