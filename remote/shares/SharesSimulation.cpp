// Shared Folders (15006): 701 shares, 702 sessions, 703 open files, each a
// page at a time; 704 add a share, 705 delete one, 706 disconnect a session
// (its open files close with it), 707 close a file, 708 change a share; 4
// whether a folder exists.
#include "remote/SimulatedSnapIn.h"
#include "remote/Simulations.h"

#include <algorithm>
#include <optional>
#include <string>

#include "framework/model/Answer.h"
#include "framework/model/Paging.h"
#include "framework/text/Base64.h"
#include "framework/text/TextCompare.h"
#include "framework/xml/Xml.h"
#include "remote/shares/SharesData.h"
#include "snapins/shares/model/Protocol.h"

namespace vantrel::remote {
namespace {

namespace wire = shares::protocol;

// The machine's error codes and their texts.
constexpr int32_t kFailure = 0;
constexpr int32_t kAccessDenied = 5;
constexpr int32_t kInvalidParameter = 87;
constexpr int32_t kPathNotFound = 3;
constexpr int32_t kShareExists = 2118;
constexpr int32_t kNoSuchShare = 2310;
constexpr int32_t kNoSuchSession = 2312;
constexpr int32_t kNoSuchFile = 2314;
constexpr char16_t kAccessDeniedText[] = u"Access is denied.";
constexpr char16_t kInvalidParameterText[] = u"The parameter is incorrect.";
constexpr char16_t kPathNotFoundText[] = u"The system cannot find the path specified.";
constexpr char16_t kShareExistsText[] = u"The share name is already in use on this server.";
constexpr char16_t kNoSuchShareText[] = u"This shared resource does not exist.";
constexpr char16_t kNoSuchSessionText[] = u"A session does not exist with that computer name.";
constexpr char16_t kNoSuchFileText[] = u"There is not an open file with that identification number.";

constexpr char kAttrId[] = "Id";  // the machine's own number of an open file

std::string Text(std::u16string_view text) { return EncodeUtf16Base64(text); }

std::optional<int64_t> RequestedStart(const CommandContext& context, const char* node) {
    CXmlElement request;
    if (!ParseRequestXml(context.request, node, &request)) return std::nullopt;
    return request.GetAttribute(kStartAtAttribute) ? ReadInt64(request, kStartAtAttribute) : -1;
}

void WriteShare(CXmlElement& element, const SimulatedShare& share, bool hostile) {
    if (hostile) {
        element.AddAttribute(wire::kAttrType, "99999999999999999999");
        element.AddAttribute(wire::kAttrClientConnections, "-5");
    }
    element.AddAttribute(wire::kAttrName, Text(share.name));
    element.AddAttribute(wire::kAttrFolderPath, Text(share.folderPath));
    element.AddAttribute(wire::kAttrType, std::to_string(share.type));
    element.AddAttribute(wire::kAttrClientConnections, std::to_string(share.clientConnections));
    element.AddAttribute(wire::kAttrDescription, Text(share.description));
    element.AddAttribute(wire::kAttrMaxUsers, std::to_string(share.maxUsers));
    element.AddAttribute(wire::kAttrAccess, std::to_string(share.access));
    for (const SimulatedPermission& permission : share.permissions) {
        CXmlElement& entry = *element.AddChild(wire::kPermissionElement);
        entry.AddAttribute(wire::kAttrAccount, Text(permission.account));
        entry.AddAttribute(wire::kAttrRights, std::to_string(permission.rights));
    }
}

void ReadShareSettings(const CXmlElement& element, SimulatedShare& share) {
    share.description = ReadText(element, wire::kAttrDescription);
    share.maxUsers = ReadInt32(element, wire::kAttrMaxUsers);
    share.access = ReadInt32(element, wire::kAttrAccess);
    share.readPassword = ReadText(element, wire::kAttrRoPass);
    share.writePassword = ReadText(element, wire::kAttrRwPass);
    share.permissions.clear();
    for (int i = 0; i < element.GetChildCount(); ++i) {
        const CXmlElement& entry = *element.GetChild(i);
        if (entry.Name() == wire::kPermissionElement)
            share.permissions.push_back({ReadText(entry, wire::kAttrAccount), ReadInt32(entry, wire::kAttrRights)});
    }
}

class SharesSimulation final : public SimulatedSnapIn {
public:
    explicit SharesSimulation(const MachineConfig& config) : data_(MakeSimulatedShares(config)) {}

    void Register(CommandRegistry& registry) override {
        const auto add = [&](uint32_t command, void (SharesSimulation::*answer)(CommandContext&)) {
            registry.Add(static_cast<uint32_t>(wire::kSnapInId), command, kFailure,
                         [this, answer](CommandContext& context) { (this->*answer)(context); });
        };
        add(0, &SharesSimulation::AnswerSupported);
        add(wire::kFileExistsCommand, &SharesSimulation::AnswerFileExists);
        add(wire::kSharesCommand, &SharesSimulation::AnswerShares);
        add(wire::kSessionsCommand, &SharesSimulation::AnswerSessions);
        add(wire::kFilesCommand, &SharesSimulation::AnswerFiles);
        add(wire::kAddShareCommand, &SharesSimulation::AnswerAddShare);
        add(wire::kDeleteShareCommand, &SharesSimulation::AnswerDeleteShare);
        add(wire::kCloseSessionCommand, &SharesSimulation::AnswerCloseSession);
        add(wire::kCloseFileCommand, &SharesSimulation::AnswerCloseFile);
        add(wire::kChangeShareCommand, &SharesSimulation::AnswerChangeShare);
    }

private:
    static void Succeed(CommandContext& context) { context.answer.Root().ChildNode(kRetValueNode).SetShort(wire::kSuccess); }

    void AnswerSupported(CommandContext& context) {
        const bool shareLevel = context.config.shares.shareLevel;
        host::MessageNode& root = context.answer.Root();
        root.ChildNode(wire::kIsWinNtNode).SetBool(shareLevel ? 0 : 1);
        root.ChildNode(wire::kIsUserLevelNode).SetBool(shareLevel ? 0 : 1);
        root.ChildNode(wire::kUsersServerNode).SetText(shareLevel ? "" : "SRV-ECOLE-01");
    }

    void AnswerFileExists(CommandContext& context) {
        const host::MessageNode* node = context.request.Root().Find(wire::kFileNameNode);
        const std::u16string path = DecodeUtf16Base64(node ? node->Text() : std::string());
        Succeed(context);
        context.answer.Root().ChildNode(wire::kFileNameNode).SetText(Text(path));
        const bool exists = FolderExists(data_, path);
        context.answer.Root().ChildNode(wire::kFileExistNode).SetShort(exists ? 1 : 0);
        if (!exists) SetErrorText(context.answer, kPathNotFoundText);
    }

    // A page of `count` entries, or null with a failure answered.
    std::optional<PagePlan> Plan(CommandContext& context, const char* node, size_t count) {
        const std::optional<int64_t> startAt = RequestedStart(context, node);
        std::optional<PagePlan> plan = startAt ? PlanPage(*startAt, count, context) : std::nullopt;
        if (!plan) SetFailure(context.answer, kInvalidParameter, kInvalidParameterText);
        return plan;
    }

    void Answer(CommandContext& context, const char* node, const CXmlElement& root) {
        Succeed(context);
        context.answer.Root().ChildNode(node).SetText(XmlBodyText(root, context.fault));
    }

    void AnswerShares(CommandContext& context) {
        const std::optional<PagePlan> plan = Plan(context, wire::kSharesNode, data_.shares.size());
        if (!plan) return;
        CXmlElement root(wire::kSharesElement);
        SetPageAttributes(root, *plan);
        root.AddAttribute(wire::kAttrPcName, Text(data_.computerName));
        const bool hostile = context.fault == FaultKind::HostileNumbers;
        for (size_t i = plan->first; i < plan->end; ++i)
            WriteShare(*root.AddChild(wire::kShareElement), data_.shares[i], hostile);
        Answer(context, wire::kSharesNode, root);
    }

    void AnswerSessions(CommandContext& context) {
        const std::optional<PagePlan> plan = Plan(context, wire::kSessionsNode, data_.sessions.size());
        if (!plan) return;
        std::vector<uint32_t> opens(data_.sessions.size());
        for (const SimulatedOpenFile& file : data_.files) ++opens[file.session];
        CXmlElement root(wire::kSessionsElement);
        SetPageAttributes(root, *plan);
        const bool hostile = context.fault == FaultKind::HostileNumbers;
        for (size_t i = plan->first; i < plan->end; ++i) {
            const SimulatedSession& session = data_.sessions[i];
            CXmlElement& element = *root.AddChild(wire::kSessionElement);
            if (hostile) {
                element.AddAttribute(wire::kAttrConnTime, "-1");
                element.AddAttribute(wire::kAttrIdleTime, "99999999999999999999");
                element.AddAttribute(wire::kAttrFileOpens, "4294967296");
            }
            element.AddAttribute(wire::kAttrUserName, Text(session.userName));
            element.AddAttribute(wire::kAttrComputer, Text(session.computer));
            element.AddAttribute(wire::kAttrType, Text(session.clientType));
            element.AddAttribute(wire::kAttrTransport, Text(session.transport));
            element.AddAttribute(wire::kAttrFileOpens, std::to_string(opens[i]));
            element.AddAttribute(wire::kAttrConnTime, std::to_string(session.connTime));
            element.AddAttribute(wire::kAttrIdleTime, std::to_string(session.idleTime));
            element.AddAttribute(wire::kAttrGuest, session.guest ? "1" : "0");
        }
        Answer(context, wire::kSessionsNode, root);
    }

    void AnswerFiles(CommandContext& context) {
        const std::optional<PagePlan> plan = Plan(context, wire::kFilesNode, data_.files.size());
        if (!plan) return;
        CXmlElement root(wire::kFilesElement);
        SetPageAttributes(root, *plan);
        const bool hostile = context.fault == FaultKind::HostileNumbers;
        for (size_t i = plan->first; i < plan->end; ++i) {
            const SimulatedOpenFile& file = data_.files[i];
            CXmlElement& element = *root.AddChild(wire::kFileElement);
            if (hostile) {
                element.AddAttribute(wire::kAttrLocks, "-3");
                element.AddAttribute(wire::kAttrOpenMode, "4294967295");
            }
            element.AddAttribute(kAttrId, std::to_string(file.id));
            element.AddAttribute(wire::kAttrName, Text(file.path));
            element.AddAttribute(wire::kAttrAccessedBy, Text(data_.sessions[file.session].userName));
            element.AddAttribute(wire::kAttrLocks, std::to_string(file.locks));
            element.AddAttribute(wire::kAttrOpenMode, std::to_string(file.openMode));
        }
        Answer(context, wire::kFilesNode, root);
    }

    // The element a command carries, or null with a failure answered.
    std::optional<CXmlElement*> Element(CommandContext& context, const char* node, CXmlElement& element) {
        if (ParseRequestXml(context.request, node, &element)) return &element;
        SetFailure(context.answer, kInvalidParameter, kInvalidParameterText);
        return std::nullopt;
    }

    std::vector<SimulatedShare>::iterator FindShare(std::u16string_view name) {
        return std::find_if(data_.shares.begin(), data_.shares.end(),
                            [&](const SimulatedShare& s) { return EqualsNoCase(s.name, name); });
    }

    void AnswerAddShare(CommandContext& context) {
        CXmlElement element;
        if (!Element(context, wire::kShareNode, element)) return;
        SimulatedShare share;
        share.name = ReadText(element, wire::kAttrName);
        share.folderPath = ReadText(element, wire::kAttrFolderPath);
        if (share.name.empty()) return SetFailure(context.answer, kInvalidParameter, kInvalidParameterText);
        if (FindShare(share.name) != data_.shares.end())
            return SetFailure(context.answer, kShareExists, kShareExistsText);
        if (!FolderExists(data_, share.folderPath)) return SetFailure(context.answer, kPathNotFound, kPathNotFoundText);
        ReadShareSettings(element, share);
        data_.shares.push_back(std::move(share));
        Succeed(context);
    }

    void AnswerChangeShare(CommandContext& context) {
        CXmlElement element;
        if (!Element(context, wire::kShareNode, element)) return;
        const auto share = FindShare(ReadText(element, wire::kAttrName));
        if (share == data_.shares.end()) return SetFailure(context.answer, kNoSuchShare, kNoSuchShareText);
        ReadShareSettings(element, *share);
        Succeed(context);
    }

    void AnswerDeleteShare(CommandContext& context) {
        CXmlElement element;
        if (!Element(context, wire::kShareNode, element)) return;
        const auto share = FindShare(ReadText(element, wire::kAttrName));
        if (share == data_.shares.end()) return SetFailure(context.answer, kNoSuchShare, kNoSuchShareText);
        // The machine needs its IPC share for everything else, this tool included.
        if (share->type == (wire::kTypeSpecialFlag | wire::kTypeIpc))
            return SetFailure(context.answer, kAccessDenied, kAccessDeniedText);
        data_.shares.erase(share);
        Succeed(context);
    }

    void AnswerCloseSession(CommandContext& context) {
        CXmlElement element;
        if (!Element(context, wire::kSessionNode, element)) return;
        const std::u16string user = ReadText(element, wire::kAttrUserName);
        const std::u16string computer = ReadText(element, wire::kAttrComputer);
        const auto found = std::find_if(data_.sessions.begin(), data_.sessions.end(), [&](const SimulatedSession& s) {
            return EqualsNoCase(s.userName, user) && EqualsNoCase(s.computer, computer);
        });
        if (found == data_.sessions.end()) return SetFailure(context.answer, kNoSuchSession, kNoSuchSessionText);
        const size_t index = static_cast<size_t>(found - data_.sessions.begin());
        std::erase_if(data_.files, [&](const SimulatedOpenFile& file) { return file.session == index; });
        for (SimulatedOpenFile& file : data_.files)
            if (file.session > index) --file.session;
        data_.sessions.erase(found);
        Succeed(context);
    }

    void AnswerCloseFile(CommandContext& context) {
        CXmlElement element;
        if (!Element(context, wire::kFileNode, element)) return;
        uint32_t id = 0;
        const bool hasId = element.GetAttributeUInt32(kAttrId, &id);
        const auto found = std::find_if(data_.files.begin(), data_.files.end(),
                                        [&](const SimulatedOpenFile& file) { return hasId && file.id == id; });
        if (found == data_.files.end()) return SetFailure(context.answer, kNoSuchFile, kNoSuchFileText);
        data_.files.erase(found);
        Succeed(context);
    }

    SimulatedShares data_;
};

}  // namespace

std::unique_ptr<SimulatedSnapIn> MakeSharesSimulation(const MachineConfig& config) {
    return std::make_unique<SharesSimulation>(config);
}

}  // namespace vantrel::remote
