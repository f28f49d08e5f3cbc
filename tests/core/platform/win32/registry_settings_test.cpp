// The settings in the current user's registry (wine keeps one per prefix):
// the records that use them, where the values land and what type they have.
#include "core/resources/system_settings_store.h"
#include "core/resources/app_settings.h"
#include "core/resources/language_module.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include <windows.h>

namespace {

// A program name of the test's own, its key removed before and after.
class RegistrySettings : public ::testing::Test {
protected:
  void SetUp() override {
    program = std::string("vela_test_") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    RegDeleteTreeW(HKEY_CURRENT_USER, Path().c_str());
  }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, Path().c_str()); }

  std::wstring Path(const wchar_t *section = nullptr) const {
    std::wstring path = L"Software\\VANTORIX\\" + std::wstring(program.begin(), program.end());
    return section ? path + L"\\" + section : path;
  }
  // The raw value as another program would read it.
  DWORD Raw(const wchar_t *section, const wchar_t *name, std::wstring &text, DWORD &number) const {
    DWORD type = 0;
    wchar_t buffer[256] = {};
    DWORD size = sizeof buffer;
    if (RegGetValueW(HKEY_CURRENT_USER, Path(section).c_str(), name, RRF_RT_ANY, &type, buffer, &size) !=
        ERROR_SUCCESS)
      return REG_NONE;
    if (type == REG_DWORD)
      std::memcpy(&number, buffer, sizeof number);
    else
      text = buffer;
    return type;
  }

  std::string program;
};

TEST_F(RegistrySettings, TheComPortRecordIsKeptUnderTheMakersKey) {
  {
    CSystemSettingsStore store("VANTORIX", program);
    CAppSettings settings(store);
    settings.Load();
    EXPECT_EQ(settings.GetCOMPort(), "COM1");
    settings.SetCOMPort("COM12");
    settings.Save();
  }
  std::wstring text;
  DWORD number = 0;
  EXPECT_EQ(Raw(L"Settings", L"COMPort", text, number), static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(text, L"COM12");
  EXPECT_EQ(Raw(L"Settings", L"DisplayLanguageName", text, number), static_cast<DWORD>(REG_SZ));

  // A later run of the program finds it.
  CSystemSettingsStore store("VANTORIX", program);
  CAppSettings settings(store);
  settings.Load();
  EXPECT_EQ(settings.GetCOMPort(), "COM12");
}

TEST_F(RegistrySettings, TheLanguageChoiceIsAnIntegerTheNextStartReads) {
  CSystemSettingsStore store("VANTORIX", program);
  {
    CLanguageModule language(store);
    language.Load(0);
  }
  std::wstring text;
  DWORD number = 99;
  ASSERT_EQ(Raw(L"Lang", L"Number", text, number), static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(number, 0u);

  // A number outside the table, as a hand edit might leave it, is the
  // automatic choice, which this English prefix answers with 0 again.
  const DWORD five = 5;
  RegSetKeyValueW(HKEY_CURRENT_USER, Path(L"Lang").c_str(), L"Number", REG_DWORD, &five, sizeof five);
  EXPECT_EQ(store.GetInt("Lang", "Number", -1), 5);
  CLanguageModule language(store);
  language.Initialise();
  EXPECT_EQ(language.CurrentIndex(), 0);
  EXPECT_EQ(store.GetInt("Lang", "Number", -1), 0);
}

TEST_F(RegistrySettings, MissingValuesAndOtherTypesGiveTheDefault) {
  CSystemSettingsStore store("VANTORIX", program);
  EXPECT_EQ(store.GetInt("Lang", "Number", -1), -1);
  EXPECT_EQ(store.GetString("Settings", "COMPort", "COM1"), "COM1");
  // A number written as text by hand still reads as the number.
  store.SetString("Lang", "Number", "1");
  EXPECT_EQ(store.GetInt("Lang", "Number", -1), 1);
  store.SetString("Lang", "Number", "1x");
  EXPECT_EQ(store.GetInt("Lang", "Number", -1), -1);
  const BYTE bytes[3] = {1, 2, 3};
  RegSetKeyValueW(HKEY_CURRENT_USER, Path(L"Settings").c_str(), L"COMPort", REG_BINARY, bytes, sizeof bytes);
  EXPECT_EQ(store.GetString("Settings", "COMPort", "COM1"), "COM1");
}

TEST_F(RegistrySettings, TextsOutsideAsciiSurviveTheRoundTrip) {
  const std::string name = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E"; // 日本語 in UTF-8
  {
    CSystemSettingsStore store("VANTORIX", program);
    store.SetString("Settings", "DisplayLanguageName", name);
  }
  std::wstring text;
  DWORD number = 0;
  ASSERT_EQ(Raw(L"Settings", L"DisplayLanguageName", text, number), static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(text, L"\u65E5\u672C\u8A9E");
  EXPECT_EQ(CSystemSettingsStore("VANTORIX", program).GetString("Settings", "DisplayLanguageName", ""), name);
}

TEST(RegistrySettingsKey, IsNamedAfterTheExecutable) {
  EXPECT_EQ(CSystemSettingsStore().Location(), "HKEY_CURRENT_USER\\Software\\VANTORIX\\core_registry_settings_test");
}

} // namespace
