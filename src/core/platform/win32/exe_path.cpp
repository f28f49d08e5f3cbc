#include "core/platform/exe_path.h"
#include "core/platform/win32/wide_text.h"

#include <windows.h>

std::string ExecutablePath() {
  // A path may be longer than MAX_PATH; grow the buffer until it is not filled.
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0)
      return {};
    if (n < buffer.size())
      return WideToUtf8(std::wstring_view(buffer).substr(0, n));
    if (buffer.size() >= 32768)
      return {};
    buffer.resize(buffer.size() * 2);
  }
}
