#include "core/platform/replace_file.h"
#include "core/platform/win32/wide_text.h"

#include <windows.h>

namespace {

// The file a symbolic link leads to, so the link keeps pointing where it did.
std::wstring ResolveTarget(const std::wstring &path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
    return path;
  HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return path;
  std::wstring resolved(MAX_PATH, L'\0');
  DWORD n = GetFinalPathNameByHandleW(file, resolved.data(), static_cast<DWORD>(resolved.size()), 0);
  if (n >= resolved.size()) {
    resolved.resize(n + 1);
    n = GetFinalPathNameByHandleW(file, resolved.data(), static_cast<DWORD>(resolved.size()), 0);
  }
  CloseHandle(file);
  if (n == 0 || n >= resolved.size())
    return path;
  resolved.resize(n);
  return resolved;
}

bool WriteAll(HANDLE file, std::string_view data) {
  while (!data.empty()) {
    const DWORD chunk = data.size() > 1u << 30 ? 1u << 30 : static_cast<DWORD>(data.size());
    DWORD written = 0;
    if (!WriteFile(file, data.data(), chunk, &written, nullptr))
      return false;
    data.remove_prefix(written);
  }
  return true;
}

} // namespace

void ReplaceFileContents(const std::string &path, std::string_view bytes) {
  const std::wstring target = ResolveTarget(Utf8ToWide(path));
  const auto slash = target.find_last_of(L"/\\");
  const std::wstring folder = slash == std::wstring::npos ? std::wstring(L".") : target.substr(0, slash);

  // GetTempFileName makes a new, empty file of a unique name in the folder.
  wchar_t temporary[MAX_PATH + 16] = {};
  if (folder.size() > MAX_PATH - 14 || GetTempFileNameW(folder.c_str(), L"vel", 0, temporary) == 0)
    throw CReplaceFileError(Win32Error(folder.size() > MAX_PATH - 14 ? ERROR_FILENAME_EXCED_RANGE : GetLastError()),
                            path, false);

  auto fail = [&](DWORD error) {
    DeleteFileW(temporary);
    return CReplaceFileError(Win32Error(error), path, true);
  };

  HANDLE file = CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    throw fail(GetLastError());
  if (!WriteAll(file, bytes) || !FlushFileBuffers(file)) {
    const DWORD error = GetLastError();
    CloseHandle(file);
    throw fail(error);
  }
  CloseHandle(file);

  // ReplaceFile keeps the replaced file's attributes and security; a file
  // that does not exist yet is simply moved into place.
  if (GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
    if (ReplaceFileW(target.c_str(), temporary, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
      return;
  }
  if (!MoveFileExW(temporary, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    throw fail(GetLastError());
}
