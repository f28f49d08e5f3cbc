// The two Linux sources of the COM port list: the serial devices the kernel
// lists in sysfs (USB adapters with their product names) and the user's COM
// port map.
#pragma once

#include "core/platform/com_ports.h"

class CComPortMap;

// EnumeratePorts on other folders (tests): the map, the sysfs tty class
// folder and the folder holding the device nodes. Devices without a number
// are registered in the map.
void EnumeratePorts(std::vector<CPortRecord> &list, CComPortMap &map, const std::string &sysClassTty,
                    const std::string &devDir);
