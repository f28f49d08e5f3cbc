#include "core/platform/user_locale.h"

#include "core/platform/win32/wide_text.h"

#include <windows.h>

std::string SystemUserLanguage() {
  wchar_t name[16] = {};
  if (GetLocaleInfoW(GetThreadLocale(), LOCALE_SISO639LANGNAME, name, 16) <= 0)
    return {};
  return WideToUtf8(name);
}
