#include "core/resources/app_settings.h"

#include "core/resources/language_module.h"
#include "core/resources/settings_store.h"

namespace {
constexpr const char *kSection = "Settings";
constexpr const char *kDisplayLanguage = "DisplayLanguage";
constexpr const char *kDisplayLanguageName = "DisplayLanguageName";
constexpr const char *kComPort = "COMPort";
} // namespace

CAppSettings::CAppSettings() : CAppSettings(SettingsStore()) {}

CAppSettings::CAppSettings(CSettingsStore &store) : m_store(store) {}

CAppSettings::~CAppSettings() = default;

void CAppSettings::Load() {
  m_displayLanguage = m_store.GetString(kSection, kDisplayLanguage, "");
  if (m_displayLanguage.empty()) {
    bool japanese = CurrentLocaleId() == kLocaleJapanese;
    m_displayLanguage = japanese ? "Japanese.lng" : "English.lng";
    m_displayLanguageName = japanese ? "Japanese" : "English";
  } else {
    m_displayLanguageName = m_store.GetString(kSection, kDisplayLanguageName, "");
  }
  m_comPort = m_store.GetString(kSection, kComPort, "COM1");
}

void CAppSettings::Save() {
  m_store.SetString(kSection, kDisplayLanguage, m_displayLanguage);
  m_store.SetString(kSection, kDisplayLanguageName, m_displayLanguageName);
  m_store.SetString(kSection, kComPort, m_comPort);
}
