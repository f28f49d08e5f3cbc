#include "core/platform/posix/port_enum.h"

#include "core/platform/posix/port_map.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

std::string ReadAttribute(const fs::path &file) {
  std::ifstream in(file);
  std::string text;
  std::getline(in, text);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\t'))
    text.pop_back();
  return text;
}

// The USB device's own words for itself ("FTDI FT232R USB UART"). The tty's
// device link points at the USB interface (or the usb-serial port below it);
// the USB device with its product strings is a level or two further up.
std::string UsbFriendlyName(const fs::path &ttyClassEntry) {
  std::error_code ec;
  fs::path dir = fs::canonical(ttyClassEntry / "device", ec);
  if (ec)
    return {};
  for (int level = 0; level < 4 && !dir.empty() && dir != dir.root_path(); ++level, dir = dir.parent_path()) {
    if (!fs::exists(dir / "idVendor", ec))
      continue;
    std::string product = ReadAttribute(dir / "product");
    std::string maker = ReadAttribute(dir / "manufacturer");
    if (product.empty())
      return maker;
    if (maker.empty() || product.find(maker) != std::string::npos)
      return product;
    return maker + " " + product;
  }
  return {};
}

bool IsListedTty(const std::string &name, const CComPortMap &map, int &serialIndex) {
  serialIndex = -1;
  auto digitsAfter = [&](std::size_t prefix) {
    return name.size() > prefix && IsDecimalText(std::string_view(name).substr(prefix), false);
  };
  if (name.rfind("ttyUSB", 0) == 0)
    return digitsAfter(6);
  if (name.rfind("ttyACM", 0) == 0)
    return digitsAfter(6);
  if (name.rfind("ttyS", 0) == 0 && digitsAfter(4) && name.size() < 9) {
    serialIndex = std::atoi(name.c_str() + 4);
    return map.IsSerialPortPresent(serialIndex);
  }
  return false;
}

} // namespace

void EnumeratePorts(std::vector<CPortRecord> &list) {
  CComPortMap map;
  EnumeratePorts(list, map, "/sys/class/tty", "/dev");
}

void EnumeratePorts(std::vector<CPortRecord> &list, CComPortMap &map, const std::string &sysClassTty,
                    const std::string &devDir) {
  list.clear();

  // The serial devices the kernel knows, sorted by name so that new devices
  // are numbered in a predictable order.
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(sysClassTty, ec), end; !ec && it != end; it.increment(ec))
    names.push_back(it->path().filename().string());
  std::sort(names.begin(), names.end());
  for (const std::string &name : names) {
    int serialIndex = -1;
    std::error_code dec;
    if (!IsListedTty(name, map, serialIndex) || !fs::exists(fs::path(sysClassTty) / name / "device", dec))
      continue;
    std::string device = devDir + "/" + name;
    if (!fs::exists(device, dec))
      continue;
    int number = serialIndex >= 0 ? serialIndex + 1 : map.Register(device);
    if (number <= 0)
      continue;
    std::string friendly = UsbFriendlyName(fs::path(sysClassTty) / name);
    list.push_back(MakeDeviceRecord(number, friendly.empty() ? device : friendly, device));
  }

  // What the user (or the simulator) put in the map by hand.
  for (const auto &[number, target] : map.Entries()) {
    std::error_code tec;
    if (fs::exists(target, tec))
      list.push_back(MakeMapRecord(number, target));
  }

  MergePortRecords(list);
}

bool ResolveComPort(int number, std::string &device) { return CComPortMap().TryResolve(number, device); }
