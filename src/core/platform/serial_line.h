// One serial device as the system offers it, under CSerialIO: exclusive open,
// raw 8-bit line settings, one-byte reads with a time-out that a hang-up or
// an abort signal cuts short, and writes that go out whole. Each system has
// its own implementation; Open picks it.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class CAbortSignal;

class CSerialLine {
public:
  // Why an open failed; the system's error code tells the detail.
  enum class OpenFailure { None, InUse, Permission, NotPresent, Other };

  template <class Line> struct Opened {
    std::unique_ptr<Line> port;
    OpenFailure failure = OpenFailure::None;
    int error = 0; // the system's code of the failing call
  };
  using OpenResult = Opened<CSerialLine>;

  enum class ReadResult { Byte, Timeout, HangUp, Aborted, Error };

  // Opens the device for this process alone: a second open by any program
  // without privilege fails while this one is held.
  static OpenResult Open(const std::string &device);

  virtual ~CSerialLine() = default;
  CSerialLine(const CSerialLine &) = delete;
  CSerialLine &operator=(const CSerialLine &) = delete;

  // Applies the whole line state from scratch: raw 8-bit, no handshake of any
  // kind, the receiver on. byteSize 5..8, parity 0 none 1 odd 2 even (mark
  // and space are refused), stopBits 0 one, 2 two (1.5 is refused). False on
  // failure.
  virtual bool Configure(std::uint32_t baud, std::uint8_t byteSize, std::uint8_t parity,
                         std::uint8_t stopBits) = 0;

  // One byte within the time-out. A raised abort signal (nullptr for none)
  // ends the wait at once.
  virtual ReadResult ReadByte(unsigned char &byte, std::chrono::milliseconds timeout,
                              const CAbortSignal *abort) = 0;

  // Writes every byte, then waits until they have left. False when the line
  // failed or the abort signal was raised before all was written.
  virtual bool Write(const void *data, std::size_t size, const CAbortSignal *abort) = 0;

  // Drops every byte received and not yet read.
  virtual void FlushInput() = 0;

protected:
  CSerialLine() = default;
};

// What the system can tell about a device the user was refused: nothing
// more (Unknown), that the user is not in the group that owns serial
// devices, or that the membership is granted but not yet in effect (it
// takes a new login).
struct CSerialAccess {
  enum class Kind { Unknown, NotInGroup, NeedsLogin } kind = Kind::Unknown;
  std::string group; // the owning group, for the two latter
};
CSerialAccess DiagnoseSerialAccess(const std::string &device);
