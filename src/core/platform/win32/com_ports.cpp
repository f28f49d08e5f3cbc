// Windows names its serial ports COMn itself, so the number is the device:
// the list comes from the Plug and Play manager (the COM port interface
// class, with each device's friendly name) and from the registry's list of
// serial devices, which also holds ports without a Plug and Play driver.
#include "core/platform/com_ports.h"
#include "core/platform/win32/wide_text.h"

#include <cwchar>
#include <windows.h>
#include <setupapi.h>

namespace {

// The number of a "COMn" name, or 0 when the text is no such name.
int ComNumber(const std::wstring &text, bool colonAllowed) {
  if (text.size() <= 3 || _wcsnicmp(text.c_str(), L"COM", 3) != 0)
    return 0;
  if (!IsDecimalText(WideToUtf8(text.substr(3)), colonAllowed))
    return 0;
  return _wtoi(text.c_str() + 3);
}

// SetupAPI is loaded when the list is made, from the system folder only.
class CSetupApi {
public:
  CSetupApi() : m_module(LoadLibraryExW(L"setupapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    if (!m_module)
      return;
    getClassDevs = reinterpret_cast<decltype(getClassDevs)>(Get("SetupDiGetClassDevsW"));
    enumDeviceInfo = reinterpret_cast<decltype(enumDeviceInfo)>(Get("SetupDiEnumDeviceInfo"));
    openDevRegKey = reinterpret_cast<decltype(openDevRegKey)>(Get("SetupDiOpenDevRegKey"));
    getProperty = reinterpret_cast<decltype(getProperty)>(Get("SetupDiGetDeviceRegistryPropertyW"));
    destroyList = reinterpret_cast<decltype(destroyList)>(Get("SetupDiDestroyDeviceInfoList"));
  }
  ~CSetupApi() {
    if (m_module)
      FreeLibrary(m_module);
  }
  CSetupApi(const CSetupApi &) = delete;
  CSetupApi &operator=(const CSetupApi &) = delete;

  bool Usable() const { return getClassDevs && enumDeviceInfo && openDevRegKey && getProperty && destroyList; }

  decltype(&SetupDiGetClassDevsW) getClassDevs = nullptr;
  decltype(&SetupDiEnumDeviceInfo) enumDeviceInfo = nullptr;
  decltype(&SetupDiOpenDevRegKey) openDevRegKey = nullptr;
  decltype(&SetupDiGetDeviceRegistryPropertyW) getProperty = nullptr;
  decltype(&SetupDiDestroyDeviceInfoList) destroyList = nullptr;

private:
  void *Get(const char *name) { return reinterpret_cast<void *>(GetProcAddress(m_module, name)); }
  HMODULE m_module;
};

// A REG_SZ value of at most 255 characters, or empty.
std::wstring QueryText(HKEY key, const wchar_t *name) {
  wchar_t buffer[256] = {};
  DWORD type = 0;
  DWORD size = sizeof buffer - sizeof(wchar_t);
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE *>(buffer), &size) != ERROR_SUCCESS ||
      type != REG_SZ)
    return {};
  return std::wstring(buffer, wcsnlen(buffer, size / sizeof(wchar_t)));
}

void AddPlugAndPlayPorts(std::vector<CPortRecord> &list) {
  CSetupApi api;
  if (!api.Usable())
    return;
  // The COM port device interface class.
  static const GUID kComPortInterface = {0x86E0D1E0, 0x8089, 0x11D0, {0x9C, 0xE4, 0x08, 0x00, 0x3E, 0x30, 0x1F, 0x73}};
  HDEVINFO set = api.getClassDevs(&kComPortInterface, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (set == INVALID_HANDLE_VALUE)
    return;
  for (DWORD index = 0;; ++index) {
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    if (!api.enumDeviceInfo(set, index, &device))
      break;
    HKEY key = api.openDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_QUERY_VALUE);
    if (key == INVALID_HANDLE_VALUE)
      continue;
    const std::wstring portName = QueryText(key, L"PortName");
    RegCloseKey(key);
    const int number = ComNumber(portName, false);
    if (number <= 0)
      continue;
    wchar_t friendly[256] = {};
    DWORD type = 0;
    std::string display;
    if (api.getProperty(set, &device, SPDRP_FRIENDLYNAME, &type, reinterpret_cast<BYTE *>(friendly),
                        sizeof friendly - sizeof(wchar_t), nullptr) &&
        type == REG_SZ)
      display = WideToUtf8(friendly);
    CPortRecord record;
    record.name = "COM" + std::to_string(number);
    record.display = display;
    record.device = "\\\\.\\" + record.name;
    list.push_back(std::move(record));
  }
  api.destroyList(set);
}

// HKLM\HARDWARE\DEVICEMAP\SERIALCOMM: one value per serial device the
// drivers started, its data the port's name.
void AddRegistryPorts(std::vector<CPortRecord> &list) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE, &key) !=
      ERROR_SUCCESS)
    return;
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD nameLength = 256;
    wchar_t data[256] = {};
    DWORD dataSize = sizeof data - sizeof(wchar_t);
    DWORD type = 0;
    const LONG rc = RegEnumValueW(key, index, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE *>(data),
                                  &dataSize);
    if (rc == ERROR_NO_MORE_ITEMS)
      break;
    if (rc != ERROR_SUCCESS || type != REG_SZ)
      continue;
    const int number = ComNumber(std::wstring(data, wcsnlen(data, dataSize / sizeof(wchar_t))), false);
    if (number <= 0)
      continue;
    const std::string portName = "COM" + std::to_string(number);
    list.push_back(MakeDeviceRecord(number, portName, "\\\\.\\" + portName));
  }
  RegCloseKey(key);
}

} // namespace

void EnumeratePorts(std::vector<CPortRecord> &list) {
  list.clear();
  AddPlugAndPlayPorts(list);
  AddRegistryPorts(list);
  MergePortRecords(list);
}

bool ResolveComPort(int number, std::string &device) {
  // The number is the system's own name of the device; whether one is
  // present, the open finds out (it fails as not present).
  if (number <= 0)
    return false;
  device = "\\\\.\\COM" + std::to_string(number);
  return true;
}
