// The host side of the instrument's command protocol: G selects a group,
// I an item, D reads, writes or issues an item sub-command; every command
// is answered by one line.
#pragma once

#include "core/link/serial_io.h"

#include <atomic>
#include <string>

// Sees every command on its way to the instrument, so whatever writes to it
// can be recorded by the one who asked for the write. Called on the thread
// that transacts, while that thread holds the line.
class CTransactHook {
public:
  virtual ~CTransactHook() = default;
  virtual void BeforeSend(const std::string &command) = 0;
  virtual void Failed(const std::string &message) = 0;
};

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

  // One hook at a time; null detaches it.
  void SetTransactHook(CTransactHook *hook) { m_hook.store(hook, std::memory_order_release); }
  CTransactHook *GetTransactHook() const { return m_hook.load(std::memory_order_acquire); }

private:
  CSerialIO m_serial;
  std::atomic<CTransactHook *> m_hook{nullptr};
};
