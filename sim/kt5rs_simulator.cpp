#include "kt5rs_simulator.h"

#include "kt5rs_engine.h"
#include "core/platform/posix/port_map.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Ten bits a byte at 9600 baud.
constexpr auto kByteTime = std::chrono::nanoseconds(1'000'000'000LL * 10 / 9600);
// A command line longer than this is no command of this instrument; the rest
// of it is dropped so a stream without carriage returns cannot grow memory.
constexpr std::size_t kMaxCommand = 256;
// The serving thread looks at the clock at least this often (filter, reopen).
constexpr auto kTick = 50ms;
// Stray bytes of the garbage fault: no carriage return, and not a D first.
constexpr char kGarbage[] = "?#~*";
constexpr char kEndlessPattern[] = "D0123456789";

struct OutLine {
  std::string bytes;
  std::vector<Clock::time_point> due;
  std::size_t sent = 0;
  bool recorded = false;
  bool record = true; // a line of the transcript (the endless stream is not)
  bool endless = false;
  bool hangUp = false; // close the master side after the last byte
};

struct InLine {
  std::string text;
  Clock::time_point arrival;
  bool overlong = false;
};

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

void CloseFd(int &fd) {
  if (fd >= 0)
    ::close(fd);
  fd = -1;
}

} // namespace

class CKT5RSSimulator::Impl {
public:
  explicit Impl(const SimOptions &options) : opt(options), engine(options) {}

  void Start();
  void Stop();

  void Record(char direction, const std::string &text); // mx held
  void Wake();

  mutable std::mutex mx;
  mutable std::condition_variable cv;
  SimOptions opt;
  CKT5RSEngine engine;

  std::deque<std::string> transcript;
  std::size_t transcriptLines = 0; // since the last clear, dropped ones included
  SimFault fault = SimFault::None;
  int faultAfter = 0;
  int faultCount = -1;
  bool endless = false;
  bool quiet = true;

  std::atomic<bool> running{false};
  int com = 0;
  std::string slavePath;
  FILE *log = nullptr;

private:
  std::string OpenPty(); // the slave path
  void ClosePty();
  // Registers the path (when so configured) and publishes it with its number.
  void Publish(const std::string &path, int preferred);
  void Serve();
  void ReadInput(Clock::time_point now);
  void Dispatch(InLine line);
  void Enqueue(std::string bytes, Clock::time_point start, Clock::duration gap, bool hangUp,
               bool record = true);
  bool SendDue(Clock::time_point now); // true: the line is full, wait until it takes more
  void HangUp();
  void RemoveEntry(int com); // the port map entry of that number, if this simulator registers one

  int m_master = -1;
  int m_slave = -1; // held open so the line survives the program closing and reopening it
  int m_wake = -1;
  std::thread m_thread;
  std::atomic<bool> m_stop{false};

  // Serving thread only.
  std::deque<OutLine> m_out;
  Clock::time_point m_lastDue{};
  std::string m_inText;
  bool m_inOverlong = false;
  Clock::time_point m_lastArrival{};
  std::deque<InLine> m_in;
  bool m_reopenPending = false;
  Clock::time_point m_reopenAt{};
};

// ---------------------------------------------------------------- pty

std::string CKT5RSSimulator::Impl::OpenPty() {
  int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0)
    throw std::runtime_error(std::string("posix_openpt: ") + std::strerror(errno));
  char name[128];
  if (::grantpt(master) != 0 || ::unlockpt(master) != 0 || ::ptsname_r(master, name, sizeof name) != 0) {
    const int e = errno;
    ::close(master);
    throw std::runtime_error(std::string("pseudo-terminal set-up: ") + std::strerror(e));
  }
  ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
  termios tio{};
  if (::tcgetattr(master, &tio) == 0) {
    cfmakeraw(&tio);
    cfsetispeed(&tio, B9600);
    cfsetospeed(&tio, B9600);
    ::tcsetattr(master, TCSANOW, &tio);
  }
  // Until the program configures the line, it must not echo our replies back
  // to us as commands.
  int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  if (slave < 0) {
    const int e = errno;
    ::close(master);
    throw std::runtime_error(std::string("open ") + name + ": " + std::strerror(e));
  }
  if (::tcgetattr(slave, &tio) == 0) {
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    cfsetispeed(&tio, B9600);
    cfsetospeed(&tio, B9600);
    ::tcsetattr(slave, TCSANOW, &tio);
  }
  m_master = master;
  m_slave = slave;
  return name;
}

void CKT5RSSimulator::Impl::ClosePty() {
  CloseFd(m_master);
  CloseFd(m_slave);
}

void CKT5RSSimulator::Impl::Publish(const std::string &path, int preferred) {
  int n = 0;
  if (opt.registerPort) {
    CComPortMap map = opt.portMapFolder.empty() ? CComPortMap() : CComPortMap(opt.portMapFolder);
    int old = 0;
    {
      std::lock_guard lock(mx);
      old = com;
    }
    if (old > 0)
      map.Unregister(old);
    n = map.Register(path, preferred);
  }
  std::lock_guard lock(mx);
  slavePath = path;
  com = n;
}

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

void CKT5RSSimulator::Impl::ReadInput(Clock::time_point now) {
  char buf[4096];
  const ssize_t r = ::read(m_master, buf, sizeof buf);
  if (r <= 0)
    return;
  bool pace = false;
  {
    std::lock_guard lock(mx);
    pace = opt.pace;
  }
  for (ssize_t i = 0; i < r; ++i) {
    const char c = buf[i];
    // Paced, a byte is taken once its ten bits have come in.
    Clock::time_point arrival = now;
    if (pace)
      arrival = std::max(now, m_lastArrival) + kByteTime;
    m_lastArrival = arrival;
    if (c == '\r') {
      m_in.push_back({std::move(m_inText), arrival, m_inOverlong});
      m_inText.clear();
      m_inOverlong = false;
    } else if (c == '\n') {
      // A line feed after the carriage return is tolerated, not a command.
    } else if (m_inText.size() < kMaxCommand) {
      m_inText += c;
    } else {
      m_inOverlong = true;
    }
  }
}

void CKT5RSSimulator::Impl::Dispatch(InLine line) {
  const auto now = Clock::now();
  std::string reply;
  SimFault applied = SimFault::None;
  bool dropReply = false;
  Clock::time_point start;
  Clock::duration gap{};
  unsigned timeout = 0, margin = 0;
  {
    std::lock_guard lock(mx);
    Record('>', line.overlong ? line.text + "..." : line.text);
    reply = line.overlong ? "E3" : engine.Execute(line.text, now);
    if (fault != SimFault::None) {
      if (faultAfter > 0) {
        --faultAfter;
      } else {
        applied = fault;
        if (faultCount > 0 && --faultCount == 0)
          fault = SimFault::None;
        if (applied == SimFault::HangUp)
          fault = SimFault::None;
        if (applied == SimFault::EndlessLine) {
          endless = true;
          fault = SimFault::None;
        }
      }
    }
    dropReply = endless || applied == SimFault::Silence;
    start = line.arrival + std::chrono::milliseconds(opt.turnaroundMs);
    timeout = opt.faultTimeoutMs;
    margin = opt.faultMarginMs;
    if (!dropReply)
      quiet = false;
  }
  if (dropReply)
    return;

  const std::size_t half = std::max<std::size_t>(1, reply.size() / 2);
  switch (applied) {
  case SimFault::LateReply:
    Enqueue(reply + "\r", line.arrival + std::chrono::milliseconds(timeout + margin), {}, false);
    break;
  case SimFault::CutShort:
    Enqueue(reply.substr(0, half), start, {}, false);
    break;
  case SimFault::Garbage:
    Enqueue(kGarbage + reply + "\r", start, {}, false);
    break;
  case SimFault::NulInside:
    Enqueue(reply.substr(0, half) + std::string(1, '\0') + reply.substr(half) + "\r", start, {}, false);
    break;
  case SimFault::SlowUnder:
  case SimFault::SlowOver:
    gap = std::chrono::milliseconds(applied == SimFault::SlowUnder ? (timeout > margin ? timeout - margin : 0)
                                                                   : timeout + margin);
    Enqueue(reply + "\r", start, gap, false);
    break;
  case SimFault::HangUp:
    Enqueue(reply.substr(0, half), start, {}, true);
    break;
  default:
    Enqueue(reply + "\r", start, {}, false);
    break;
  }
}

void CKT5RSSimulator::Impl::Enqueue(std::string bytes, Clock::time_point start, Clock::duration gap,
                                    bool hangUp, bool record) {
  bool pace = false;
  {
    std::lock_guard lock(mx);
    pace = opt.pace;
  }
  OutLine l;
  l.bytes = std::move(bytes);
  l.hangUp = hangUp;
  l.record = record;
  const Clock::duration step = pace ? Clock::duration(kByteTime) : Clock::duration::zero();
  // Paced, a byte leaves once its ten bits are on the line.
  auto t = std::max(start, m_lastDue);
  for (std::size_t i = 0; i < l.bytes.size(); ++i) {
    t += step;
    l.due.push_back(t);
    if (i + 1 < l.bytes.size())
      t += gap;
  }
  if (l.bytes.empty())
    l.due.push_back(t);
  m_lastDue = t;
  m_out.push_back(std::move(l));
}

bool CKT5RSSimulator::Impl::SendDue(Clock::time_point now) {
  while (!m_out.empty() && m_master >= 0) {
    OutLine &l = m_out.front();
    std::size_t n = 0;
    while (l.sent + n < l.bytes.size() && l.due[l.sent + n] <= now)
      ++n;
    if (l.sent + n < l.bytes.size() && n == 0)
      return false;
    const bool completes = l.sent + n == l.bytes.size();
    if (completes && l.record && !l.recorded) {
      // Recorded before the last byte leaves, so that a peer that has read
      // the reply always finds it in the transcript.
      std::string text = l.bytes;
      if (!text.empty() && text.back() == '\r')
        text.pop_back();
      std::lock_guard lock(mx);
      Record('<', text);
      l.recorded = true;
    }
    if (n > 0) {
      const ssize_t w = ::write(m_master, l.bytes.data() + l.sent, n);
      if (w < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK)
          return true;
        if (errno == EINTR)
          continue;
        m_out.pop_front(); // the line is gone; nothing to deliver to
        continue;
      }
      l.sent += static_cast<std::size_t>(w);
      if (static_cast<std::size_t>(w) < n)
        return true;
    }
    if (l.sent == l.bytes.size()) {
      const bool hang = l.hangUp;
      m_out.pop_front();
      if (hang) {
        HangUp();
        return false;
      }
    }
  }
  return false;
}

void CKT5RSSimulator::Impl::RemoveEntry(int n) {
  if (n <= 0 || !opt.registerPort)
    return;
  try {
    CComPortMap map = opt.portMapFolder.empty() ? CComPortMap() : CComPortMap(opt.portMapFolder);
    map.Unregister(n);
  } catch (...) {
    // The entry may already be gone; ending or hanging up must not fail because of it.
  }
}

void CKT5RSSimulator::Impl::HangUp() {
  ClosePty();
  // The closed pseudo-terminal's number goes back to the kernel and may soon
  // belong to another program's terminal: the COM entry must not lead there.
  // A reopen registers the new path under the same number again.
  {
    std::unique_lock lock(mx);
    const int n = com;
    lock.unlock();
    RemoveEntry(n);
  }
  m_out.clear();
  m_in.clear();
  m_inText.clear();
  m_inOverlong = false;
  if (opt.reopenAfterHangupMs >= 0) {
    m_reopenPending = true;
    m_reopenAt = Clock::now() + std::chrono::milliseconds(opt.reopenAfterHangupMs);
  }
  std::lock_guard lock(mx);
  quiet = true;
  cv.notify_all();
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
