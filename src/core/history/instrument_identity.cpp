#include "core/history/instrument_identity.h"

#include "core/model/par_base.h"

#include <ctime>
#include <memory>

namespace {

constexpr int kInfoBlock = 6;

std::string Safe(const std::string &text) {
  std::string out;
  for (char c : text) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
    out += plain ? c : '_';
  }
  return out.empty() ? "_" : out;
}

} // namespace

std::string CInstrumentIdentity::Key() const {
  // The unit separator never appears in a device text or a port name.
  return ByPort() ? model + "\x1f" + "port:" + port : model + "\x1f" + serial;
}

std::string CInstrumentIdentity::FileStem() const {
  return ByPort() ? Safe(model) + "_port-" + Safe(port) : Safe(model) + "_" + Safe(serial);
}

CInstrumentIdentity IdentityOf(const CParBase &set, const std::string &port) {
  CInstrumentIdentity id;
  if (set.GetItemCount(kInfoBlock) >= 4) {
    id.model = set.GetValueString(kInfoBlock, 0);
    id.firmware = set.GetValueString(kInfoBlock, 1);
    id.serial = set.GetValueString(kInfoBlock, 2);
    id.tag = set.GetValueString(kInfoBlock, 3);
  }
  // A device that reports no model is still the set's model.
  if (id.model.empty())
    id.model = set.GetModelName();
  id.port = port;
  return id;
}

CInstrumentIdentity ReadIdentity(const CParBase &model, CCommInterface &comm, const std::string &port) {
  std::unique_ptr<CParBase> info = model.Clone();
  info->ReadFromDevice(&comm, kInfoBlock, -1);
  return IdentityOf(*info, port);
}

std::string PortName(int number) { return "COM" + std::to_string(number); }

std::string UtcNow() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  gmtime_r(&now, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", &tm);
  return buf;
}

std::string CompactTime(const std::string &isoTime) {
  std::string out;
  for (char c : isoTime)
    if (c != '-' && c != ':')
      out += c;
  return out;
}
