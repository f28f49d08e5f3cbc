// The program's settings in the store the system keeps for the user (the
// registry on Windows), under the maker's name and the program's base name:
// what the window installs on a system that has one.
#pragma once

#include "core/platform/user_settings.h"
#include "core/resources/settings_store.h"

#include <mutex>
#include <string>

class CSystemSettingsStore : public CSettingsStore {
public:
  explicit CSystemSettingsStore(std::string maker = "VANTORIX", std::string program = {});

  int GetInt(const std::string &section, const std::string &key, int def) const override;
  std::string GetString(const std::string &section, const std::string &key,
                        const std::string &def) const override;
  // A value the system refuses is lost, as with the toolkit's store: the
  // settings never stop what the user is doing.
  void SetInt(const std::string &section, const std::string &key, int value) override;
  void SetString(const std::string &section, const std::string &key, const std::string &value) override;

  std::string Location() const { return m_settings.Location(); }

private:
  mutable std::mutex m_mutex;
  CUserSettings m_settings;
};
