// Who an instrument is: model, serial number, firmware and tag as it reports
// them. It is known by model and serial; one without a serial is known by
// model and the port it was met on, and its records say so.
#pragma once

#include <string>

class CCommInterface;
class CParBase;

struct CInstrumentIdentity {
  std::string model;
  std::string serial;
  std::string firmware;
  std::string tag;
  std::string port;

  bool ByPort() const { return serial.empty(); }
  // The text that tells instruments apart.
  std::string Key() const;
  // A file name part made of the key: letters, digits, '-' and '_' only.
  std::string FileStem() const;
  bool SameInstrument(const CInstrumentIdentity &other) const { return Key() == other.Key(); }
};

// The identity in a set's device information block.
CInstrumentIdentity IdentityOf(const CParBase &set, const std::string &port);

// The identity read from the instrument: the device information items only.
CInstrumentIdentity ReadIdentity(const CParBase &model, CCommInterface &comm, const std::string &port);

// "COM3" for a port number, the device path otherwise.
std::string PortName(int number);

// The present time in UTC: "2026-12-10T10:31:05Z", and the compact
// "20261210T103105Z" for file names.
std::string UtcNow();
std::string CompactTime(const std::string &isoTime);
