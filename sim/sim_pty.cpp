#include "kt5rs_simulator_impl.h"

#include "core/platform/posix/port_map.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

using namespace kt5rs;

std::string CKT5RSSimulator::Impl::OpenPty() {
  int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0)
    throw std::runtime_error(std::string("posix_openpt: ") + std::strerror(errno));
  char name[128];
  if (::grantpt(master) != 0 || ::unlockpt(master) != 0 || ::ptsname_r(master, name, sizeof name) != 0) {
    const int e = errno;
    ::close(master);
    throw std::runtime_error(std::string("pseudo-terminal set-up: ") + std::strerror(e));
  }
  ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
  termios tio{};
  if (::tcgetattr(master, &tio) == 0) {
    cfmakeraw(&tio);
    cfsetispeed(&tio, B9600);
    cfsetospeed(&tio, B9600);
    ::tcsetattr(master, TCSANOW, &tio);
  }
  // Until the program configures the line, it must not echo our replies back
  // to us as commands.
  int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  if (slave < 0) {
    const int e = errno;
    ::close(master);
    throw std::runtime_error(std::string("open ") + name + ": " + std::strerror(e));
  }
  if (::tcgetattr(slave, &tio) == 0) {
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    cfsetispeed(&tio, B9600);
    cfsetospeed(&tio, B9600);
    ::tcsetattr(slave, TCSANOW, &tio);
  }
  m_master = master;
  m_slave = slave;
  return name;
}

void CKT5RSSimulator::Impl::ClosePty() {
  CloseFd(m_master);
  CloseFd(m_slave);
}

void CKT5RSSimulator::Impl::Publish(const std::string &path, int preferred) {
  int n = 0;
  if (opt.registerPort) {
    CComPortMap map = opt.portMapFolder.empty() ? CComPortMap() : CComPortMap(opt.portMapFolder);
    int old = 0;
    {
      std::lock_guard lock(mx);
      old = com;
    }
    if (old > 0)
      map.Unregister(old);
    n = map.Register(path, preferred);
  }
  std::lock_guard lock(mx);
  slavePath = path;
  com = n;
}

void CKT5RSSimulator::Impl::RemoveEntry(int n) {
  if (n <= 0 || !opt.registerPort)
    return;
  try {
    CComPortMap map = opt.portMapFolder.empty() ? CComPortMap() : CComPortMap(opt.portMapFolder);
    map.Unregister(n);
  } catch (...) {
    // The entry may already be gone; ending or hanging up must not fail because of it.
  }
}

void CKT5RSSimulator::Impl::HangUp() {
  ClosePty();
  // The closed pseudo-terminal's number goes back to the kernel and may soon
  // belong to another program's terminal: the COM entry must not lead there.
  // A reopen registers the new path under the same number again.
  {
    std::unique_lock lock(mx);
    const int n = com;
    lock.unlock();
    RemoveEntry(n);
  }
  m_out.clear();
  m_in.clear();
  m_inText.clear();
  m_inOverlong = false;
  if (opt.reopenAfterHangupMs >= 0) {
    m_reopenPending = true;
    m_reopenAt = Clock::now() + std::chrono::milliseconds(opt.reopenAfterHangupMs);
  }
  std::lock_guard lock(mx);
  quiet = true;
  cv.notify_all();
}
