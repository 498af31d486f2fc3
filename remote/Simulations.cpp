// Every tool the simulated machine answers for. A tool's side lives in its own
// folder and is added here, one line, and nowhere else.
#include "remote/Simulations.h"

#include "remote/SimulatedSnapIn.h"

namespace vantrel::remote {

namespace {

constexpr SimulationFactory kSimulations[] = {
    MakePlainSimulation,
    MakeDrivesSimulation,
    MakeServicesSimulation,
    MakeSystemControlSimulation,
    MakeTaskManagerSimulation,
    MakeUsersSimulation,
    MakeConsoleSimulation,
    MakeEventLogSimulation,
    MakeInventorySimulation,
    MakeSharesSimulation,
    MakeRegistrySimulation,
};

}  // namespace

std::span<const SimulationFactory> Simulations()
{
    return kSimulations;
}

}  // namespace vantrel::remote
