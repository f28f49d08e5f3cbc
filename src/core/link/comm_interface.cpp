#include "core/link/comm_interface.h"

#include "core/log/log.h"
#include "core/resources/string_ids.h"

#include <cstdio>

CCommInterface::~CCommInterface() { m_serial.Close(); }

void CCommInterface::Open(int port) {
  m_serial.Open(port);
  m_serial.Configure(9600, 8, 0, 0);
}

void CCommInterface::OpenDevice(const std::string &path) {
  m_serial.OpenDevice(path);
  m_serial.Configure(9600, 8, 0, 0);
}

void CCommInterface::Reopen() { m_serial.Reopen(); }

void CCommInterface::Transact(const std::string &command, std::string &response, unsigned timeoutMs) {
  CTransactHook *hook = GetTransactHook();
  if (hook)
    hook->BeforeSend(command);
  m_serial.SetReadTimeout(timeoutMs);
  std::string line;
  try {
    m_serial.Write(command);
  } catch (const CException &e) {
    LogWarning("link", "sending \"" + PrintableLine(command) + "\" failed: " + e.GetErrorMessage());
    if (hook)
      hook->Failed(e.GetErrorMessage());
    throw;
  }
  try {
    line = m_serial.ReadLine();
  } catch (const CException &e) {
    LogWarning("link", "no reply to \"" + PrintableLine(command) + "\": " + e.GetErrorMessage());
    // Whatever went wrong on the way in, the caller sees a missing answer.
    CCommInterfaceException missing(IDS_RECEIVE_TIMEOUT);
    if (hook)
      hook->Failed(missing.GetErrorMessage());
    throw missing;
  }
  if (LogEnabled(LogLevel::Debug))
    LogDebug("link", "\"" + PrintableLine(command) + "\" -> \"" + PrintableLine(line) + "\"");
  response = std::move(line);
}

namespace {

std::string Numbered(char letter, int n) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "%c%02d\r", letter, n);
  return buf;
}

} // namespace

void CCommInterface::SelectGroup(int group) {
  std::string response;
  Transact(Numbered('G', group), response, 1000);
  if (!response.starts_with("Denter item"))
    throw CCommInterfaceException(IDS_INVALID_G_RESPONSE);
}

void CCommInterface::SelectItem(int item) {
  std::string response;
  Transact(Numbered('I', item), response, 1000);
  if (response.empty() || response[0] != 'D')
    throw CCommInterfaceException(IDS_INVALID_I_RESPONSE);
}

std::string CCommInterface::ReadItem(int item) {
  SelectItem(item);
  std::string response;
  Transact("D\r", response, 1000);
  if (response.empty() || response[0] != 'D')
    throw CCommInterfaceException(IDS_INVALID_D_RESPONSE);
  return response.substr(1);
}

void CCommInterface::WriteItem(int item, const std::string &value) {
  SelectItem(item);
  std::string response;
  Transact("D" + value + "\r", response, 1000);
}
