// The application's run: settings in a temporary configuration folder, the
// display language from the locale or the stored choice, the main dialog
// run again after every language switch and the end when it is closed.
#include "../../core/resources/locale_env.h"
#include "../modal_driver.h"
#include "ui/app/qt_settings_store.h"
#include "ui/app/vela_app.h"
#include "ui/mainwindow/vela_dlg.h"
#include "core/model/par_base.h"
#include "core/resources/language_module.h"
#include "core/resources/settings_store.h"
#include "core/resources/strings.h"
#include "core/resources/ui_host.h"
#include "ui/resources/template_builder.h"
#include "test_env.h"

#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <clocale>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

struct RunSeen {
  QString title;
  QString languageButton;
  QString connectButton;
  QString locale;
};

// Records what one run of the main dialog shows, then acts on it.
ModalDriver::Step OnMainDialog(RunSeen *seen, std::function<void(CVELADlg *)> act) {
  return [=](QWidget *modal) {
    auto *dlg = qobject_cast<CVELADlg *>(modal);
    if (!dlg)
      return false;
    seen->title = dlg->windowTitle();
    seen->languageButton = FindControl<QPushButton>(dlg, 1040)->text();
    seen->connectButton = FindControl<QPushButton>(dlg, 1028)->text();
    seen->locale = QLocale().name();
    act(dlg);
    return true;
  };
}

void SwitchLanguage(CVELADlg *dlg) { FindControl<QPushButton>(dlg, 1040)->click(); }
void CloseWindow(CVELADlg *dlg) { dlg->close(); }

int StoredLanguage() {
  CQtSettingsStore store;
  return store.GetInt("Lang", "Number", -99);
}

TEST(VersionTitle, NoBlankBeforeTheVersion) {
  EXPECT_EQ(CVELADlg::VersionTitle("KT5RS", "1.0.0"), "KT5RSCFG Version1.0.0");
  EXPECT_EQ(CVELADlg::VersionTitle("KT5RS", VELA_VERSION), QStringLiteral("KT5RSCFG Version" VELA_VERSION));
}

TEST(VelaApp, LanguageSwitchRunsTheDialogAgainAndCloseEnds) {
  ScopedTestHome home;
  ScopedLocaleEnv env(nullptr, nullptr, "de_DE.UTF-8");
  RunSeen first, second;
  bool stayedOpen = false;
  {
    CVELAApp app(VELA_BIN_DIR);
    ModalDriver driver({OnMainDialog(&first,
                                     [&](CVELADlg *dlg) {
                                       // Neither the cancel nor the default command ends the window.
                                       QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                                       QApplication::sendEvent(dlg, &esc);
                                       QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
                                       QApplication::sendEvent(dlg, &enter);
                                       stayedOpen =
                                           dlg->isVisible() && QApplication::activeModalWidget() == dlg;
                                       SwitchLanguage(dlg);
                                     }),
                        OnMainDialog(&second, CloseWindow)});
    EXPECT_FALSE(app.InitInstance());
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(driver.StepsTaken(), 2);
    EXPECT_EQ(app.Language()->CurrentIndex(), 1);
    // Nothing is shown any more.
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  }
  EXPECT_TRUE(stayedOpen);
  EXPECT_EQ(first.title, QStringLiteral("KT5RSCFG Version" VELA_VERSION));
  EXPECT_EQ(first.languageButton, "Japanese");
  EXPECT_EQ(first.connectButton, "Connect");
  EXPECT_EQ(first.locale, "C");
  EXPECT_EQ(second.title, first.title);
  EXPECT_EQ(second.languageButton, "English");
  EXPECT_EQ(second.connectButton, "接続");
  EXPECT_EQ(second.locale, "ja_JP");
  EXPECT_EQ(StoredLanguage(), 1);
  // The application going away leaves the built-in English texts current.
  EXPECT_EQ(LoadString(13000), "Connect");
}

TEST(VelaApp, StoredJapaneseSwitchesBackToEnglish) {
  ScopedTestHome home;
  ScopedLocaleEnv env(nullptr, nullptr, "de_DE.UTF-8");
  CQtSettingsStore().SetInt("Lang", "Number", 1);
  RunSeen first, second;
  CVELAApp app(VELA_BIN_DIR);
  ModalDriver driver({OnMainDialog(&first, SwitchLanguage), OnMainDialog(&second, CloseWindow)});
  app.InitInstance();
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(first.connectButton, "接続");
  EXPECT_EQ(second.connectButton, "Connect");
  EXPECT_EQ(second.languageButton, "Japanese");
  EXPECT_EQ(StoredLanguage(), 0);
}

TEST(VelaApp, MissingLibraryShowsTheMessageAndRunsInEnglish) {
  ScopedTestHome home;
  ScopedLocaleEnv env(nullptr, nullptr, "ja_JP.UTF-8");
  QString message, messageTitle;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  RunSeen run;
  CVELAApp app(home.Path()); // a folder without the library
  ModalDriver driver({[&](QWidget *modal) {
                        auto *box = qobject_cast<QMessageBox *>(modal);
                        if (!box)
                          return false;
                        message = box->text();
                        messageTitle = box->windowTitle();
                        icon = box->icon();
                        box->button(QMessageBox::Ok)->click();
                        return true;
                      },
                      OnMainDialog(&run, CloseWindow)});
  app.InitInstance();
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(message, "Can't load language module");
  EXPECT_EQ(icon, QMessageBox::Critical);
  EXPECT_EQ(messageTitle, "VELA");
  EXPECT_EQ(run.connectButton, "Connect");
  EXPECT_EQ(run.languageButton, "Japanese");
  // The chosen language is kept, the toolkit follows it.
  EXPECT_EQ(run.locale, "ja_JP");
  EXPECT_EQ(StoredLanguage(), 1);
}

// The toolkit's own texts one run shows: the buttons of question 201 and the
// labels of the configuration file dialog.
struct ToolkitSeen {
  QString yes, no, lookIn, fileName, fileType;
  RunSeen window;
};

// One run: question 201 over the window, answered No; then Open File,
// cancelled; then the window acts as `last` says.
std::vector<ModalDriver::Step> ToolkitRun(ToolkitSeen *seen, std::function<void(CVELADlg *)> last) {
  RunSeen *ignored = &seen->window;
  return {OnMainDialog(ignored,
                       [](CVELADlg *dlg) {
                         QTimer::singleShot(0, dlg, [] { AfxMessageBox(201, MB_YESNO | MB_ICONQUESTION); });
                       }),
          [=](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            if (!box)
              return false;
            seen->yes = box->button(QMessageBox::Yes)->text();
            seen->no = box->button(QMessageBox::No)->text();
            box->button(QMessageBox::No)->click();
            return true;
          },
          OnMainDialog(ignored,
                       [](CVELADlg *dlg) {
                         QTimer::singleShot(0, dlg, [dlg] { FindControl<QPushButton>(dlg, 1029)->click(); });
                       }),
          [=](QWidget *modal) {
            auto *files = qobject_cast<QFileDialog *>(modal);
            if (!files)
              return false;
            seen->lookIn = files->findChild<QLabel *>("lookInLabel")->text();
            seen->fileName = files->findChild<QLabel *>("fileNameLabel")->text();
            seen->fileType = files->findChild<QLabel *>("fileTypeLabel")->text();
            files->reject();
            return true;
          },
          OnMainDialog(ignored, last)};
}

TEST(VelaApp, ToolkitTextsAreJapaneseWithTheJapaneseModuleOnly) {
  ScopedTestHome home;
  ScopedLocaleEnv env(nullptr, nullptr, "de_DE.UTF-8");
  CQtSettingsStore().SetInt("Lang", "Number", 1);
  ToolkitSeen japanese, english;
  {
    CVELAApp app(VELA_BIN_DIR);
    std::vector<ModalDriver::Step> steps = ToolkitRun(&japanese, SwitchLanguage);
    for (auto &step : ToolkitRun(&english, CloseWindow))
      steps.push_back(step);
    ModalDriver driver(steps);
    app.InitInstance();
    EXPECT_TRUE(driver.Done());
  }
  // The catalogue Debian ships with the toolkit (qt6-translations-l10n).
  EXPECT_TRUE(japanese.yes.contains(QStringLiteral("はい"))) << japanese.yes.toStdString();
  EXPECT_TRUE(japanese.no.contains(QStringLiteral("いいえ"))) << japanese.no.toStdString();
  EXPECT_EQ(japanese.window.connectButton, "接続");
  for (const QString &label : {japanese.lookIn, japanese.fileName, japanese.fileType}) {
    EXPECT_FALSE(label.isEmpty());
    // Japanese text is no Latin-1.
    EXPECT_NE(label.toLatin1(), label.toUtf8()) << label.toStdString();
  }
  // Back in English every text is the toolkit's own again.
  EXPECT_EQ(english.yes, "&Yes");
  EXPECT_EQ(english.no, "&No");
  EXPECT_EQ(english.lookIn, "Look in:");
  EXPECT_EQ(english.fileName, "File &name:");
  EXPECT_EQ(english.fileType, "Files of type:");
}

TEST(VelaApp, NumbersKeepTheirDecimalPoint) {
  ScopedTestHome home;
  ScopedLocaleEnv env(nullptr, nullptr, "de_DE.UTF-8");
  // Where a locale with a decimal comma is installed, take it on purpose.
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  std::string printed;
  RunSeen run;
  CVELAApp app(VELA_BIN_DIR);
  ModalDriver driver({OnMainDialog(&run, [&](CVELADlg *dlg) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4lf", 1.5);
    printed = buf;
    dlg->close();
  })});
  app.InitInstance();
  EXPECT_EQ(printed, "1.5000");
  EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
}

TEST(VelaDlg, TheTemplatesSizeIsTheSmallestOrTheScreenScrolls) {
  CMemorySettingsStore store;
  CLanguageModule lang(store, VELA_BIN_DIR);
  CVELADlg dlg(lang);
  RunSeen run;
  QSize size, client;
  ModalDriver driver({OnMainDialog(&run, [&](CVELADlg *d) {
    size = d->size();
    client = d->Client()->size();
    d->close();
  })});
  EXPECT_EQ(dlg.RunModal(), 0);
  DialogBaseUnits units = DialogBaseUnits::FromFont(dlg.font());
  // The template and the status line under it; the window no larger than
  // the screen, whose controls then scroll.
  const QSize base = dlg.BaseSize();
  EXPECT_EQ(base.width(), units.MapX(484));
  EXPECT_GT(base.height(), units.MapY(308));
  EXPECT_EQ(client, base);
  const QSize screen = dlg.screen()->availableSize();
  EXPECT_EQ(size, base.boundedTo(screen));
  EXPECT_EQ(dlg.minimumSize(), base.boundedTo(screen));
  EXPECT_GT(dlg.maximumSize().width(), base.width());
  EXPECT_EQ(dlg.Model()->GetModelName(), "KT5RS");
}

TEST(VelaDlg, EnterPressesOnlyAFocusedButton) {
  CMemorySettingsStore store;
  CLanguageModule lang(store, VELA_BIN_DIR);
  lang.Load(0);
  CVELADlg dlg(lang);
  RunSeen run;
  int defaults = -1;
  bool openAfterEnterInList = false;
  ModalDriver driver({OnMainDialog(&run, [&](CVELADlg *d) {
    defaults = 0;
    for (QPushButton *b : d->findChildren<QPushButton *>())
      defaults += b->isDefault() ? 1 : 0;
    QWidget *list = FindControl(d, 1006);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(list, &enter);
    openAfterEnterInList = d->isVisible();
    // Enter in the list opened the selected row's editor; Escape puts it away.
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(d, &escape);
    auto *language = FindControl<QPushButton>(d, 1040);
    language->setFocus();
    QKeyEvent again(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(language, &again);
  })});
  EXPECT_EQ(dlg.RunModal(), CVELADlg::kResultLanguageSwitch);
  EXPECT_EQ(defaults, 0);
  EXPECT_TRUE(openAfterEnterInList);
}

TEST(VelaDlg, AltLSwitchesTheLanguage) {
  CMemorySettingsStore store;
  CLanguageModule lang(store, VELA_BIN_DIR);
  lang.Load(0);
  CVELADlg dlg(lang);
  RunSeen run;
  // The Alt keys reach only the active window; on a busy machine the window
  // becomes active a little after it shows.
  ModalDriver driver({[](QWidget *modal) { return modal == QApplication::activeWindow(); },
                      OnMainDialog(&run, [](CVELADlg *d) {
    QKeyEvent alt(QEvent::ShortcutOverride, Qt::Key_L, Qt::AltModifier);
    QWidget *list = FindControl(d, 1006);
    QApplication::sendEvent(list, &alt);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_L, Qt::AltModifier);
    QApplication::sendEvent(list, &press);
  })});
  EXPECT_EQ(dlg.RunModal(), CVELADlg::kResultLanguageSwitch);
  EXPECT_EQ(lang.CurrentIndex(), 1);
}

} // namespace
