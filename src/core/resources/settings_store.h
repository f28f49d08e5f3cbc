// The user's persisted settings, addressed by section and key. The core reads
// and writes through this interface so that it needs no toolkit; the Qt
// program supplies the real store, tests and tools may use the memory one.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <utility>

class CSettingsStore {
public:
  virtual ~CSettingsStore() = default;

  // The stored value, or def when none is stored or it does not read as an integer.
  virtual int GetInt(const std::string &section, const std::string &key, int def) const = 0;
  virtual std::string GetString(const std::string &section, const std::string &key,
                                const std::string &def) const = 0;

  virtual void SetInt(const std::string &section, const std::string &key, int value) = 0;
  virtual void SetString(const std::string &section, const std::string &key, const std::string &value) = 0;
};

// Settings that live only as long as the object: what the program uses
// before a persistent store is installed, and what tools without a home use.
class CMemorySettingsStore : public CSettingsStore {
public:
  int GetInt(const std::string &section, const std::string &key, int def) const override;
  std::string GetString(const std::string &section, const std::string &key,
                        const std::string &def) const override;
  void SetInt(const std::string &section, const std::string &key, int value) override;
  void SetString(const std::string &section, const std::string &key, const std::string &value) override;

private:
  mutable std::mutex m_mutex;
  std::map<std::pair<std::string, std::string>, std::string> m_values;
};

// The store the program's settings go to. Until one is installed this is a
// process-wide memory store, so nothing is written behind the user's back.
CSettingsStore &SettingsStore();
void SetSettingsStore(CSettingsStore *store);
