#include "core/platform/posix/posix_serial.h"

#include "core/platform/posix/abort_signal_native.h"

#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// A peer that stops taking bytes (a pseudo-terminal nobody reads) must not
// hold the caller forever; a real line without handshake always drains.
constexpr std::chrono::milliseconds kWriteStallLimit{2000};

CPosixSerial::OpenFailure Classify(int error) {
  switch (error) {
  case EBUSY:
  case EWOULDBLOCK:
    return CPosixSerial::OpenFailure::InUse;
  case EACCES:
  case EPERM:
    return CPosixSerial::OpenFailure::Permission;
  case ENOENT:
  case ENXIO:
  case ENODEV:
    return CPosixSerial::OpenFailure::NotPresent;
  default:
    return CPosixSerial::OpenFailure::Other;
  }
}

bool SpeedOf(std::uint32_t baud, speed_t &speed) {
  static const struct {
    std::uint32_t baud;
    speed_t speed;
  } kSpeeds[] = {{50, B50},       {75, B75},         {110, B110},       {134, B134},       {150, B150},
                 {200, B200},     {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
                 {2400, B2400},   {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
                 {57600, B57600}, {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600}};
  for (const auto &s : kSpeeds) {
    if (s.baud == baud) {
      speed = s.speed;
      return true;
    }
  }
  return false;
}

int PollMs(Clock::time_point deadline) {
  auto left = deadline - Clock::now();
  if (left <= Clock::duration::zero())
    return 0;
  // Round up so a wait never ends a fraction of a millisecond early and spins.
  auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
  return ms > 0x7fffffff ? 0x7fffffff : static_cast<int>(ms);
}

bool AbortSignalled(const pollfd &p) { return (p.revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) != 0; }

int AbortFd(const CAbortSignal *abort) { return abort ? abort->GetNative().readFd : -1; }

// Serial devices belong to this group on the common distributions.
constexpr const char *kSerialGroup = "dialout";

} // namespace

CPosixSerial::OpenResult CPosixSerial::Open(const std::string &path) {
  OpenResult result;
  int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    result.error = errno;
    result.failure = Classify(result.error);
    return result;
  }
  // flock keeps out other programs that honour it (and root, which TIOCEXCL
  // does not stop); TIOCEXCL keeps out every other open without privilege.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    result.error = errno;
    result.failure = result.error == EWOULDBLOCK ? OpenFailure::InUse : OpenFailure::Other;
    ::close(fd);
    return result;
  }
  if (::ioctl(fd, TIOCEXCL) != 0) {
    result.error = errno;
    result.failure = Classify(result.error);
    if (result.failure != OpenFailure::InUse)
      result.failure = OpenFailure::Other;
    ::close(fd);
    return result;
  }
  result.port.reset(new CPosixSerial(fd));
  return result;
}

CPosixSerial::~CPosixSerial() {
  ::ioctl(m_fd, TIOCNXCL);
  ::close(m_fd);
}

bool CPosixSerial::Configure(std::uint32_t baud, std::uint8_t byteSize, std::uint8_t parity,
                             std::uint8_t stopBits) {
  speed_t speed;
  if (!SpeedOf(baud, speed) || byteSize < 5 || byteSize > 8 || parity > 2 ||
      (stopBits != 0 && stopBits != 2)) {
    errno = EINVAL;
    return false;
  }
  termios tio{};
  if (::tcgetattr(m_fd, &tio) != 0)
    return false;
  // Start from nothing each time so no flag left behind by another program
  // (echo, CR translation, flow control) survives.
  cfmakeraw(&tio);
  tio.c_iflag = parity != 0 ? INPCK : 0;
  tio.c_oflag = 0;
  tio.c_lflag = 0;
  static const tcflag_t kSize[] = {CS5, CS6, CS7, CS8};
  tio.c_cflag = CLOCAL | CREAD | kSize[byteSize - 5];
  if (parity != 0)
    tio.c_cflag |= PARENB | (parity == 1 ? PARODD : 0);
  if (stopBits == 2)
    tio.c_cflag |= CSTOPB;
  for (auto &c : tio.c_cc)
    c = 0;
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  if (cfsetispeed(&tio, speed) != 0 || cfsetospeed(&tio, speed) != 0)
    return false;
  if (::tcsetattr(m_fd, TCSANOW, &tio) != 0)
    return false;

  // tcsetattr succeeds when any part was taken; check the parts that matter.
  termios now{};
  if (::tcgetattr(m_fd, &now) != 0)
    return false;
  const tcflag_t kMask = CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS | CLOCAL | CREAD;
  if ((now.c_cflag & kMask) != (tio.c_cflag & kMask) || cfgetospeed(&now) != speed ||
      (now.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR)) != 0 ||
      (now.c_lflag & (ICANON | ECHO)) != 0) {
    errno = EINVAL;
    return false;
  }

  // Both modem lines held inactive. A pseudo-terminal has no modem lines.
  int lines = TIOCM_DTR | TIOCM_RTS;
  if (::ioctl(m_fd, TIOCMBIC, &lines) != 0 && errno != ENOTTY && errno != EINVAL)
    return false;
  return true;
}

CSerialLine::OpenResult CSerialLine::Open(const std::string &device) {
  auto opened = CPosixSerial::Open(device);
  return {std::move(opened.port), opened.failure, opened.error};
}

CPosixSerial::ReadResult CPosixSerial::ReadByte(unsigned char &byte, std::chrono::milliseconds timeout,
                                                const CAbortSignal *abort) {
  const int abortFd = AbortFd(abort);
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    pollfd fds[2] = {{m_fd, POLLIN, 0}, {abortFd, POLLIN, 0}};
    int n = ::poll(fds, abortFd >= 0 ? 2 : 1, PollMs(deadline));
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN)
        continue;
      return ReadResult::Error;
    }
    if (abortFd >= 0 && AbortSignalled(fds[1]))
      return ReadResult::Aborted;
    if (n == 0) {
      if (Clock::now() >= deadline)
        return ReadResult::Timeout;
      continue;
    }
    // Bytes still queued are delivered before a hang-up is reported.
    if (fds[0].revents & POLLIN) {
      ssize_t r = ::read(m_fd, &byte, 1);
      if (r == 1)
        return ReadResult::Byte;
      if (r == 0)
        return ReadResult::HangUp; // ready but empty: the other end is gone
      if (errno == EINTR || errno == EAGAIN)
        continue;
      return errno == EIO ? ReadResult::HangUp : ReadResult::Error;
    }
    if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL))
      return ReadResult::HangUp;
  }
}

bool CPosixSerial::Write(const void *data, std::size_t size, const CAbortSignal *abort) {
  const int abortFd = AbortFd(abort);
  const auto *p = static_cast<const unsigned char *>(data);
  auto stallDeadline = Clock::now() + kWriteStallLimit;
  while (size > 0) {
    ssize_t w = ::write(m_fd, p, size);
    if (w > 0) {
      p += w;
      size -= static_cast<std::size_t>(w);
      stallDeadline = Clock::now() + kWriteStallLimit;
      continue;
    }
    if (w < 0 && errno == EINTR)
      continue;
    if (w < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
      return false;
    pollfd fds[2] = {{m_fd, POLLOUT, 0}, {abortFd, POLLIN, 0}};
    int n = ::poll(fds, abortFd >= 0 ? 2 : 1, PollMs(stallDeadline));
    if (n < 0 && errno != EINTR && errno != EAGAIN)
      return false;
    if (n > 0 && abortFd >= 0 && AbortSignalled(fds[1]))
      return false;
    if (n > 0 && (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) && !(fds[0].revents & POLLOUT))
      return false;
    if (n == 0 && Clock::now() >= stallDeadline)
      return false;
  }
  while (::tcdrain(m_fd) != 0 && errno == EINTR) {
  }
  return true;
}

void CPosixSerial::FlushInput() { ::tcflush(m_fd, TCIFLUSH); }

CSerialAccess DiagnoseSerialAccess(const std::string &device) {
  CSerialAccess access;
  // The group the device belongs to, or the usual one when it belongs to root.
  const struct group *gr = nullptr;
  struct stat st {};
  if (::stat(device.c_str(), &st) == 0 && st.st_gid != 0)
    gr = ::getgrgid(st.st_gid);
  if (!gr)
    gr = ::getgrnam(kSerialGroup);
  if (!gr)
    return access;
  const gid_t gid = gr->gr_gid;
  const std::string groupName = gr->gr_name;

  bool inSession = ::getegid() == gid;
  int count = ::getgroups(0, nullptr);
  std::vector<gid_t> groups(static_cast<std::size_t>(count > 0 ? count : 0) + 1);
  count = ::getgroups(static_cast<int>(groups.size()), groups.data());
  for (int i = 0; i < count && !inSession; ++i)
    inSession = groups[static_cast<std::size_t>(i)] == gid;
  if (inSession)
    return access; // something other than the group

  // Listed in the group database but not in this session's groups: the
  // membership takes effect at the next login.
  bool listed = false;
  if (const passwd *pw = ::getpwuid(::geteuid())) {
    const std::string user = pw->pw_name ? pw->pw_name : "";
    listed = pw->pw_gid == gid;
    if (const struct group *again = ::getgrgid(gid)) {
      for (char **m = again->gr_mem; m && *m && !listed; ++m)
        listed = user == *m;
    }
  }
  access.kind = listed ? CSerialAccess::Kind::NeedsLogin : CSerialAccess::Kind::NotInGroup;
  access.group = groupName;
  return access;
}
