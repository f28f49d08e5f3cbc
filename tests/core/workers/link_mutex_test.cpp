// The link mutex: re-entrant for its holder, bounded waits, hand-over to a
// waiting user operation before the poller can take it again.
#include "core/workers/link_mutex.h"

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

// Another thread that holds the mutex until told to let go.
class Holder {
public:
  explicit Holder(CLinkMutex &m)
      : m_thread([this, &m] {
          CLinkLock lock(m, 0ms);
          m_held = true;
          while (!m_release)
            std::this_thread::sleep_for(1ms);
        }) {
    while (!m_held)
      std::this_thread::sleep_for(1ms);
  }
  ~Holder() { Release(); }
  void Release() {
    m_release = true;
    if (m_thread.joinable())
      m_thread.join();
  }

private:
  std::atomic<bool> m_held{false}, m_release{false};
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

TEST(LinkMutex, ThreadsThatDoNotHoldItReleaseNothing) {
  CLinkMutex m;
  Holder holder(m);
  EXPECT_FALSE(m.Unlock());
  {
    CLinkLock failed(m, 10ms);
    EXPECT_FALSE(failed);
  }
  EXPECT_FALSE(CLinkLock::Adopt(m));
  EXPECT_FALSE(m.Lock(30ms)) << "a stray release freed the holder's mutex";
  holder.Release();
  EXPECT_TRUE(TakenElsewhere(m));
}

TEST(LinkMutex, TimedOutWaiterLeavesTheQueue) {
  CLinkMutex m;
  Holder holder(m);
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(m.Lock(50ms));
  EXPECT_GE(std::chrono::steady_clock::now() - start, 50ms);
  EXPECT_EQ(m.Depth(), 0u);
  EXPECT_EQ(m.WaiterCount(), 0u);
  holder.Release();
  // Had the gone waiter stayed queued, the release would have handed the
  // mutex to nobody and it would be stuck.
  EXPECT_TRUE(TakenElsewhere(m));
}

TEST(LinkMutex, ReleaseHandsOverToTheWaiterEvenIfTheReleaserAsksAgainAtOnce) {
  CLinkMutex m;
  std::atomic<bool> userDone{false};
  ASSERT_TRUE(m.Lock(0ms)); // this thread plays the poller
  std::thread user([&] {
    ASSERT_TRUE(m.Lock(5000ms));
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
    while (m.WaiterCount() < static_cast<std::size_t>(i + 1))
      std::this_thread::sleep_for(1ms);
  }
  m.Unlock();
  for (auto &t : waiters)
    t.join();
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3}));
}

TEST(LinkLock, ReleasesItsOneLevelOnScopeExitAndMovesKeepOneRelease) {
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
    EXPECT_FALSE(TakenElsewhere(m, 20ms));
    CLinkLock moved(std::move(outer));
    EXPECT_FALSE(outer.OwnsLock());
    EXPECT_TRUE(moved.OwnsLock());
    EXPECT_EQ(m.Depth(), 1u);
  }
  EXPECT_EQ(m.Depth(), 0u);

  ASSERT_TRUE(m.Lock(0ms));
  CLinkLock adopted = CLinkLock::Adopt(m);
  EXPECT_TRUE(adopted);
  adopted.Unlock();
  EXPECT_EQ(m.Depth(), 0u);
  EXPECT_TRUE(TakenElsewhere(m));
}
