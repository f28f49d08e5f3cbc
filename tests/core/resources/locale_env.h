// Test helper: the locale variables of the environment, set for one scope.
#pragma once

#include <cstdlib>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "test_env.h"

// Sets the three locale variables for one test and restores them after.
class ScopedLocaleEnv {
public:
  ScopedLocaleEnv(const char *lcAll, const char *lcMessages, const char *lang) {
    for (const char *name : kNames) {
      const char *v = std::getenv(name);
      m_saved.push_back(v ? std::optional<std::string>(v) : std::nullopt);
    }
    Set("LC_ALL", lcAll);
    Set("LC_MESSAGES", lcMessages);
    Set("LANG", lang);
  }
  ~ScopedLocaleEnv() {
    for (std::size_t i = 0; i < std::size(kNames); ++i)
      Set(kNames[i], m_saved[i] ? m_saved[i]->c_str() : nullptr);
  }

private:
  static void Set(const char *name, const char *value) {
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  static constexpr const char *kNames[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
  std::vector<std::optional<std::string>> m_saved;
};
