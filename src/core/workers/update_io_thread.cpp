#include "core/workers/update_io_thread.h"

#include "core/link/comm_interface.h"
#include "core/resources/ui_host.h"
#include "core/workers/live_poll.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/eventfd.h>
#endif

using namespace std::chrono_literals;

namespace {

constexpr auto PollerLockTimeout = 500ms;
constexpr auto IdlePause = 100ms;

} // namespace

CUpdateIOThread::CUpdateIOThread() {
#if defined(__linux__)
  m_abortReadFd = m_abortWriteFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
#else
  int fds[2];
  if (::pipe(fds) == 0) {
    for (int fd : fds) {
      ::fcntl(fd, F_SETFD, FD_CLOEXEC);
      ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    m_abortReadFd = fds[0];
    m_abortWriteFd = fds[1];
  }
#endif
}

CUpdateIOThread::~CUpdateIOThread() {
  Stop();
  // An interface still attached must not keep polling a descriptor that is
  // about to be closed (and may be reused for something else).
  if (CCommInterface *protocol = m_protocol.load())
    protocol->Serial().SetAbortFd(-1);
  if (m_abortReadFd >= 0)
    ::close(m_abortReadFd);
  if (m_abortWriteFd >= 0 && m_abortWriteFd != m_abortReadFd)
    ::close(m_abortWriteFd);
}

void CUpdateIOThread::Start() {
  if (m_thread.joinable() || StopRequested())
    return;
  m_thread = std::thread([this] { Run(); });
}

void CUpdateIOThread::RequestStop() {
  {
    std::lock_guard lock(m_stopMutex);
    if (m_stopRequested.exchange(true))
      return;
  }
  m_stopSignal.notify_all();
  if (m_abortWriteFd >= 0) {
#if defined(__linux__)
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(m_abortWriteFd, &one, sizeof one);
#else
    const char one = 1;
    [[maybe_unused]] ssize_t n = ::write(m_abortWriteFd, &one, 1);
#endif
  }
}

void CUpdateIOThread::Stop() {
  RequestStop();
  if (m_thread.joinable())
    m_thread.join();
}

bool CUpdateIOThread::IsRunning() const { return m_thread.joinable() && !StopRequested(); }

bool CUpdateIOThread::Lock() {
  if (m_mutex.Lock(m_lockTimeout.load()))
    return true;
  AfxMessageBox("Error", MB_OK);
  return false;
}

void CUpdateIOThread::Unlock() { m_mutex.Unlock(); }

CLinkLock CUpdateIOThread::ScopedLock() {
  if (!Lock())
    return CLinkLock();
  // Lock has just added a level; the guard takes over that one.
  CLinkLock lock = CLinkLock::Adopt(m_mutex);
  return lock;
}

bool CUpdateIOThread::SetProtocol(CCommInterface *protocol) {
  CLinkLock lock = ScopedLock();
  if (!lock)
    return false;
  CCommInterface *old = m_protocol.load();
  if (old == protocol)
    return true;
  if (old)
    old->Serial().SetAbortFd(-1);
  if (protocol)
    protocol->Serial().SetAbortFd(m_abortReadFd);
  m_protocol.store(protocol);
  return true;
}

std::string CUpdateIOThread::GetLiveText(int index) const {
  if (index < 0 || index >= LiveCount)
    return std::string();
  std::lock_guard lock(m_liveMutex);
  return m_liveTexts[index];
}

double CUpdateIOThread::GetLiveValue(int index) const {
  if (index < 0 || index >= LiveCount)
    return 0.0;
  std::lock_guard lock(m_liveMutex);
  return m_liveValues[index];
}

double CUpdateIOThread::ReadLiveValue(const std::string &text) { return ReadLiveNumber(text); }

void CUpdateIOThread::Run() {
  while (!StopRequested())
    RunCycle();
}

void CUpdateIOThread::RunCycle() {
  CLinkLock lock(m_mutex, PollerLockTimeout);
  if (!lock)
    return;
  CCommInterface *protocol = m_protocol.load();
  if (!protocol) {
    m_error.store(false);
    Pause(IdlePause);
    ++m_cycles;
    return;
  }
  try {
    PollLiveValues(*protocol, m_transactTimeoutMs.load(), [this](int index, const LiveReading &reading) {
      std::lock_guard liveLock(m_liveMutex);
      m_liveTexts[index] = reading.text;
      m_liveValues[index] = reading.value;
    });
  } catch (const std::exception &) {
    // A transaction cut short because we are stopping is no fault of the
    // instrument; the owner is gone or going and must not be told otherwise.
    if (!StopRequested())
      m_error.store(true);
    Pause(IdlePause);
  }
  ++m_cycles;
}

void CUpdateIOThread::Pause(std::chrono::milliseconds duration) {
  std::unique_lock lock(m_stopMutex);
  m_stopSignal.wait_for(lock, duration, [this] { return StopRequested(); });
}
