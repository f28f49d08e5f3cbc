// CSerialIO over a real pseudo-terminal: framing, time-outs, hang-up, the
// line length bound, exclusive open, text conversion and port numbers.
#include "core/link/serial_io.h"
#include "core/platform/abort_signal.h"
#include "core/platform/posix/port_map.h"
#include "core/platform/codepage.h"
#include "pty_peer.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

class SerialIOTest : public ::testing::Test {
protected:
  void SetUp() override {
    io.OpenDevice(peer.SlavePath());
    io.Configure(9600, 8, 0, 0);
  }

  // The id of the CSerialIOException the call threw, 0 for none.
  template <class F> int IdOf(F &&call) {
    try {
      call();
    } catch (const CSerialIOException &e) {
      message = e.GetErrorMessage();
      return e.GetId();
    }
    return 0;
  }

  ScopedTestHome home;
  CPtyPeer peer;
  CSerialIO io;
  std::string message;
};

class CodePageGuard {
public:
  explicit CodePageGuard(CodePage cp) : m_old(GetLinkCodePage()) { SetLinkCodePage(cp); }
  ~CodePageGuard() { SetLinkCodePage(m_old); }

private:
  CodePage m_old;
};

// ---- framing

TEST_F(SerialIOTest, LineEndsAtCarriageReturn) {
  peer.Send("D1.234\r\r\nD2\r");
  EXPECT_EQ(io.ReadLine(), "D1.234");
  EXPECT_EQ(io.ReadLine(), "");
  EXPECT_EQ(io.ReadLine(), "\nD2");
}

TEST_F(SerialIOTest, LineHoldingANulIsAFailedReadAndTheNextLineReadsClean) {
  // "D-13.7", NUL, "0000": cut at the NUL it would pass for -13.0.
  peer.Send(std::string("D-13.7\0"
                        "0000\rD2\r",
                        15));
  EXPECT_EQ(IdOf([&] { io.ReadLine(); }), IDS_RECEIVE_TIMEOUT);
  EXPECT_EQ(io.ReadLine(), "D2");
}

TEST_F(SerialIOTest, ReadCharGivesOneCharacterOrNothing) {
  io.SetReadTimeout(50);
  std::string ch;
  peer.Send("A");
  ASSERT_TRUE(io.ReadChar(ch));
  EXPECT_EQ(ch, "A");
  EXPECT_FALSE(io.ReadChar(ch));
}

// ---- time-outs

TEST_F(SerialIOTest, SilenceThrowsTimeoutAfterTheReadTimeout) {
  io.SetReadTimeout(150);
  auto start = Clock::now();
  EXPECT_EQ(IdOf([&] { io.ReadLine(); }), IDS_RECEIVE_TIMEOUT);
  EXPECT_EQ(message, LoadString(IDS_RECEIVE_TIMEOUT));
  auto took = Clock::now() - start;
  EXPECT_GE(took, 140ms);
  EXPECT_LT(took, 2s);
}

TEST_F(SerialIOTest, TimeLimitIsPerCharacterNotPerLine) {
  io.SetReadTimeout(200);
  peer.SendSlowly("D1.234\r", 60ms); // about 420 ms in all
  EXPECT_EQ(io.ReadLine(), "D1.234");
}

TEST_F(SerialIOTest, GapLongerThanTheTimeoutDropsThePartAndKeepsTheTail) {
  io.SetReadTimeout(100);
  peer.Send("D1.");
  peer.SendLater("5\rD7\r", 300ms);
  EXPECT_EQ(IdOf([&] { io.ReadLine(); }), IDS_RECEIVE_TIMEOUT);
  io.SetReadTimeout(1000);
  EXPECT_EQ(io.ReadLine(), "5");
  EXPECT_EQ(io.ReadLine(), "D7");
}

TEST_F(SerialIOTest, ConfigureAndReopenSetTheStandardTimeouts) {
  const CommTimeouts &t = io.Timeouts();
  EXPECT_EQ(t.ReadIntervalTimeout, 1000u);
  EXPECT_EQ(t.ReadTotalTimeoutMultiplier, 0u);
  EXPECT_EQ(t.ReadTotalTimeoutConstant, 1000u);
  EXPECT_EQ(t.WriteTotalTimeoutMultiplier, 0u);
  EXPECT_EQ(t.WriteTotalTimeoutConstant, 0u);

  io.SetReadTimeout(5000);
  EXPECT_EQ(io.Timeouts().ReadTotalTimeoutConstant, 5000u);
  EXPECT_EQ(io.Timeouts().ReadIntervalTimeout, 1000u);
  io.Reopen();
  EXPECT_TRUE(io.IsOpen());
  EXPECT_EQ(io.Timeouts().ReadTotalTimeoutConstant, 1000u);

  // And the reopened port still talks.
  peer.Send("D9\r");
  EXPECT_EQ(io.ReadLine(), "D9");
}

TEST_F(SerialIOTest, SettingsOnAClosedPortAreRefused) {
  io.Close();
  EXPECT_FALSE(io.IsOpen());
  EXPECT_EQ(IdOf([&] { io.Configure(9600, 8, 0, 0); }), IDS_PORT_SETTINGS_FAILED);
  EXPECT_EQ(IdOf([&] { io.SetReadTimeout(1000); }), IDS_PORT_SETTINGS_FAILED);
  EXPECT_EQ(IdOf([&] { io.ReadLine(); }), IDS_RECEIVE_TIMEOUT);
  io.Write("D\r"); // not reported
}

TEST_F(SerialIOTest, UnsupportedLineSettingsAreRefused) {
  EXPECT_EQ(IdOf([&] { io.Configure(12345, 8, 0, 0); }), IDS_PORT_SETTINGS_FAILED);
  EXPECT_TRUE(io.IsOpen()); // the handle stays open
}

// ---- failures that must not wait out the time-out

TEST_F(SerialIOTest, HangUpMidLineFailsAtOnce) {
  io.SetReadTimeout(5000);
  peer.Send("D1.2");
  peer.CloseMasterLater(100ms);
  auto start = Clock::now();
  EXPECT_EQ(IdOf([&] { io.ReadLine(); }), IDS_RECEIVE_TIMEOUT);
  EXPECT_LT(Clock::now() - start, 2500ms);
}

TEST_F(SerialIOTest, AbortSignalWakesABlockedReadAtOnce) {
  CAbortSignal abort;
  io.SetAbortSignal(&abort);
  io.SetReadTimeout(5000);
  std::thread trigger([&] {
    std::this_thread::sleep_for(100ms);
    abort.Raise();
  });
  auto start = Clock::now();
  EXPECT_EQ(IdOf([&] { io.ReadLine(); }), IDS_RECEIVE_TIMEOUT);
  EXPECT_LT(Clock::now() - start, 2500ms);
  trigger.join();
  // Every later read fails as well, even with bytes waiting.
  peer.Send("D1\r");
  std::string ch;
  EXPECT_FALSE(io.ReadChar(ch));
  io.SetAbortSignal(nullptr);
  EXPECT_EQ(io.ReadLine(), "D1");
}

TEST_F(SerialIOTest, EndlessLineIsATimeoutAndTheNextLineReadsCleanly) {
  peer.SendLater(std::string(10000, 'x') + "\rD1\r", 0ms);
  EXPECT_EQ(IdOf([&] { io.ReadLine(); }), IDS_RECEIVE_TIMEOUT);
  EXPECT_EQ(io.ReadLine(), "D1");
}

TEST_F(SerialIOTest, LineJustBelowTheBoundIsRead) {
  peer.SendLater(std::string(4095, 'y') + "\r", 0ms);
  EXPECT_EQ(io.ReadLine(), std::string(4095, 'y'));
}

// ---- text conversion

TEST_F(SerialIOTest, JapaneseTextTravelsInCp932) {
  CodePageGuard cp(CodePage::CP932);
  io.Write("Dタグ\r");
  auto wire = peer.Receive();
  ASSERT_TRUE(wire);
  EXPECT_EQ(*wire, "D\x83\x5E\x83\x4F\r");
  peer.Send(*wire); // echo the bytes back
  EXPECT_EQ(io.ReadLine(), "Dタグ");
}

TEST_F(SerialIOTest, Cp932CharacterComesAsOneReadChar) {
  CodePageGuard cp(CodePage::CP932);
  peer.Send("\x83\x5E");
  std::string ch;
  ASSERT_TRUE(io.ReadChar(ch));
  EXPECT_EQ(ch, "タ");
}

TEST_F(SerialIOTest, Cp932LeadByteBeforeCarriageReturnKeepsTheLineEnd) {
  CodePageGuard cp(CodePage::CP932);
  peer.Send("D\x83\rD2\r");
  EXPECT_EQ(io.ReadLine(), "D\xEF\xBF\xBD");
  EXPECT_EQ(io.ReadLine(), "D2");
}

TEST_F(SerialIOTest, CharacterTheCodePageLacksGoesOutAsQuestionMark) {
  CodePageGuard cp(CodePage::CP1252);
  io.Write("D\xE2\x82\xAC\xE2\x9C\x93\xC3\xA9\r"); // euro sign, check mark, e acute
  EXPECT_EQ(peer.Receive(), "D\x80?\xE9\r");
  peer.Send("D\x80\xE9\r");
  EXPECT_EQ(io.ReadLine(), "D\xE2\x82\xAC\xC3\xA9");
}

// ---- names and numbers

TEST(SerialIONames, DeviceNameSwitchesToTheBackslashFormAtTen) {
  EXPECT_EQ(CSerialIO::DeviceName(1), "COM1");
  EXPECT_EQ(CSerialIO::DeviceName(9), "COM9");
  EXPECT_EQ(CSerialIO::DeviceName(10), "\\\\.\\COM10");
  EXPECT_EQ(CSerialIO::DeviceName(12), std::string("\\\\.\\COM12"));
  EXPECT_EQ(CSerialIO::DeviceName(12).size(), 9u);
}

TEST(SerialIOPortMap, OpenByNumberGoesThroughThePortMap) {
  ScopedTestHome home;
  CPtyPeer peer;
  int n = CComPortMap().Register(peer.SlavePath());
  ASSERT_GT(n, 0);
  CSerialIO io;
  io.Open(n);
  EXPECT_TRUE(io.IsOpen());
  EXPECT_EQ(io.PortName(), CSerialIO::DeviceName(n));
  EXPECT_EQ(io.DevicePath(), peer.SlavePath());
  io.Configure(9600, 8, 0, 0);
  peer.Send("D3\r");
  EXPECT_EQ(io.ReadLine(), "D3");

  // Once the number leads nowhere, Reopen must not go back to the device it
  // had: a pseudo-terminal's path is soon another program's terminal.
  CComPortMap().Unregister(n);
  try {
    io.Reopen();
    ADD_FAILURE() << "reopened " << io.DevicePath();
  } catch (const CSerialIOException &e) {
    EXPECT_EQ(e.GetId(), IDS_PORT_OPEN_FAILED);
  }
}

TEST(SerialIOPortMap, OpenOfTenQuotesTheBackslashForm) {
  ScopedTestHome home;
  CPtyPeer peer;
  CComPortMap map;
  ASSERT_EQ(map.Register(peer.SlavePath(), 10), 10);
  CSerialIO io;
  io.Open(10);
  EXPECT_EQ(io.PortName(), "\\\\.\\COM10");
  io.Close();

  map.Unregister(10);
  try {
    io.Open(10);
    FAIL() << "opened a port without a device";
  } catch (const CSerialIOException &e) {
    EXPECT_EQ(e.GetId(), IDS_PORT_OPEN_FAILED);
    EXPECT_NE(e.GetErrorMessage().find("Communication port \\\\.\\COM10 can not be opened."),
              std::string::npos)
        << e.GetErrorMessage();
    EXPECT_NE(e.GetErrorMessage().find(LoadString(IDS_PORT_REASON_NOT_PRESENT)), std::string::npos);
  }
  EXPECT_FALSE(io.IsOpen());
  EXPECT_EQ(io.PortName(), "\\\\.\\COM10");
}

TEST(SerialIOOpen, MissingDeviceNamesPathAndReason) {
  CSerialIO io;
  try {
    io.OpenDevice("/dev/vela-no-such-port");
    FAIL() << "opened a missing device";
  } catch (const CSerialIOException &e) {
    EXPECT_EQ(e.GetId(), IDS_PORT_OPEN_FAILED);
    EXPECT_EQ(e.GetErrorMessage(), "Communication port /dev/vela-no-such-port can not be opened.\n" +
                                       LoadString(IDS_PORT_REASON_NOT_PRESENT));
  }
}

TEST(SerialIOOpen, SecondOpenInThisProcessIsRefusedAsInUse) {
  CPtyPeer peer;
  CSerialIO first;
  first.OpenDevice(peer.SlavePath());
  CSerialIO second;
  try {
    second.OpenDevice(peer.SlavePath());
    FAIL() << "opened twice";
  } catch (const CSerialIOException &e) {
    EXPECT_EQ(e.GetId(), IDS_PORT_OPEN_FAILED);
    EXPECT_NE(e.GetErrorMessage().find(LoadString(IDS_PORT_REASON_IN_USE)), std::string::npos);
  }
  first.Close();
  second.OpenDevice(peer.SlavePath()); // released on close
  EXPECT_TRUE(second.IsOpen());
}

// Runs `body` in a child process as user and group 65534 and returns its exit
// code (or -1 when it died).
template <class F> int RunAsNobody(F &&body) {
  pid_t pid = fork();
  if (pid == 0) {
    if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)
      _exit(90);
    _exit(body());
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SerialIOOpen, OtherProgramWithoutPrivilegeIsRefusedAsInUse) {
  if (geteuid() != 0)
    GTEST_SKIP() << "needs root to switch to another user";
  CPtyPeer peer;
  ASSERT_EQ(chmod(peer.SlavePath().c_str(), 0666), 0); // permission is not the reason
  CSerialIO holder;
  holder.OpenDevice(peer.SlavePath());
  const std::string inUse = LoadString(IDS_PORT_REASON_IN_USE);
  int code = RunAsNobody([&] {
    CSerialIO io;
    try {
      io.OpenDevice(peer.SlavePath());
      return 1;
    } catch (const CSerialIOException &e) {
      if (e.GetId() != IDS_PORT_OPEN_FAILED)
        return 2;
      return e.GetErrorMessage().find(inUse) != std::string::npos ? 0 : 3;
    }
  });
  EXPECT_EQ(code, 0);
}

TEST(SerialIOOpen, PermissionDeniedNamesTheGroupAndTheFix) {
  if (geteuid() != 0)
    GTEST_SKIP() << "needs root to switch to another user";
  const group *dialout = getgrnam("dialout");
  if (!dialout)
    GTEST_SKIP() << "no dialout group";
  CPtyPeer peer;
  ASSERT_EQ(chown(peer.SlavePath().c_str(), 0, dialout->gr_gid), 0);
  ASSERT_EQ(chmod(peer.SlavePath().c_str(), 0660), 0);
  int code = RunAsNobody([&] {
    CSerialIO io;
    try {
      io.OpenDevice(peer.SlavePath());
      return 1;
    } catch (const CSerialIOException &e) {
      const std::string &text = e.GetErrorMessage();
      if (e.GetId() != IDS_PORT_OPEN_FAILED || text.find('\n') == std::string::npos)
        return 2;
      return text.find("sudo usermod -aG dialout $USER") != std::string::npos ? 0 : 3;
    }
  });
  EXPECT_EQ(code, 0);
}

} // namespace
