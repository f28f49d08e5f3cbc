// The display language: which string table and template captions the user
// interface shows, which code page the link speaks, and the user's choice
// remembered under "Lang"/"Number". English is built in; Japanese comes
// from VELA_jpn.so, taken only from the program's own folder.
#pragma once

#include "core/platform/codepage.h"
#include "core/platform/dynlib.h"

#include <string>

class CSettingsStore;

// Locale ids of the language table.
inline constexpr int kLocaleUserDefault = 0x0400;
inline constexpr int kLocaleJapanese = 0x0411;
// What the user's locale reads as when it is not Japanese; equals no row.
inline constexpr int kLocaleNeutral = 0x0000;

// The fixed text shown when the Japanese library cannot be used. It is
// needed exactly when no translation can be loaded, so it is not a resource.
inline constexpr const char *kLanguageLoadFailedText = "Can't load language module";

struct LanguageRow {
  const char *name;
  const char *library; // file name beside the executable, or nullptr
  int localeId;
  CodePage codePage;
  const char *uiLocale; // the toolkit's locale name: "C" or "ja_JP"
};

// The two rows, English first.
inline constexpr int kLanguageCount = 2;
const LanguageRow &LanguageTableRow(int index);

// The user's locale as the environment gives it (the first set of LC_ALL,
// LC_MESSAGES, LANG), or without any of them the system's user language
// (Windows): kLocaleJapanese for "ja" or "ja_*", else kLocaleNeutral.
int UserLocaleId();

// The locale the last load chose (the user's own for the English row);
// before any load, UserLocaleId().
int CurrentLocaleId();

class CLanguageModule {
public:
  // libraryDir: the folder holding the language libraries; the program's
  // own folder unless a test points elsewhere.
  explicit CLanguageModule(CSettingsStore &store, std::string libraryDir = DefaultLibraryDir());
  // Goes back to the built-in English texts before the library goes away.
  ~CLanguageModule();
  CLanguageModule(const CLanguageModule &) = delete;
  CLanguageModule &operator=(const CLanguageModule &) = delete;

  // Reads "Lang"/"Number" (anything but 0 and 1 means automatic) and loads it.
  void Initialise();

  // Makes the language of the index current; -1 chooses from the user's
  // locale; 2 or more changes nothing. A library that cannot be used is
  // reported once and English stays, but the index is still taken and stored.
  void Load(int index);

  // The table's name of the index; empty outside the table.
  static std::string Name(int index);

  int CurrentIndex() const { return m_index; }
  bool LibraryLoaded() const { return m_library.IsOpen(); }
  const std::string &LibraryDir() const { return m_libraryDir; }

  static std::string DefaultLibraryDir();

private:
  void Unload();
  bool OpenLibrary(const LanguageRow &row);

  CSettingsStore &m_store;
  std::string m_libraryDir;
  CDynLib m_library;
  int m_index = -1;
};
