#include "core/platform/exe_path.h"

#include <filesystem>

std::string ExecutableDir() { return std::filesystem::path(ExecutablePath()).parent_path().string(); }

std::string ExecutableBaseName() {
  // stem() keeps a leading dot: it names a hidden file, it does not start an extension.
  return std::filesystem::path(ExecutablePath()).stem().string();
}
