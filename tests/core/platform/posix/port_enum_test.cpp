// The two Linux sources of the COM port list, read from a made-up sysfs and
// device folder.
#include "core/platform/posix/port_enum.h"
#include "core/platform/posix/port_map.h"
#include "pty_peer.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Names(const std::vector<CPortRecord> &list) {
  std::vector<std::string> names;
  for (const auto &r : list)
    names.push_back(r.name);
  return names;
}

class PortEnumTest : public ::testing::Test {
protected:
  PortEnumTest() {
    fs::create_directories(dev);
    // A UART, a placeholder UART, an FTDI adapter, a CDC-ACM device without
    // USB strings, and a console that is no serial port.
    AddTty("ttyS0", "devices/platform/serial8250/ttyS0");
    WriteWholeFile(sys + "/ttyS0/type", "4\n");
    AddTty("ttyS1", "devices/platform/serial8250/ttyS1");
    WriteWholeFile(sys + "/ttyS1/type", "0\n");
    std::string usb = root + "/devices/pci0000:00/usb1/1-2";
    AddTty("ttyUSB0", "devices/pci0000:00/usb1/1-2/1-2:1.0/ttyUSB0");
    WriteWholeFile(usb + "/idVendor", "0403\n");
    WriteWholeFile(usb + "/manufacturer", "FTDI\n");
    WriteWholeFile(usb + "/product", "FT232R USB UART\n");
    AddTty("ttyACM0", "devices/pci0000:00/usb1/1-3/1-3:1.0");
    AddTty("tty1", "devices/virtual/tty1");
  }

  void AddTty(const std::string &name, const std::string &deviceDir) {
    fs::create_directories(root + "/" + deviceDir);
    fs::create_directories(sys + "/" + name);
    fs::create_symlink(root + "/" + deviceDir, sys + "/" + name + "/device");
    WriteWholeFile(dev + "/" + name, "");
  }

  ScopedTestHome home;
  std::string root = home.File("sys");
  std::string sys = home.File("sys/class/tty");
  std::string dev = home.File("dev");
  CComPortMap map{home.File("ports"), sys};
};

TEST_F(PortEnumTest, ListsSerialDevicesAndMapEntries) {
  WriteWholeFile(dev + "/pts7", "");
  ASSERT_EQ(map.Register(dev + "/pts7", 9), 9);
  map.Register(home.File("gone"), 11); // the device of COM11 is not there
  std::vector<CPortRecord> list = {MakeMapRecord(99, "stale")};
  EnumeratePorts(list, map, sys, dev);

  ASSERT_EQ(Names(list), (std::vector<std::string>{"COM1", "COM2", "COM3", "COM9"}));
  EXPECT_EQ(list[0].display, dev + "/ttyS0 (COM1)");
  EXPECT_EQ(list[0].device, dev + "/ttyS0");
  // ttyACM0 comes first by name and gets the first free number.
  EXPECT_EQ(list[1].display, dev + "/ttyACM0 (COM2)");
  EXPECT_EQ(list[2].display, "FTDI FT232R USB UART (COM3)");
  EXPECT_EQ(list[2].device, dev + "/ttyUSB0");
  EXPECT_EQ(list[3].display, dev + "/pts7 (COM9)");
}

TEST_F(PortEnumTest, NumbersStayAcrossEnumerations) {
  std::vector<CPortRecord> first;
  EnumeratePorts(first, map, sys, dev);
  // A new adapter that sorts first by name must not take the others' numbers.
  AddTty("ttyACL0", "devices/x"); // not a serial name: ignored
  AddTty("ttyACM1", "devices/pci0000:00/usb1/1-4/1-4:1.0");
  CComPortMap again{home.File("ports"), sys};
  std::vector<CPortRecord> second;
  EnumeratePorts(second, again, sys, dev);
  ASSERT_EQ(Names(second), (std::vector<std::string>{"COM1", "COM2", "COM3", "COM4"}));
  EXPECT_EQ(second[1].device, dev + "/ttyACM0");
  EXPECT_EQ(second[2].device, dev + "/ttyUSB0");
  EXPECT_EQ(second[3].device, dev + "/ttyACM1");
}

TEST_F(PortEnumTest, DeviceWithoutNodeOrSysfsDeviceIsLeftOut) {
  fs::remove(dev + "/ttyUSB0");
  fs::create_directories(sys + "/ttyUSB5"); // no device link
  WriteWholeFile(dev + "/ttyUSB5", "");
  std::vector<CPortRecord> list;
  EnumeratePorts(list, map, sys, dev);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"COM1", "COM2"}));
}

TEST_F(PortEnumTest, PseudoTerminalIsListedOnlyWhileItsRegisteringProgramRuns) {
  // A terminal that outlives the program that registered it, as a reused
  // /dev/pts number does after a simulator was killed.
  CPtyPeer terminal;
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    const int n = CComPortMap(home.File("ports"), sys).Register(terminal.SlavePath(), 9);
    [[maybe_unused]] auto w = ::write(ready[1], &n, sizeof n);
    ::pause();
    ::_exit(0);
  }
  int registered = 0;
  ASSERT_EQ(::read(ready[0], &registered, sizeof registered), static_cast<ssize_t>(sizeof registered));
  ::close(ready[0]);
  ::close(ready[1]);
  ASSERT_EQ(registered, 9);
  std::vector<CPortRecord> list;
  EnumeratePorts(list, map, sys, dev);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"COM1", "COM2", "COM3", "COM9"}));

  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
  EnumeratePorts(list, map, sys, dev);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"COM1", "COM2", "COM3"}));
  std::string device;
  EXPECT_FALSE(map.TryResolve(9, device));

  // The number is free again for a program that serves the terminal.
  EXPECT_EQ(map.Register(terminal.SlavePath(), 9), 9);
  EnumeratePorts(list, map, sys, dev);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"COM1", "COM2", "COM3", "COM9"}));
  map.Unregister(9);
}

TEST_F(PortEnumTest, UnreadableSourcesGiveAnEmptyList) {
  CComPortMap nowhere{home.File("no-ports"), home.File("no-sys")};
  std::vector<CPortRecord> list = {MakeMapRecord(1, "x")};
  EnumeratePorts(list, nowhere, home.File("no-sys"), dev);
  EXPECT_TRUE(list.empty());
}

} // namespace
