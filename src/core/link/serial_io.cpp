#include "core/link/serial_io.h"

#include "core/log/log.h"
#include "core/platform/codepage.h"
#include "core/platform/com_ports.h"
#include "core/platform/serial_line.h"
#include "core/resources/message_format.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"

#include <algorithm>
#include <thread>

namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

// A line that long without a carriage return is babble, not an answer: the
// longest reply of the instrument is a few dozen characters.
constexpr std::size_t kMaxLineBytes = 4096;

// Before a repeat the line must go quiet: a late answer to the failed
// exchange would otherwise be read as the answer to the repeated one. An
// answer that missed its time-out comes soon after it; once the line has been
// silent this long, nothing more of the old exchange is on its way.
constexpr milliseconds kQuietGap{300};
// Reopen waits at most this long in all, for the line to go quiet and for a
// re-plugged adapter to come back.
constexpr milliseconds kReopenLimit{1000};
constexpr milliseconds kReopenAttemptPause{50};

std::string PermissionReason(const std::string &device) {
  const CSerialAccess access = DiagnoseSerialAccess(device);
  switch (access.kind) {
  case CSerialAccess::Kind::NeedsLogin:
    return FormatMessageId(IDS_PORT_REASON_RELOGIN, {access.group});
  case CSerialAccess::Kind::NotInGroup:
    return FormatMessageId(IDS_PORT_REASON_NO_GROUP, {access.group});
  default:
    return LoadString(IDS_PORT_REASON_DENIED);
  }
}

CommTimeouts StandardTimeouts() {
  CommTimeouts t;
  t.ReadIntervalTimeout = 1000;
  t.ReadTotalTimeoutMultiplier = 0;
  t.ReadTotalTimeoutConstant = 1000;
  t.WriteTotalTimeoutMultiplier = 0;
  t.WriteTotalTimeoutConstant = 0;
  return t;
}

} // namespace

CSerialIO::CSerialIO() = default;

CSerialIO::~CSerialIO() { Close(); }

std::string CSerialIO::DeviceName(int port) {
  return (port < 10 ? "COM" : "\\\\.\\COM") + std::to_string(port);
}

void CSerialIO::Open(int port) {
  m_portName = DeviceName(port);
  m_portNumber = port;
  Close();
  ResolvePortNumber();
  OpenResolved();
}

void CSerialIO::ResolvePortNumber() {
  std::string device;
  if (!ResolveComPort(m_portNumber, device)) {
    std::string text = FormatString(LoadString(IDS_PORT_OPEN_FAILED), m_portName);
    throw CSerialIOException(IDS_PORT_OPEN_FAILED, text + "\n" + LoadString(IDS_PORT_REASON_NOT_PRESENT));
  }
  m_devicePath = device;
}

void CSerialIO::OpenDevice(const std::string &path) {
  m_portName = path;
  m_portNumber = 0;
  m_devicePath = path;
  Close();
  OpenResolved();
}

void CSerialIO::OpenResolved() {
  auto result = CSerialLine::Open(m_devicePath);
  if (result.port) {
    m_port = std::move(result.port);
    // A freshly opened port starts with nothing received; a line that stayed
    // open on the far side (a pseudo-terminal) may still hold what arrived
    // after the last program closed it, such as a late answer to its last
    // command.
    m_port->FlushInput();
    LogInfo("link", "opened " + m_portName + (m_portName == m_devicePath ? "" : " (" + m_devicePath + ")"));
    return;
  }
  std::string name = m_portName == m_devicePath ? m_portName : m_portName + " (" + m_devicePath + ")";
  std::string text = FormatString(LoadString(IDS_PORT_OPEN_FAILED), name);
  switch (result.failure) {
  case CSerialLine::OpenFailure::InUse:
    text += "\n" + LoadString(IDS_PORT_REASON_IN_USE);
    break;
  case CSerialLine::OpenFailure::Permission:
    text += "\n" + PermissionReason(m_devicePath);
    break;
  case CSerialLine::OpenFailure::NotPresent:
    text += "\n" + LoadString(IDS_PORT_REASON_NOT_PRESENT);
    break;
  default:
    break;
  }
  LogWarning("link", text);
  throw CSerialIOException(IDS_PORT_OPEN_FAILED, text);
}

void CSerialIO::Configure(std::uint32_t baud, std::uint8_t byteSize, std::uint8_t parity,
                          std::uint8_t stopBits) {
  m_settings.BaudRate = baud;
  m_settings.ByteSize = byteSize;
  m_settings.Parity = parity;
  m_settings.StopBits = stopBits;
  if (!m_port || !m_port->Configure(baud, byteSize, parity, stopBits))
    throw CSerialIOException(IDS_PORT_SETTINGS_FAILED);
  m_timeouts = StandardTimeouts();
  ApplyTimeouts();
}

void CSerialIO::Reopen() {
  const auto deadline = Clock::now() + kReopenLimit;
  Close();
  for (;;) {
    try {
      // Ask the map again: the user may have pointed the number elsewhere,
      // and a number that no longer resolves is not present. The device it
      // led to before may by now be another program's terminal.
      if (m_portNumber > 0)
        ResolvePortNumber();
      OpenResolved();
      break;
    } catch (const CSerialIOException &) {
      // An adapter pulled and plugged in again takes a moment to reappear.
      if (Clock::now() + kReopenAttemptPause >= deadline)
        throw;
      std::this_thread::sleep_for(kReopenAttemptPause);
    }
  }
  if (m_settings.BaudRate != 0 &&
      !m_port->Configure(m_settings.BaudRate, m_settings.ByteSize, m_settings.Parity, m_settings.StopBits))
    throw CSerialIOException(IDS_PORT_SETTINGS_FAILED);
  m_timeouts = StandardTimeouts();
  ApplyTimeouts();
  DiscardUntilQuiet(deadline);
}

void CSerialIO::DiscardUntilQuiet(std::chrono::steady_clock::time_point deadline) {
  unsigned char byte = 0;
  for (;;) {
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
    if (left <= milliseconds::zero())
      break;
    if (m_port->ReadByte(byte, std::min(kQuietGap, left), m_abort) != CSerialLine::ReadResult::Byte)
      break;
  }
  m_port->FlushInput();
}

void CSerialIO::ApplyTimeouts() {
  // The time-outs are kept here and applied by every read; only a closed
  // port can refuse them.
  if (!m_port)
    throw CSerialIOException(IDS_PORT_SETTINGS_FAILED);
}

void CSerialIO::SetReadTimeout(std::uint32_t milliseconds) {
  if (!m_port)
    throw CSerialIOException(IDS_PORT_SETTINGS_FAILED);
  m_timeouts.ReadTotalTimeoutConstant = milliseconds;
  ApplyTimeouts();
}

void CSerialIO::Write(const std::string &text) {
  if (!m_port)
    return; // the read that follows reports the failure
  std::string bytes = Utf8ToCodePage(text, GetLinkCodePage());
  m_port->Write(bytes.data(), bytes.size(), m_abort);
}

std::chrono::milliseconds CSerialIO::CharTimeout() const {
  // A one-byte read waits the multiplier once plus the constant; the
  // interval time-out never starts for a single byte.
  return milliseconds(std::uint64_t(m_timeouts.ReadTotalTimeoutMultiplier) +
                      m_timeouts.ReadTotalTimeoutConstant);
}

bool CSerialIO::ReadRaw(std::string &raw) {
  raw.clear();
  if (!m_port)
    return false;
  unsigned char byte = 0;
  if (m_port->ReadByte(byte, CharTimeout(), m_abort) != CSerialLine::ReadResult::Byte)
    return false;
  raw += static_cast<char>(byte);
  if (IsLeadByte(GetLinkCodePage(), byte)) {
    if (m_port->ReadByte(byte, CharTimeout(), m_abort) != CSerialLine::ReadResult::Byte)
      return false;
    raw += static_cast<char>(byte);
  }
  return true;
}

bool CSerialIO::ReadChar(std::string &ch) {
  std::string raw;
  if (!ReadRaw(raw))
    return false;
  ch = CodePageToUtf8(raw, GetLinkCodePage());
  return true;
}

void CSerialIO::SkipToCarriageReturn() {
  // Drop the rest of an overlong line so the next read starts on a fresh
  // one. A peer that never stops talking costs one more time-out, no more.
  if (!m_port)
    return;
  const auto timeout = CharTimeout();
  const auto deadline = Clock::now() + timeout;
  unsigned char byte = 0;
  while (Clock::now() < deadline) {
    if (m_port->ReadByte(byte, timeout, m_abort) != CSerialLine::ReadResult::Byte || byte == '\r')
      return;
  }
}

std::string CSerialIO::ReadLine() {
  const CodePage cp = GetLinkCodePage();
  std::string line;
  std::size_t bytes = 0;
  // The instrument never sends a NUL inside an answer: a line holding one is
  // garbled, and a value cut at the NUL would be stored as if it were true.
  // The line is still read to its end so the next read starts on a fresh one.
  bool garbled = false;
  std::string raw;
  for (;;) {
    if (!ReadRaw(raw))
      throw CSerialIOException(IDS_RECEIVE_TIMEOUT);
    if (raw[0] == '\r')
      break;
    bytes += raw.size();
    bool ends = false;
    if (raw.size() == 2 && raw[1] == '\r') {
      // A lead byte cut off by the end of the line: keep the line end rather
      // than swallow it and run into the next answer.
      raw.resize(1);
      ends = true;
    }
    if (raw.find('\0') != std::string::npos)
      garbled = true;
    if (!garbled)
      line += CodePageToUtf8(raw, cp);
    if (ends)
      break;
    if (bytes >= kMaxLineBytes) {
      SkipToCarriageReturn();
      throw CSerialIOException(IDS_RECEIVE_TIMEOUT);
    }
  }
  if (garbled)
    throw CSerialIOException(IDS_RECEIVE_TIMEOUT);
  return line;
}

void CSerialIO::Close() {
  if (m_port)
    LogInfo("link", "closed " + m_portName);
  m_port.reset();
}

bool CSerialIO::IsOpen() const { return m_port != nullptr; }

void CSerialIO::SetAbortSignal(const CAbortSignal *signal) { m_abort = signal; }
