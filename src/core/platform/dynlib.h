// A dynamically loaded library that closes itself. Only a path with a folder
// is accepted, so the loader never goes looking along its search path: the
// program decides exactly which file it trusts.
#pragma once

#include <string>

// The file name ending of a loadable library on this system.
#ifdef _WIN32
#define VELA_LIBRARY_SUFFIX ".dll"
#else
#define VELA_LIBRARY_SUFFIX ".so"
#endif

class CDynLib {
public:
  CDynLib() = default;
  // Same as Open; check IsOpen() for the outcome.
  explicit CDynLib(const std::string &path);
  ~CDynLib();

  CDynLib(CDynLib &&other) noexcept;
  CDynLib &operator=(CDynLib &&other) noexcept;
  CDynLib(const CDynLib &) = delete;
  CDynLib &operator=(const CDynLib &) = delete;

  // Closes any library held, then loads the one at path (resolving every
  // symbol now, keeping them local). False with Error() set on failure.
  bool Open(const std::string &path);
  void Close();
  bool IsOpen() const { return m_handle != nullptr; }

  // Address of the exported symbol, or nullptr (Error() says why).
  void *Symbol(const char *name);

  // The exported function of the given type, or nullptr.
  template <class F> F *Function(const char *name) { return reinterpret_cast<F *>(Symbol(name)); }

  const std::string &Path() const { return m_path; }
  const std::string &Error() const { return m_error; }

private:
  void *m_handle = nullptr;
  std::string m_path;
  std::string m_error;
};
