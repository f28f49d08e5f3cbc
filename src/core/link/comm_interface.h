// The host side of the instrument's command protocol: G selects a group,
// I an item, D reads, writes or issues an item sub-command; every command
// is answered by one line.
#pragma once

#include "core/link/serial_io.h"

#include <string>

class CCommInterfaceException : public CException {
public:
  using CException::CException;
};

class CCommInterface {
public:
  CCommInterface() = default;
  virtual ~CCommInterface();

  void Open(int port);                      // 305, 306 pass through
  void OpenDevice(const std::string &path); // the same on a device path
  void Reopen();
  void Transact(const std::string &command, std::string &response, unsigned timeoutMs = 1000);
  void SelectGroup(int group);
  void SelectItem(int item);
  std::string ReadItem(int item);
  void WriteItem(int item, const std::string &value);

  CSerialIO &Serial() { return m_serial; }

private:
  CSerialIO m_serial;
};
