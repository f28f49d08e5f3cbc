#include "core/platform/posix/port_map.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <pwd.h>
#include <set>
#include <sys/file.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// An exclusive flock on a ".lock" file in the ports folder, held for one
// registration. Without the folder (read-only home) registration goes on
// unlocked; symlink() still keeps two entries from sharing a number.
class CFolderLock {
public:
  explicit CFolderLock(const std::string &folder)
      : m_fd(::open((folder + "/.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
    if (m_fd >= 0) {
      while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
      }
    }
  }
  ~CFolderLock() {
    if (m_fd >= 0)
      ::close(m_fd); // releases the lock
  }
  CFolderLock(const CFolderLock &) = delete;
  CFolderLock &operator=(const CFolderLock &) = delete;

private:
  int m_fd;
};

// A pseudo-terminal belongs to the program that made it (a simulator): once
// that program is gone, its number may be handed to any other terminal. So
// the program registering one holds an exclusive flock on "COMn.lock" beside
// the entry for as long as it serves, and an entry whose lock nobody holds
// is stale. The kernel drops the lock with the last descriptor, also when
// the program is killed.
std::mutex g_heldMutex;
std::map<std::string, int> g_heldLocks; // lock file -> descriptor, this process

bool IsPseudoTerminal(const std::string &target) {
  std::error_code ec;
  const fs::path p = fs::canonical(target, ec);
  return (ec ? target : p.string()).rfind("/dev/pts/", 0) == 0;
}

// Takes the lock of an entry for this process; false when another holds it.
bool HoldLock(const std::string &lockPath) {
  const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0)
    return false;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  std::lock_guard lock(g_heldMutex);
  auto [it, added] = g_heldLocks.emplace(lockPath, fd);
  if (!added) {
    ::close(it->second);
    it->second = fd;
  }
  return true;
}

void ReleaseLock(const std::string &lockPath) {
  std::lock_guard lock(g_heldMutex);
  auto it = g_heldLocks.find(lockPath);
  if (it == g_heldLocks.end())
    return;
  ::close(it->second);
  g_heldLocks.erase(it);
}

// True while some program (this one included) holds the lock.
bool LockIsHeld(const std::string &lockPath) {
  const int fd = ::open(lockPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return false;
  const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  ::close(fd); // also gives back a shared lock just taken
  return held;
}

// Windows numbers its ports up to 255; a larger map is someone's mistake.
constexpr int kMaxPort = 255;

// "COM12" -> 12; 0 for anything else (leading zeros and signs included, so
// that each number has exactly one entry name).
int EntryNumber(const std::string &name) {
  if (name.size() < 4 || name.compare(0, 3, "COM") != 0 || name[3] < '1' || name[3] > '9')
    return 0;
  int n = 0;
  for (std::size_t i = 3; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9')
      return 0;
    n = n * 10 + (name[i] - '0');
    if (n > kMaxPort)
      return 0;
  }
  return n;
}

// "/dev/ttyS4" -> 4; -1 for any other device.
int SerialIndex(const std::string &device) {
  const std::string prefix = "/dev/ttyS";
  if (device.size() <= prefix.size() || device.compare(0, prefix.size(), prefix) != 0)
    return -1;
  int n = 0;
  for (std::size_t i = prefix.size(); i < device.size(); ++i) {
    if (device[i] < '0' || device[i] > '9' || n > 10000)
      return -1;
    n = n * 10 + (device[i] - '0');
  }
  return n;
}

std::string Canonical(const std::string &path) {
  std::error_code ec;
  fs::path p = fs::canonical(path, ec);
  return ec ? std::string() : p.string();
}

// A /dev/serial/by-id name of the device: it survives re-plugging into
// another USB socket, where /dev/ttyUSB<n> may change.
std::string ByIdName(const std::string &canonical) {
  std::error_code ec;
  for (fs::directory_iterator it("/dev/serial/by-id", ec), end; !ec && it != end; it.increment(ec)) {
    if (Canonical(it->path().string()) == canonical)
      return it->path().string();
  }
  return {};
}

} // namespace

CComPortMap::CComPortMap() : m_folder(DefaultFolder()) {}

CComPortMap::CComPortMap(std::string folder) : m_folder(std::move(folder)) {}

CComPortMap::CComPortMap(std::string folder, std::string sysClassTty)
    : m_folder(std::move(folder)), m_sysClassTty(std::move(sysClassTty)) {}

std::string CComPortMap::DefaultFolder() {
  const char *xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg == '/')
    return std::string(xdg) + "/VANTORIX/ports";
  std::string home;
  if (const char *h = std::getenv("HOME"); h && *h)
    home = h;
  else if (const passwd *pw = getpwuid(getuid()))
    home = pw->pw_dir;
  return home + "/.config/VANTORIX/ports";
}

std::string CComPortMap::EntryPath(int port) const { return m_folder + "/COM" + std::to_string(port); }

std::string CComPortMap::LockPath(int port) const { return EntryPath(port) + ".lock"; }

bool CComPortMap::IsStale(int port, const std::string &target) const {
  return IsPseudoTerminal(target) && !LockIsHeld(LockPath(port));
}

void CComPortMap::RemoveStaleEntries() {
  for (const auto &[n, target] : AllEntries()) {
    if (IsStale(n, target)) {
      ::unlink(EntryPath(n).c_str());
      ::unlink(LockPath(n).c_str());
    }
  }
}

std::string CComPortMap::AbsoluteTarget(const std::string &target) const {
  // A hand-made `ln -s ttyUSB0 COM5` is relative to the ports folder.
  if (!target.empty() && target[0] != '/')
    return m_folder + "/" + target;
  return target;
}

// The kernel creates ttyS0..ttyS31 (or more) whether or not a UART answers at
// those addresses; the placeholders report type 0 (PORT_UNKNOWN). A port is
// present when its sysfs "type" names a real UART.
bool CComPortMap::IsSerialPortPresent(int index) const {
  if (index < 0)
    return false;
  std::ifstream in(m_sysClassTty + "/ttyS" + std::to_string(index) + "/type");
  int type = 0;
  return in >> type && type != 0;
}

bool CComPortMap::TryResolve(int port, std::string &device) const {
  if (port < 1 || port > kMaxPort)
    return false;
  // A present UART owns its number; an entry under that number is a leftover.
  if (IsSerialPortPresent(port - 1)) {
    device = "/dev/ttyS" + std::to_string(port - 1);
    return true;
  }
  std::error_code ec;
  fs::path link = EntryPath(port);
  if (!fs::is_symlink(link, ec))
    return false;
  std::string target = AbsoluteTarget(fs::read_symlink(link, ec).string());
  if (ec || !fs::exists(target, ec) || IsStale(port, target))
    return false;
  device = target;
  return true;
}

std::vector<std::pair<int, std::string>> CComPortMap::Entries() const {
  auto entries = AllEntries();
  std::erase_if(entries, [this](const auto &entry) { return IsStale(entry.first, entry.second); });
  return entries;
}

std::vector<std::pair<int, std::string>> CComPortMap::AllEntries() const {
  std::vector<std::pair<int, std::string>> entries;
  std::error_code ec;
  for (fs::directory_iterator it(m_folder, ec), end; !ec && it != end; it.increment(ec)) {
    int n = EntryNumber(it->path().filename().string());
    std::error_code lec;
    if (n == 0 || !it->is_symlink(lec))
      continue;
    fs::path target = fs::read_symlink(it->path(), lec);
    if (!lec)
      entries.emplace_back(n, AbsoluteTarget(target.string()));
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

int CComPortMap::Register(const std::string &device, int preferred) {
  std::string canonical = Canonical(device);
  std::string identity = canonical.empty() ? device : canonical;

  int serial = SerialIndex(identity);
  if (serial >= 0 && IsSerialPortPresent(serial))
    return serial + 1;

  auto sameDevice = [&](const std::string &target) {
    std::string c = Canonical(target);
    return c.empty() ? target == device || target == identity : c == identity;
  };

  std::error_code ec;
  fs::create_directories(m_folder, ec);

  // Two programs registering the same device at once must not give it two
  // numbers: the look-up and the new entry happen under one lock on the folder.
  CFolderLock lock(m_folder);
  RemoveStaleEntries();

  std::set<int> held;
  for (const auto &[n, target] : Entries()) {
    if (sameDevice(target))
      return n;
    held.insert(n);
  }

  std::string target = canonical.empty() ? device : ByIdName(canonical);
  if (target.empty())
    target = canonical;

  auto isFree = [&](int n) { return !held.count(n) && !IsSerialPortPresent(n - 1); };
  std::vector<int> order;
  if (preferred >= 1 && preferred <= kMaxPort && isFree(preferred))
    order.push_back(preferred);
  for (int n = 1; n <= kMaxPort; ++n) {
    if (n != preferred && isFree(n))
      order.push_back(n);
  }

  const bool owned = IsPseudoTerminal(target);
  for (int n : order) {
    // The lock comes first, so the entry is never seen without its owner.
    if (owned && !HoldLock(LockPath(n)))
      continue;
    // symlink() either creates the entry or fails with EEXIST: two programs
    // registering at once never share a number.
    if (::symlink(target.c_str(), EntryPath(n).c_str()) != 0) {
      const int error = errno;
      if (owned)
        ReleaseLock(LockPath(n));
      if (error == EEXIST)
        continue;
      return 0;
    }
    // The other program may have registered the same device under another
    // number meanwhile; both keep the lowest and drop the rest.
    int lowest = n;
    for (const auto &[m, t] : Entries()) {
      if (m < lowest && sameDevice(t))
        lowest = m;
    }
    if (lowest != n) {
      ::unlink(EntryPath(n).c_str());
      if (owned)
        ReleaseLock(LockPath(n));
    }
    return lowest;
  }
  return 0;
}

void CComPortMap::Unregister(int port) {
  std::error_code ec;
  fs::path link = EntryPath(port);
  // Under the folder lock: a registration running meanwhile must not take
  // the lock file just before it is removed.
  CFolderLock lock(m_folder);
  if (fs::is_symlink(link, ec))
    fs::remove(link, ec);
  bool mine = false;
  {
    std::lock_guard held(g_heldMutex);
    mine = g_heldLocks.count(LockPath(port)) != 0;
  }
  if (mine) {
    ::unlink(LockPath(port).c_str());
    ReleaseLock(LockPath(port));
  }
}
