#include "core/platform/read_file.h"
#include "core/platform/win32/wide_text.h"

#include <windows.h>

bool ReadFileContents(const std::string &path, std::size_t limit, std::string &bytes) {
  bytes.clear();
  HANDLE file = CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  LARGE_INTEGER size{};
  const bool disk = GetFileType(file) == FILE_TYPE_DISK;
  if (disk && (!GetFileSizeEx(file, &size) || static_cast<unsigned long long>(size.QuadPart) > limit)) {
    CloseHandle(file);
    return false;
  }
  if (disk)
    bytes.reserve(static_cast<std::size_t>(size.QuadPart));
  bool ok = true;
  char buffer[16384];
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(file, buffer, sizeof buffer, &n, nullptr)) {
      ok = GetLastError() == ERROR_BROKEN_PIPE; // the end of a pipe
      break;
    }
    if (n == 0)
      break;
    // The file may grow while it is read.
    if (bytes.size() + n > limit) {
      ok = false;
      break;
    }
    bytes.append(buffer, n);
  }
  CloseHandle(file);
  return ok;
}
