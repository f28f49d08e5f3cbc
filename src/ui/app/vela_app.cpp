#include "ui/app/vela_app.h"

#include "ui/mainwindow/vela_dlg.h"
#include "ui/app/qt_settings_store.h"
#include "core/resources/language_module.h"
#include "ui/app/qt_ui_host.h"
#include "core/resources/settings_store.h"

#include <QLocale>
#include <clocale>

CVELAApp::CVELAApp() : CVELAApp(CLanguageModule::DefaultLibraryDir()) {}

CVELAApp::CVELAApp(std::string libraryDir) : m_libraryDir(std::move(libraryDir)) {}

CVELAApp::~CVELAApp() {
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
      result = dlg.RunModal();
    } while (result == CVELADlg::kResultLanguageSwitch);
    m_host->SetMainWindow(nullptr);
    m_mainWindow = nullptr;
  }
  return false;
}
