// The Inventory on the simulated machine: the answer names a file that holds
// every category of the table, grows with the scale, gets a new date only
// when a new inventory is asked for, and is spoiled on demand.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "remote/RemoteMachine.h"
#include "remote/inventory/InventoryData.h"
#include "snapins/inventory/model/InventoryDocument.h"
#include "snapins/inventory/model/Protocol.h"

namespace vantrel::remote {
namespace {

using host::Message;
namespace wire = inventory::protocol;

std::string Ask(RemoteMachine& machine, int16_t forceNew)
{
    Message request(wire::kConsoleMessageCommand, wire::kSnapInId, 0);
    request.Root().ChildNode(wire::kForceNewNode).SetShort(forceNew);
    auto answer = machine.Answer(request);
    const host::MessageNode* name = answer->Root().Find(wire::kFileNameNode);
    if (!name) return {};
    std::ifstream file(name->Text(), std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::set<std::string_view> CategoriesOf(const inventory::InventoryDocument& document)
{
    std::set<std::string_view> names;
    for (const inventory::Node& node : document.Nodes()) names.insert(node.category->name);
    return names;
}

TEST(InventoryRemoteTest, EveryCategoryAppearsOnEveryKindOfMachine)
{
    for (int16_t platform : {kGeneralPlatform, kDevicePlatform}) {
        MachineConfig config;
        config.platform = platform;
        RemoteMachine machine(config);
        inventory::InventoryDocument document;
        ASSERT_EQ(document.Load(Ask(machine, 0)), inventory::LoadOutcome::kLoaded);
        // The root and the opened inventory's own element are the only ones
        // not below it.
        std::set<std::string_view> missing;
        for (const inventory::Category& category : inventory::Categories())
            if (!CategoriesOf(document).count(category.name) && category.name != "Inventory") missing.insert(category.name);
        EXPECT_TRUE(missing.empty()) << *missing.begin();
    }
}

TEST(InventoryRemoteTest, ANewInventoryOnlyWhenAskedAndTheSupportedQueryNamesNoFile)
{
    RemoteMachine machine;
    const std::string first = Ask(machine, 0);
    EXPECT_EQ(Ask(machine, 0), first);
    const std::string fresh = Ask(machine, 1);
    EXPECT_NE(fresh, first);
    EXPECT_EQ(fresh.size(), first.size()) << "only the date moved";

    Message supported(0, wire::kSnapInId, 1);
    supported.Root().ChildNode("Supported").SetShort(0);
    EXPECT_EQ(machine.Answer(supported)->Root().Find(wire::kFileNameNode), nullptr);
}

TEST(InventoryRemoteTest, GrowsWithTheScaleAndIsSpoiledOnDemand)
{
    MachineConfig config;
    EXPECT_EQ(InventoryApplications(config), 300);
    config.scale = 100;
    EXPECT_EQ(InventoryApplications(config), 20000);
    config.scale = 50;
    RemoteMachine machine(config);
    inventory::InventoryDocument document;
    ASSERT_EQ(document.Load(Ask(machine, 0)), inventory::LoadOutcome::kLoaded);
    size_t applications = 0;
    for (const inventory::Node& node : document.Nodes()) applications += node.category->name == "Installed_Application";
    EXPECT_EQ(applications, static_cast<size_t>(InventoryApplications(config)));

    Fault garbage;
    garbage.kind = FaultKind::Garbage;
    machine.InjectFault(wire::kConsoleMessageCommand, garbage);
    EXPECT_EQ(document.Load(Ask(machine, 1)), inventory::LoadOutcome::kMalformed);
    machine.InjectFault(wire::kConsoleMessageCommand, Fault{});
    EXPECT_EQ(Ask(machine, 1), "") << "a failure names no file";
}

}  // namespace
}  // namespace vantrel::remote
