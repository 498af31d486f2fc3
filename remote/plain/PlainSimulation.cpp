// The plain snap-in (15000): the remote host's version.
#include "remote/SimulatedSnapIn.h"
#include "remote/Simulations.h"
#include "snapins/plain/model/Protocol.h"

namespace vantrel::remote {

namespace {

namespace wire = plain::protocol;

class PlainSimulation final : public SimulatedSnapIn {
public:
    explicit PlainSimulation(int16_t hostVersion) : hostVersion_(hostVersion) {}

    void Register(CommandRegistry& registry) override
    {
        registry.Add(wire::kSnapInId, wire::kHostVersionCommand, 0, [this](CommandContext& context) {
            context.answer.Root().ChildNode(wire::kHostVersionNode).SetShort(hostVersion_);
        });
    }

private:
    int16_t hostVersion_;
};

}  // namespace

std::unique_ptr<SimulatedSnapIn> MakePlainSimulation(const MachineConfig& config)
{
    return std::make_unique<PlainSimulation>(config.hostVersion);
}

}  // namespace vantrel::remote
