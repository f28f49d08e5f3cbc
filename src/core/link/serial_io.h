// One serial COM port: open by number, line settings, per-character read
// time-out, one command line out and one response line in.
#pragma once

#include "core/link/serial_io_exception.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

class CAbortSignal;
class CSerialLine;

// The read and write time-outs in force, in milliseconds.
struct CommTimeouts {
  std::uint32_t ReadIntervalTimeout = 0;
  std::uint32_t ReadTotalTimeoutMultiplier = 0;
  std::uint32_t ReadTotalTimeoutConstant = 0;
  std::uint32_t WriteTotalTimeoutMultiplier = 0;
  std::uint32_t WriteTotalTimeoutConstant = 0;
};

// The line settings kept for Reopen.
struct LineSettings {
  std::uint32_t BaudRate = 0;
  std::uint8_t ByteSize = 0;
  std::uint8_t Parity = 0;   // 0 none
  std::uint8_t StopBits = 0; // 0 one stop bit
};

class CSerialIO {
public:
  CSerialIO();
  virtual ~CSerialIO();
  CSerialIO(const CSerialIO &) = delete;
  CSerialIO &operator=(const CSerialIO &) = delete;

  // "COM%d" below 10, "\\.\COM%d" from 10 on.
  static std::string DeviceName(int port);

  // Resolves COM n to the system's device and opens it. Throws 305.
  void Open(int port);
  // Opens a device path directly (no port map entry needed). Throws 305.
  void OpenDevice(const std::string &path);
  void Configure(std::uint32_t baud, std::uint8_t byteSize, std::uint8_t parity, std::uint8_t stopBits);
  // Closes and opens the port again, waiting up to about a second for it to
  // come back; then lets the line go quiet, discarding what arrives, and
  // flushes the input, so the next exchange starts clean. Throws 305 or 306.
  void Reopen();
  void SetReadTimeout(std::uint32_t milliseconds);
  void Write(const std::string &text); // UTF-8; sent in the link code page
  // One character (UTF-8 of one decoded code page character) or nothing in
  // time. A hang-up of the line also returns false.
  bool ReadChar(std::string &ch);
  // Throws 300 when no line arrives in time, and for a line holding a NUL.
  std::string ReadLine();
  void Close();
  bool IsOpen() const;

  // A signal that, once raised, makes every pending and later read fail at
  // once (shutdown); not owned. nullptr for none.
  void SetAbortSignal(const CAbortSignal *signal);

  const std::string &PortName() const { return m_portName; }
  const std::string &DevicePath() const { return m_devicePath; }
  const CommTimeouts &Timeouts() const { return m_timeouts; }

private:
  void ResolvePortNumber(); // the device of m_portNumber, or 305 "not present"
  void OpenResolved();
  void ApplyTimeouts();
  std::chrono::milliseconds CharTimeout() const;
  bool ReadRaw(std::string &raw); // the bytes of one character
  void SkipToCarriageReturn();
  void DiscardUntilQuiet(std::chrono::steady_clock::time_point deadline);

  std::unique_ptr<CSerialLine> m_port;
  CommTimeouts m_timeouts;
  std::string m_portName;   // "COM3" or "\\.\COM12"; the path for OpenDevice
  std::string m_devicePath; // what was opened
  LineSettings m_settings;
  const CAbortSignal *m_abort = nullptr;
  int m_portNumber = 0; // 0 when opened by device path
};
