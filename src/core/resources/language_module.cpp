#include "core/resources/language_module.h"

#include "core/resources/dialog_templates.h"
#include "core/platform/dynlib.h"
#include "core/platform/exe_path.h"
#include "core/platform/user_locale.h"
#include "core/resources/settings_store.h"
#include "core/resources/strings.h"
#include "core/resources/ui_host.h"

#include <atomic>
#include <cstdlib>
#include <string_view>

namespace {

constexpr LanguageRow kLanguages[kLanguageCount] = {
    {"English", nullptr, kLocaleUserDefault, CodePage::CP1252, "C"},
    {"Japanese", "VELA_jpn" VELA_LIBRARY_SUFFIX, kLocaleJapanese, CodePage::CP932, "ja_JP"},
};

constexpr const char *kSection = "Lang";
constexpr const char *kKey = "Number";

// Exports of a language library.
using StringTableFn = const StringTable *();
using CaptionTableFn = const TemplateCaptionTable *();

std::atomic<int> g_localeId{-1};

} // namespace

const LanguageRow &LanguageTableRow(int index) { return kLanguages[index]; }

int UserLocaleId() {
  // The same precedence the C library uses for message texts.
  const char *value = nullptr;
  for (const char *var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char *v = std::getenv(var);
    if (v && *v) {
      value = v;
      break;
    }
  }
  // Without them, the system's own setting: Windows keeps the user's
  // language there, not in the environment.
  const std::string system = value ? std::string() : SystemUserLanguage();
  std::string_view s = value ? std::string_view(value) : std::string_view(system);
  if (s == "ja" || s.starts_with("ja_") || s.starts_with("ja."))
    return kLocaleJapanese;
  return kLocaleNeutral;
}

int CurrentLocaleId() {
  int id = g_localeId.load();
  return id < 0 ? UserLocaleId() : id;
}

CLanguageModule::CLanguageModule(CSettingsStore &store, std::string libraryDir)
    : m_store(store), m_libraryDir(std::move(libraryDir)) {}

CLanguageModule::~CLanguageModule() { Unload(); }

std::string CLanguageModule::DefaultLibraryDir() { return ExecutableDir(); }

std::string CLanguageModule::Name(int index) {
  if (index < 0 || index >= kLanguageCount)
    return {};
  return kLanguages[index].name;
}

void CLanguageModule::Initialise() {
  int index = m_store.GetInt(kSection, kKey, -1);
  if (index != 0 && index != 1)
    index = -1;
  Load(index);
}

void CLanguageModule::Load(int index) {
  if (index < 0) {
    int user = UserLocaleId();
    index = 0;
    for (int i = 0; i < kLanguageCount; ++i)
      if (kLanguages[i].localeId == user) {
        index = i;
        break;
      }
  }
  if (index >= kLanguageCount)
    return;

  m_index = index;
  Unload();
  const LanguageRow &row = kLanguages[index];
  if (row.library && !OpenLibrary(row))
    AfxMessageBox(kLanguageLoadFailedText, MB_ICONERROR);

  m_store.SetInt(kSection, kKey, index);
  // The link and the files follow the chosen language even when its texts
  // could not be loaded: the instrument's own texts are in that code page.
  SetLinkCodePage(row.codePage);
  g_localeId.store(row.localeId == kLocaleUserDefault ? UserLocaleId() : row.localeId);
}

bool CLanguageModule::OpenLibrary(const LanguageRow &row) {
  // Without an absolute folder the loader would resolve the name against
  // the working folder, which is exactly what must not happen.
  if (m_libraryDir.empty() || m_libraryDir.front() != '/')
    return false;
  std::string path = m_libraryDir;
  if (path.back() != '/')
    path += '/';
  path += row.library;
  if (!m_library.Open(path))
    return false;
  auto *strings = m_library.Function<StringTableFn>("VelaStringTable");
  const StringTable *table = strings ? strings() : nullptr;
  if (!table) {
    m_library.Close();
    return false;
  }
  SetCurrentStringTable(table);
  // Captions are optional: a library without them shows the English templates.
  if (auto *captions = m_library.Function<CaptionTableFn>("VelaTemplateCaptions"))
    SetCurrentTemplateCaptions(captions());
  return true;
}

void CLanguageModule::Unload() {
  // The tables live inside the library: stop using them before it is unmapped.
  SetCurrentStringTable(nullptr);
  SetCurrentTemplateCaptions(nullptr);
  m_library.Close();
}
