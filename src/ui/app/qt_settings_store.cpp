#include "ui/app/qt_settings_store.h"

#include "core/platform/exe_path.h"

#include <QDir>

namespace {
QString Key(const std::string &section, const std::string &key) {
  return QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(key);
}
} // namespace

CQtSettingsStore::CQtSettingsStore(const QString &organization, const QString &application) {
  // QSettings resolves its user folder once per process; a file path taken
  // here follows XDG_CONFIG_HOME as it is when each store is made.
  QString path = ConfigDir() + QLatin1Char('/') + organization + QLatin1Char('/') + application +
                 QStringLiteral(".conf");
  m_settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
}

CQtSettingsStore::~CQtSettingsStore() { m_settings->sync(); }

QString CQtSettingsStore::DefaultApplicationName() {
  QString name = QString::fromStdString(ExecutableBaseName());
  return name.isEmpty() ? QStringLiteral("vela") : name;
}

QString CQtSettingsStore::ConfigDir() {
  QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
  // A relative XDG_CONFIG_HOME is invalid and must be ignored.
  if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
    return QDir::cleanPath(xdg);
  return QDir::homePath() + QStringLiteral("/.config");
}

QString CQtSettingsStore::FileName() const { return m_settings->fileName(); }

int CQtSettingsStore::GetInt(const std::string &section, const std::string &key, int def) const {
  QVariant v = m_settings->value(Key(section, key));
  if (!v.isValid())
    return def;
  bool ok = false;
  int value = v.toString().trimmed().toInt(&ok);
  return ok ? value : def;
}

std::string CQtSettingsStore::GetString(const std::string &section, const std::string &key,
                                        const std::string &def) const {
  QVariant v = m_settings->value(Key(section, key));
  if (!v.isValid())
    return def;
  return v.toString().toStdString();
}

void CQtSettingsStore::SetInt(const std::string &section, const std::string &key, int value) {
  m_settings->setValue(Key(section, key), value);
  m_settings->sync();
}

void CQtSettingsStore::SetString(const std::string &section, const std::string &key,
                                 const std::string &value) {
  m_settings->setValue(Key(section, key), QString::fromStdString(value));
  m_settings->sync();
}
