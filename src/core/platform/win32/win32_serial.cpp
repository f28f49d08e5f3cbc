#include "core/platform/win32/win32_serial.h"

#include "core/platform/win32/abort_signal_native.h"
#include "core/platform/win32/wide_text.h"

#include <chrono>

namespace {

// A peer that stops taking bytes must not hold the caller forever; a real
// line without handshake always drains.
constexpr DWORD kWriteStallLimitMs = 2000;

CSerialLine::OpenFailure Classify(DWORD error) {
  switch (error) {
  case ERROR_ACCESS_DENIED: // what an exclusive COM port answers a second open
  case ERROR_SHARING_VIOLATION:
  case ERROR_BUSY:
    return CSerialLine::OpenFailure::InUse;
  case ERROR_FILE_NOT_FOUND:
  case ERROR_PATH_NOT_FOUND:
  case ERROR_BAD_UNIT:
  case ERROR_DEV_NOT_EXIST:
  case ERROR_DEVICE_NOT_CONNECTED:
  case ERROR_NOT_READY:
    return CSerialLine::OpenFailure::NotPresent;
  default:
    return CSerialLine::OpenFailure::Other;
  }
}

// Errors of a USB adapter that was pulled out, or of a port whose driver went away.
bool IsHangUp(DWORD error) {
  return error == ERROR_ACCESS_DENIED || error == ERROR_BAD_COMMAND || error == ERROR_DEVICE_NOT_CONNECTED ||
         error == ERROR_DEV_NOT_EXIST || error == ERROR_GEN_FAILURE || error == ERROR_INVALID_HANDLE ||
         error == ERROR_NOT_READY;
}

HANDLE AbortEvent(const CAbortSignal *abort) { return abort ? abort->GetNative().event : nullptr; }

} // namespace

CSerialLine::OpenResult CSerialLine::Open(const std::string &device) {
  auto opened = CWin32Serial::Open(device);
  return {std::move(opened.port), opened.failure, opened.error};
}

CWin32Serial::OpenResult CWin32Serial::Open(const std::string &device) {
  OpenResult result;
  // Share mode 0: no other handle to the port while this one is open.
  HANDLE handle = CreateFileW(Utf8ToWide(device).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    result.error = static_cast<int>(GetLastError());
    result.failure = Classify(static_cast<DWORD>(result.error));
    return result;
  }
  if (GetFileType(handle) != FILE_TYPE_CHAR) {
    CloseHandle(handle);
    result.error = ERROR_BAD_DEVICE;
    result.failure = OpenFailure::NotPresent;
    return result;
  }
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!event) {
    result.error = static_cast<int>(GetLastError());
    result.failure = OpenFailure::Other;
    CloseHandle(handle);
    return result;
  }
  result.port.reset(new CWin32Serial(handle, event));
  return result;
}

CWin32Serial::~CWin32Serial() {
  CancelIo(m_handle);
  CloseHandle(m_handle);
  CloseHandle(m_event);
}

bool CWin32Serial::Configure(std::uint32_t baud, std::uint8_t byteSize, std::uint8_t parity,
                             std::uint8_t stopBits) {
  if (byteSize < 5 || byteSize > 8 || parity > EVENPARITY || (stopBits != ONESTOPBIT && stopBits != TWOSTOPBITS)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  // Every field zero but the line format and binary mode: no handshake of
  // any kind, no error or null character handling, DTR and RTS inactive.
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  dcb.BaudRate = baud;
  dcb.ByteSize = byteSize;
  dcb.Parity = parity;
  dcb.StopBits = stopBits;
  dcb.fBinary = TRUE;
  dcb.fParity = parity != NOPARITY;
  dcb.fDtrControl = DTR_CONTROL_DISABLE;
  dcb.fRtsControl = RTS_CONTROL_DISABLE;
  if (!SetCommState(m_handle, &dcb))
    return false;
  m_readTimeout = MAXDWORD;
  return SetReadTimeout(1000);
}

bool CWin32Serial::SetReadTimeout(DWORD milliseconds) {
  if (milliseconds == m_readTimeout)
    return true;
  // A read of what has arrived returns at once; a one-byte read when
  // nothing has waits for it and gives up after the constant, the
  // per-character time-out. A write gets the time its bytes need down to
  // 300 baud and the stall limit on top, so a line that stops taking bytes
  // gives up.
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = 1000;
  timeouts.ReadTotalTimeoutMultiplier = 0;
  timeouts.ReadTotalTimeoutConstant = milliseconds;
  timeouts.WriteTotalTimeoutMultiplier = 40;
  timeouts.WriteTotalTimeoutConstant = kWriteStallLimitMs;
  if (!SetCommTimeouts(m_handle, &timeouts)) {
    m_readTimeout = MAXDWORD;
    return false;
  }
  m_readTimeout = milliseconds;
  return true;
}

bool CWin32Serial::Finish(OVERLAPPED &overlapped, const CAbortSignal *abort, DWORD &transferred, bool &aborted) {
  aborted = false;
  HANDLE abortEvent = AbortEvent(abort);
  HANDLE events[2] = {m_event, abortEvent};
  const DWORD count = abortEvent ? 2 : 1;
  const DWORD woke = WaitForMultipleObjects(count, events, FALSE, INFINITE);
  if (woke != WAIT_OBJECT_0) {
    // Aborted (or the wait itself failed): cancel, and let the driver finish
    // with the buffer before it goes out of scope.
    aborted = woke == WAIT_OBJECT_0 + 1;
    CancelIoEx(m_handle, &overlapped);
    GetOverlappedResult(m_handle, &overlapped, &transferred, TRUE);
    return false;
  }
  return GetOverlappedResult(m_handle, &overlapped, &transferred, FALSE) != 0;
}

CWin32Serial::ReadResult CWin32Serial::ReadByte(unsigned char &byte, std::chrono::milliseconds timeout,
                                                const CAbortSignal *abort) {
  if (abort && abort->IsRaised())
    return ReadResult::Aborted;
  if (m_receivedNext < m_receivedCount) {
    byte = m_received[m_receivedNext++];
    return ReadResult::Byte;
  }
  const auto ms = timeout.count() <= 0 ? 1 : timeout.count() >= MAXDWORD ? MAXDWORD - 1 : timeout.count();
  if (!SetReadTimeout(static_cast<DWORD>(ms)))
    return IsHangUp(GetLastError()) ? ReadResult::HangUp : ReadResult::Error;
  OVERLAPPED overlapped{};
  overlapped.hEvent = m_event;
  ResetEvent(m_event);
  // Everything the driver holds in one call, or the first byte to come.
  // (Windows could do both in one read with the MAXDWORD time-outs, but
  // wine then waits for the whole buffer.)
  DWORD want = 1;
  COMSTAT status{};
  DWORD errors = 0;
  if (ClearCommError(m_handle, &errors, &status) && status.cbInQue > 0)
    want = status.cbInQue < sizeof m_received ? status.cbInQue : static_cast<DWORD>(sizeof m_received);
  DWORD got = 0;
  if (!ReadFile(m_handle, m_received, want, &got, &overlapped)) {
    const DWORD error = GetLastError();
    if (error != ERROR_IO_PENDING)
      return IsHangUp(error) ? ReadResult::HangUp : ReadResult::Error;
    bool aborted = false;
    if (!Finish(overlapped, abort, got, aborted)) {
      if (aborted)
        return ReadResult::Aborted;
      const DWORD failure = GetLastError();
      // Windows completes a timed-out read with nothing read; wine fails it
      // with a time-out status instead.
      if (failure == ERROR_SEM_TIMEOUT || failure == ERROR_TIMEOUT)
        return ReadResult::Timeout;
      return IsHangUp(failure) ? ReadResult::HangUp : ReadResult::Error;
    }
  }
  // The driver's time-out ends the read with nothing read. Windows cannot
  // tell a line that went quiet from one whose far end is gone.
  if (got == 0)
    return ReadResult::Timeout;
  m_receivedCount = got;
  m_receivedNext = 1;
  byte = m_received[0];
  return ReadResult::Byte;
}

bool CWin32Serial::Write(const void *data, std::size_t size, const CAbortSignal *abort) {
  if (abort && abort->IsRaised())
    return false;
  const auto *p = static_cast<const unsigned char *>(data);
  while (size > 0) {
    const DWORD chunk = size > 65536 ? 65536 : static_cast<DWORD>(size);
    OVERLAPPED overlapped{};
    overlapped.hEvent = m_event;
    ResetEvent(m_event);
    DWORD written = 0;
    if (!WriteFile(m_handle, p, chunk, &written, &overlapped)) {
      if (GetLastError() != ERROR_IO_PENDING)
        return false;
      bool aborted = false;
      if (!Finish(overlapped, abort, written, aborted))
        return false;
    }
    if (written == 0)
      return false; // the write time-out passed without a byte taken
    p += written;
    size -= written;
  }
  // A COM port's write completes when the driver has sent its bytes, so
  // there is nothing left to wait for. (FlushFileBuffers would wait on
  // Windows, but wine discards the unsent bytes instead: on its
  // pseudo-terminals that loses a command the far end has not read yet.)
  return true;
}

void CWin32Serial::FlushInput() {
  m_receivedCount = m_receivedNext = 0;
  PurgeComm(m_handle, PURGE_RXCLEAR);
}

CSerialAccess DiagnoseSerialAccess(const std::string &) {
  // Windows has no group that grants the COM ports; a refusal is someone else's open handle.
  return {};
}
