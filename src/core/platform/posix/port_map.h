// The table between COM numbers and Linux serial devices. /dev/ttyS<k> is
// COM k+1; every other device (USB and ACM adapters, a simulator's
// pseudo-terminal) gets the lowest free number the first time it is seen and
// keeps it. Entries are symlinks COM<n> -> device in the ports folder
// ($XDG_CONFIG_HOME/VANTORIX/ports, default ~/.config/VANTORIX/ports), so a
// user can add or change one with `ln -s`. An entry that points at a
// pseudo-terminal counts only while the program that registered it runs.
#pragma once

#include <string>
#include <utility>
#include <vector>

class CComPortMap {
public:
  CComPortMap();                            // the user's ports folder
  explicit CComPortMap(std::string folder); // another folder (tests)
  // Another folder and another sysfs tty class folder (tests).
  CComPortMap(std::string folder, std::string sysClassTty);

  const std::string &Folder() const { return m_folder; }

  // Device path of COM n; false when no present device belongs to n.
  bool TryResolve(int port, std::string &device) const;

  // True when the UART behind /dev/ttyS<index> exists.
  bool IsSerialPortPresent(int index) const;

  // The COM number of the device, registering it under the lowest free
  // number (or under `preferred` when that is free) if it has none yet.
  // A /dev/serial/by-id name is stored where one exists.
  int Register(const std::string &device, int preferred = 0);

  // Removes the entry of COM n, if there is one.
  void Unregister(int port);

  // Every entry (number, link target), by number; entries of pseudo-terminals
  // whose registering program is gone are left out.
  std::vector<std::pair<int, std::string>> Entries() const;

  // The user's ports folder as the environment names it.
  static std::string DefaultFolder();

private:
  std::string EntryPath(int port) const;
  std::string LockPath(int port) const;
  std::vector<std::pair<int, std::string>> AllEntries() const;
  bool IsStale(int port, const std::string &target) const;
  void RemoveStaleEntries();
  std::string AbsoluteTarget(const std::string &target) const;

  std::string m_folder;
  std::string m_sysClassTty = "/sys/class/tty";
};
