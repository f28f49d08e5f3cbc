#include "kt5rs_simulator_impl.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <unistd.h>

using namespace kt5rs;

namespace {

std::string WallTime() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t t = std::chrono::system_clock::to_time_t(now);
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d.%03d", tm.tm_hour, tm.tm_min, tm.tm_sec,
                static_cast<int>(ms));
  return buf;
}

} // namespace

void CKT5RSSimulator::Impl::Start() {
  if (running)
    return;
  m_wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (m_wake < 0)
    throw std::runtime_error(std::string("eventfd: ") + std::strerror(errno));
  try {
    Publish(OpenPty(), opt.comPort);
  } catch (const std::exception &e) {
    ClosePty();
    CloseFd(m_wake);
    throw std::runtime_error(std::string("simulator start: ") + e.what());
  }
  if (!opt.logFile.empty())
    log = std::fopen(opt.logFile.c_str(), "w");
  m_stop = false;
  m_out.clear();
  m_in.clear();
  m_inText.clear();
  m_reopenPending = false;
  running = true;
  m_thread = std::thread([this] { Serve(); });
}

void CKT5RSSimulator::Impl::Stop() {
  if (!running)
    return;
  m_stop = true;
  Wake();
  m_thread.join();
  ClosePty();
  CloseFd(m_wake);
  int n = 0;
  {
    std::lock_guard lock(mx);
    n = com;
    com = 0;
    quiet = true;
    if (log)
      std::fclose(log);
    log = nullptr;
  }
  cv.notify_all();
  RemoveEntry(n);
  running = false;
}

void CKT5RSSimulator::Impl::Wake() {
  if (m_wake >= 0) {
    const std::uint64_t one = 1;
    [[maybe_unused]] auto r = ::write(m_wake, &one, sizeof one);
  }
}

void CKT5RSSimulator::Impl::Record(char direction, const std::string &text) {
  transcript.push_back(std::string(1, direction) + " " + text);
  while (transcript.size() > opt.transcriptLimit && !transcript.empty())
    transcript.pop_front();
  ++transcriptLines;
  if (log) {
    std::fprintf(log, "%s %c %s\n", WallTime().c_str(), direction, simtext::Escape(text).c_str());
    std::fflush(log);
  }
  cv.notify_all();
}

// ---------------------------------------------------------------- serving

void CKT5RSSimulator::Impl::Serve() {
  while (!m_stop) {
    const auto now = Clock::now();
    if (m_master < 0) { // hung up: wait for the new line or the end
      if (m_reopenPending && now >= m_reopenAt) {
        try {
          Publish(OpenPty(), com);
          m_reopenPending = false;
        } catch (...) {
          ClosePty();
          m_reopenAt = now + 1s;
        }
        continue;
      }
      pollfd p{m_wake, POLLIN, 0};
      auto wait = m_reopenPending ? std::chrono::ceil<std::chrono::milliseconds>(m_reopenAt - now) : 1000ms;
      ::poll(&p, 1, static_cast<int>(std::clamp<long long>(wait.count(), 0, 1000)));
      std::uint64_t v;
      [[maybe_unused]] auto r = ::read(m_wake, &v, sizeof v);
      continue;
    }

    bool streamEndless = false;
    bool pace = false;
    {
      std::lock_guard lock(mx);
      engine.Advance(now);
      streamEndless = endless;
      pace = opt.pace;
    }
    while (!m_in.empty() && m_in.front().arrival <= now) {
      InLine line = std::move(m_in.front());
      m_in.pop_front();
      Dispatch(std::move(line));
      std::lock_guard lock(mx);
      streamEndless = endless;
    }
    if (m_master < 0)
      continue;
    if (!streamEndless) // a cleared endless line stops at once, even mid-burst
      std::erase_if(m_out, [](const OutLine &l) { return l.endless; });
    if (streamEndless && m_out.empty()) {
      // Paced, the stream runs at the line rate in small bursts; otherwise as
      // fast as the line takes it.
      std::string chunk;
      for (int i = 0; i < 4; ++i)
        chunk += kEndlessPattern;
      OutLine l;
      l.bytes = chunk;
      l.record = false;
      l.endless = true;
      const auto start = std::max(now, m_lastDue);
      for (std::size_t i = 0; i < chunk.size(); ++i)
        l.due.push_back(pace ? start + kByteTime * static_cast<long>(i - i % 11) : start);
      m_lastDue = l.due.back() + (pace ? Clock::duration(kByteTime) : Clock::duration::zero());
      m_out.push_back(std::move(l));
    }
    const bool full = SendDue(now);
    if (m_master < 0)
      continue;

    {
      std::lock_guard lock(mx);
      const bool q = m_out.empty() && m_in.empty() && m_inText.empty();
      if (q != quiet) {
        quiet = q;
        cv.notify_all();
      }
    }

    auto deadline = now + kTick;
    if (!full && !m_out.empty()) {
      const OutLine &l = m_out.front();
      deadline = std::min(deadline, l.due[l.sent]);
    }
    if (!m_in.empty())
      deadline = std::min(deadline, m_in.front().arrival);
    if (streamEndless && m_out.empty())
      deadline = now; // the next burst of the stream
    auto left = std::max(Clock::duration::zero(), deadline - Clock::now());
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
    timespec ts{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
    pollfd fds[2] = {{m_master, static_cast<short>(POLLIN | (full ? POLLOUT : 0)), 0}, {m_wake, POLLIN, 0}};
    const int n = ::ppoll(fds, 2, &ts, nullptr);
    if (n <= 0)
      continue;
    if (fds[1].revents & POLLIN) {
      std::uint64_t v;
      [[maybe_unused]] auto r = ::read(m_wake, &v, sizeof v);
    }
    if (fds[0].revents & POLLIN)
      ReadInput(Clock::now());
    else if (fds[0].revents & (POLLHUP | POLLERR))
      std::this_thread::sleep_for(10ms); // nobody on the line side; nothing to do but wait
  }
}

// ---------------------------------------------------------------- public

CKT5RSSimulator::CKT5RSSimulator() : CKT5RSSimulator(SimOptions{}) {}

CKT5RSSimulator::CKT5RSSimulator(const SimOptions &options) : m_impl(std::make_unique<Impl>(options)) {}

CKT5RSSimulator::~CKT5RSSimulator() { Stop(); }

void CKT5RSSimulator::Start() { m_impl->Start(); }

void CKT5RSSimulator::Stop() { m_impl->Stop(); }

bool CKT5RSSimulator::IsRunning() const { return m_impl->running; }

int CKT5RSSimulator::ComNumber() const {
  std::lock_guard lock(m_impl->mx);
  return m_impl->com;
}

std::string CKT5RSSimulator::ComName() const {
  const int n = ComNumber();
  return n > 0 ? "COM" + std::to_string(n) : std::string();
}

std::string CKT5RSSimulator::DevicePath() const {
  std::lock_guard lock(m_impl->mx);
  return m_impl->slavePath;
}

void CKT5RSSimulator::SetInputPercent(double percent) {
  std::lock_guard lock(m_impl->mx);
  m_impl->engine.SetInputPercent(percent);
}

void CKT5RSSimulator::SetInputWave() {
  std::lock_guard lock(m_impl->mx);
  m_impl->engine.SetInputWave();
}

void CKT5RSSimulator::SetOpenCircuit(bool open) {
  std::lock_guard lock(m_impl->mx);
  m_impl->engine.SetOpenCircuit(open);
}

void CKT5RSSimulator::SetSw28(bool on) {
  std::lock_guard lock(m_impl->mx);
  m_impl->engine.SetSw28(on);
}

void CKT5RSSimulator::SetFault(SimFault fault, int afterCommands, int count) {
  {
    std::lock_guard lock(m_impl->mx);
    m_impl->fault = count == 0 ? SimFault::None : fault;
    m_impl->faultAfter = std::max(0, afterCommands);
    m_impl->faultCount = count;
  }
  m_impl->Wake();
}

void CKT5RSSimulator::ClearFault() {
  {
    std::lock_guard lock(m_impl->mx);
    m_impl->fault = SimFault::None;
    m_impl->endless = false;
  }
  m_impl->Wake();
}

SimFault CKT5RSSimulator::ActiveFault() const {
  std::lock_guard lock(m_impl->mx);
  return m_impl->endless ? SimFault::EndlessLine : m_impl->fault;
}

void CKT5RSSimulator::SetPace(bool pace) {
  std::lock_guard lock(m_impl->mx);
  m_impl->opt.pace = pace;
}

void CKT5RSSimulator::SetTurnaround(unsigned milliseconds) {
  std::lock_guard lock(m_impl->mx);
  m_impl->opt.turnaroundMs = milliseconds;
}

void CKT5RSSimulator::SetFaultTiming(unsigned timeoutMs, unsigned marginMs) {
  std::lock_guard lock(m_impl->mx);
  m_impl->opt.faultTimeoutMs = timeoutMs;
  m_impl->opt.faultMarginMs = marginMs;
}

std::vector<std::string> CKT5RSSimulator::Transcript() const {
  std::lock_guard lock(m_impl->mx);
  return {m_impl->transcript.begin(), m_impl->transcript.end()};
}

void CKT5RSSimulator::ClearTranscript() {
  std::lock_guard lock(m_impl->mx);
  m_impl->transcript.clear();
  m_impl->transcriptLines = 0;
}

std::vector<std::string> CKT5RSSimulator::Commands() const {
  std::lock_guard lock(m_impl->mx);
  std::vector<std::string> out;
  for (const auto &l : m_impl->transcript)
    if (l.size() >= 2 && l[0] == '>')
      out.push_back(l.substr(2));
  return out;
}

bool CKT5RSSimulator::WaitForTranscript(std::size_t lines, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(m_impl->mx);
  return m_impl->cv.wait_for(lock, timeout, [&] { return m_impl->transcriptLines >= lines; });
}

bool CKT5RSSimulator::WaitUntilQuiet(std::chrono::milliseconds timeout) const {
  std::unique_lock lock(m_impl->mx);
  return m_impl->cv.wait_for(lock, timeout, [&] { return m_impl->quiet && !m_impl->endless; });
}

SimWriteCounts CKT5RSSimulator::WriteCounts() const {
  std::lock_guard lock(m_impl->mx);
  return m_impl->engine.Counts();
}

void CKT5RSSimulator::ResetWriteCounts() {
  std::lock_guard lock(m_impl->mx);
  m_impl->engine.ResetCounts();
}

SimState CKT5RSSimulator::State() const {
  std::lock_guard lock(m_impl->mx);
  return m_impl->engine.State();
}

void CKT5RSSimulator::SetState(const SimState &state) {
  std::lock_guard lock(m_impl->mx);
  m_impl->engine.SetState(state);
}

SimCalibration CKT5RSSimulator::Calibration() const {
  std::lock_guard lock(m_impl->mx);
  return m_impl->engine.Calibration();
}

void CKT5RSSimulator::SetCalibration(const SimCalibration &calibration) {
  std::lock_guard lock(m_impl->mx);
  m_impl->engine.SetCalibration(calibration);
}

bool CKT5RSSimulator::FixedOutput() const {
  std::lock_guard lock(m_impl->mx);
  return m_impl->engine.FixedOutput();
}

int CKT5RSSimulator::OutputAdjustMode() const {
  std::lock_guard lock(m_impl->mx);
  return m_impl->engine.OutputAdjustMode();
}

SimLiveValues CKT5RSSimulator::Live() const {
  std::lock_guard lock(m_impl->mx);
  return m_impl->engine.Live(Clock::now());
}

bool CKT5RSSimulator::IsKT7W() const {
  std::lock_guard lock(m_impl->mx);
  return m_impl->engine.IsKT7W();
}

std::string CKT5RSSimulator::DumpState() const {
  std::lock_guard lock(m_impl->mx);
  return m_impl->engine.Dump(Clock::now());
}

SimState CKT5RSSimulator::DefaultState(const std::string &model) { return CKT5RSEngine::DefaultState(model); }

std::string CKT5RSSimulator::Execute(const std::string &commandLine) {
  std::lock_guard lock(m_impl->mx);
  return m_impl->engine.Execute(commandLine, Clock::now());
}
