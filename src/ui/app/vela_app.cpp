#include "ui/app/vela_app.h"

#include "ui/mainwindow/vela_dlg.h"
#include "ui/app/qt_settings_store.h"
#include "core/resources/language_module.h"
#include "ui/app/qt_ui_host.h"
#include "core/resources/settings_store.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <clocale>

CVELAApp::CVELAApp() : CVELAApp(CLanguageModule::DefaultLibraryDir()) {}

CVELAApp::CVELAApp(std::string libraryDir) : m_libraryDir(std::move(libraryDir)) {}

CVELAApp::~CVELAApp() {
  if (m_toolkitTranslator)
    QCoreApplication::removeTranslator(m_toolkitTranslator.get());
  // The language module goes first: it restores the English tables before
  // its library is unloaded. The store and host it used go after it.
  m_language.reset();
  if (&SettingsStore() == m_settings.get())
    SetSettingsStore(nullptr);
  m_host.reset();
  m_settings.reset();
}

void CVELAApp::ApplyUiLocale(int languageIndex) {
  if (languageIndex < 0 || languageIndex >= kLanguageCount)
    languageIndex = 0;
  QLocale::setDefault(QLocale(QString::fromLatin1(LanguageTableRow(languageIndex).uiLocale)));
}

void CVELAApp::ApplyToolkitTranslation() {
  if (m_toolkitTranslator) {
    QCoreApplication::removeTranslator(m_toolkitTranslator.get());
    m_toolkitTranslator.reset();
  }
  // A Japanese library that could not be loaded leaves the whole window in
  // English, the toolkit's buttons included.
  if (!m_language->LibraryLoaded() || m_language->CurrentIndex() <= 0 ||
      m_language->CurrentIndex() >= kLanguageCount)
    return;
  auto translator = std::make_unique<QTranslator>();
  const QLocale locale(QString::fromLatin1(LanguageTableRow(m_language->CurrentIndex()).uiLocale));
  // Without the toolkit's catalogue installed its texts stay English; the
  // program's own come from the library all the same.
  if (translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
      QCoreApplication::installTranslator(translator.get()))
    m_toolkitTranslator = std::move(translator);
}

bool CVELAApp::InitInstance() {
  // The toolkit adopts the user's locale for the C library at start; the
  // protocol and the files are written with printf and read with scanf,
  // which must keep the '.' decimal point whatever the user's locale says.
  std::setlocale(LC_NUMERIC, "C");

  m_settings = std::make_unique<CQtSettingsStore>();
  SetSettingsStore(m_settings.get());
  m_host = std::make_unique<CQtUIHost>();

  m_language = std::make_unique<CLanguageModule>(*m_settings, m_libraryDir);
  m_language->Initialise();

  {
    CVELADlg dlg(*m_language);
    m_mainWindow = &dlg;
    m_host->SetMainWindow(&dlg);
    dlg.SetStartFile(m_startFile);
    int result = 0;
    do {
      ApplyUiLocale(m_language->CurrentIndex());
      ApplyToolkitTranslation();
      result = dlg.RunModal();
    } while (result == CVELADlg::kResultLanguageSwitch);
    m_host->SetMainWindow(nullptr);
    m_mainWindow = nullptr;
  }
  return false;
}
