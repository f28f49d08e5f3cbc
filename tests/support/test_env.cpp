#include "test_env.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

ScopedTestHome::ScopedTestHome() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "vela-test-XXXXXX").string();
  if (!mkdtemp(tmpl.data()))
    throw std::runtime_error("mkdtemp failed");
  m_path = tmpl;
  // Settings, the instruments' history and the log stay out of the user's own.
  for (const char *name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"}) {
    const char *old = std::getenv(name);
    m_saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
  }
  std::filesystem::create_directories(m_path + "/config");
  setenv("XDG_CONFIG_HOME", (m_path + "/config").c_str(), 1);
  setenv("XDG_DATA_HOME", (m_path + "/data").c_str(), 1);
  setenv("XDG_STATE_HOME", (m_path + "/state").c_str(), 1);
}

ScopedTestHome::~ScopedTestHome() {
  for (const auto &[name, old] : m_saved) {
    if (old)
      setenv(name.c_str(), old->c_str(), 1);
    else
      unsetenv(name.c_str());
  }
  std::error_code ec;
  std::filesystem::remove_all(m_path, ec);
}

std::string ReadWholeFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteWholeFile(const std::string &path, const std::string &content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}
