// The log file: what each level writes where, rotation by size, and a log
// that cannot be written never stopping anything.
#include "core/log/log.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

class LogTest : public ::testing::Test {
protected:
  void TearDown() override { StopLog(); }
  void Start(bool verbose, std::size_t maxBytes = 1 << 20, int keep = 3) {
    LogOptions options;
    options.program = "t";
    options.folder = m_home.File("logs");
    options.verbose = verbose;
    options.maxBytes = maxBytes;
    options.keep = keep;
    StartLog(options);
  }
  std::string File(const std::string &suffix = "") { return ReadWholeFile(m_home.File("logs/t.log" + suffix)); }

  ScopedTestHome m_home;
};

TEST_F(LogTest, DebugLinesOnlyWhenVerboseAndNothingBeforeTheStart) {
  LogInfo("test", "before the start");
  Start(false);
  LogDebug("test", "a debug line");
  LogInfo("test", "an info line");
  LogWarning("test", "a warning \x01\r");
  EXPECT_EQ(File().find("before the start"), std::string::npos);
  EXPECT_EQ(File().find("a debug line"), std::string::npos);
  EXPECT_NE(File().find("info test: an info line\n"), std::string::npos) << File();
  EXPECT_NE(File().find("warning test: a warning \x01\r"), std::string::npos);
  EXPECT_EQ(PrintableLine("D1\x01\r\\"), "D1\\x01\\r\\\\");

  StopLog();
  Start(true);
  testing::internal::CaptureStderr();
  LogDebug("test", "now a debug line");
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("debug test: now a debug line"), std::string::npos);
  EXPECT_NE(File().find("now a debug line"), std::string::npos);
}

TEST_F(LogTest, AFullFileIsRotatedAndOnlyTheNewestAreKept) {
  Start(false, 400, 2);
  for (int i = 0; i < 60; ++i)
    LogInfo("test", "line " + std::to_string(i));
  EXPECT_LE(File().size(), 400u + 80u);
  EXPECT_FALSE(File(".1").empty());
  EXPECT_FALSE(File(".2").empty());
  EXPECT_FALSE(fs::exists(m_home.File("logs/t.log.3")));
  // The newest line is in the live file, older ones moved up.
  EXPECT_NE(File().find("line 59\n"), std::string::npos);
  EXPECT_EQ(File(".2").find("line 59\n"), std::string::npos);
}

TEST_F(LogTest, ALogThatCannotBeWrittenIsDroppedQuietly) {
  WriteWholeFile(m_home.File("logs"), "a file where the folder should be");
  Start(false);
  LogWarning("test", "goes nowhere");
  LogInfo("test", "nor this");
  EXPECT_EQ(LogFilePath(), "");
}

} // namespace
