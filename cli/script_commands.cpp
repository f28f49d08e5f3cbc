#include "script_commands.h"

#include "cli_support.h"
#include "output.h"

#include "core/link/comm_interface.h"
#include "core/platform/com_ports.h"
#include "core/model/par_describe.h"
#include "core/model/par_kt5rs.h"
#include "core/resources/exception.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"

#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

// A silent port is given up after this long; an instrument answers within a
// few milliseconds.
constexpr unsigned kProbeTimeoutMs = 300;

// Another program holds the device: a lock the configurator and most serial
// programs take (flock on the device, listed in /proc/locks) or a UUCP lock
// file. Found without opening the device, which could disturb its owner.
bool IsHeldByAnother(const std::string &device) {
  struct stat st {};
  if (::stat(device.c_str(), &st) != 0)
    return false;
  char id[64];
  std::snprintf(id, sizeof id, "%02x:%02x:%llu", major(st.st_dev), minor(st.st_dev),
                static_cast<unsigned long long>(st.st_ino));
  std::ifstream locks("/proc/locks");
  std::string line;
  while (std::getline(locks, line)) {
    std::istringstream fields(line);
    std::string field;
    while (fields >> field)
      if (field == id)
        return true;
  }
  const std::string base = device.substr(device.rfind('/') + 1);
  for (const char *folder : {"/run/lock/", "/var/lock/"}) {
    struct stat lockFile {};
    if (::stat((std::string(folder) + "LCK.." + base).c_str(), &lockFile) == 0)
      return true;
  }
  return false;
}

bool AnswersAsKT5RS(const CPortRecord &port) {
  try {
    CCommInterface comm;
    comm.OpenDevice(port.device);
    std::string reply;
    comm.Transact("G01\r", reply, kProbeTimeoutMs);
    if (!reply.starts_with("Denter item"))
      return false;
    CParKT5RS model;
    model.VerifyDeviceModel(comm);
    return true;
  } catch (const CException &) {
    return false;
  }
}

} // namespace

int CmdDescribe(const CliOptions &options) {
  CParKT5RS model;
  Selection sel;
  if (!options.args.empty() && !ParseSelection(model, options.args[0], sel, true))
    return UsageError("describe", "no such parameter: " + options.args[0]);
  PrintDescriptions(DescribeParameters(model, sel.block, sel.item), options.json);
  return kExitDone;
}

int CmdProbe(const CliOptions &options) {
  std::vector<CPortRecord> ports;
  EnumeratePorts(ports);
  std::vector<CPortRecord> answering;
  for (const auto &port : ports) {
    if (IsHeldByAnother(port.device)) {
      PrintMessage(port.name + " (" + port.device + "): " + LoadString(IDS_PORT_REASON_IN_USE));
      continue;
    }
    if (AnswersAsKT5RS(port))
      answering.push_back(port);
  }
  PrintPorts(answering, options.json);
  return answering.empty() ? kExitCommunication : kExitDone;
}
