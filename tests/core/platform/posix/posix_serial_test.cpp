// The termios backend on a real pseudo-terminal: the line state it leaves,
// exclusive open, and reads that end early on hang-up, abort or signals.
#include "core/platform/abort_signal.h"
#include "core/platform/posix/posix_serial.h"
#include "pty_peer.h"

#include <gtest/gtest.h>

#include <csignal>
#include <pthread.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

std::unique_ptr<CPosixSerial> OpenOrFail(const std::string &path) {
  auto result = CPosixSerial::Open(path);
  EXPECT_TRUE(result.port) << "errno " << result.error;
  return std::move(result.port);
}

TEST(PosixSerial, ConfigureLeavesARawLineWhateverWasSetBefore) {
  CPtyPeer peer;
  auto port = OpenOrFail(peer.SlavePath());
  ASSERT_TRUE(port);
  // Another program left a cooked, flow-controlled line behind.
  termios dirty{};
  ASSERT_EQ(tcgetattr(port->Fd(), &dirty), 0);
  dirty.c_iflag |= ICRNL | IXON | IXOFF | IXANY | ISTRIP;
  dirty.c_oflag |= OPOST | ONLCR;
  dirty.c_lflag |= ICANON | ECHO | ISIG | IEXTEN;
  dirty.c_cflag |= CRTSCTS | PARENB | CSTOPB;
  dirty.c_cc[VMIN] = 5;
  dirty.c_cc[VTIME] = 3;
  cfsetispeed(&dirty, B1200);
  cfsetospeed(&dirty, B1200);
  ASSERT_EQ(tcsetattr(port->Fd(), TCSANOW, &dirty), 0);

  ASSERT_TRUE(port->Configure(9600, 8, 0, 0));
  termios tio{};
  ASSERT_EQ(tcgetattr(port->Fd(), &tio), 0);
  EXPECT_EQ(tio.c_cflag & CSIZE, tcflag_t(CS8));
  EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(tio.c_cflag & (CLOCAL | CREAD), tcflag_t(CLOCAL | CREAD));
  EXPECT_EQ(tio.c_iflag & (ICRNL | IXON | IXOFF | IXANY | ISTRIP | INLCR | IGNCR), 0u);
  EXPECT_EQ(tio.c_oflag & OPOST, 0u);
  EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
  EXPECT_EQ(tio.c_cc[VMIN], 0);
  EXPECT_EQ(tio.c_cc[VTIME], 0);
  EXPECT_EQ(cfgetispeed(&tio), speed_t(B9600));
  EXPECT_EQ(cfgetospeed(&tio), speed_t(B9600));

  // Bytes go through untouched: no CR/LF translation, no echo.
  peer.Send("\r\n\x11\x13\x7f");
  std::string got;
  unsigned char b;
  while (port->ReadByte(b, 100ms, nullptr) == CPosixSerial::ReadResult::Byte)
    got += static_cast<char>(b);
  EXPECT_EQ(got, "\r\n\x11\x13\x7f");
  EXPECT_EQ(peer.ReceiveAll(50ms), "");
}

TEST(PosixSerial, OtherLineFormats) {
  CPtyPeer peer;
  auto port = OpenOrFail(peer.SlavePath());
  ASSERT_TRUE(port);
  ASSERT_TRUE(port->Configure(19200, 8, 0, 2));
  termios tio{};
  ASSERT_EQ(tcgetattr(port->Fd(), &tio), 0);
  EXPECT_EQ(tio.c_cflag & CSTOPB, tcflag_t(CSTOPB));
  EXPECT_EQ(cfgetospeed(&tio), speed_t(B19200));
  // A pseudo-terminal keeps 8 bits without parity whatever is asked; a
  // setting the driver did not take is a refusal, not a silent success.
  EXPECT_FALSE(port->Configure(9600, 7, 2, 0));
  EXPECT_FALSE(port->Configure(9600, 9, 0, 0));
  EXPECT_FALSE(port->Configure(9600, 8, 3, 0)); // mark parity
  EXPECT_FALSE(port->Configure(9600, 8, 0, 1)); // one and a half stop bits
  EXPECT_FALSE(port->Configure(1234, 8, 0, 0));
}

TEST(PosixSerial, OpenIsExclusiveUntilClosed) {
  CPtyPeer peer;
  auto first = OpenOrFail(peer.SlavePath());
  auto second = CPosixSerial::Open(peer.SlavePath());
  EXPECT_FALSE(second.port);
  EXPECT_EQ(second.failure, CPosixSerial::OpenFailure::InUse);
  first.reset();
  EXPECT_TRUE(CPosixSerial::Open(peer.SlavePath()).port);
}

TEST(PosixSerial, OpenFailuresAreClassified) {
  auto missing = CPosixSerial::Open("/dev/vela-no-such-port");
  EXPECT_FALSE(missing.port);
  EXPECT_EQ(missing.failure, CPosixSerial::OpenFailure::NotPresent);
  EXPECT_EQ(missing.error, ENOENT);
  auto notATerminal = CPosixSerial::Open("/dev/null");
  EXPECT_FALSE(notATerminal.port);
  EXPECT_EQ(notATerminal.failure, CPosixSerial::OpenFailure::Other);
}

TEST(PosixSerial, ReadTimesOutWithoutData) {
  CPtyPeer peer;
  auto port = OpenOrFail(peer.SlavePath());
  ASSERT_TRUE(port);
  unsigned char b;
  auto start = Clock::now();
  EXPECT_EQ(port->ReadByte(b, 120ms, nullptr), CPosixSerial::ReadResult::Timeout);
  EXPECT_GE(Clock::now() - start, 115ms);
  EXPECT_EQ(port->ReadByte(b, 0ms, nullptr), CPosixSerial::ReadResult::Timeout);
  peer.Send("z");
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(port->ReadByte(b, 0ms, nullptr), CPosixSerial::ReadResult::Byte);
  EXPECT_EQ(b, 'z');
}

void Ignore(int) {}

TEST(PosixSerial, SignalDuringTheWaitDoesNotEndIt) {
  struct sigaction sa {};
  sa.sa_handler = Ignore; // no SA_RESTART: poll returns EINTR
  struct sigaction old {};
  ASSERT_EQ(sigaction(SIGUSR1, &sa, &old), 0);
  CPtyPeer peer;
  auto port = OpenOrFail(peer.SlavePath());
  ASSERT_TRUE(port);
  pthread_t reader = pthread_self();
  std::thread poke([&] {
    std::this_thread::sleep_for(50ms);
    pthread_kill(reader, SIGUSR1);
    std::this_thread::sleep_for(50ms);
    pthread_kill(reader, SIGUSR1);
  });
  peer.SendLater("k", 200ms);
  unsigned char b = 0;
  EXPECT_EQ(port->ReadByte(b, 2000ms, nullptr), CPosixSerial::ReadResult::Byte);
  EXPECT_EQ(b, 'k');
  poke.join();
  sigaction(SIGUSR1, &old, nullptr);
}

TEST(PosixSerial, HangUpEndsTheWaitAtOnce) {
  CPtyPeer peer;
  auto port = OpenOrFail(peer.SlavePath());
  ASSERT_TRUE(port);
  peer.Send("ab");
  unsigned char b;
  std::string got;
  while (got.size() < 2 && port->ReadByte(b, 1000ms, nullptr) == CPosixSerial::ReadResult::Byte)
    got += static_cast<char>(b);
  EXPECT_EQ(got, "ab");
  peer.CloseMasterLater(100ms);
  auto start = Clock::now();
  EXPECT_EQ(port->ReadByte(b, 3000ms, nullptr), CPosixSerial::ReadResult::HangUp);
  EXPECT_LT(Clock::now() - start, 1500ms);
  // Still failing at once, not waiting out the time-out.
  start = Clock::now();
  EXPECT_EQ(port->ReadByte(b, 3000ms, nullptr), CPosixSerial::ReadResult::HangUp);
  EXPECT_LT(Clock::now() - start, 1500ms);
}

TEST(PosixSerial, AbortSignalEndsTheWait) {
  CPtyPeer peer;
  auto port = OpenOrFail(peer.SlavePath());
  ASSERT_TRUE(port);
  CAbortSignal abort;
  std::thread trigger([&] {
    std::this_thread::sleep_for(80ms);
    abort.Raise();
  });
  unsigned char b;
  auto start = Clock::now();
  EXPECT_EQ(port->ReadByte(b, 3000ms, &abort), CPosixSerial::ReadResult::Aborted);
  EXPECT_LT(Clock::now() - start, 1500ms);
  trigger.join();
  EXPECT_TRUE(abort.IsRaised());
}

TEST(PosixSerial, LargeWriteArrivesWhole) {
  CPtyPeer peer;
  auto port = OpenOrFail(peer.SlavePath());
  ASSERT_TRUE(port);
  ASSERT_TRUE(port->Configure(9600, 8, 0, 0));
  // More than the tty buffers hold, so the write must wait for room.
  std::string data;
  for (int i = 0; i < 200000; ++i)
    data += static_cast<char>('a' + i % 26);
  std::string received;
  std::thread reader([&] {
    while (received.size() < data.size()) {
      std::string part = peer.ReceiveAll(200ms);
      if (part.empty())
        break;
      received += part;
    }
  });
  EXPECT_TRUE(port->Write(data.data(), data.size(), nullptr));
  reader.join();
  EXPECT_EQ(received.size(), data.size());
  EXPECT_TRUE(received == data);
}

} // namespace
