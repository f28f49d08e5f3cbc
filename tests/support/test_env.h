// Test surroundings that never touch the user's real settings or port map.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

// A fresh temporary folder, removed with everything in it at the end of the
// scope. While it lives, XDG_CONFIG_HOME, XDG_DATA_HOME and XDG_STATE_HOME
// point into it.
class ScopedTestHome {
public:
  ScopedTestHome();
  ~ScopedTestHome();
  ScopedTestHome(const ScopedTestHome &) = delete;
  ScopedTestHome &operator=(const ScopedTestHome &) = delete;

  const std::string &Path() const { return m_path; }
  std::string File(const std::string &name) const { return m_path + "/" + name; }

private:
  std::string m_path;
  // Each variable set, with the value it had before.
  std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

// Whole content of a file, or empty when it cannot be read.
std::string ReadWholeFile(const std::string &path);
void WriteWholeFile(const std::string &path, const std::string &content);
