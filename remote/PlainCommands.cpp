// The plain snap-in (15000): the remote host's version.
#include "remote/SimulatedSnapIn.h"

namespace vantrel::remote {

namespace {

constexpr uint32_t kPlainSnapIn = 15000;
constexpr uint32_t kHostVersionCommand = 5;

class PlainSimulation final : public SimulatedSnapIn {
public:
    explicit PlainSimulation(int16_t hostVersion) : hostVersion_(hostVersion) {}

    void Register(CommandRegistry& registry) override
    {
        registry.Add(kPlainSnapIn, kHostVersionCommand, 0, [this](CommandContext& context) {
            context.answer.Root().ChildNode("HostVer").SetShort(hostVersion_);
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
