// The COM port dialog's settings record over the settings interface, and
// the memory store that stands in where no persistent store exists.
#include "locale_env.h"
#include "core/resources/app_settings.h"
#include "core/resources/settings_store.h"

#include <gtest/gtest.h>

namespace {

TEST(AppSettings, DefaultsFollowTheLocale) {
  CMemorySettingsStore store;
  {
    ScopedLocaleEnv env(nullptr, nullptr, "de_DE.UTF-8");
    CAppSettings s(store);
    s.Load();
    EXPECT_EQ(s.GetDisplayLanguage(), "English.lng");
    EXPECT_EQ(s.GetDisplayLanguageName(), "English");
    EXPECT_EQ(s.GetCOMPort(), "COM1");
  }
  {
    ScopedLocaleEnv env(nullptr, nullptr, "ja_JP.UTF-8");
    CAppSettings s(store);
    s.Load();
    EXPECT_EQ(s.GetDisplayLanguage(), "Japanese.lng");
    EXPECT_EQ(s.GetDisplayLanguageName(), "Japanese");
  }
}

TEST(AppSettings, SavedValuesComeBack) {
  ScopedLocaleEnv env(nullptr, nullptr, "de_DE.UTF-8");
  CMemorySettingsStore store;
  {
    CAppSettings s(store);
    s.Load();
    s.SetCOMPort("COM12");
    s.Save();
  }
  EXPECT_EQ(store.GetString("Settings", "COMPort", ""), "COM12");
  EXPECT_EQ(store.GetString("Settings", "DisplayLanguage", ""), "English.lng");
  EXPECT_EQ(store.GetString("Settings", "DisplayLanguageName", ""), "English");

  // A stored language file without a name keeps the name empty.
  store.SetString("Settings", "DisplayLanguage", "Custom.lng");
  store.SetString("Settings", "DisplayLanguageName", "");
  CAppSettings s(store);
  s.Load();
  EXPECT_EQ(s.GetDisplayLanguage(), "Custom.lng");
  EXPECT_EQ(s.GetDisplayLanguageName(), "");
  EXPECT_EQ(s.GetCOMPort(), "COM12");
}

TEST(MemorySettingsStore, IntegersThatDoNotReadAsNumbersGiveTheDefault) {
  CMemorySettingsStore store;
  EXPECT_EQ(store.GetInt("Lang", "Number", -1), -1);
  store.SetString("Lang", "Number", "1x");
  EXPECT_EQ(store.GetInt("Lang", "Number", -1), -1);
  store.SetString("Lang", "Number", "-7");
  EXPECT_EQ(store.GetInt("Lang", "Number", -1), -7);
  EXPECT_EQ(store.GetString("Lang", "Other", "d"), "d");
}

} // namespace
