// The simulated machine's inventory: the XML file a real machine's inventory
// service writes, for a desktop, a server (System Control's server setting)
// or a handheld device, with every category the console knows somewhere,
// names outside ASCII, dates, sizes, languages, and fields and elements that
// the console does not know.
#pragma once

#include <string>

#include "remote/RemoteMachine.h"

namespace vantrel::remote {

// Installed applications: 300 at scale 1 growing evenly to 20,000 at scale 100.
int InventoryApplications(const MachineConfig& config);

// The whole file; each generation (0, 1, ...) is dated a little later.
std::string InventoryXml(const MachineConfig& config, int generation);

}  // namespace vantrel::remote
