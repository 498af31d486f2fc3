// The simulated managed machine: protocol of its answers, its data and its faults.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "framework/text/Base64.h"
#include "framework/xml/Xml.h"
#include "remote/DrivesData.h"
#include "remote/RemoteMachine.h"

namespace vantrel::remote {
namespace {

using host::Message;

// Requests are not copied or moved: a console hands out pointers to them.
std::unique_ptr<Message> DriveListRequest(int64_t startAt)
{
    auto request = std::make_unique<Message>(201, 15001, 1);
    request->Root().ChildNode("DiskDrives").SetText("<Drives StartAt='" + std::to_string(startAt) + "' />");
    return request;
}

std::unique_ptr<Message> DriveDetailsRequest(std::u16string_view name)
{
    auto request = std::make_unique<Message>(202, 15001, 1);
    request->Root().ChildNode("DriveName").SetText(EncodeUtf16Base64(name));
    return request;
}

// The XML of an answer field; false when it does not parse.
bool ParseField(const Message& answer, const char* field, CXmlElement* root)
{
    const host::MessageNode* node = answer.Root().Find(field);
    if (!node || !node->HasText())
        return false;
    CXmlOptions options;
    return root->Parse(node->Text().c_str(), options) != nullptr && !options.error.failed;
}

int64_t Attribute(const CXmlElement& element, const char* name)
{
    const char* text = element.GetAttribute(name);
    return text ? std::stoll(text) : -999;
}

std::u16string TextAttribute(const CXmlElement& element, const char* name)
{
    return DecodeUtf16Base64(element.GetAttribute(name));
}

uint64_t Halves(const CXmlElement& element, const char* high, const char* low)
{
    return (static_cast<uint64_t>(Attribute(element, high)) << 32) | static_cast<uint64_t>(Attribute(element, low));
}

std::u16string ErrorText(const Message& answer)
{
    const host::MessageNode* node = answer.Root().Find("ErrorStr");
    return node ? DecodeUtf16Base64(node->Text()) : std::u16string();
}

TEST(RemoteMachineTest, SupportedAndHostVersion)
{
    MachineConfig config;
    config.supportedSnapIns = {15000, 15001};
    config.hostVersion = 4;
    RemoteMachine machine(config);

    for (const auto& [snapIn, expected] : {std::pair{15001u, 1}, {15003u, 0}, {99u, 0}}) {
        Message request(0, snapIn, 1);
        request.Root().ChildNode("Supported").SetShort(0);
        const auto answer = machine.Answer(request);
        EXPECT_EQ(answer->Command(), 0u);
        EXPECT_EQ(answer->SnapInId(), snapIn);
        EXPECT_EQ(answer->Root().ChildNode("Supported").GetBool(), expected) << snapIn;
    }

    Message version(5, 15000, 0);
    version.Root().ChildNode("HostVer").SetShort(1);
    const auto answer = machine.Answer(version);
    EXPECT_EQ(answer->Command(), 5u);
    EXPECT_EQ(answer->Root().ChildNode("HostVer").GetShort(), 4);
}

TEST(RemoteMachineTest, UnknownRequestsAndMalformedRequestsFail)
{
    RemoteMachine machine;
    const auto unknownCommand = machine.Answer(Message(299, 15001, 1));
    EXPECT_EQ(unknownCommand->Root().ChildNode("RetValue").GetLong(), kNotSupportedValue);
    EXPECT_FALSE(ErrorText(*unknownCommand).empty());
    const auto unknownSnapIn = machine.Answer(Message(201, 15099, 1));
    EXPECT_EQ(unknownSnapIn->Root().ChildNode("RetValue").GetLong(), kNotSupportedValue);

    Message broken(201, 15001, 1);
    broken.Root().ChildNode("DiskDrives").SetText("<Drives StartAt='");
    const auto brokenAnswer = machine.Answer(broken);
    EXPECT_EQ(brokenAnswer->Root().ChildNode("RetValue").GetShort(), 0);
    EXPECT_EQ(brokenAnswer->Root().Find("DiskDrives"), nullptr);
    EXPECT_EQ(machine.Answer(*DriveListRequest(-2))->Root().ChildNode("RetValue").GetShort(), 0);
}

TEST(RemoteMachineTest, PagingWalksEveryDriveExactlyOnce)
{
    for (int pageSize : {1, 7, 50, 5000}) {
        MachineConfig config;
        config.scale = 2;
        config.pageSize = pageSize;
        RemoteMachine machine(config);
        const std::vector<SimulatedDrive> expected = MakeSimulatedDrives(config);
        ASSERT_GT(expected.size(), 1000u);

        std::vector<std::u16string> seen;
        int64_t startAt = -1;
        int pages = 0;
        for (;;) {
            const auto answer = machine.Answer(*DriveListRequest(startAt));
            ASSERT_EQ(answer->Command(), 201u);
            ASSERT_EQ(answer->SnapInId(), 15001u);
            ASSERT_EQ(answer->Root().ChildNode("RetValue").GetShort(), 1);
            CXmlElement root;
            ASSERT_TRUE(ParseField(*answer, "DiskDrives", &root));
            EXPECT_EQ(Attribute(root, "StartAt"), startAt < 0 ? 0 : startAt);
            EXPECT_EQ(Attribute(root, "Total"), static_cast<int64_t>(expected.size()));
            const int64_t upTo = Attribute(root, "UpTo");
            EXPECT_EQ(upTo - (startAt < 0 ? 0 : startAt), root.GetChildCount());
            for (int i = 0; i < root.GetChildCount(); ++i) {
                EXPECT_EQ(Attribute(*root.GetChild(i), "InfoReq"), 0);
                seen.push_back(TextAttribute(*root.GetChild(i), "DriveName"));
            }
            ++pages;
            if (upTo >= Attribute(root, "Total"))
                break;
            startAt = upTo;
        }
        EXPECT_EQ(pages, static_cast<int>((expected.size() + pageSize - 1) / pageSize)) << pageSize;
        ASSERT_EQ(seen.size(), expected.size()) << pageSize;
        for (size_t i = 0; i < seen.size(); ++i)
            EXPECT_EQ(seen[i], expected[i].driveName);
        EXPECT_EQ(std::set<std::u16string>(seen.begin(), seen.end()).size(), seen.size());
    }

    // Past the end: an empty page that says so.
    RemoteMachine machine;
    CXmlElement root;
    ASSERT_TRUE(ParseField(*machine.Answer(*DriveListRequest(100000)), "DiskDrives", &root));
    EXPECT_EQ(root.GetChildCount(), 0);
    EXPECT_EQ(Attribute(root, "UpTo"), Attribute(root, "Total"));
}

// The simulated machine writes its answers with the module's own XML writer
// and Base64 encoder; this checks the bytes against hand-made ones, so that a
// fault shared by both sides cannot hide.
TEST(RemoteMachineTest, AnswerBytesAreWhatTheProtocolSays)
{
    MachineConfig config;
    config.pageSize = 1;
    RemoteMachine machine(config);
    const auto answer = machine.Answer(*DriveListRequest(-1));
    const std::string body = answer->Root().ChildNode("DiskDrives").Text();
    const auto drives = MakeSimulatedDrives(config);
    ASSERT_EQ(drives.front().driveName, u"A:\\");
    // "A:\" as UTF-16LE bytes 41 00 3A 00 5C 00, in Base64.
    EXPECT_NE(body.find(" DriveName='QQA6AFwA' "), std::string::npos) << body;
    EXPECT_NE(body.find(" UpTo='1' "), std::string::npos) << body;
    EXPECT_NE(body.find(" Total='" + std::to_string(drives.size()) + "' "), std::string::npos) << body;
    EXPECT_EQ(body.back(), '>');
}

TEST(RemoteMachineTest, DrivesAreRealisticAndDeterministic)
{
    MachineConfig config;
    config.seed = 77;
    const std::vector<SimulatedDrive> drives = MakeSimulatedDrives(config);
    std::set<uint32_t> types;
    bool above4GiB = false, full = false, empty = false;
    for (const auto& drive : drives) {
        types.insert(drive.driveType);
        above4GiB |= drive.sizeBytes > 0xFFFFFFFFULL;
        full |= drive.sizeBytes > 0 && drive.freeBytes == 0;
        empty |= drive.sizeBytes == 0;
        EXPECT_LE(drive.freeBytes, drive.sizeBytes);
        EXPECT_EQ(drive.sizeBytes, uint64_t{drive.totalClusters} * drive.sectorsPerCluster * drive.bytesPerSector);
    }
    EXPECT_EQ(types, (std::set<uint32_t>{2, 3, 4, 5, 6}));
    EXPECT_TRUE(above4GiB && full && empty);
    EXPECT_EQ(drives[1].displayName, u"Local Disk (C:)");
    EXPECT_EQ(MakeSimulatedDrives(config)[1].sizeBytes, drives[1].sizeBytes);
    config.seed = 78;
    EXPECT_NE(MakeSimulatedDrives(config)[1].sizeBytes, drives[1].sizeBytes);

    config.platform = kDevicePlatform;
    types.clear();
    for (const auto& drive : MakeSimulatedDrives(config))
        types.insert(drive.driveType);
    EXPECT_TRUE(types.count(7) && types.count(8));
}

TEST(RemoteMachineTest, DriveDetailsForKnownAndUnknownDrives)
{
    RemoteMachine machine;
    const SimulatedDrive system = MakeSimulatedDrives(machine.Config())[1];

    const auto answer = machine.Answer(*DriveDetailsRequest(u"c:\\"));
    EXPECT_EQ(answer->Command(), 202u);
    EXPECT_EQ(answer->Root().ChildNode("RetValue").GetShort(), 1);
    CXmlElement root;
    ASSERT_TRUE(ParseField(*answer, "DiskDrive", &root));
    ASSERT_EQ(root.GetChildCount(), 1);
    const CXmlElement& drive = *root.GetChild(0);
    EXPECT_EQ(TextAttribute(drive, "DriveName"), u"C:\\");
    EXPECT_EQ(TextAttribute(drive, "DriveType"), u"Local Disk");
    EXPECT_EQ(TextAttribute(drive, "FSType"), u"NTFS");
    EXPECT_EQ(TextAttribute(drive, "SerialNo"), [&] {
        const std::string digits = std::to_string(system.serialNumber);
        return std::u16string(digits.begin(), digits.end());
    }());
    EXPECT_EQ(Halves(drive, "SizeInBytesHi", "SizeInBytesLo"), system.sizeBytes);
    EXPECT_EQ(Halves(drive, "FreeSpaceInBytesHi", "FreeSpaceInBytesLo"), system.freeBytes);
    EXPECT_EQ(Attribute(drive, "DriveTypeDW"), 3);
    EXPECT_EQ(Attribute(drive, "InfoReq"), 1);

    for (std::u16string_view unknown : {u"Q:\\", u""}) {
        const auto failed = machine.Answer(*DriveDetailsRequest(unknown));
        EXPECT_EQ(failed->Root().ChildNode("RetValue").GetShort(), 0);
        EXPECT_EQ(ErrorText(*failed), u"The system cannot find the drive specified.");
        EXPECT_EQ(failed->Root().Find("DiskDrive"), nullptr);
    }
}

TEST(RemoteMachineTest, FailFaultSkipsCountsAndWears)
{
    RemoteMachine machine;
    Fault fault;
    fault.retValue = 1117;
    fault.errorText = u"The request could not be performed because of an I/O device error.";
    fault.skip = 1;
    fault.times = 1;
    machine.InjectFault(201, fault);

    EXPECT_EQ(machine.Answer(*DriveListRequest(-1))->Root().ChildNode("RetValue").GetShort(), 1);
    const auto failed = machine.Answer(*DriveListRequest(50));
    EXPECT_EQ(failed->Root().ChildNode("RetValue").GetLong(), 1117);
    EXPECT_EQ(ErrorText(*failed), fault.errorText);
    EXPECT_EQ(failed->Root().Find("DiskDrives"), nullptr);
    EXPECT_EQ(machine.Answer(*DriveListRequest(-1))->Root().ChildNode("RetValue").GetShort(), 1);

    // Default: the snap-in's own failure value, no text; another snap-in is spared.
    machine.InjectFault(0, Fault{.snapInId = 15003});
    EXPECT_EQ(machine.Answer(Message(0, 15002, 1))->Root().ChildNode("Supported").GetBool(), 1);
    const auto supported = machine.Answer(Message(0, 15003, 1));
    EXPECT_EQ(supported->Root().ChildNode("Supported").GetBool(), 0);
    EXPECT_EQ(supported->Root().Find("ErrorStr"), nullptr);
    machine.InjectFault(202, Fault{});
    EXPECT_EQ(machine.Answer(*DriveDetailsRequest(u"C:\\"))->Root().ChildNode("RetValue").GetLong(), 0);
    machine.ClearFaults();
    EXPECT_EQ(machine.Answer(*DriveDetailsRequest(u"C:\\"))->Root().ChildNode("RetValue").GetLong(), 1);
}

TEST(RemoteMachineTest, BodyFaultsSpoilWhatTheySay)
{
    MachineConfig config;
    config.pageSize = 4;
    RemoteMachine machine(config);
    CXmlElement root;

    machine.InjectFault(201, Fault{.kind = FaultKind::Garbage});
    const auto garbage = machine.Answer(*DriveListRequest(-1));
    EXPECT_EQ(garbage->Root().ChildNode("RetValue").GetShort(), 1);
    EXPECT_FALSE(ParseField(*garbage, "DiskDrives", &root));
    machine.InjectFault(202, Fault{.kind = FaultKind::Garbage});
    EXPECT_FALSE(ParseField(*machine.Answer(*DriveDetailsRequest(u"C:\\")), "DiskDrive", &root));

    machine.InjectFault(201, Fault{.kind = FaultKind::StuckPage});
    for (int64_t startAt : {-1, 4}) {
        ASSERT_TRUE(ParseField(*machine.Answer(*DriveListRequest(startAt)), "DiskDrives", &root));
        EXPECT_EQ(Attribute(root, "UpTo"), startAt);
        EXPECT_EQ(root.GetChildCount(), 4);
    }

    machine.InjectFault(201, Fault{.kind = FaultKind::HugeTotal});
    ASSERT_TRUE(ParseField(*machine.Answer(*DriveListRequest(-1)), "DiskDrives", &root));
    EXPECT_STREQ(root.GetAttribute("Total"), "4294967295");
    EXPECT_EQ(Attribute(root, "UpTo"), 4);

    machine.InjectFault(201, Fault{.kind = FaultKind::HostileNumbers});
    ASSERT_TRUE(ParseField(*machine.Answer(*DriveListRequest(-1)), "DiskDrives", &root));
    ASSERT_EQ(root.GetChildCount(), 4);
    const CXmlElement& freeAboveSize = *root.GetChild(0);
    EXPECT_GT(Halves(freeAboveSize, "FreeSpaceInBytesHi", "FreeSpaceInBytesLo"),
              Halves(freeAboveSize, "SizeInBytesHi", "SizeInBytesLo"));
    EXPECT_STREQ(root.GetChild(1)->GetAttribute("SizeInBytesHi"), "4294967295");
    EXPECT_STREQ(root.GetChild(2)->GetAttribute("SizeInBytesLo"), "-1");
}

}  // namespace
}  // namespace vantrel::remote
