// The simulated machine's registry: root keys, pages of subkeys then values,
// refusals, sizes by scale, and changes that the next listing shows.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/model/Answer.h"
#include "framework/text/Base64.h"
#include "framework/xml/Xml.h"
#include "remote/RemoteMachine.h"
#include "remote/registry/RegistryData.h"
#include "snapins/registry/model/Protocol.h"
#include "snapins/registry/model/RegistryTree.h"

namespace vantrel::remote {
namespace {

namespace wire = registry::protocol;
using host::Message;
constexpr uint32_t kCurrentUser = 0x80000001u;

class RegistryMachineTest : public testing::Test {
protected:
    static MachineConfig Config() {
        MachineConfig config;
        config.registry.pageSize = 7;
        config.registry.exportChunkSize = 16384;
        return config;
    }

    std::unique_ptr<Message> List(uint32_t rootKey, std::u16string_view path, uint32_t startAt = wire::kFirstPage) {
        Message request(wire::kListCommand, wire::kSnapInId, 1);
        request.Root()
            .ChildNode(wire::kItemsNode)
            .SetText("<RegKey StartAt='" + std::to_string(startAt) + "' Key='" + std::to_string(rootKey) +
                     "' SubKey='" + EncodeUtf16Base64(path) + "'/>");
        return machine_.Answer(request);
    }

    // Every page of a key merged into a node, as the snap-in does.
    registry::KeyNode& ListAll(uint32_t rootKey, std::u16string_view path) {
        node_ = std::make_unique<registry::RegistryTree>(u"PC");
        registry::KeyNode* node = &node_->Top();
        if (rootKey != 0) node = node_->Top().AddChild(u"Root", true, rootKey);
        uint32_t startAt = wire::kFirstPage;
        for (int guard = 0; guard < 100000; ++guard) {
            auto answer = List(rootKey, path, startAt);
            EXPECT_EQ(answer->Root().Find(kRetValueNode)->AsLong(), 0);
            CXmlElement root;
            EXPECT_EQ(ParseAnswer(answer->Root().Find(wire::kItemsNode)->Text(), root), AnswerText::Parsed);
            registry::MergePage(*node, registry::ReadListingPage(root, rootKey == 0));
            const int64_t upTo = ReadInt64(root, "UpTo");
            if (upTo + 1 >= ReadInt64(root, "Total")) break;
            startAt = static_cast<uint32_t>(upTo + 1);
        }
        return *node;
    }

    std::unique_ptr<Message> Change(uint32_t command, std::u16string_view path, std::u16string_view name,
                                    bool isValue = false) {
        Message request(command, wire::kSnapInId, 1);
        request.Root().ChildNode(wire::kKeyNode).SetLong(static_cast<int32_t>(kCurrentUser));
        request.Root().ChildNode(wire::kSubkeyNode).SetText(EncodeUtf16Base64(path));
        request.Root().ChildNode(wire::kNameNode).SetText(EncodeUtf16Base64(name));
        request.Root().ChildNode(wire::kIsValueNode).SetBool(isValue);
        request.Root().ChildNode(wire::kNewNameNode).SetText(EncodeUtf16Base64(u"Umbenannt"));
        request.Root().ChildNode(wire::kValTypeNode).SetLong(wire::kRegDword);
        request.Root().ChildNode(wire::kValueNode).SetText(Base64Encode("\x07\0\0\0", 4));
        return machine_.Answer(request);
    }

    static void SetPosition(Message& request, const char* high, const char* low, uint64_t value) {
        request.Root().ChildNode(high).SetLong(static_cast<int32_t>(value >> 32));
        request.Root().ChildNode(low).SetLong(static_cast<int32_t>(value));
    }
    static uint64_t Position(const Message& answer, const char* high, const char* low) {
        return (uint64_t{static_cast<uint32_t>(answer.Root().Find(high)->AsLong())} << 32) |
               static_cast<uint32_t>(answer.Root().Find(low)->AsLong());
    }

    // The whole file of a key, chunk after chunk as the console asks for it.
    std::vector<uint8_t> Export(std::u16string_view path) {
        std::vector<uint8_t> file;
        for (int guard = 0; guard < 100000; ++guard) {
            Message request(wire::kExportCommand, wire::kSnapInId, 1);
            request.Root().ChildNode(wire::kKeyNode).SetLong(static_cast<int32_t>(kCurrentUser));
            request.Root().ChildNode(wire::kSubkeyNode).SetText(EncodeUtf16Base64(path));
            SetPosition(request, wire::kStartAtHighNode, wire::kStartAtLowNode, file.size());
            auto answer = machine_.Answer(request);
            EXPECT_EQ(answer->Root().Find(kRetValueNode)->AsLong(), 0);
            if (answer->Root().Find(kRetValueNode)->AsLong() != 0) return {};
            EXPECT_EQ(Position(*answer, wire::kStartAtHighNode, wire::kStartAtLowNode), file.size());
            const std::vector<uint8_t> chunk = Base64Decode(answer->Root().Find(wire::kPackageNode)->Text());
            file.insert(file.end(), chunk.begin(), chunk.end());
            EXPECT_EQ(Position(*answer, wire::kUpToHighNode, wire::kUpToLowNode), file.size());
            if (file.size() == Position(*answer, wire::kFileSizeHighNode, wire::kFileSizeLowNode)) break;
        }
        return file;
    }

    std::unique_ptr<Message> ImportChunk(const std::vector<uint8_t>& file, size_t start, size_t length) {
        Message request(wire::kImportCommand, wire::kSnapInId, 1);
        SetPosition(request, wire::kStartAtHighNode, wire::kStartAtLowNode, start);
        SetPosition(request, wire::kUpToHighNode, wire::kUpToLowNode, start + length);
        SetPosition(request, wire::kFileSizeHighNode, wire::kFileSizeLowNode, file.size());
        request.Root().ChildNode(wire::kPackageNode).SetText(Base64Encode(file.data() + start, length));
        return machine_.Answer(request);
    }

    int32_t Import(const std::vector<uint8_t>& file) {
        for (size_t start = 0; start < file.size(); start += wire::kImportChunk) {
            auto answer = ImportChunk(file, start, std::min(wire::kImportChunk, file.size() - start));
            const int32_t result = answer->Root().Find(kRetValueNode)->AsLong();
            if (result != 0) return result;
            EXPECT_EQ(Position(*answer, wire::kUpToHighNode, wire::kUpToLowNode),
                      std::min(start + wire::kImportChunk, file.size()));
        }
        return 0;
    }

    RemoteMachine machine_{Config()};
    std::unique_ptr<registry::RegistryTree> node_;
};

TEST_F(RegistryMachineTest, RootKeysCarryTheirNumbersAndPagesContinueAfterUpTo) {
    registry::KeyNode& top = ListAll(0, u"");
    ASSERT_EQ(top.Children().size(), 5u);
    EXPECT_EQ(top.Children()[1]->Name(), u"HKEY_CURRENT_USER");
    EXPECT_EQ(top.Children()[1]->RootKey(), kCurrentUser);

    auto first = List(kCurrentUser, u"Software\\Vantrel\\Types");
    CXmlElement root;
    ASSERT_EQ(ParseAnswer(first->Root().Find(wire::kItemsNode)->Text(), root), AnswerText::Parsed);
    EXPECT_EQ(ReadInt64(root, "StartAt"), 0);
    EXPECT_EQ(ReadInt64(root, "UpTo"), 6);  // the index of the last entry sent
    EXPECT_EQ(root.GetChildCount(), 7);

    registry::KeyNode& types = ListAll(kCurrentUser, u"Software\\Vantrel\\Types");
    EXPECT_EQ(types.Values().size(), 28u);
    const auto large = types.FindValue(u"Large Binary");
    ASSERT_TRUE(large);
    EXPECT_EQ(types.Values()[*large].data.size(), 1u << 20);
    EXPECT_TRUE(types.FindValue(u"名前"));
}

TEST_F(RegistryMachineTest, ProtectedKeysAreRefusedAndTheSlowOneIsCancelled) {
    EXPECT_EQ(List(0x80000002u, u"SAM")->Root().Find(kRetValueNode)->AsLong(), 5);
    EXPECT_EQ(List(0x80000002u, u"SOFTWARE\\Vantrel\\Slow Listing")->Root().Find(kRetValueNode)->AsLong(),
              wire::kCanceled);
    EXPECT_EQ(List(0x80000002u, u"NoSuchKey")->Root().Find(kRetValueNode)->AsLong(), 2);
}

TEST_F(RegistryMachineTest, CreateRenameDeleteAndSetChangeWhatTheNextListingShows) {
    const auto created = [&](uint32_t command) {
        auto answer = Change(command, u"Software\\Vantrel",
                             command == wire::kCreateKeyCommand ? u"New Key #%u" : u"New Value #%u");
        EXPECT_EQ(answer->Root().Find(kRetValueNode)->AsLong(), 0);
        return DecodeUtf16Base64(answer->Root().Find(wire::kNameNode)->Text());
    };
    EXPECT_EQ(created(wire::kCreateKeyCommand), u"New Key #1");
    EXPECT_EQ(created(wire::kCreateKeyCommand), u"New Key #2");
    EXPECT_EQ(created(wire::kCreateValueCommand), u"New Value #1");
    EXPECT_EQ(Change(wire::kRenameCommand, u"Software\\Vantrel", u"New Key #1")->Root().Find(kRetValueNode)->AsLong(),
              0);
    EXPECT_EQ(Change(wire::kRenameCommand, u"Software\\Vantrel", u"New Key #2")->Root().Find(kRetValueNode)->AsLong(),
              183);  // the name is taken now
    EXPECT_EQ(Change(wire::kDeleteCommand, u"Software\\Vantrel", u"New Key #2")->Root().Find(kRetValueNode)->AsLong(),
              0);
    EXPECT_EQ(Change(wire::kSetValueCommand, u"Software\\Vantrel", u"New Value #1", true)
                  ->Root()
                  .Find(kRetValueNode)
                  ->AsLong(),
              0);

    registry::KeyNode& vantrel = ListAll(kCurrentUser, u"Software\\Vantrel");
    EXPECT_TRUE(vantrel.FindChild(u"Umbenannt"));
    EXPECT_FALSE(vantrel.FindChild(u"New Key #1"));
    EXPECT_FALSE(vantrel.FindChild(u"New Key #2"));
    const auto value = vantrel.FindValue(u"New Value #1");
    ASSERT_TRUE(value);
    EXPECT_EQ(vantrel.Values()[*value].data, (std::vector<uint8_t>{7, 0, 0, 0}));
    EXPECT_EQ(created(wire::kCreateKeyCommand), u"New Key #1");  // the free number again
}

TEST(RegistryMachineSizes, ScaleGrowsTheLargestKeysToAHundredThousand) {
    MachineConfig config;
    EXPECT_EQ(ClassCount(config), 500);
    EXPECT_EQ(ManyValuesCount(config), 3000);
    config.scale = 100;
    EXPECT_EQ(ClassCount(config), 100000);
    EXPECT_EQ(ManyValuesCount(config), 100000);
    config.registry.classes = 3;
    EXPECT_EQ(ClassCount(config), 3);
}

}  // namespace
}  // namespace vantrel::remote

namespace vantrel::remote {
namespace {

TEST_F(RegistryMachineTest, AnExportedKeyDeletedComesBackWhenItsFileIsImported) {
    const std::vector<std::u16string> before = [&] {
        std::vector<std::u16string> names;
        for (const auto& key : ListAll(kCurrentUser, u"Software\\Vantrel\\Deep").Children()) names.push_back(key->Name());
        return names;
    }();
    const std::vector<uint8_t> types = Export(u"Software\\Vantrel\\Types");
    ASSERT_GT(types.size(), 6u * (1u << 20)) << "the 1 MB binary comes in many chunks";
    const std::vector<uint8_t> deep = Export(u"Software\\Vantrel\\Deep");
    ASSERT_GT(deep.size(), 2u);
    EXPECT_EQ(deep[0], 0xFF);
    EXPECT_EQ(deep[1], 0xFE) << "UTF-16LE with its byte-order mark";

    ASSERT_EQ(Change(wire::kDeleteCommand, u"Software\\Vantrel", u"Types")->Root().Find(kRetValueNode)->AsLong(), 0);
    ASSERT_EQ(Change(wire::kDeleteCommand, u"Software\\Vantrel", u"Deep")->Root().Find(kRetValueNode)->AsLong(), 0);
    ASSERT_EQ(Import(types), 0);
    ASSERT_EQ(Import(deep), 0);
    EXPECT_EQ(Export(u"Software\\Vantrel\\Types"), types) << "every value back, byte for byte";
    std::vector<std::u16string> after;
    for (const auto& key : ListAll(kCurrentUser, u"Software\\Vantrel\\Deep").Children()) after.push_back(key->Name());
    EXPECT_EQ(after, before);
}

TEST_F(RegistryMachineTest, ImportRefusesChunksOutOfOrderAndFilesItCannotRead) {
    const std::vector<uint8_t> file = Export(u"Software\\Vantrel\\Deep");
    ASSERT_GT(file.size(), 100u);
    EXPECT_EQ(ImportChunk(file, 0, 50)->Root().Find(kRetValueNode)->AsLong(), 0);
    EXPECT_EQ(ImportChunk(file, 60, 40)->Root().Find(kRetValueNode)->AsLong(), 87) << "a gap";
    EXPECT_EQ(ImportChunk(file, 50, 40)->Root().Find(kRetValueNode)->AsLong(), 87) << "started again after a refusal";

    ASSERT_EQ(Change(wire::kDeleteCommand, u"Software\\Vantrel", u"Deep")->Root().Find(kRetValueNode)->AsLong(), 0);
    std::vector<uint8_t> spoiled = file;
    spoiled.resize(spoiled.size() - 7);  // cut inside a line
    spoiled.push_back('[');
    spoiled.push_back(0);
    EXPECT_NE(Import(spoiled), 0);
    std::u16string text = u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_NOWHERE\\X]\r\n";
    std::vector<uint8_t> unknownRoot = {0xFF, 0xFE};
    for (char16_t c : text) {
        unknownRoot.push_back(static_cast<uint8_t>(c));
        unknownRoot.push_back(static_cast<uint8_t>(c >> 8));
    }
    EXPECT_EQ(Import(unknownRoot), 2);
    EXPECT_FALSE(ListAll(kCurrentUser, u"Software\\Vantrel").FindChild(u"Deep")) << "nothing applied";
}

}  // namespace
}  // namespace vantrel::remote
