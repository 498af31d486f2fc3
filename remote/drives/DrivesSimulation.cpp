// Disk Drives (15001): 201 one page of the drive list, 202 one drive's details.
#include <string>
#include <utility>
#include <vector>

#include "framework/model/Answer.h"
#include "framework/model/Paging.h"
#include "framework/text/Base64.h"
#include "framework/text/TextCompare.h"
#include "framework/xml/Xml.h"
#include "remote/SimulatedSnapIn.h"
#include "remote/Simulations.h"
#include "remote/drives/DrivesData.h"
#include "snapins/drives/model/Protocol.h"

namespace vantrel::remote {

namespace {

namespace wire = drives::protocol;

constexpr int32_t kDrivesFailure = 0;

using Attributes = std::vector<std::pair<const char*, std::string>>;

std::string High(uint64_t value) { return std::to_string(value >> 32); }
std::string Low(uint64_t value) { return std::to_string(value & 0xFFFFFFFFu); }

Attributes NumberAttributes(const SimulatedDrive& drive, uint32_t infoReq)
{
    return {
        {wire::kAttrSizeHigh, High(drive.sizeBytes)},
        {wire::kAttrSizeLow, Low(drive.sizeBytes)},
        {wire::kAttrFreeHigh, High(drive.freeBytes)},
        {wire::kAttrFreeLow, Low(drive.freeBytes)},
        {wire::kAttrTotalClusters, std::to_string(drive.totalClusters)},
        {wire::kAttrFreeClusters, std::to_string(drive.freeClusters)},
        {wire::kAttrSectorsPerCluster, std::to_string(drive.sectorsPerCluster)},
        {wire::kAttrBytesPerSector, std::to_string(drive.bytesPerSector)},
        {wire::kAttrSysFlags, std::to_string(drive.fileSystemFlags)},
        {wire::kAttrDriveTypeNumber, std::to_string(drive.driveType)},
        {wire::kAttrInfoReq, std::to_string(infoReq)},
    };
}

void Override(Attributes& attributes, const char* name, std::string value)
{
    for (auto& [key, text] : attributes) {
        if (std::string_view(key) == name)
            text = std::move(value);
    }
}

// Three kinds of nonsense, taken in turn by the drives of a page.
void MakeHostile(Attributes& attributes, const SimulatedDrive& drive, size_t variant)
{
    switch (variant % 3) {
    case 0:  // more free space than size
        Override(attributes, wire::kAttrFreeHigh, std::to_string((drive.sizeBytes >> 32) + 7));
        Override(attributes, wire::kAttrFreeClusters, std::to_string(uint64_t{drive.totalClusters} + 1000));
        break;
    case 1:  // every half at its largest
        for (const char* name : {wire::kAttrSizeHigh, wire::kAttrSizeLow, wire::kAttrFreeHigh, wire::kAttrFreeLow,
                                 wire::kAttrTotalClusters, wire::kAttrFreeClusters, wire::kAttrSysFlags,
                                 wire::kAttrDriveTypeNumber})
            Override(attributes, name, "4294967295");
        break;
    default:  // negative, overlong and empty numbers
        Override(attributes, wire::kAttrSizeHigh, "99999999999999999999999");
        Override(attributes, wire::kAttrSizeLow, "-1");
        Override(attributes, wire::kAttrFreeLow, "-4294967296");
        Override(attributes, wire::kAttrSectorsPerCluster, "-5");
        Override(attributes, wire::kAttrBytesPerSector, "0");
        Override(attributes, wire::kAttrDriveTypeNumber, "");
        Override(attributes, wire::kAttrInfoReq, "-1");
        break;
    }
}

void AddDriveElement(CXmlElement& parent, const SimulatedDrive& drive, uint32_t infoReq,
                     std::optional<size_t> hostileVariant)
{
    CXmlElement* element = parent.AddChild(wire::kDriveElement);
    element->AddAttribute(wire::kAttrDriveName, EncodeUtf16Base64(drive.driveName));
    element->AddAttribute(wire::kAttrDisplayName, EncodeUtf16Base64(drive.displayName));
    element->AddAttribute(wire::kAttrDriveType, EncodeUtf16Base64(drive.typeText));
    element->AddAttribute(wire::kAttrVolumeName, EncodeUtf16Base64(drive.volumeName));
    element->AddAttribute(wire::kAttrSerialNo, EncodeUtf16Base64(DecimalUtf16(drive.serialNumber)));
    element->AddAttribute(wire::kAttrFileSystem, EncodeUtf16Base64(drive.fileSystem));
    Attributes numbers = NumberAttributes(drive, infoReq);
    if (hostileVariant)
        MakeHostile(numbers, drive, *hostileVariant);
    for (const auto& [name, value] : numbers)
        element->AddAttribute(name, value);
}

class DrivesSimulation final : public SimulatedSnapIn {
public:
    explicit DrivesSimulation(const MachineConfig& config) : drives_(MakeSimulatedDrives(config)) {}

    void Register(CommandRegistry& registry) override
    {
        registry.Add(wire::kSnapInId, wire::kListCommand, kDrivesFailure,
                     [this](CommandContext& context) { AnswerDriveList(context); });
        registry.Add(wire::kSnapInId, wire::kDetailsCommand, kDrivesFailure,
                     [this](CommandContext& context) { AnswerDriveDetails(context); });
    }

private:
    void AnswerDriveList(CommandContext& context) const
    {
        CXmlElement request;
        if (!ParseRequestXml(context.request, wire::kListNode, &request)) {
            SetFailure(context.answer, kDrivesFailure, u"The parameter is incorrect.");
            return;
        }
        const int64_t startAt = request.GetAttribute(kStartAtAttribute) ? request.GetAttributeInt(kStartAtAttribute) : -1;
        const std::optional<PagePlan> plan = PlanPage(startAt, drives_.size(), context);
        if (!plan) {
            SetFailure(context.answer, kDrivesFailure, u"The parameter is incorrect.");
            return;
        }
        CXmlElement root(wire::kAnswerRootList);
        SetPageAttributes(root, *plan);
        const bool hostile = context.fault == FaultKind::HostileNumbers;
        for (size_t i = plan->first; i < plan->end; ++i)
            AddDriveElement(root, drives_[i], 0, hostile ? std::optional<size_t>(i - plan->first) : std::nullopt);
        context.answer.Root().ChildNode(kRetValueNode).SetShort(wire::kSuccess);
        context.answer.Root().ChildNode(wire::kListNode).SetText(XmlBodyText(root, context.fault));
    }

    void AnswerDriveDetails(CommandContext& context) const
    {
        const host::MessageNode* nameNode = context.request.Root().Find(wire::kDriveNameNode);
        const std::u16string wanted = DecodeUtf16Base64(nameNode ? nameNode->Text() : std::string());
        const SimulatedDrive* drive = FindDrive(wanted);
        if (!drive) {
            SetFailure(context.answer, kDrivesFailure, u"The system cannot find the drive specified.");
            return;
        }
        CXmlElement root(wire::kAnswerRootDetails);
        const bool hostile = context.fault == FaultKind::HostileNumbers;
        AddDriveElement(root, *drive, 1,
                        hostile ? std::optional<size_t>(static_cast<size_t>(drive - drives_.data())) : std::nullopt);
        context.answer.Root().ChildNode(kRetValueNode).SetShort(wire::kSuccess);
        context.answer.Root().ChildNode(wire::kDetailsNode).SetText(XmlBodyText(root, context.fault));
    }

    const SimulatedDrive* FindDrive(std::u16string_view name) const
    {
        if (name.empty())
            return nullptr;
        for (const SimulatedDrive& drive : drives_) {
            // Drive names compare without regard to case, as paths do.
            if (EqualsNoCase(drive.driveName, name))
                return &drive;
        }
        return nullptr;
    }

    std::vector<SimulatedDrive> drives_;
};

}  // namespace

std::unique_ptr<SimulatedSnapIn> MakeDrivesSimulation(const MachineConfig& config)
{
    return std::make_unique<DrivesSimulation>(config);
}

}  // namespace vantrel::remote
