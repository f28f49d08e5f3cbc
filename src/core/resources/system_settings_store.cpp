#include "core/resources/system_settings_store.h"

CSystemSettingsStore::CSystemSettingsStore(std::string maker, std::string program)
    : m_settings(std::move(maker), std::move(program)) {}

int CSystemSettingsStore::GetInt(const std::string &section, const std::string &key, int def) const {
  std::lock_guard lock(m_mutex);
  return m_settings.ReadInt(section, key).value_or(def);
}

std::string CSystemSettingsStore::GetString(const std::string &section, const std::string &key,
                                            const std::string &def) const {
  std::lock_guard lock(m_mutex);
  return m_settings.ReadString(section, key).value_or(def);
}

void CSystemSettingsStore::SetInt(const std::string &section, const std::string &key, int value) {
  std::lock_guard lock(m_mutex);
  m_settings.WriteInt(section, key, value);
}

void CSystemSettingsStore::SetString(const std::string &section, const std::string &key, const std::string &value) {
  std::lock_guard lock(m_mutex);
  m_settings.WriteString(section, key, value);
}
