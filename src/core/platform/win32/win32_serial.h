// The Windows COM port behind CSerialLine: an exclusive CreateFile of
// \\.\COMn, a DCB without handshake and with DTR and RTS held inactive, and
// overlapped reads and writes, so that every wait can watch the abort
// signal's event beside the I/O's own. The read time-out is the driver's
// (SetCommTimeouts), set only when it changes. A read takes whatever the
// driver holds, up to a buffer's worth, and hands it out a byte at a time:
// one system call per byte costs more than a byte's time on the line.
#pragma once

#include "core/platform/serial_line.h"

#include <windows.h>

class CWin32Serial : public CSerialLine {
public:
  using OpenResult = Opened<CWin32Serial>;
  static OpenResult Open(const std::string &device);

  ~CWin32Serial() override;

  bool Configure(std::uint32_t baud, std::uint8_t byteSize, std::uint8_t parity,
                 std::uint8_t stopBits) override;
  ReadResult ReadByte(unsigned char &byte, std::chrono::milliseconds timeout,
                      const CAbortSignal *abort) override;
  bool Write(const void *data, std::size_t size, const CAbortSignal *abort) override;
  void FlushInput() override;

private:
  CWin32Serial(HANDLE handle, HANDLE event) : m_handle(handle), m_event(event) {}
  bool SetReadTimeout(DWORD milliseconds);
  // Waits for the overlapped operation; false when it failed or was aborted
  // (then `aborted` says which). `transferred` is what it moved.
  bool Finish(OVERLAPPED &overlapped, const CAbortSignal *abort, DWORD &transferred, bool &aborted);

  HANDLE m_handle;
  HANDLE m_event; // the overlapped operations' event; one operation at a time
  DWORD m_readTimeout = MAXDWORD; // none applied yet
  unsigned char m_received[512];
  DWORD m_receivedCount = 0; // bytes in m_received
  DWORD m_receivedNext = 0;  // the next of them to hand out
};
