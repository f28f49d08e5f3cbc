#include "core/platform/posix/abort_signal_native.h"

#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/eventfd.h>
#endif

CAbortSignal::CAbortSignal() : m_native(std::make_unique<Native>()) {
#if defined(__linux__)
  m_native->readFd = m_native->writeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
#else
  int fds[2];
  if (::pipe(fds) == 0) {
    for (int fd : fds) {
      ::fcntl(fd, F_SETFD, FD_CLOEXEC);
      ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    m_native->readFd = fds[0];
    m_native->writeFd = fds[1];
  }
#endif
}

CAbortSignal::~CAbortSignal() {
  if (m_native->readFd >= 0)
    ::close(m_native->readFd);
  if (m_native->writeFd >= 0 && m_native->writeFd != m_native->readFd)
    ::close(m_native->writeFd);
}

void CAbortSignal::Raise() {
  if (m_native->writeFd < 0)
    return;
#if defined(__linux__)
  const std::uint64_t one = 1;
  [[maybe_unused]] ssize_t n = ::write(m_native->writeFd, &one, sizeof one);
#else
  const char one = 1;
  [[maybe_unused]] ssize_t n = ::write(m_native->writeFd, &one, 1);
#endif
}

bool CAbortSignal::IsRaised() const {
  if (m_native->readFd < 0)
    return false;
  pollfd p{m_native->readFd, POLLIN, 0};
  return ::poll(&p, 1, 0) > 0 && (p.revents & POLLIN) != 0;
}
