#include "core/workers/link_mutex.h"

#include <algorithm>

bool CLinkMutex::Lock(std::chrono::milliseconds timeout) {
  const auto me = std::this_thread::get_id();
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::unique_lock lock(m_state);
  if (m_depth > 0 && m_owner == me) {
    ++m_depth;
    return true;
  }
  if (m_depth == 0 && m_waiters.empty()) {
    m_owner = me;
    m_depth = 1;
    return true;
  }
  Waiter self{me};
  m_waiters.push_back(&self);
  if (m_handOver.wait_until(lock, deadline, [&] { return self.granted; }))
    return true;
  m_waiters.erase(std::find(m_waiters.begin(), m_waiters.end(), &self));
  return false;
}

bool CLinkMutex::Unlock() {
  std::lock_guard lock(m_state);
  if (m_depth == 0 || m_owner != std::this_thread::get_id())
    return false;
  if (--m_depth > 0)
    return true;
  if (m_waiters.empty()) {
    m_owner = std::thread::id();
    return true;
  }
  // Hand the mutex straight to the longest waiter, so the releasing thread
  // cannot take it back before that waiter has even woken up.
  Waiter *next = m_waiters.front();
  m_waiters.pop_front();
  m_owner = next->id;
  m_depth = 1;
  next->granted = true;
  m_handOver.notify_all();
  return true;
}

bool CLinkMutex::IsHeldByCurrentThread() const { return Depth() > 0; }

unsigned CLinkMutex::Depth() const {
  std::lock_guard lock(m_state);
  return (m_depth > 0 && m_owner == std::this_thread::get_id()) ? m_depth : 0;
}

std::size_t CLinkMutex::WaiterCount() const {
  std::lock_guard lock(m_state);
  return m_waiters.size();
}

CLinkLock::CLinkLock(CLinkMutex &mutex, std::chrono::milliseconds timeout) {
  if (mutex.Lock(timeout))
    m_mutex = &mutex;
}

CLinkLock::~CLinkLock() { Unlock(); }

CLinkLock::CLinkLock(CLinkLock &&other) noexcept : m_mutex(other.m_mutex) { other.m_mutex = nullptr; }

CLinkLock &CLinkLock::operator=(CLinkLock &&other) noexcept {
  if (this != &other) {
    Unlock();
    m_mutex = other.m_mutex;
    other.m_mutex = nullptr;
  }
  return *this;
}

CLinkLock CLinkLock::Adopt(CLinkMutex &mutex) {
  CLinkLock lock;
  if (mutex.IsHeldByCurrentThread())
    lock.m_mutex = &mutex;
  return lock;
}

void CLinkLock::Unlock() {
  if (m_mutex) {
    m_mutex->Unlock();
    m_mutex = nullptr;
  }
}
