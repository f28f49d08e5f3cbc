// The record of the COM port dialog: the last chosen port and the display
// language values that travel with it under "Settings".
#pragma once

#include <string>

class CSettingsStore;

class CAppSettings {
public:
  // Reads and writes the program's settings store unless given another.
  CAppSettings();
  explicit CAppSettings(CSettingsStore &store);
  virtual ~CAppSettings();

  void Load();
  void Save();

  const std::string &GetCOMPort() const { return m_comPort; }
  void SetCOMPort(const std::string &port) { m_comPort = port; }
  const std::string &GetDisplayLanguage() const { return m_displayLanguage; }
  const std::string &GetDisplayLanguageName() const { return m_displayLanguageName; }

private:
  CSettingsStore &m_store;
  std::string m_displayLanguage;
  std::string m_displayLanguageName;
  std::string m_comPort;
};
