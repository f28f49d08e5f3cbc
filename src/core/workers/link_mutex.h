// The one lock that keeps the live value poller and the user's own commands
// from meeting on the serial line.
//
// It belongs to a thread, and the holding thread may take it again (one
// Unlock per Lock): a command that already holds it may call another that
// takes it too. Waiting is bounded, and waiters are served in the order they
// came: when the poller ends a cycle while a user operation waits, the
// operation gets the line before the poller's next cycle, however eagerly the
// poller asks again.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <thread>

class CLinkMutex {
public:
  CLinkMutex() = default;
  CLinkMutex(const CLinkMutex &) = delete;
  CLinkMutex &operator=(const CLinkMutex &) = delete;

  // True when the calling thread holds the mutex afterwards: at once when it
  // already did (one level deeper), otherwise once handed over within the
  // time limit. False leaves nothing taken.
  bool Lock(std::chrono::milliseconds timeout);
  // Gives back one level. A thread that does not hold the mutex releases
  // nothing and gets false.
  bool Unlock();

  bool IsHeldByCurrentThread() const;
  // Nesting depth of the calling thread's hold; 0 when it does not hold it.
  unsigned Depth() const;
  // Threads waiting in Lock right now.
  std::size_t WaiterCount() const;

private:
  struct Waiter {
    std::thread::id id;
    bool granted = false;
  };

  mutable std::mutex m_state;
  std::condition_variable m_handOver;
  std::thread::id m_owner; // no thread while free
  unsigned m_depth = 0;
  std::deque<Waiter *> m_waiters; // in order of arrival
};

// Holds one level of a CLinkMutex for a scope and gives it back on every way
// out. It reports whether the lock was obtained; a guard that did not get it
// releases nothing.
class CLinkLock {
public:
  CLinkLock() = default;
  CLinkLock(CLinkMutex &mutex, std::chrono::milliseconds timeout);
  ~CLinkLock();
  CLinkLock(CLinkLock &&other) noexcept;
  CLinkLock &operator=(CLinkLock &&other) noexcept;
  CLinkLock(const CLinkLock &) = delete;
  CLinkLock &operator=(const CLinkLock &) = delete;

  // Takes over a level the calling thread has just obtained itself.
  static CLinkLock Adopt(CLinkMutex &mutex);

  bool OwnsLock() const { return m_mutex != nullptr; }
  explicit operator bool() const { return OwnsLock(); }
  // Gives the level back before the end of the scope.
  void Unlock();

private:
  CLinkMutex *m_mutex = nullptr; // set only while a level is held
};
