#include "core/platform/replace_file.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// write() until everything is out; false with errno set on failure.
bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR)
        continue;
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::string ResolveTarget(const std::string &path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    char *resolved = ::realpath(path.c_str(), nullptr);
    if (resolved != nullptr) {
      std::string target = resolved;
      std::free(resolved);
      return target;
    }
  }
  return path;
}

} // namespace

void ReplaceFileContents(const std::string &path, std::string_view bytes) {
  const std::string target = ResolveTarget(path);

  const auto slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string(".") : target.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  if (base.size() > 100)
    base.resize(100);

  static std::atomic<unsigned> counter{0};
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = folder + (slash == std::string::npos ? "/." : ".") + base + "." + std::to_string(::getpid()) +
                "." + std::to_string(counter++) + ".tmp";
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST)
      throw CReplaceFileError(errno, target, false);
  }
  if (fd < 0)
    throw CReplaceFileError(errno, target, false);

  auto fail = [&](int error) {
    if (fd >= 0)
      ::close(fd);
    ::unlink(temporary.c_str());
    return CReplaceFileError(error, target, true);
  };

  struct stat st {};
  if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode))
    ::fchmod(fd, st.st_mode & 07777);

  if (!WriteAll(fd, bytes) || ::fsync(fd) != 0)
    throw fail(errno);
  const int closed = ::close(fd);
  fd = -1;
  if (closed != 0)
    throw fail(errno);
  if (::rename(temporary.c_str(), target.c_str()) != 0)
    throw fail(errno);
}
