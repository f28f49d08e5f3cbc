#include "core/resources/settings_store.h"

#include <atomic>
#include <charconv>

int CMemorySettingsStore::GetInt(const std::string &section, const std::string &key, int def) const {
  std::lock_guard lock(m_mutex);
  auto it = m_values.find({section, key});
  if (it == m_values.end())
    return def;
  int value = 0;
  const std::string &s = it->second;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (ec != std::errc() || end != s.data() + s.size())
    return def;
  return value;
}

std::string CMemorySettingsStore::GetString(const std::string &section, const std::string &key,
                                            const std::string &def) const {
  std::lock_guard lock(m_mutex);
  auto it = m_values.find({section, key});
  return it == m_values.end() ? def : it->second;
}

void CMemorySettingsStore::SetInt(const std::string &section, const std::string &key, int value) {
  std::lock_guard lock(m_mutex);
  m_values[{section, key}] = std::to_string(value);
}

void CMemorySettingsStore::SetString(const std::string &section, const std::string &key,
                                     const std::string &value) {
  std::lock_guard lock(m_mutex);
  m_values[{section, key}] = value;
}

namespace {
CMemorySettingsStore g_memoryStore;
std::atomic<CSettingsStore *> g_store{nullptr};
} // namespace

CSettingsStore &SettingsStore() {
  CSettingsStore *s = g_store.load();
  return s ? *s : g_memoryStore;
}

void SetSettingsStore(CSettingsStore *store) { g_store.store(store); }
