#include "core/platform/exe_path.h"

#include <climits>
#include <unistd.h>
#include <vector>

std::string ExecutablePath() {
  // The link's target may be longer than PATH_MAX on some file systems; grow
  // the buffer until readlink no longer fills it.
  std::vector<char> buf(PATH_MAX);
  for (;;) {
    ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
    if (n < 0)
      return {};
    if (static_cast<size_t>(n) < buf.size())
      return std::string(buf.data(), static_cast<size_t>(n));
    buf.resize(buf.size() * 2);
  }
}

std::string ExecutableDir() {
  std::string path = ExecutablePath();
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos)
    return {};
  if (slash == 0)
    return "/";
  return path.substr(0, slash);
}

std::string ExecutableBaseName() {
  std::string path = ExecutablePath();
  std::size_t slash = path.rfind('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  // A leading dot names a hidden file, it does not start an extension.
  std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0)
    name.erase(dot);
  return name;
}
