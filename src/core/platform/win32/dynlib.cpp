#include "core/platform/dynlib.h"
#include "core/platform/win32/wide_text.h"

#include <utility>
#include <windows.h>

CDynLib::CDynLib(const std::string &path) { Open(path); }

CDynLib::~CDynLib() { Close(); }

CDynLib::CDynLib(CDynLib &&other) noexcept
    : m_handle(std::exchange(other.m_handle, nullptr)), m_path(std::move(other.m_path)),
      m_error(std::move(other.m_error)) {}

CDynLib &CDynLib::operator=(CDynLib &&other) noexcept {
  if (this != &other) {
    Close();
    m_handle = std::exchange(other.m_handle, nullptr);
    m_path = std::move(other.m_path);
    m_error = std::move(other.m_error);
  }
  return *this;
}

bool CDynLib::Open(const std::string &path) {
  Close();
  m_error.clear();
  if (path.find_first_of("/\\") == std::string::npos) {
    // LoadLibrary would search the program's folder, the system folders and PATH for a bare name.
    m_error = "not a path: " + path;
    return false;
  }
  // The library's own dependencies are looked for beside it, not in the working folder.
  HMODULE module = LoadLibraryExW(Utf8ToWide(path).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!module) {
    m_error = SystemErrorText(GetLastError());
    return false;
  }
  m_handle = reinterpret_cast<void *>(module);
  m_path = path;
  return true;
}

void CDynLib::Close() {
  if (m_handle) {
    FreeLibrary(static_cast<HMODULE>(m_handle));
    m_handle = nullptr;
  }
  m_path.clear();
}

void *CDynLib::Symbol(const char *name) {
  if (!m_handle) {
    m_error = "no library loaded";
    return nullptr;
  }
  FARPROC p = GetProcAddress(static_cast<HMODULE>(m_handle), name);
  if (!p) {
    m_error = std::string("symbol not found: ") + name;
    return nullptr;
  }
  return reinterpret_cast<void *>(p);
}
