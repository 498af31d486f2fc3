// The simulated managed machine: protocol of its answers, its data and its faults.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "framework/model/Answer.h"
#include "framework/model/Paging.h"
#include "framework/text/Base64.h"
#include "framework/xml/Xml.h"
#include "remote/RemoteMachine.h"
#include "remote/drives/DrivesData.h"
#include "snapins/drives/model/Protocol.h"
#include "snapins/plain/model/Protocol.h"

namespace vantrel::remote {
namespace {

using host::Message;
namespace wire = drives::protocol;

// Requests are not copied or moved: a console hands out pointers to them.
std::unique_ptr<Message> DriveListRequest(int64_t startAt)
{
    auto request = std::make_unique<Message>(wire::kListCommand, wire::kSnapInId, 1);
    request->Root().ChildNode(wire::kListNode).SetText("<Drives StartAt='" + std::to_string(startAt) + "' />");
    return request;
}

std::unique_ptr<Message> DriveDetailsRequest(std::u16string_view name)
{
    auto request = std::make_unique<Message>(wire::kDetailsCommand, wire::kSnapInId, 1);
    request->Root().ChildNode(wire::kDriveNameNode).SetText(EncodeUtf16Base64(name));
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
    const host::MessageNode* node = answer.Root().Find(kErrorTextNode);
    return node ? DecodeUtf16Base64(node->Text()) : std::u16string();
}

// The wire-text tests below spell requests and answers by hand, bytes and
// all: the machine writes with the module's own names, XML writer and Base64
// encoder, and a fault shared by both sides would otherwise go unseen.
TEST(RemoteWireTextTest, SupportedAndRequestsNobodyAnswers)
{
    MachineConfig config;
    config.supportedSnapIns = {15000, 15001};
    RemoteMachine machine(config);
    for (const auto& [snapIn, expected] : {std::pair{15001u, "cmd=0 snapin=15001 reply=0 {Supported=bool:1}"},
                                           {15003u, "cmd=0 snapin=15003 reply=0 {Supported=bool:0}"},
                                           {99u, "cmd=0 snapin=99 reply=0 {Supported=bool:0}"}}) {
        Message request(0, snapIn, 1);
        request.Root().ChildNode("Supported").SetShort(0);
        EXPECT_EQ(machine.Answer(request)->Dump(), expected);
    }
    EXPECT_EQ(machine.Answer(Message(299, 15001, 1))->Dump(),
              "cmd=299 snapin=15001 reply=0 {RetValue=long:50 "
              "ErrorStr=\"VABoAGUAIAByAGUAcQB1AGUAcwB0ACAAaQBzACAAbgBvAHQAIABzAHUAcABwAG8AcgB0AGUAZAAuAA==\"}");
}

TEST(RemoteWireTextTest, PlainSnapIn)
{
    MachineConfig config;
    config.hostVersion = 4;
    RemoteMachine machine(config);
    Message version(5, 15000, 0);
    version.Root().ChildNode("HostVer").SetShort(1);
    EXPECT_EQ(machine.Answer(version)->Dump(), "cmd=5 snapin=15000 reply=0 {HostVer=short:4}");
}

// The floppy drive of seed 1: its serial number and free space are the first
// two numbers of the seed's sequence.
TEST(RemoteWireTextTest, DiskDrives)
{
    MachineConfig config;
    config.pageSize = 1;
    RemoteMachine machine(config);
    Message list(201, 15001, 1);
    list.Root().ChildNode("DiskDrives").SetText("<Drives StartAt='-1' />");
    EXPECT_EQ(machine.Answer(list)->Dump(100000),
              "cmd=201 snapin=15001 reply=0 {RetValue=short:1 DiskDrives=\""
              "<DiskDrives StartAt='0' UpTo='1' Total='9' >"
              "<Drive DriveName='QQA6AFwA' "
              "DisplayName='RgBsAG8AcABwAHkAIABEAGkAcwBrACAARAByAGkAdgBlACAAKABBADoAKQA=' "
              "DriveType='RgBsAG8AcABwAHkAIABEAGkAcwBrACAARAByAGkAdgBlAA==' VolumeName='' "
              "SerialNo='MgAyADkAOAA2ADMAMwA0ADAAOQA=' FSType='RgBBAFQA' "
              "SizeInBytesHi='0' SizeInBytesLo='1457664' FreeSpaceInBytesHi='0' FreeSpaceInBytesLo='519168' "
              "TotalClusters='2847' FreeClusters='1014' SectorsPerCluster='1' BytesSector='512' SysFlags='6' "
              "DriveTypeDW='2' InfoReq='0' /></DiskDrives>\"}");

    Message details(202, 15001, 1);
    details.Root().ChildNode("DriveName").SetText("cQA6AFwA");  // "q:\\"
    EXPECT_EQ(machine.Answer(details)->Dump(100000),
              "cmd=202 snapin=15001 reply=0 {RetValue=long:0 ErrorStr=\"VABoAGUAIABzAHkAcwB0AGUAbQAgAGMAYQBuAG4AbwB0ACAA"
              "ZgBpAG4AZAAgAHQAaABlACAAZAByAGkAdgBlACAAcwBwAGUAYwBpAGYAaQBlAGQALgA=\"}");
}

// Tests and benchmarks ask for exact sizes; otherwise the scale decides.
TEST(RemoteMachineTest, ToolSizesFollowTheScaleUnlessSet)
{
    MachineConfig config;
    EXPECT_EQ(config.DriveVolumes(), 0);
    EXPECT_EQ(config.ServiceCount(), 180);
    config.scale = 3;
    EXPECT_EQ(config.DriveVolumes(), 2000);
    EXPECT_EQ(config.ServiceCount(), 277);
    config.scale = 1000;
    EXPECT_EQ(config.DriveVolumes(), 99000) << "the scale stops at 100";
    EXPECT_EQ(config.ServiceCount(), 5000);

    config.services.count = 0;
    EXPECT_EQ(config.ServiceCount(), 0);
    config.drives.volumes = -4;
    EXPECT_EQ(config.DriveVolumes(), 0);
    config.drives.volumes = 1 << 30;
    EXPECT_EQ(config.DriveVolumes(), MachineConfig::kMaxEntries);

    // Nine drives of the machine's own, then the volumes asked for.
    config.drives.volumes = 3;
    config.pageSize = 100;
    const std::vector<SimulatedDrive> drives = MakeSimulatedDrives(config);
    ASSERT_EQ(drives.size(), 12u);
    EXPECT_EQ(drives.back().driveName, u"C:\\Mounts\\Vol0003\\");
    RemoteMachine machine(config);
    CXmlElement root;
    ASSERT_TRUE(ParseField(*machine.Answer(*DriveListRequest(-1)), wire::kListNode, &root));
    EXPECT_EQ(Attribute(root, kTotalAttribute), 12);
    EXPECT_EQ(root.GetChildCount(), 12);
}

TEST(RemoteMachineTest, UnknownRequestsAndMalformedRequestsFail)
{
    RemoteMachine machine;
    const auto unknownCommand = machine.Answer(Message(299, wire::kSnapInId, 1));
    EXPECT_EQ(unknownCommand->Root().ChildNode(kRetValueNode).GetLong(), kNotSupportedValue);
    EXPECT_FALSE(ErrorText(*unknownCommand).empty());
    const auto unknownSnapIn = machine.Answer(Message(wire::kListCommand, 15099, 1));
    EXPECT_EQ(unknownSnapIn->Root().ChildNode(kRetValueNode).GetLong(), kNotSupportedValue);

    Message broken(wire::kListCommand, wire::kSnapInId, 1);
    broken.Root().ChildNode(wire::kListNode).SetText("<Drives StartAt='");
    const auto brokenAnswer = machine.Answer(broken);
    EXPECT_EQ(brokenAnswer->Root().ChildNode(kRetValueNode).GetShort(), 0);
    EXPECT_EQ(brokenAnswer->Root().Find(wire::kListNode), nullptr);
    EXPECT_EQ(machine.Answer(*DriveListRequest(-2))->Root().ChildNode(kRetValueNode).GetShort(), 0);
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
            ASSERT_EQ(answer->Command(), wire::kListCommand);
            ASSERT_EQ(answer->SnapInId(), static_cast<uint32_t>(wire::kSnapInId));
            ASSERT_EQ(answer->Root().ChildNode(kRetValueNode).GetShort(), 1);
            CXmlElement root;
            ASSERT_TRUE(ParseField(*answer, wire::kListNode, &root));
            EXPECT_EQ(Attribute(root, kStartAtAttribute), startAt < 0 ? 0 : startAt);
            EXPECT_EQ(Attribute(root, kTotalAttribute), static_cast<int64_t>(expected.size()));
            const int64_t upTo = Attribute(root, kUpToAttribute);
            EXPECT_EQ(upTo - (startAt < 0 ? 0 : startAt), root.GetChildCount());
            for (int i = 0; i < root.GetChildCount(); ++i) {
                EXPECT_EQ(Attribute(*root.GetChild(i), wire::kAttrInfoReq), 0);
                seen.push_back(TextAttribute(*root.GetChild(i), wire::kAttrDriveName));
            }
            ++pages;
            if (upTo >= Attribute(root, kTotalAttribute))
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
    ASSERT_TRUE(ParseField(*machine.Answer(*DriveListRequest(100000)), wire::kListNode, &root));
    EXPECT_EQ(root.GetChildCount(), 0);
    EXPECT_EQ(Attribute(root, kUpToAttribute), Attribute(root, kTotalAttribute));
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
    EXPECT_EQ(answer->Command(), wire::kDetailsCommand);
    EXPECT_EQ(answer->Root().ChildNode(kRetValueNode).GetShort(), 1);
    CXmlElement root;
    ASSERT_TRUE(ParseField(*answer, wire::kDetailsNode, &root));
    ASSERT_EQ(root.GetChildCount(), 1);
    const CXmlElement& drive = *root.GetChild(0);
    EXPECT_EQ(TextAttribute(drive, wire::kAttrDriveName), u"C:\\");
    EXPECT_EQ(TextAttribute(drive, wire::kAttrDriveType), u"Local Disk");
    EXPECT_EQ(TextAttribute(drive, wire::kAttrFileSystem), u"NTFS");
    EXPECT_EQ(TextAttribute(drive, wire::kAttrSerialNo), [&] {
        const std::string digits = std::to_string(system.serialNumber);
        return std::u16string(digits.begin(), digits.end());
    }());
    EXPECT_EQ(Halves(drive, wire::kAttrSizeHigh, wire::kAttrSizeLow), system.sizeBytes);
    EXPECT_EQ(Halves(drive, wire::kAttrFreeHigh, wire::kAttrFreeLow), system.freeBytes);
    EXPECT_EQ(Attribute(drive, wire::kAttrDriveTypeNumber), 3);
    EXPECT_EQ(Attribute(drive, wire::kAttrInfoReq), 1);

    for (std::u16string_view unknown : {u"Q:\\", u""}) {
        const auto failed = machine.Answer(*DriveDetailsRequest(unknown));
        EXPECT_EQ(failed->Root().ChildNode(kRetValueNode).GetShort(), 0);
        EXPECT_EQ(ErrorText(*failed), u"The system cannot find the drive specified.");
        EXPECT_EQ(failed->Root().Find(wire::kDetailsNode), nullptr);
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
    machine.InjectFault(wire::kListCommand, fault);

    EXPECT_EQ(machine.Answer(*DriveListRequest(-1))->Root().ChildNode(kRetValueNode).GetShort(), 1);
    const auto failed = machine.Answer(*DriveListRequest(50));
    EXPECT_EQ(failed->Root().ChildNode(kRetValueNode).GetLong(), 1117);
    EXPECT_EQ(ErrorText(*failed), fault.errorText);
    EXPECT_EQ(failed->Root().Find(wire::kListNode), nullptr);
    EXPECT_EQ(machine.Answer(*DriveListRequest(-1))->Root().ChildNode(kRetValueNode).GetShort(), 1);

    // Default: the snap-in's own failure value, no text; another snap-in is spared.
    machine.InjectFault(0, Fault{.snapInId = 15003});
    EXPECT_EQ(machine.Answer(Message(0, 15002, 1))->Root().ChildNode(kSupportedNode).GetBool(), 1);
    const auto supported = machine.Answer(Message(0, 15003, 1));
    EXPECT_EQ(supported->Root().ChildNode(kSupportedNode).GetBool(), 0);
    EXPECT_EQ(supported->Root().Find(kErrorTextNode), nullptr);
    machine.InjectFault(wire::kDetailsCommand, Fault{});
    EXPECT_EQ(machine.Answer(*DriveDetailsRequest(u"C:\\"))->Root().ChildNode(kRetValueNode).GetLong(), 0);
    machine.ClearFaults();
    EXPECT_EQ(machine.Answer(*DriveDetailsRequest(u"C:\\"))->Root().ChildNode(kRetValueNode).GetLong(), 1);
}

TEST(RemoteMachineTest, BodyFaultsSpoilWhatTheySay)
{
    MachineConfig config;
    config.pageSize = 4;
    RemoteMachine machine(config);
    CXmlElement root;

    machine.InjectFault(wire::kListCommand, Fault{.kind = FaultKind::Garbage});
    const auto garbage = machine.Answer(*DriveListRequest(-1));
    EXPECT_EQ(garbage->Root().ChildNode(kRetValueNode).GetShort(), 1);
    EXPECT_FALSE(ParseField(*garbage, wire::kListNode, &root));
    machine.InjectFault(wire::kDetailsCommand, Fault{.kind = FaultKind::Garbage});
    EXPECT_FALSE(ParseField(*machine.Answer(*DriveDetailsRequest(u"C:\\")), wire::kDetailsNode, &root));

    machine.InjectFault(wire::kListCommand, Fault{.kind = FaultKind::StuckPage});
    for (int64_t startAt : {-1, 4}) {
        ASSERT_TRUE(ParseField(*machine.Answer(*DriveListRequest(startAt)), wire::kListNode, &root));
        EXPECT_EQ(Attribute(root, kUpToAttribute), startAt);
        EXPECT_EQ(root.GetChildCount(), 4);
    }

    machine.InjectFault(wire::kListCommand, Fault{.kind = FaultKind::HugeTotal});
    ASSERT_TRUE(ParseField(*machine.Answer(*DriveListRequest(-1)), wire::kListNode, &root));
    EXPECT_STREQ(root.GetAttribute(kTotalAttribute), "4294967295");
    EXPECT_EQ(Attribute(root, kUpToAttribute), 4);

    machine.InjectFault(wire::kListCommand, Fault{.kind = FaultKind::HostileNumbers});
    ASSERT_TRUE(ParseField(*machine.Answer(*DriveListRequest(-1)), wire::kListNode, &root));
    ASSERT_EQ(root.GetChildCount(), 4);
    const CXmlElement& freeAboveSize = *root.GetChild(0);
    EXPECT_GT(Halves(freeAboveSize, wire::kAttrFreeHigh, wire::kAttrFreeLow),
              Halves(freeAboveSize, wire::kAttrSizeHigh, wire::kAttrSizeLow));
    EXPECT_STREQ(root.GetChild(1)->GetAttribute(wire::kAttrSizeHigh), "4294967295");
    EXPECT_STREQ(root.GetChild(2)->GetAttribute(wire::kAttrSizeLow), "-1");
}

}  // namespace
}  // namespace vantrel::remote
