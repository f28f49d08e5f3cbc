#include "core/workers/update_io_thread.h"

#include "core/link/comm_interface.h"
#include "core/resources/ui_host.h"
#include "core/workers/live_poll.h"

#include <cmath>
#include <cstdio>

using namespace std::chrono_literals;

namespace {

constexpr auto PollerLockTimeout = 500ms;
constexpr auto IdlePause = 100ms;

} // namespace

CUpdateIOThread::CUpdateIOThread() = default;

CUpdateIOThread::~CUpdateIOThread() {
  Stop();
  // An interface still attached must not keep watching a signal that is
  // about to go.
  if (CCommInterface *protocol = m_protocol.load())
    protocol->Serial().SetAbortSignal(nullptr);
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
  m_abort.Raise();
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
    old->Serial().SetAbortSignal(nullptr);
  if (protocol)
    protocol->Serial().SetAbortSignal(&m_abort);
  m_protocol.store(protocol);
  if (protocol) {
    // Under the stop mutex, so an offline wait that has just found no
    // protocol cannot miss this one.
    { std::lock_guard stopLock(m_stopMutex); }
    m_stopSignal.notify_all();
  }
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
    ++m_cycles;
    // Nothing to poll until a connection comes: sleep without waking, and
    // without the line, which the user may take meanwhile.
    lock.Unlock();
    WaitForProtocol();
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

void CUpdateIOThread::WaitForProtocol() {
  std::unique_lock lock(m_stopMutex);
  m_stopSignal.wait(lock, [this] { return StopRequested() || m_protocol.load() != nullptr; });
}

void CUpdateIOThread::Pause(std::chrono::milliseconds duration) {
  std::unique_lock lock(m_stopMutex);
  m_stopSignal.wait_for(lock, duration, [this] { return StopRequested(); });
}
