// Choosing and loading the display language: automatic choice from the
// user's locale, the stored choice, and a Japanese library that is present,
// missing, broken or only reachable through the working folder.
#include "locale_env.h"
#include "core/platform/codepage.h"
#include "core/resources/dialog_templates.h"
#include "core/resources/language_module.h"
#include "core/resources/settings_store.h"
#include "core/resources/strings.h"
#include "scripted_ui_host.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

const std::string kBinDir = VELA_BIN_DIR;

class LanguageModuleTest : public ::testing::Test {
protected:
  void TearDown() override {
    SetCurrentStringTable(nullptr);
    SetCurrentTemplateCaptions(nullptr);
    SetLinkCodePage(CodePage::CP1252);
  }
  int StoredNumber() const { return m_store.GetInt("Lang", "Number", -99); }
  std::size_t FailureMessages() const {
    std::size_t n = 0;
    for (const auto &m : m_host.Messages())
      if (m.text == "Can't load language module" && m.style == MB_ICONERROR)
        ++n;
    return n;
  }

  CMemorySettingsStore m_store;
  CScriptedUIHost m_host;
  ScopedTestHome m_home; // an empty folder: no library in it
};

TEST(UserLocale, FirstSetVariableDecides) {
  {
    ScopedLocaleEnv env(nullptr, nullptr, "ja_JP.UTF-8");
    EXPECT_EQ(UserLocaleId(), kLocaleJapanese);
  }
  {
    ScopedLocaleEnv env(nullptr, nullptr, "de_DE.UTF-8");
    EXPECT_EQ(UserLocaleId(), kLocaleNeutral);
  }
  {
    ScopedLocaleEnv env("de_DE.UTF-8", "ja_JP.UTF-8", "ja_JP.UTF-8");
    EXPECT_EQ(UserLocaleId(), kLocaleNeutral);
  }
  {
    // An empty variable counts as not set.
    ScopedLocaleEnv env("", "ja_JP.eucJP", "en_US.UTF-8");
    EXPECT_EQ(UserLocaleId(), kLocaleJapanese);
  }
  {
    ScopedLocaleEnv env(nullptr, nullptr, "ja");
    EXPECT_EQ(UserLocaleId(), kLocaleJapanese);
  }
  {
    ScopedLocaleEnv env(nullptr, nullptr, "jam_JM");
    EXPECT_EQ(UserLocaleId(), kLocaleNeutral);
  }
  {
    ScopedLocaleEnv env(nullptr, nullptr, nullptr);
    EXPECT_EQ(UserLocaleId(), kLocaleNeutral);
  }
}

TEST(LanguageTable, NamesAndTheEndOfTheTable) {
  EXPECT_EQ(CLanguageModule::Name(0), "English");
  EXPECT_EQ(CLanguageModule::Name(1), "Japanese");
  EXPECT_EQ(CLanguageModule::Name(2), "");
  EXPECT_EQ(CLanguageModule::Name(-1), "");
}

TEST_F(LanguageModuleTest, FirstStartOnAJapaneseSystemLoadsTheLibrary) {
  ScopedLocaleEnv env(nullptr, nullptr, "ja_JP.UTF-8");
  CLanguageModule lang(m_store, kBinDir);
  lang.Initialise();
  EXPECT_EQ(lang.CurrentIndex(), 1);
  EXPECT_TRUE(lang.LibraryLoaded());
  EXPECT_EQ(StoredNumber(), 1);
  EXPECT_EQ(LoadString(13000), "接続");
  EXPECT_EQ(LoadString(201), "通信エラーが発生しました。再試行しますか？");
  // The input and output type texts too.
  EXPECT_EQ(LoadString(2000), "0: 直流 0～50mA");
  EXPECT_EQ(GetLinkCodePage(), CodePage::CP932);
  EXPECT_EQ(CurrentLocaleId(), kLocaleJapanese);
  const DialogTemplate &main = *FindDialogTemplate(IDD_VELA_DIALOG);
  EXPECT_EQ(ControlCaption(main, *main.Control(1040)), "English");
  EXPECT_TRUE(m_host.Messages().empty());
}

TEST_F(LanguageModuleTest, FirstStartElsewhereIsEnglish) {
  ScopedLocaleEnv env(nullptr, nullptr, "de_DE.UTF-8");
  SetLinkCodePage(CodePage::CP932);
  CLanguageModule lang(m_store, kBinDir);
  lang.Initialise();
  EXPECT_EQ(lang.CurrentIndex(), 0);
  EXPECT_FALSE(lang.LibraryLoaded());
  EXPECT_EQ(StoredNumber(), 0);
  EXPECT_EQ(LoadString(13000), "Connect");
  EXPECT_EQ(GetLinkCodePage(), CodePage::CP1252);
  EXPECT_EQ(&CurrentStringTable(), &EnglishStringTable());
  EXPECT_TRUE(m_host.Messages().empty());
}

TEST_F(LanguageModuleTest, StoredNumberOutsideTheTableMeansAutomatic) {
  {
    ScopedLocaleEnv env(nullptr, nullptr, "ja_JP.UTF-8");
    m_store.SetInt("Lang", "Number", 5);
    CLanguageModule lang(m_store, kBinDir);
    lang.Initialise();
    EXPECT_EQ(lang.CurrentIndex(), 1);
    EXPECT_EQ(StoredNumber(), 1);
  }
  {
    ScopedLocaleEnv env(nullptr, nullptr, "de_DE.UTF-8");
    m_store.SetInt("Lang", "Number", 5);
    CLanguageModule lang(m_store, kBinDir);
    lang.Initialise();
    EXPECT_EQ(lang.CurrentIndex(), 0);
    EXPECT_EQ(StoredNumber(), 0);
  }
  {
    // A stored choice wins over the locale.
    ScopedLocaleEnv env(nullptr, nullptr, "de_DE.UTF-8");
    m_store.SetInt("Lang", "Number", 1);
    CLanguageModule lang(m_store, kBinDir);
    lang.Initialise();
    EXPECT_EQ(lang.CurrentIndex(), 1);
    EXPECT_EQ(LoadString(12000), "名称");
  }
}

TEST_F(LanguageModuleTest, MissingLibraryIsReportedOncePerLoadAndEnglishStays) {
  ScopedLocaleEnv env(nullptr, nullptr, "ja_JP.UTF-8");
  CLanguageModule lang(m_store, m_home.Path());
  lang.Initialise();
  EXPECT_EQ(FailureMessages(), 1u);
  EXPECT_EQ(m_host.Messages().size(), 1u);
  EXPECT_EQ(lang.CurrentIndex(), 1);
  EXPECT_FALSE(lang.LibraryLoaded());
  EXPECT_EQ(StoredNumber(), 1);
  EXPECT_EQ(LoadString(13000), "Connect");
  EXPECT_EQ(CurrentTemplateCaptions(), nullptr);
  // The link still speaks the chosen language's code page.
  EXPECT_EQ(GetLinkCodePage(), CodePage::CP932);

  lang.Load(0);
  EXPECT_EQ(FailureMessages(), 1u);
  EXPECT_EQ(StoredNumber(), 0);
  lang.Load(1);
  EXPECT_EQ(FailureMessages(), 2u);
  EXPECT_EQ(StoredNumber(), 1);
}

TEST_F(LanguageModuleTest, BrokenLibraryIsReportedLikeAMissingOne) {
  ScopedLocaleEnv env(nullptr, nullptr, "de_DE.UTF-8");
  WriteWholeFile(m_home.File("VELA_jpn.so"), "\x7f"
                                             "ELF but not really");
  CLanguageModule lang(m_store, m_home.Path());
  lang.Initialise();
  EXPECT_EQ(FailureMessages(), 0u);
  lang.Load(1);
  EXPECT_EQ(FailureMessages(), 1u);
  EXPECT_EQ(lang.CurrentIndex(), 1);
  EXPECT_EQ(StoredNumber(), 1);
  EXPECT_EQ(LoadString(13000), "Connect");
}

TEST_F(LanguageModuleTest, NeverLoadsFromTheWorkingFolder) {
  ScopedLocaleEnv env(nullptr, nullptr, "de_DE.UTF-8");
  auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(kBinDir); // VELA_jpn.so is right here
  for (const std::string dir : {"", ".", "bin"}) {
    CLanguageModule lang(m_store, dir);
    lang.Load(1);
    EXPECT_FALSE(lang.LibraryLoaded()) << "folder '" << dir << "'";
    EXPECT_EQ(LoadString(13000), "Connect");
  }
  std::filesystem::current_path(cwd);
  EXPECT_EQ(FailureMessages(), 3u);
}

TEST_F(LanguageModuleTest, SwitchingBackAndIgnoredIndexes) {
  ScopedLocaleEnv env(nullptr, nullptr, "de_DE.UTF-8");
  CLanguageModule lang(m_store, kBinDir);
  lang.Load(1);
  ASSERT_TRUE(lang.LibraryLoaded());
  ASSERT_NE(CurrentTemplateCaptions(), nullptr);

  // Two or more changes nothing, the store included.
  m_store.SetInt("Lang", "Number", 42);
  lang.Load(2);
  EXPECT_EQ(lang.CurrentIndex(), 1);
  EXPECT_TRUE(lang.LibraryLoaded());
  EXPECT_EQ(StoredNumber(), 42);
  EXPECT_EQ(LoadString(13001), "切断");

  lang.Load(0);
  EXPECT_FALSE(lang.LibraryLoaded());
  EXPECT_EQ(&CurrentStringTable(), &EnglishStringTable());
  EXPECT_EQ(CurrentTemplateCaptions(), nullptr);
  EXPECT_EQ(GetLinkCodePage(), CodePage::CP1252);
  EXPECT_EQ(StoredNumber(), 0);

  lang.Load(-1);
  EXPECT_EQ(lang.CurrentIndex(), 0);
  EXPECT_TRUE(m_host.Messages().empty());
}

TEST_F(LanguageModuleTest, GoingAwayRestoresEnglishBeforeUnloading) {
  ScopedLocaleEnv env(nullptr, nullptr, "ja_JP.UTF-8");
  {
    CLanguageModule lang(m_store, kBinDir);
    lang.Initialise();
    ASSERT_NE(&CurrentStringTable(), &EnglishStringTable());
  }
  // The library is gone: the current tables must not point into it.
  EXPECT_EQ(&CurrentStringTable(), &EnglishStringTable());
  EXPECT_EQ(CurrentTemplateCaptions(), nullptr);
  EXPECT_EQ(LoadString(13000), "Connect");
}

} // namespace
