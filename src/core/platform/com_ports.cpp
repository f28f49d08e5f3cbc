#include "core/platform/com_ports.h"

#include <algorithm>
#include <cstdlib>

bool IsDecimalText(std::string_view text, bool colonAllowed) {
  if (text.empty())
    return false;
  return std::all_of(text.begin(), text.end(),
                     [&](char c) { return (c >= '0' && c <= '9') || (colonAllowed && c == ':'); });
}

long PortNumber(const CPortRecord &record) {
  return record.name.size() > 3 ? std::strtol(record.name.c_str() + 3, nullptr, 10) : 0;
}

CPortRecord MakeDeviceRecord(int number, const std::string &deviceName, const std::string &device) {
  CPortRecord record;
  record.name = "COM" + std::to_string(number);
  record.display = deviceName;
  if (record.display.find(record.name) == std::string::npos)
    record.display += " (" + record.name + ")";
  record.device = device;
  return record;
}

// The map's entries have no friendly name; the path with its number tells a
// technician which line it is and which COM number the program will speak of.
CPortRecord MakeMapRecord(int number, const std::string &device) {
  const std::string name = "COM" + std::to_string(number);
  return CPortRecord{name, device + " (" + name + ")", device};
}

void MergePortRecords(std::vector<CPortRecord> &list) {
  std::stable_sort(list.begin(), list.end(),
                   [](const CPortRecord &a, const CPortRecord &b) { return PortNumber(a) < PortNumber(b); });
  list.erase(
      std::unique(list.begin(), list.end(),
                  [](const CPortRecord &kept, const CPortRecord &next) { return kept.name == next.name; }),
      list.end());
}
