// Services (15005) on the simulated machine: 601 one page of the service list,
// 603 service control, 605 remove, 606 one service.
#pragma once

#include <memory>

#include "remote/RemoteMachine.h"
#include "remote/SimulatedSnapIn.h"

namespace vantrel::remote {

// Services change as they are controlled, and stay changed: a start leaves
// the service start pending, and running two answers of this snap-in later;
// a stop, pause, continue or restart likewise. The machine refuses what a
// real one refuses (a disabled service cannot start, a stop while dependents
// run, controls the service does not accept, access denied for some).
std::unique_ptr<SimulatedSnapIn> MakeServicesSimulation(const MachineConfig& config);

}  // namespace vantrel::remote
