#include "core/platform/user_settings.h"

#include "core/platform/exe_path.h"
#include "core/platform/win32/wide_text.h"

#include <charconv>
#include <cstring>
#include <vector>

#include <windows.h>

namespace {

// A section's key, opened for reading or created for writing; closed when
// it goes out of scope.
class CSectionKey {
public:
  CSectionKey(const std::wstring &path, bool create) {
    const LONG rc = create ? RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                             KEY_WRITE, nullptr, &m_key, nullptr)
                           : RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &m_key);
    if (rc != ERROR_SUCCESS)
      m_key = nullptr;
  }
  ~CSectionKey() {
    if (m_key)
      RegCloseKey(m_key);
  }
  CSectionKey(const CSectionKey &) = delete;
  CSectionKey &operator=(const CSectionKey &) = delete;
  HKEY Get() const { return m_key; }

private:
  HKEY m_key = nullptr;
};

std::wstring SectionPath(const std::string &maker, const std::string &program, const std::string &section) {
  return L"Software\\" + Utf8ToWide(maker) + L"\\" + Utf8ToWide(program) + L"\\" + Utf8ToWide(section);
}

// The value's type and bytes; false when there is none.
bool ReadValue(const std::wstring &path, const std::string &key, DWORD &type, std::vector<BYTE> &data) {
  CSectionKey section(path, false);
  if (!section.Get())
    return false;
  const std::wstring name = Utf8ToWide(key);
  data.clear();
  for (;;) {
    DWORD size = static_cast<DWORD>(data.size());
    const LONG rc =
        RegQueryValueExW(section.Get(), name.c_str(), nullptr, &type, data.empty() ? nullptr : data.data(), &size);
    if (rc == ERROR_SUCCESS && !data.empty()) {
      data.resize(size);
      return true;
    }
    if (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA)
      return false;
    // Asked for the size first, or the value grew in between.
    data.resize(size + sizeof(wchar_t));
  }
}

std::string TextOf(const std::vector<BYTE> &data) {
  std::wstring text(data.size() / sizeof(wchar_t), L'\0');
  std::memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
  // The terminator, when the writer stored one.
  while (!text.empty() && text.back() == L'\0')
    text.pop_back();
  return WideToUtf8(text);
}

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

} // namespace

CUserSettings::CUserSettings(std::string maker, std::string program)
    : m_maker(std::move(maker)), m_program(program.empty() ? ExecutableBaseName() : std::move(program)) {}

bool CUserSettings::Exists() { return true; }

std::optional<int> CUserSettings::ReadInt(const std::string &section, const std::string &key) const {
  DWORD type = 0;
  std::vector<BYTE> data;
  if (!ReadValue(SectionPath(m_maker, m_program, section), key, type, data))
    return {};
  if (type == REG_DWORD && data.size() == sizeof(DWORD)) {
    DWORD value = 0;
    std::memcpy(&value, data.data(), sizeof value);
    return static_cast<int>(value);
  }
  if (!IsText(type))
    return {};
  const std::string text = TextOf(data);
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size())
    return {};
  return value;
}

std::optional<std::string> CUserSettings::ReadString(const std::string &section, const std::string &key) const {
  DWORD type = 0;
  std::vector<BYTE> data;
  if (!ReadValue(SectionPath(m_maker, m_program, section), key, type, data) || !IsText(type))
    return {};
  return TextOf(data);
}

bool CUserSettings::WriteInt(const std::string &section, const std::string &key, int value) {
  CSectionKey sectionKey(SectionPath(m_maker, m_program, section), true);
  const DWORD data = static_cast<DWORD>(value);
  return sectionKey.Get() && RegSetValueExW(sectionKey.Get(), Utf8ToWide(key).c_str(), 0, REG_DWORD,
                                            reinterpret_cast<const BYTE *>(&data), sizeof data) == ERROR_SUCCESS;
}

bool CUserSettings::WriteString(const std::string &section, const std::string &key, const std::string &value) {
  CSectionKey sectionKey(SectionPath(m_maker, m_program, section), true);
  const std::wstring text = Utf8ToWide(value);
  return sectionKey.Get() &&
         RegSetValueExW(sectionKey.Get(), Utf8ToWide(key).c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE *>(text.c_str()),
                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

std::string CUserSettings::Location() const {
  return "HKEY_CURRENT_USER\\Software\\" + m_maker + "\\" + m_program;
}
