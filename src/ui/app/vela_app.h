// The application object: prepares the settings, the user interface host
// and the display language, then runs the main dialog until the user closes
// it, running it again after every language switch.
#pragma once

#include <memory>
#include <string>

class CLanguageModule;
class CQtSettingsStore;
class CQtUIHost;
class CVELADlg;
class QTranslator;

class CVELAApp {
public:
  // libraryDir: where the language libraries are; the program's own folder
  // unless a test points elsewhere.
  CVELAApp();
  explicit CVELAApp(std::string libraryDir);
  ~CVELAApp();
  CVELAApp(const CVELAApp &) = delete;
  CVELAApp &operator=(const CVELAApp &) = delete;

  // A configuration file the main window opens as soon as it shows.
  void SetStartFile(std::string path) { m_startFile = std::move(path); }

  // The whole run; returns false, so the program ends when it returns.
  bool InitInstance();

  CLanguageModule *Language() const { return m_language.get(); }
  CQtUIHost *Host() const { return m_host.get(); }
  // The main dialog while InitInstance runs it, else nullptr.
  CVELADlg *MainWindow() const { return m_mainWindow; }

  // Makes the toolkit's locale that of the language now current.
  static void ApplyUiLocale(int languageIndex);

private:
  // Qt's own texts (standard buttons, file and print dialogs) follow the
  // language module: translated while the Japanese library is in use.
  void ApplyToolkitTranslation();

  std::string m_libraryDir;
  std::string m_startFile;
  std::unique_ptr<CQtSettingsStore> m_settings;
  std::unique_ptr<CQtUIHost> m_host;
  std::unique_ptr<CLanguageModule> m_language;
  std::unique_ptr<QTranslator> m_toolkitTranslator;
  CVELADlg *m_mainWindow = nullptr;
};
