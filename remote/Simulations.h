// The tools' sides of the simulated machine, one factory each, in the tool's
// own folder below remote/. The machine makes one of every factory that
// Simulations.cpp lists, in that order.
#pragma once

#include <memory>
#include <span>

#include "remote/RemoteMachine.h"

namespace vantrel::remote {

class SimulatedSnapIn;

using SimulationFactory = std::unique_ptr<SimulatedSnapIn> (*)(const MachineConfig& config);

std::span<const SimulationFactory> Simulations();

std::unique_ptr<SimulatedSnapIn> MakePlainSimulation(const MachineConfig& config);     // remote/plain
std::unique_ptr<SimulatedSnapIn> MakeDrivesSimulation(const MachineConfig& config);    // remote/drives
std::unique_ptr<SimulatedSnapIn> MakeServicesSimulation(const MachineConfig& config);  // remote/services
std::unique_ptr<SimulatedSnapIn> MakeSystemControlSimulation(const MachineConfig& config);  // remote/systemcontrol
std::unique_ptr<SimulatedSnapIn> MakeTaskManagerSimulation(const MachineConfig& config);  // remote/taskmanager
std::unique_ptr<SimulatedSnapIn> MakeUsersSimulation(const MachineConfig& config);     // remote/users
std::unique_ptr<SimulatedSnapIn> MakeConsoleSimulation(const MachineConfig& config);   // remote/console
std::unique_ptr<SimulatedSnapIn> MakeEventLogSimulation(const MachineConfig& config);  // remote/eventviewer
std::unique_ptr<SimulatedSnapIn> MakeInventorySimulation(const MachineConfig& config);  // remote/inventory
std::unique_ptr<SimulatedSnapIn> MakeSharesSimulation(const MachineConfig& config);    // remote/shares
std::unique_ptr<SimulatedSnapIn> MakeRegistrySimulation(const MachineConfig& config);  // remote/registry

}  // namespace vantrel::remote
