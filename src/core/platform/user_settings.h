// The current user's settings as the system itself keeps them for one
// program of one maker. On Windows that is the registry:
// HKEY_CURRENT_USER\Software\<maker>\<program>, one key per section,
// integers as REG_DWORD and texts as REG_SZ, where the program's earlier
// versions and the user's own tools look. POSIX has no such store (the
// window keeps its settings in a file through the toolkit there).
#pragma once

#include <optional>
#include <string>

class CUserSettings {
public:
  // program: the executable's base name when empty.
  CUserSettings(std::string maker, std::string program);

  // False where the system has no store: every read is empty, every write fails.
  static bool Exists();

  // Empty when the value is missing or not of the type (a text that reads
  // whole as a number is taken as an integer).
  std::optional<int> ReadInt(const std::string &section, const std::string &key) const;
  std::optional<std::string> ReadString(const std::string &section, const std::string &key) const;
  bool WriteInt(const std::string &section, const std::string &key, int value);
  bool WriteString(const std::string &section, const std::string &key, const std::string &value);

  // Where the values live, for messages: "HKEY_CURRENT_USER\Software\VANTORIX\vela".
  std::string Location() const;

private:
  std::string m_maker;
  std::string m_program;
};
