// The POSIX termios serial device behind CSerialLine: the exclusive open
// holds both a flock and TIOCEXCL, reads never block in the kernel, and every
// wait is a poll() on the line and the abort signal's descriptor.
#pragma once

#include "core/platform/serial_line.h"

class CPosixSerial : public CSerialLine {
public:
  using OpenResult = Opened<CPosixSerial>;
  static OpenResult Open(const std::string &path);

  ~CPosixSerial() override;

  bool Configure(std::uint32_t baud, std::uint8_t byteSize, std::uint8_t parity,
                 std::uint8_t stopBits) override;
  ReadResult ReadByte(unsigned char &byte, std::chrono::milliseconds timeout,
                      const CAbortSignal *abort) override;
  bool Write(const void *data, std::size_t size, const CAbortSignal *abort) override;
  void FlushInput() override;

  int Fd() const { return m_fd; }

private:
  explicit CPosixSerial(int fd) : m_fd(fd) {}
  int m_fd;
};
