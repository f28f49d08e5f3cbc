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
  if (const char *old = std::getenv("XDG_CONFIG_HOME")) {
    m_hadXdg = true;
    m_oldXdg = old;
  }
  std::filesystem::create_directories(m_path + "/config");
  setenv("XDG_CONFIG_HOME", (m_path + "/config").c_str(), 1);
  // The history of the instruments, too, stays out of the user's own.
  if (const char *old = std::getenv("XDG_DATA_HOME")) {
    m_hadData = true;
    m_oldData = old;
  }
  setenv("XDG_DATA_HOME", (m_path + "/data").c_str(), 1);
}

ScopedTestHome::~ScopedTestHome() {
  if (m_hadXdg)
    setenv("XDG_CONFIG_HOME", m_oldXdg.c_str(), 1);
  else
    unsetenv("XDG_CONFIG_HOME");
  if (m_hadData)
    setenv("XDG_DATA_HOME", m_oldData.c_str(), 1);
  else
    unsetenv("XDG_DATA_HOME");
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
