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
