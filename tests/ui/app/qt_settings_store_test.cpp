// The program's settings file under the user's configuration folder, always
// the temporary one in these tests.
#include "../../core/resources/locale_env.h"
#include "ui/app/qt_settings_store.h"
#include "core/resources/app_settings.h"
#include "test_env.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

QString RealConfigFile() {
  return QDir::homePath() + QStringLiteral("/.config/VANTORIX/") +
         CQtSettingsStore::DefaultApplicationName() + QStringLiteral(".conf");
}

TEST(QtSettingsStore, LivesInTheMakersFolderUnderXdgConfigHome) {
  ScopedTestHome home;
  CQtSettingsStore store(QStringLiteral("VANTORIX"), QStringLiteral("vela"));
  EXPECT_EQ(store.FileName().toStdString(), home.Path() + "/config/VANTORIX/vela.conf");
  EXPECT_EQ(CQtSettingsStore::DefaultApplicationName(), "ui_qt_settings_store_test");
  store.SetInt("Lang", "Number", 1);
  std::string file = ReadWholeFile(home.Path() + "/config/VANTORIX/vela.conf");
  EXPECT_NE(file.find("[Lang]"), std::string::npos) << file;
  EXPECT_NE(file.find("Number=1"), std::string::npos) << file;
}

TEST(QtSettingsStore, ComPortRecordRoundTrip) {
  ScopedTestHome home;
  ScopedLocaleEnv env(nullptr, nullptr, "de_DE.UTF-8");
  {
    CQtSettingsStore store;
    CAppSettings settings(store);
    settings.Load();
    EXPECT_EQ(settings.GetDisplayLanguage(), "English.lng");
    EXPECT_EQ(settings.GetDisplayLanguageName(), "English");
    EXPECT_EQ(settings.GetCOMPort(), "COM1");
    settings.SetCOMPort("COM7");
    settings.Save();
  }
  std::string file = ReadWholeFile(CQtSettingsStore().FileName().toStdString());
  EXPECT_NE(file.find("[Settings]"), std::string::npos) << file;
  EXPECT_NE(file.find("COMPort=COM7"), std::string::npos) << file;
  EXPECT_NE(file.find("DisplayLanguage=English.lng"), std::string::npos) << file;

  CQtSettingsStore store;
  CAppSettings again(store);
  again.Load();
  EXPECT_EQ(again.GetCOMPort(), "COM7");
  EXPECT_EQ(again.GetDisplayLanguage(), "English.lng");
  EXPECT_EQ(again.GetDisplayLanguageName(), "English");
}

TEST(QtSettingsStore, EachStoreFollowsTheFolderOfItsTime) {
  // The toolkit's own notion of the user folder is fixed at its first use;
  // the store must not keep writing into a folder of an earlier test.
  std::string first;
  {
    ScopedTestHome home;
    CQtSettingsStore store;
    store.SetString("Settings", "COMPort", "COM3");
    first = store.FileName().toStdString();
  }
  ScopedTestHome home;
  CQtSettingsStore store;
  EXPECT_NE(store.FileName().toStdString(), first);
  EXPECT_EQ(store.GetString("Settings", "COMPort", "none"), "none");
}

TEST(QtSettingsStore, ValuesThatAreNotNumbersGiveTheDefault) {
  ScopedTestHome home;
  CQtSettingsStore store;
  store.SetString("Lang", "Number", "one");
  EXPECT_EQ(store.GetInt("Lang", "Number", -1), -1);
  store.SetString("Lang", "Number", " 1 ");
  EXPECT_EQ(store.GetInt("Lang", "Number", -1), 1);
  EXPECT_EQ(store.GetInt("Lang", "Missing", 7), 7);
  store.SetString("Settings", "COMPort", "ポート");
  EXPECT_EQ(CQtSettingsStore().GetString("Settings", "COMPort", ""), "ポート");
}

TEST(QtSettingsStore, TheRealConfigurationIsNeverTouched) {
  // Runs last in this file: none of the tests above wrote the user's own file.
  EXPECT_FALSE(QFileInfo::exists(RealConfigFile())) << RealConfigFile().toStdString();
}

} // namespace
