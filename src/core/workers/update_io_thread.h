// The live value poller: a thread that reads the instrument's four live
// values over and over while the program is online, and the owner of the link
// mutex that keeps it and the user's commands apart on the serial line.
//
// One cycle: take the link mutex (at most 500 ms, else skip), then "G01\r" and
// items 4, 5, 3 and 2 each followed by "D\r", all as raw transactions; release.
// Offline, a cycle only clears the error flag and sleeps until a connection
// is set or the thread is asked to stop.
#pragma once

#include "core/platform/abort_signal.h"
#include "core/workers/link_mutex.h"
#include "core/workers/live_poll.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

class CCommInterface;

class CUpdateIOThread {
public:
  static constexpr int LiveCount = kLiveCount;

  CUpdateIOThread();
  ~CUpdateIOThread(); // stops the thread
  CUpdateIOThread(const CUpdateIOThread &) = delete;
  CUpdateIOThread &operator=(const CUpdateIOThread &) = delete;

  // Starts cycling; offline until a protocol is set.
  void Start();
  // Asks the thread to end and returns at once: a transaction it is in the
  // middle of fails straight away, whatever the instrument is doing, and its
  // pauses end early. At close, ask first and disconnect afterwards, so the
  // disconnect never waits behind a cycle stuck on a misbehaving instrument.
  void RequestStop();
  // RequestStop, then waits until the thread has ended. Safe to call twice.
  void Stop();
  bool IsRunning() const;

  // The link mutex for a user operation: waits at most the lock time-out
  // (5 s). On failure the user sees "Error" and false comes back: the caller
  // abandons what it was about to do and does not Unlock.
  bool Lock();
  // Gives back one level of the calling thread's hold; nothing if it holds none.
  void Unlock();
  // Lock in a guard that releases on every way out; test it before going on.
  CLinkLock ScopedLock();
  CLinkMutex &Mutex() { return m_mutex; }

  // The connection to poll through, or nullptr for offline; not owned. The
  // caller holds the link mutex; if it does not, the mutex is taken here as
  // by Lock, and on failure nothing changes and false comes back (so the
  // caller must not delete the interface it meant to take away). The
  // interface is given this thread's stop signal while it is set here.
  bool SetProtocol(CCommInterface *protocol);
  CCommInterface *GetProtocol() const { return m_protocol.load(); }

  // The latest live text and value of index 0 to 3 (input value, input %,
  // output %, output value); each read is whole, never half of an update.
  std::string GetLiveText(int index) const;
  double GetLiveValue(int index) const;

  // Set when a cycle failed; cleared by an offline cycle or by the owner.
  bool GetError() const { return m_error.load(); }
  void ClearError() { m_error.store(false); }

  // Cycles run so far (online, offline and failed ones; skipped ones not).
  unsigned long CycleCount() const { return m_cycles.load(); }

  // A live value from the text after the D: read like "%lf" with a '.'
  // decimal point whatever the user's locale, 0.0 unless exactly one number
  // was read (and for infinities and NaN).
  static double ReadLiveValue(const std::string &text);

  // Time limits, fixed in the program; tests shorten them.
  void SetLockTimeout(std::chrono::milliseconds timeout) { m_lockTimeout = timeout; }
  void SetTransactTimeout(unsigned milliseconds) { m_transactTimeoutMs = milliseconds; }

private:
  void Run();
  void RunCycle();
  void Pause(std::chrono::milliseconds duration);
  void WaitForProtocol();
  bool StopRequested() const { return m_stopRequested.load(); }

  CLinkMutex m_mutex;
  std::atomic<CCommInterface *> m_protocol{nullptr};

  mutable std::mutex m_liveMutex;
  std::array<std::string, LiveCount> m_liveTexts;
  std::array<double, LiveCount> m_liveValues{};

  std::atomic<bool> m_error{false};
  std::atomic<unsigned long> m_cycles{0};

  std::atomic<std::chrono::milliseconds> m_lockTimeout{std::chrono::milliseconds(5000)};
  std::atomic<unsigned> m_transactTimeoutMs{kLiveReplyTimeoutMs};

  std::atomic<bool> m_stopRequested{false};
  std::mutex m_stopMutex;
  std::condition_variable m_stopSignal;
  CAbortSignal m_abort; // raised once a stop is requested
  std::thread m_thread;
};
