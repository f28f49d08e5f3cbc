// The COM number table on real folders, with a made-up sysfs tty class so the
// machine's own UARTs do not decide the numbers.
#include "core/platform/posix/port_map.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The device behind COM n; empty when the number does not resolve.
std::string DeviceOf(const CComPortMap &map, int port) {
  std::string device;
  return map.TryResolve(port, device) ? device : std::string();
}

class PortMapTest : public ::testing::Test {
protected:
  PortMapTest() {
    fs::create_directories(sys);
    // ttyS0 and ttyS2 have a UART behind them; ttyS1 is a placeholder.
    AddSerial(0, "4");
    AddSerial(1, "0");
    AddSerial(2, "4");
    fs::create_directories(home.File("dev"));
  }

  void AddSerial(int index, const std::string &type) {
    fs::create_directories(sys + "/ttyS" + std::to_string(index));
    WriteWholeFile(sys + "/ttyS" + std::to_string(index) + "/type", type + "\n");
  }

  // A stand-in device node: a file that exists.
  std::string Device(const std::string &name) {
    std::string path = home.File("dev/" + name);
    WriteWholeFile(path, "");
    return path;
  }

  CComPortMap Map() const { return CComPortMap(folder, sys); }

  ScopedTestHome home;
  std::string sys = home.File("sys/class/tty");
  std::string folder = home.File("ports");
};

TEST_F(PortMapTest, PresenceFollowsTheUartType) {
  CComPortMap map = Map();
  EXPECT_TRUE(map.IsSerialPortPresent(0));
  EXPECT_FALSE(map.IsSerialPortPresent(1));
  EXPECT_TRUE(map.IsSerialPortPresent(2));
  EXPECT_FALSE(map.IsSerialPortPresent(3)); // no sysfs entry at all
}

TEST_F(PortMapTest, NewDevicesTakeTheLowestNumbersNotHeldByAUart) {
  CComPortMap map = Map();
  EXPECT_EQ(map.Register(Device("ttyUSB0")), 2);
  EXPECT_EQ(map.Register(Device("ttyUSB1")), 4);
  EXPECT_EQ(map.Register(Device("ttyACM0")), 5);
  EXPECT_TRUE(fs::is_symlink(folder + "/COM2"));
  EXPECT_EQ(fs::read_symlink(folder + "/COM4").string(), home.File("dev/ttyUSB1"));
}

TEST_F(PortMapTest, RegisterIsIdempotentAndNumbersPersist) {
  std::string a = Device("ttyUSB0");
  std::string b = Device("ttyUSB1");
  {
    CComPortMap map = Map();
    EXPECT_EQ(map.Register(a), 2);
    EXPECT_EQ(map.Register(b), 4);
    EXPECT_EQ(map.Register(a), 2);
  }
  CComPortMap later = Map();
  EXPECT_EQ(later.Register(b), 4);
  EXPECT_EQ(DeviceOf(later, 2), a);
  EXPECT_EQ(DeviceOf(later, 4), b);
  auto entries = later.Entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0], std::make_pair(2, a));
  EXPECT_EQ(entries[1], std::make_pair(4, b));
}

TEST_F(PortMapTest, SameDeviceByAnotherPathKeepsItsNumber) {
  std::string a = Device("ttyUSB0");
  CComPortMap map = Map();
  EXPECT_EQ(map.Register(a), 2);
  fs::create_symlink(a, home.File("dev/alias"));
  EXPECT_EQ(map.Register(home.File("dev/alias")), 2);
}

TEST_F(PortMapTest, PreferredNumberWhenFree) {
  CComPortMap map = Map();
  EXPECT_EQ(map.Register(Device("a"), 7), 7);
  EXPECT_EQ(map.Register(Device("b"), 7), 2);
  EXPECT_EQ(map.Register(Device("c"), 3), 4); // 3 belongs to ttyS2
}

TEST_F(PortMapTest, UnregisterFreesTheNumber) {
  CComPortMap map = Map();
  EXPECT_EQ(map.Register(Device("a")), 2);
  EXPECT_EQ(map.Register(Device("b")), 4);
  map.Unregister(2);
  map.Unregister(2); // nothing left to remove
  EXPECT_EQ(map.Register(Device("c")), 2);
  EXPECT_EQ(DeviceOf(map, 2), home.File("dev/c"));
}

TEST_F(PortMapTest, UartNumbersResolveToTheirDevice) {
  CComPortMap map = Map();
  EXPECT_EQ(DeviceOf(map, 1), "/dev/ttyS0");
  EXPECT_EQ(DeviceOf(map, 3), "/dev/ttyS2");
}

TEST_F(PortMapTest, MissingNumberIsNotPresent) {
  CComPortMap map = Map();
  std::string device;
  for (int port : {2, 5, 0, -1, 100000})
    EXPECT_FALSE(map.TryResolve(port, device)) << "resolved COM" << port;
}

TEST_F(PortMapTest, EntryOfAVanishedDeviceKeepsItsNumberButDoesNotResolve) {
  CComPortMap map = Map();
  std::string a = Device("ttyUSB0");
  EXPECT_EQ(map.Register(a), 2);
  fs::remove(a);
  std::string device;
  EXPECT_FALSE(map.TryResolve(2, device));
  EXPECT_EQ(map.Register(Device("ttyUSB1")), 4); // 2 still belongs to the absent adapter
  WriteWholeFile(a, "");                         // plugged in again
  EXPECT_EQ(map.Register(a), 2);
}

TEST_F(PortMapTest, HandMadeEntriesCount) {
  fs::create_directories(folder);
  Device("ttyUSB0");
  fs::create_symlink("../dev/ttyUSB0", folder + "/COM6");          // relative to the folder
  WriteWholeFile(folder + "/COM7", "");                            // not a link: ignored
  fs::create_symlink(home.File("dev/ttyUSB0"), folder + "/COM08"); // not a canonical name: ignored
  CComPortMap map = Map();
  auto entries = map.Entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].first, 6);
  EXPECT_EQ(fs::canonical(DeviceOf(map, 6)), fs::canonical(home.File("dev/ttyUSB0")));
  EXPECT_EQ(map.Register(home.File("dev/ttyUSB0")), 6);
}

TEST_F(PortMapTest, ConcurrentRegistrationsNeverShareANumber) {
  std::vector<std::string> devices;
  for (int i = 0; i < 8; ++i)
    devices.push_back(Device("ttyUSB" + std::to_string(i)));
  std::vector<int> numbers(devices.size() * 2);
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    // Every device is registered twice at once, from two "programs".
    threads.emplace_back([&, i] { numbers[i] = Map().Register(devices[i % devices.size()]); });
  }
  for (auto &t : threads)
    t.join();
  std::set<int> distinct;
  for (std::size_t i = 0; i < devices.size(); ++i) {
    EXPECT_EQ(numbers[i], numbers[i + devices.size()]) << devices[i];
    EXPECT_GT(numbers[i], 0);
    distinct.insert(numbers[i]);
  }
  EXPECT_EQ(distinct.size(), devices.size());
  EXPECT_EQ(Map().Entries().size(), devices.size());
}

TEST(PortMapFolder, FollowsXdgConfigHome) {
  ScopedTestHome home;
  EXPECT_EQ(CComPortMap().Folder(), home.Path() + "/config/VANTORIX/ports");
  EXPECT_EQ(CComPortMap::DefaultFolder(), home.Path() + "/config/VANTORIX/ports");
}

TEST(PortMapFolder, FallsBackToHome) {
  ScopedTestHome home;
  unsetenv("XDG_CONFIG_HOME");
  std::string oldHome = getenv("HOME") ? getenv("HOME") : "";
  setenv("HOME", home.Path().c_str(), 1);
  EXPECT_EQ(CComPortMap().Folder(), home.Path() + "/.config/VANTORIX/ports");
  setenv("HOME", oldHome.c_str(), 1);
}

TEST(PortMapFolder, RegisterCreatesTheFolder) {
  ScopedTestHome home;
  CComPortMap map;
  EXPECT_FALSE(fs::exists(map.Folder()));
  WriteWholeFile(home.File("device"), "");
  EXPECT_GT(map.Register(home.File("device")), 0);
  EXPECT_TRUE(fs::is_directory(map.Folder()));
}

} // namespace
