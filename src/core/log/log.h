// A small log of what the program did, so that a failure reported after the
// fact ("it failed yesterday") can be looked into: one file per program in the
// user's state folder, rotated by size, and with --verbose a copy of every
// line on standard error. Logging never stops or slows what it records: a
// log that cannot be written is dropped, and a level below the threshold
// costs one atomic load (check LogEnabled before building an expensive text).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

enum class LogLevel { Debug = 0, Info = 1, Warning = 2, Error = 3, Off = 4 };

struct LogOptions {
  std::string program;      // names the file: <program>.log
  std::string folder;       // "" for DefaultLogFolder()
  bool verbose = false;     // every level, also to standard error
  std::size_t maxBytes = 1024 * 1024; // a file larger than this is rotated
  int keep = 3;             // rotated files kept: <program>.log.1 ... .keep
};

// Starts the log of this process. Until then (and in tests that never call
// it) nothing is logged.
void StartLog(const LogOptions &options);
// Ends it: later lines go nowhere.
void StopLog();

// $XDG_STATE_HOME (or ~/.local/state) / VANTORIX / vela; on Windows
// %LOCALAPPDATA%\VANTORIX\vela.
std::string DefaultLogFolder();
// The file the log writes to now ("" when it writes none).
std::string LogFilePath();

bool LogEnabled(LogLevel level);
// area names the part of the program ("link", "transfer", "window").
void Log(LogLevel level, std::string_view area, std::string_view text);

inline void LogDebug(std::string_view area, std::string_view text) {
  if (LogEnabled(LogLevel::Debug))
    Log(LogLevel::Debug, area, text);
}
inline void LogInfo(std::string_view area, std::string_view text) { Log(LogLevel::Info, area, text); }
inline void LogWarning(std::string_view area, std::string_view text) { Log(LogLevel::Warning, area, text); }

// A line as sent or received, control characters written as \r, \n, \xNN.
std::string PrintableLine(std::string_view bytes);
// Inside a catch block: what was caught, as a text.
std::string DescribeCurrentException();
