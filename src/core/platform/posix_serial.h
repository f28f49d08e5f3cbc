// The POSIX termios serial device under CSerialIO: exclusive open, raw 8-bit
// line settings, one-byte reads with a time-out that a hang-up or an abort
// descriptor cuts short, and writes that go out whole.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class CPosixSerial {
public:
  // Why an open failed; errno describes the detail.
  enum class OpenFailure { None, InUse, Permission, NotPresent, Other };

  struct OpenResult {
    std::unique_ptr<CPosixSerial> port;
    OpenFailure failure = OpenFailure::None;
    int error = 0; // errno of the failing call
  };

  enum class ReadResult { Byte, Timeout, HangUp, Aborted, Error };

  // Opens the device for this process alone: a second open by any program
  // without privilege fails while this one is held.
  static OpenResult Open(const std::string &path);

  ~CPosixSerial();
  CPosixSerial(const CPosixSerial &) = delete;
  CPosixSerial &operator=(const CPosixSerial &) = delete;

  // Applies the whole line state from scratch: raw 8-bit, no handshake of any
  // kind, the receiver on, reads that never block in the kernel. byteSize 5..8,
  // parity 0 none 1 odd 2 even (mark and space are refused), stopBits 0 one,
  // 2 two (1.5 is refused). Returns false and sets errno on failure.
  bool Configure(std::uint32_t baud, std::uint8_t byteSize, std::uint8_t parity, std::uint8_t stopBits);

  // One byte within the time-out. abortFd (or -1) ends the wait at once when
  // it becomes readable.
  ReadResult ReadByte(unsigned char &byte, std::chrono::milliseconds timeout, int abortFd);

  // Writes every byte, then waits until they have left. False when the line
  // failed or abortFd became readable before all was written.
  bool Write(const void *data, std::size_t size, int abortFd);

  // Drops every byte received and not yet read.
  void FlushInput();

  int Fd() const { return m_fd; }

private:
  explicit CPosixSerial(int fd) : m_fd(fd) {}
  int m_fd;
};
