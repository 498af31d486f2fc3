// Inventory (15007): the request goes with the console's own message code, 0
// here, and carries "ForceNew". The machine makes its inventory file and the
// console, as after a transfer, keeps it under a temporary folder of its own
// and answers with its path.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "remote/SimulatedSnapIn.h"
#include "remote/Simulations.h"
#include "remote/inventory/InventoryData.h"
#include "snapins/inventory/model/Protocol.h"

namespace vantrel::remote {

namespace {

namespace wire = inventory::protocol;
namespace fs = std::filesystem;

constexpr int32_t kInventoryFailure = 0;

class InventorySimulation final : public SimulatedSnapIn {
public:
    explicit InventorySimulation(const MachineConfig& config) : config_(config) {}
    ~InventorySimulation() override
    {
        std::error_code ignored;
        if (!folder_.empty()) fs::remove_all(folder_, ignored);
    }

    void Register(CommandRegistry& registry) override
    {
        registry.Add(wire::kSnapInId, wire::kConsoleMessageCommand, kInventoryFailure,
                     [this](CommandContext& context) { Answer(context); });
    }

private:
    void Answer(CommandContext& context)
    {
        const host::MessageNode* forceNew = context.request.Root().Find(wire::kForceNewNode);
        if (!forceNew) return;  // the Supported query: the yes is already there
        // A new inventory when asked for one, and the first time.
        if (forceNew->AsShort() != 0 || written_.empty()) ++generation_;
        std::string text = InventoryXml(config_, generation_ - 1);
        if (context.fault == FaultKind::Garbage) text = SpoilXml(text);
        const fs::path file = Folder() / ("inventory-" + std::to_string(generation_) + ".xml");
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.close();
        if (!out) {
            SetFailure(context.answer, kInventoryFailure, u"The inventory could not be transferred.");
            return;
        }
        written_ = file.string();
        context.answer.Root().ChildNode(wire::kFileNameNode).SetText(written_);
    }

    fs::path Folder()
    {
        if (folder_.empty()) {
            std::error_code error;
            const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
            folder_ = fs::temp_directory_path(error) /
                      ("vantrel-inventory-" + std::to_string(stamp) + "-" + std::to_string(reinterpret_cast<uintptr_t>(this)));
            fs::create_directories(folder_, error);
        }
        return folder_;
    }

    MachineConfig config_;
    fs::path folder_;
    std::string written_;
    int generation_ = 0;
};

}  // namespace

std::unique_ptr<SimulatedSnapIn> MakeInventorySimulation(const MachineConfig& config)
{
    return std::make_unique<InventorySimulation>(config);
}

}  // namespace vantrel::remote
