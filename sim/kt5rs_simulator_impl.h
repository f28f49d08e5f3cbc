// The simulator's inside, shared by its parts: the serving thread and its
// public face (kt5rs_simulator.cpp), the pseudo-terminal and its COM number
// (sim_pty.cpp), the bytes in and out at the line's pace (sim_line.cpp), and
// the handling of one command with the faults it may meet (sim_dispatch.cpp).
#pragma once

#include "kt5rs_engine.h"
#include "kt5rs_simulator.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace kt5rs {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Ten bits a byte at 9600 baud.
inline constexpr auto kByteTime = std::chrono::nanoseconds(1'000'000'000LL * 10 / 9600);
// A command line longer than this is no command of this instrument; the rest
// of it is dropped so a stream without carriage returns cannot grow memory.
inline constexpr std::size_t kMaxCommand = 256;
// The serving thread looks at the clock at least this often (filter, reopen).
inline constexpr auto kTick = 50ms;
inline constexpr char kEndlessPattern[] = "D0123456789";

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

inline void CloseFd(int &fd) {
  if (fd >= 0)
    ::close(fd);
  fd = -1;
}

} // namespace kt5rs

class CKT5RSSimulator::Impl {
public:
  using Clock = kt5rs::Clock;

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
  void Dispatch(kt5rs::InLine line);
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
  std::deque<kt5rs::OutLine> m_out;
  Clock::time_point m_lastDue{};
  std::string m_inText;
  bool m_inOverlong = false;
  Clock::time_point m_lastArrival{};
  std::deque<kt5rs::InLine> m_in;
  bool m_reopenPending = false;
  Clock::time_point m_reopenAt{};
};
