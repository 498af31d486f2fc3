// The services of the simulated machine. Deterministic for a configuration,
// so tests can compute what the machine will answer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "remote/RemoteMachine.h"

namespace vantrel::remote {

struct SimulatedService {
    std::u16string name;  // key name
    std::u16string displayName;
    std::u16string description;
    std::u16string servicePath;
    std::u16string startName;  // empty for drivers
    int32_t state = 1;         // 1 stopped ... 7 paused
    int32_t startupType = 3;   // 0 boot ... 4 disabled
    // The controls it accepts while it runs, is paused or on its way between
    // the two; stopped, starting or stopping it accepts none.
    uint32_t runningControls = 0;
    uint32_t serviceType = 0x10;  // 0x1 kernel driver, 0x10 own process, 0x20 shared, +0x100 interactive
    uint32_t sysAccount = 1;
    uint32_t allowInteract = 0;
    // The key names of the services that depend on this one, in the case in
    // which the machine lists them (not always that of the service itself).
    std::vector<std::string> dependents;
    // Controls and removal are refused with "Access is denied."
    bool accessDenied = false;
};

// "AcceptedControls" as the service manager reports it now.
uint32_t AcceptedControls(const SimulatedService& service);

// About 180 services at scale 1, growing to 5,000 at scale 100. They include
// every state and startup type, drivers without an account, display names
// and descriptions outside ASCII (one with a character beyond the 16-bit
// range), long and empty descriptions, chains of dependents, a cycle
// ("SyncAgent" and "SyncBroker") and a diamond ("NetCore" below "NetShare" and
// "NetBrowse", both below "NetPublish"), and the console's own host service.
std::vector<SimulatedService> MakeSimulatedServices(const MachineConfig& config);

// The order in which the service manager lists services: by key name,
// without regard to case.
bool LessNoCase(const std::u16string& a, const std::u16string& b);

// The executable of a service's command line: without the quotes around it
// and the arguments after it.
std::u16string ExecutableOf(std::u16string_view commandLine);

// Programs on the machine that no service runs yet, ready to be installed.
const std::vector<std::u16string>& SimulatedProgramFiles();


}  // namespace vantrel::remote
