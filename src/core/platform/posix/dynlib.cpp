#include "core/platform/dynlib.h"

#include <dlfcn.h>
#include <utility>

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
  if (path.find('/') == std::string::npos) {
    // dlopen would search LD_LIBRARY_PATH and the system folders for a bare name.
    m_error = "not a path: " + path;
    return false;
  }
  m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!m_handle) {
    const char *e = dlerror();
    m_error = e ? e : "cannot load " + path;
    return false;
  }
  m_path = path;
  return true;
}

void CDynLib::Close() {
  if (m_handle) {
    dlclose(m_handle);
    m_handle = nullptr;
  }
  m_path.clear();
}

void *CDynLib::Symbol(const char *name) {
  if (!m_handle) {
    m_error = "no library loaded";
    return nullptr;
  }
  dlerror();
  void *p = dlsym(m_handle, name);
  if (!p) {
    const char *e = dlerror();
    m_error = e ? e : std::string("symbol not found: ") + name;
  }
  return p;
}
