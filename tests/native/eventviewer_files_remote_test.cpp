// The simulated machine's side of Save, Open, Clear and the log properties:
// its file store and commands 1, 2, 304 to 308.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/model/Answer.h"
#include "framework/text/Base64.h"
#include "remote/RemoteMachine.h"
#include "remote/eventviewer/EventFileStore.h"
#include "snapins/eventviewer/model/Protocol.h"

namespace vantrel::remote {
namespace {

using host::Message;
namespace wire = eventviewer::protocol;

struct Field {
    const char* node;
    std::string text;
    int32_t number = 0;
    bool isLong = false;
};

class Machine {
public:
    Machine() : machine_(Config()) {}
    static MachineConfig Config() {
        MachineConfig config;
        config.eventLogs.application = 100;
        config.eventLogs.copyChunkSize = 5000;
        return config;
    }
    std::unique_ptr<Message> Ask(uint32_t command, const std::vector<Field>& fields, int16_t log = 0) {
        Message request(command, wire::kSnapInId, 1);
        request.Root().ChildNode(wire::kEventTypeNode).SetShort(log);
        for (const Field& field : fields) {
            if (field.isLong)
                request.Root().ChildNode(field.node).SetLong(field.number);
            else if (field.text.empty() && field.number)
                request.Root().ChildNode(field.node).SetShort(static_cast<int16_t>(field.number));
            else
                request.Root().ChildNode(field.node).SetText(field.text);
        }
        return machine_.Answer(request);
    }
    static Field Long(const char* node, int32_t value) { return {node, {}, value, true}; }
    static Field Short(const char* node, int16_t value) { return {node, {}, value, false}; }

private:
    RemoteMachine machine_;
};

int16_t RetValue(const Message& answer) { return answer.Root().Find(kRetValueNode)->AsShort(); }

TEST(EventFileStore, SavedLogsReadTheSameAndOpenAsTheirLog) {
    EventFileStore store;
    store.SaveLog("a", {2, 10, 7});
    ASSERT_EQ(store.Size("a"), EventFileStore::kFixedBytes + 10 * EventFileStore::kBytesPerEvent);
    const std::vector<uint8_t> whole = store.Read("a", 0, 1 << 20);
    std::vector<uint8_t> pieces;
    for (uint64_t at = 0; at < whole.size(); at += 999) {
        const std::vector<uint8_t> piece = store.Read("a", at, 999);
        pieces.insert(pieces.end(), piece.begin(), piece.end());
    }
    EXPECT_EQ(pieces, whole);
    // Uploaded whole, the bytes open as the same log; cut short, as none.
    ASSERT_TRUE(store.Upload("b", 0, std::vector<uint8_t>(whole.begin(), whole.begin() + 100), whole.size()));
    EXPECT_FALSE(store.Upload("b", 50, {1, 2}, whole.size())) << "not where the upload stands";
    EXPECT_FALSE(store.LogOf("b"));
    ASSERT_TRUE(store.Upload("b", 100, std::vector<uint8_t>(whole.begin() + 100, whole.end()), whole.size()));
    ASSERT_TRUE(store.LogOf("b"));
    EXPECT_EQ(store.LogOf("b")->log, 2);
    EXPECT_EQ(store.LogOf("b")->count, 10u);
    EXPECT_FALSE(store.Upload("c", 0, {1}, EventFileStore::kMaxUpload + 1));
}

TEST(EventLogSimulation, SaveCopiesInChunksDiscardsAndClears) {
    Machine machine;
    auto saved = machine.Ask(wire::kSaveCommand, {{wire::kFileNameToNode, "C:\\x.evt"}, Machine::Short(wire::kRetentionNode, 1)});
    ASSERT_EQ(RetValue(*saved), 1);
    const std::string from = saved->Root().Find(wire::kFileNameFromNode)->Text();
    EXPECT_NE(from, "C:\\x.evt") << "a file of its own for the copy";
    uint32_t at = 0, size = 0;
    do {
        auto chunk = machine.Ask(wire::kCopyCommand, {Machine::Long(wire::kPackageStartNode, static_cast<int32_t>(at)),
                                                      {wire::kFileNameFromNode, from},
                                                      Machine::Short(wire::kRetentionNode, 1)});
        ASSERT_EQ(RetValue(*chunk), 1);
        const auto bytes = Base64Decode(chunk->Root().Find(wire::kPackageNode)->Text());
        EXPECT_EQ(static_cast<uint32_t>(chunk->Root().Find(wire::kPackageStartNode)->AsLong()), at);
        size = static_cast<uint32_t>(chunk->Root().Find(wire::kFileSizeNode)->AsLong());
        at += static_cast<uint32_t>(bytes.size());
        EXPECT_EQ(static_cast<uint32_t>(chunk->Root().Find(wire::kPackageUpToNode)->AsLong()), at);
        EXPECT_LE(bytes.size(), 5000u);
    } while (at < size);
    EXPECT_EQ(size, EventFileStore::kFixedBytes + 100 * EventFileStore::kBytesPerEvent);
    machine.Ask(wire::kDiscardCommand, {{wire::kFileNameNode, from}});
    EXPECT_EQ(RetValue(*machine.Ask(wire::kCopyCommand, {{wire::kFileNameFromNode, from}})), 0) << "discarded";

    ASSERT_EQ(RetValue(*machine.Ask(wire::kClearCommand, {})), 1);
    auto info = machine.Ask(wire::kLogInfoCommand, {{wire::kFileNameNode, ""}});
    EXPECT_NE(info->Root().Find(wire::kEventsNode)->Text().find("FileSize='65536'"), std::string::npos) << "empty now";
    EXPECT_EQ(RetValue(*machine.Ask(wire::kClearCommand, {}, 7)), 0);
}

TEST(EventLogSimulation, PropertiesAndDescriptionsOnDemand) {
    Machine machine;
    ASSERT_EQ(RetValue(*machine.Ask(wire::kSetPropertiesCommand, {Machine::Long(wire::kMaxSizeNode, 524288),
                                                                  Machine::Long(wire::kRetentionSecondsNode, 604800)})),
              1);
    auto info = machine.Ask(wire::kLogInfoCommand, {{wire::kFileNameNode, ""}});
    const std::string text = info->Root().Find(wire::kEventsNode)->Text();
    EXPECT_NE(text.find("MaxLogSize='524288'"), std::string::npos) << text;
    EXPECT_NE(text.find("Retention='604800'"), std::string::npos);
    EXPECT_EQ(RetValue(*machine.Ask(wire::kSetPropertiesCommand, {Machine::Long(wire::kMaxSizeNode, 100)})), 0);

    // Record 4: data of 64 KB, which a 16-bit "DataLen" cannot say.
    auto details = machine.Ask(wire::kDescriptionCommand, {{wire::kFileNameNode, ""}, Machine::Long(wire::kRecordNumberNode, 4)});
    ASSERT_EQ(RetValue(*details), 1);
    EXPECT_EQ(Base64Decode(details->Root().Find(wire::kDataNode)->Text()).size(), 65536u);
    EXPECT_NE(details->Root().Find(wire::kDescriptionNode)->Text().find("\r\r\n\n\n"), std::string::npos);
    EXPECT_EQ(RetValue(*machine.Ask(wire::kDescriptionCommand, {Machine::Long(wire::kRecordNumberNode, 101)})), 0);
}

}  // namespace
}  // namespace vantrel::remote
