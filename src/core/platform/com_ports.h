// The COM ports of the system: the list the user picks from (what the system
// reports, by number, each port once) and the device behind a number. The
// record rules are the same everywhere; where the ports come from is the
// system's own (the implementation in the platform folder).
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct CPortRecord {
  std::string name;    // "COM%d": upper case, no leading zeros
  std::string display; // the text shown in the list
  std::string device;  // the device path behind the number
};

// True when the text is not empty and every character is a decimal digit or,
// when allowed, a colon.
bool IsDecimalText(std::string_view text, bool colonAllowed);

// The record's number: its name from the fourth character on, read as a
// decimal number (0 when there is none).
long PortNumber(const CPortRecord &record);

// A record as the system's device list reports it: the display text is the
// device's name, followed by " (COMn)" unless the name already contains COMn.
CPortRecord MakeDeviceRecord(int number, const std::string &deviceName, const std::string &device);
// A record from the user's port map: the display text is the device path.
CPortRecord MakeMapRecord(int number, const std::string &device);

// Orders by number (records of one number keep their order) and keeps only
// the first record of each name.
void MergePortRecords(std::vector<CPortRecord> &list);

// Clears the list and fills it from every source of the system, merged as
// above. Never fails: a source that cannot be read adds nothing.
void EnumeratePorts(std::vector<CPortRecord> &list);

// The device to open for COM n; false when no present device has the number.
bool ResolveComPort(int number, std::string &device);
