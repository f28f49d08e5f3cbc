#include "core/log/log.h"

#include "core/resources/exception.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <filesystem>
#include <mutex>
#include <system_error>

namespace {

namespace fs = std::filesystem;

// The lowest level that is written anywhere; Off until the log is started.
std::atomic<int> g_threshold{static_cast<int>(LogLevel::Off)};

class CLogFile {
public:
  void Start(const LogOptions &options) {
    std::lock_guard lock(m_mutex);
    CloseLocked();
    m_options = options;
    const std::string folder = options.folder.empty() ? DefaultLogFolder() : options.folder;
    m_path = folder.empty() ? std::string() : (fs::path(folder) / (options.program + ".log")).string();
    m_failed = false;
  }

  void Stop() {
    std::lock_guard lock(m_mutex);
    CloseLocked();
    m_path.clear();
  }

  std::string Path() {
    std::lock_guard lock(m_mutex);
    return m_failed ? std::string() : m_path;
  }

  void Write(LogLevel level, const std::string &line) {
    std::lock_guard lock(m_mutex);
    if (m_options.verbose) {
      std::fputs(line.c_str(), stderr);
      std::fflush(stderr);
    }
    // The file keeps what a technician may need later, debug only when asked.
    if (level < LogLevel::Info && !m_options.verbose)
      return;
    if (!OpenLocked())
      return;
    if (std::fputs(line.c_str(), m_file) < 0 || std::fflush(m_file) != 0) {
      Fail("cannot write " + m_path);
      return;
    }
    m_size += line.size();
    if (m_size > m_options.maxBytes)
      RotateLocked();
  }

private:
  bool OpenLocked() {
    if (m_file)
      return true;
    if (m_failed || m_path.empty())
      return false;
    std::error_code ec;
    fs::create_directories(fs::path(m_path).parent_path(), ec);
    m_file = std::fopen(m_path.c_str(), "ab");
    if (!m_file) {
      Fail("cannot open " + m_path);
      return false;
    }
    const auto size = fs::file_size(m_path, ec);
    m_size = ec ? 0 : static_cast<std::size_t>(size);
    return true;
  }

  // vela.log becomes vela.log.1, .1 becomes .2 and so on; the oldest goes.
  void RotateLocked() {
    CloseLocked();
    std::error_code ec;
    for (int i = m_options.keep; i >= 1; --i) {
      const std::string from = i == 1 ? m_path : m_path + "." + std::to_string(i - 1);
      const std::string to = m_path + "." + std::to_string(i);
      if (i == m_options.keep)
        fs::remove(to, ec);
      fs::rename(from, to, ec);
    }
    if (m_options.keep <= 0)
      fs::remove(m_path, ec);
  }

  void CloseLocked() {
    if (m_file)
      std::fclose(m_file);
    m_file = nullptr;
    m_size = 0;
  }

  // A log that cannot be written is given up for the run, said once on
  // standard error when the user asked to see the log there.
  void Fail(const std::string &why) {
    CloseLocked();
    m_failed = true;
    if (m_options.verbose)
      std::fprintf(stderr, "log: %s; logging to the file stops\n", why.c_str());
  }

  std::mutex m_mutex;
  LogOptions m_options;
  std::string m_path;
  std::FILE *m_file = nullptr;
  std::size_t m_size = 0;
  bool m_failed = false;
};

CLogFile &TheLog() {
  static CLogFile log;
  return log;
}

const char *LevelName(LogLevel level) {
  switch (level) {
  case LogLevel::Debug:
    return "debug";
  case LogLevel::Info:
    return "info";
  case LogLevel::Warning:
    return "warning";
  default:
    return "error";
  }
}

// Local time to the millisecond: the technician's clock is what they remember.
std::string Timestamp() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &seconds);
#else
  localtime_r(&seconds, &local);
#endif
  char text[40];
  const std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  std::snprintf(text + n, sizeof text - n, ".%03d", static_cast<int>(ms));
  return text;
}

// Threads numbered in the order they first log: the UI thread is usually 1.
int ThreadNumber() {
  static std::atomic<int> next{1};
  thread_local const int number = next.fetch_add(1);
  return number;
}

} // namespace

void StartLog(const LogOptions &options) {
  TheLog().Start(options);
  g_threshold.store(static_cast<int>(options.verbose ? LogLevel::Debug : LogLevel::Info));
}

void StopLog() {
  g_threshold.store(static_cast<int>(LogLevel::Off));
  TheLog().Stop();
}

std::string DefaultLogFolder() {
#ifdef _WIN32
  if (const char *local = std::getenv("LOCALAPPDATA"); local && *local)
    return (fs::path(local) / "VANTORIX" / "vela").string();
  return {};
#else
  if (const char *state = std::getenv("XDG_STATE_HOME"); state && *state == '/')
    return (fs::path(state) / "VANTORIX" / "vela").string();
  if (const char *home = std::getenv("HOME"); home && *home)
    return (fs::path(home) / ".local" / "state" / "VANTORIX" / "vela").string();
  return {};
#endif
}

std::string LogFilePath() { return TheLog().Path(); }

bool LogEnabled(LogLevel level) {
  return static_cast<int>(level) >= g_threshold.load(std::memory_order_relaxed);
}

void Log(LogLevel level, std::string_view area, std::string_view text) {
  if (!LogEnabled(level))
    return;
  std::string line = Timestamp();
  line += " [";
  line += std::to_string(ThreadNumber());
  line += "] ";
  line += LevelName(level);
  line += ' ';
  line += area;
  line += ": ";
  line += text;
  line += '\n';
  TheLog().Write(level, line);
}

std::string PrintableLine(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + 8);
  for (const char c : bytes) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\r')
      out += "\\r";
    else if (c == '\n')
      out += "\\n";
    else if (c == '\\')
      out += "\\\\";
    else if (u < 0x20 || u == 0x7f) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", u);
      out += hex;
    } else
      out += c;
  }
  return out;
}

std::string DescribeCurrentException() {
  if (!std::current_exception())
    return "no exception";
  try {
    throw;
  } catch (const CException &e) {
    return "message " + std::to_string(e.GetId()) + ": " + e.GetErrorMessage();
  } catch (const std::exception &e) {
    return std::string("exception: ") + e.what();
  } catch (...) {
    return "an exception of unknown type";
  }
}
