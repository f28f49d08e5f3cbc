// The program's settings in the user's configuration folder:
// $XDG_CONFIG_HOME/VANTORIX/<program>.conf, ~/.config when XDG_CONFIG_HOME
// is not set. The folder is taken when the store is made, so a test that
// points XDG_CONFIG_HOME elsewhere first never reaches the real one.
#pragma once

#include "core/resources/settings_store.h"

#include <QSettings>
#include <QString>
#include <memory>

class CQtSettingsStore : public CSettingsStore {
public:
  // The maker's key and the program's base name, as the settings are found by.
  explicit CQtSettingsStore(const QString &organization = QStringLiteral("VANTORIX"),
                            const QString &application = DefaultApplicationName());
  ~CQtSettingsStore() override;

  int GetInt(const std::string &section, const std::string &key, int def) const override;
  std::string GetString(const std::string &section, const std::string &key,
                        const std::string &def) const override;
  void SetInt(const std::string &section, const std::string &key, int value) override;
  void SetString(const std::string &section, const std::string &key, const std::string &value) override;

  QString FileName() const;

  static QString DefaultApplicationName();
  // The user's configuration folder as the environment names it now.
  static QString ConfigDir();

private:
  std::unique_ptr<QSettings> m_settings;
};
