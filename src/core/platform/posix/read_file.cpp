#include "core/platform/read_file.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool ReadFileContents(const std::string &path, std::size_t limit, std::string &bytes) {
  bytes.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || (S_ISREG(st.st_mode) && static_cast<std::uint64_t>(st.st_size) > limit)) {
    // The caller tells the user why: a file over the limit says so.
    const int reason = st.st_size > 0 ? EFBIG : errno;
    ::close(fd);
    errno = reason;
    return false;
  }
  if (S_ISREG(st.st_mode))
    bytes.reserve(static_cast<std::size_t>(st.st_size));
  bool ok = true;
  char buffer[16384];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR)
        continue;
      ok = false;
      break;
    }
    if (n == 0)
      break;
    // The file may grow while it is read, or be no regular file at all.
    if (bytes.size() + static_cast<std::size_t>(n) > limit) {
      errno = EFBIG;
      ok = false;
      break;
    }
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  const int reason = errno;
  ::close(fd);
  if (!ok)
    errno = reason;
  return ok;
}
