// Local Users and Groups (15010): 1101-1113, and the account picker's
// command 3 for every snap-in that opens the picker (15005, 15006, 15010).
#include "remote/SimulatedSnapIn.h"
#include "remote/Simulations.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "framework/model/Answer.h"
#include "framework/model/Paging.h"
#include "framework/text/Base64.h"
#include "framework/text/TextCompare.h"
#include "framework/xml/Xml.h"
#include "remote/users/UsersData.h"
#include "snapins/picker/model/Protocol.h"
#include "snapins/users/model/Protocol.h"

namespace vantrel::remote {

namespace {

namespace wire = users::protocol;
namespace pick = picker::protocol;

// The snap-ins whose pickers the machine answers.
constexpr uint32_t kPickerOwners[] = {15005, 15006, 15010};
constexpr int32_t kPickerFailure = 1;

// The system's words and codes.
struct Refusal {
    int32_t code;
    const char16_t* text;
};
constexpr Refusal kBadParameter = {87, u"The parameter is incorrect."};
constexpr Refusal kNoSuchUser = {2221, u"The user name could not be found."};
constexpr Refusal kNoSuchGroup = {2220, u"The group name could not be found."};
constexpr Refusal kUserExists = {2224, u"The account already exists."};
constexpr Refusal kGroupExists = {2223, u"The group already exists."};
constexpr Refusal kBadName = {1315, u"The name provided is not a properly formed account name."};
constexpr Refusal kBuiltIn = {1371, u"Cannot perform this operation on built-in accounts."};
constexpr Refusal kPasswordPolicy = {2245, u"The password does not meet the password policy requirements. Check the "
                                           u"minimum password length, password complexity and password history "
                                           u"requirements."};
constexpr Refusal kNoMapping = {1332, u"No mapping between account names and security IDs was done."};
constexpr Refusal kNoSuchDomain = {1355, u"The specified domain either does not exist or could not be contacted."};

constexpr size_t kMinPasswordLength = 6;
constexpr uint32_t kLockedOut = wire::kFlagLockedOut;

void Refuse(CommandContext& context, const Refusal& refusal)
{
    SetFailure(context.answer, refusal.code, refusal.text);
}

void Succeed(CommandContext& context)
{
    context.answer.Root().ChildNode(kRetValueNode).SetShort(wire::kSuccess);
}

bool Same(std::u16string_view a, std::u16string_view b)
{
    return EqualsNoCase(a, b);
}

// The account name of "DOMAIN\name" when DOMAIN is this machine; other
// qualified names stay as they are.
std::u16string LocalPart(std::u16string_view name)
{
    const size_t slash = name.find(u'\\');
    if (slash != std::u16string_view::npos && Same(name.substr(0, slash), kMachineName))
        return std::u16string(name.substr(slash + 1));
    return std::u16string(name);
}

bool IsForeign(std::u16string_view name)
{
    return name.find(u'\\') != std::u16string_view::npos;
}

// What the machine refuses as an account name.
bool ProperName(std::u16string_view name)
{
    static constexpr std::u16string_view kForbidden = u"\"/\\[]:|<>+=;,?*";
    if (name.empty() || name.size() > 256)
        return false;
    bool onlyDotsAndBlanks = true;
    for (char16_t c : name) {
        if (c < 0x20 || kForbidden.find(c) != std::u16string_view::npos)
            return false;
        if (c != u'.' && c != u' ')
            onlyDotsAndBlanks = false;
    }
    return !onlyDotsAndBlanks;
}

bool MeetsPolicy(std::u16string_view password, std::u16string_view user)
{
    if (password.size() < kMinPasswordLength)
        return false;
    for (size_t i = 0; user.size() >= 3 && i + user.size() <= password.size(); ++i)
        if (Same(password.substr(i, user.size()), user))
            return false;
    return true;
}

std::string Number(int64_t value)
{
    return std::to_string(value);
}

// A page of one of the lists whose "UpTo" is the index of its last entry.
struct InclusivePage {
    size_t first = 0;
    size_t end = 0;
};

std::optional<InclusivePage> PlanInclusivePage(CXmlElement& root, int64_t startAt, size_t total,
                                               const CommandContext& context)
{
    const std::optional<PagePlan> plan = PlanPage(startAt, total, context);
    if (!plan)
        return std::nullopt;
    PagePlan attributes = *plan;
    attributes.upToAttribute = context.fault == FaultKind::StuckPage ? startAt : static_cast<int64_t>(plan->end) - 1;
    SetPageAttributes(root, attributes);
    return InclusivePage{plan->first, plan->end};
}

// Three kinds of nonsense for the numbers of an entry.
std::string HostileNumber(size_t variant)
{
    static const char* const kValues[] = {"-1", "4294967296", "99999999999999999999", "", "x3"};
    return kValues[variant % std::size(kValues)];
}

class UsersSimulation final : public SimulatedSnapIn {
public:
    explicit UsersSimulation(const MachineConfig& config)
        : users_(MakeSimulatedUsers(config)), groups_(MakeSimulatedGroups(config)), domains_(MakeSimulatedDomains(config))
    {
    }

    void Register(CommandRegistry& registry) override
    {
        const auto add = [&](uint32_t command, void (UsersSimulation::*answer)(CommandContext&)) {
            registry.Add(static_cast<uint32_t>(wire::kSnapInId), command, kBadParameter.code,
                         [this, answer](CommandContext& context) { (this->*answer)(context); });
        };
        add(wire::kListUsersCommand, &UsersSimulation::AnswerListUsers);
        add(wire::kListGroupsCommand, &UsersSimulation::AnswerListGroups);
        add(wire::kDeleteUserCommand, &UsersSimulation::AnswerDeleteUser);
        add(wire::kDeleteGroupCommand, &UsersSimulation::AnswerDeleteGroup);
        add(wire::kRenameUserCommand, &UsersSimulation::AnswerRenameUser);
        add(wire::kRenameGroupCommand, &UsersSimulation::AnswerRenameGroup);
        add(wire::kSetPasswordCommand, &UsersSimulation::AnswerSetPassword);
        add(wire::kCreateUserCommand, &UsersSimulation::AnswerCreateUser);
        add(wire::kCreateGroupCommand, &UsersSimulation::AnswerCreateGroup);
        add(wire::kReadUserCommand, &UsersSimulation::AnswerReadUser);
        add(wire::kReadGroupCommand, &UsersSimulation::AnswerReadGroup);
        add(wire::kWriteUserCommand, &UsersSimulation::AnswerWriteUser);
        add(wire::kWriteGroupCommand, &UsersSimulation::AnswerWriteGroup);
        for (uint32_t owner : kPickerOwners)
            registry.Add(owner, pick::kAccountCommand, kPickerFailure,
                         [this](CommandContext& context) { AnswerAccounts(context); });
    }

private:
    // ---- lookups ----
    SimulatedUser* FindUser(std::u16string_view name)
    {
        const std::u16string local = LocalPart(name);
        for (SimulatedUser& user : users_)
            if (Same(user.name, local))
                return &user;
        return nullptr;
    }
    SimulatedGroup* FindGroup(std::u16string_view name)
    {
        const std::u16string local = LocalPart(name);
        for (SimulatedGroup& group : groups_)
            if (Same(group.name, local))
                return &group;
        return nullptr;
    }
    bool NameTaken(std::u16string_view name) { return FindUser(name) || FindGroup(name); }

    // A member as the machine keeps it: a local account by its name, a
    // foreign one qualified; nothing for a local name it does not know.
    std::optional<std::u16string> ResolveMember(std::u16string_view name)
    {
        const std::u16string local = LocalPart(name);
        if (IsForeign(local))
            return local;
        if (const SimulatedUser* user = FindUser(local))
            return user->name;
        if (const SimulatedGroup* group = FindGroup(local))
            return group->name;
        return std::nullopt;
    }

    static bool ParseNode(const CommandContext& context, const char* node, CXmlElement* out)
    {
        return ParseRequestXml(context.request, node, out);
    }

    static void SetXml(CommandContext& context, const char* node, const CXmlElement& root)
    {
        context.answer.Root().ChildNode(node).SetText(XmlBodyText(root, context.fault));
    }

    static void WriteUser(CXmlElement& element, const SimulatedUser& user, std::optional<size_t> hostile)
    {
        element.AddAttribute(wire::kAttrName, EncodeUtf16Base64(user.name));
        element.AddAttribute(wire::kAttrFullName, EncodeUtf16Base64(user.fullName));
        element.AddAttribute(wire::kAttrDescription, EncodeUtf16Base64(user.description));
        element.AddAttribute(wire::kAttrFlags, hostile ? HostileNumber(*hostile) : Number(user.flags));
    }

    static void WriteGroup(CXmlElement& element, const SimulatedGroup& group)
    {
        element.AddAttribute(wire::kAttrName, EncodeUtf16Base64(group.name));
        element.AddAttribute(wire::kAttrDescription, EncodeUtf16Base64(group.description));
    }

    // ---- lists ----
    void AnswerListUsers(CommandContext& context)
    {
        CXmlElement request;
        if (!ParseNode(context, wire::kUsersNode, &request))
            return Refuse(context, kBadParameter);
        CXmlElement root(wire::kUsersElement);
        const auto page = PlanInclusivePage(root, ReadInt64(request, kStartAtAttribute), users_.size(), context);
        if (!page)
            return Refuse(context, kBadParameter);
        const bool hostile = context.fault == FaultKind::HostileNumbers;
        for (size_t i = page->first; i < page->end; ++i)
            WriteUser(*root.AddChild(wire::kUserElement), users_[i], hostile ? std::optional(i) : std::nullopt);
        Succeed(context);
        SetXml(context, wire::kUsersNode, root);
    }

    void AnswerListGroups(CommandContext& context)
    {
        CXmlElement request;
        if (!ParseNode(context, wire::kGroupsNode, &request))
            return Refuse(context, kBadParameter);
        CXmlElement root(wire::kGroupsElement);
        const auto page = PlanInclusivePage(root, ReadInt64(request, kStartAtAttribute), groups_.size(), context);
        if (!page)
            return Refuse(context, kBadParameter);
        for (size_t i = page->first; i < page->end; ++i)
            WriteGroup(*root.AddChild(wire::kGroupElement), groups_[i]);
        Succeed(context);
        SetXml(context, wire::kGroupsNode, root);
    }

    // ---- delete and rename ----
    void AnswerDeleteUser(CommandContext& context)
    {
        CXmlElement request;
        if (!ParseNode(context, wire::kUserNode, &request))
            return Refuse(context, kBadParameter);
        SimulatedUser* user = FindUser(ReadText(request, wire::kAttrName));
        if (!user)
            return Refuse(context, kNoSuchUser);
        if (Same(user->name, u"Administrator") || Same(user->name, u"Guest"))
            return Refuse(context, kBuiltIn);
        const std::u16string name = user->name;
        std::erase_if(users_, [&](const SimulatedUser& u) { return Same(u.name, name); });
        for (SimulatedGroup& group : groups_)
            std::erase_if(group.members, [&](const std::u16string& m) { return Same(m, name); });
        EchoRowId(context, wire::kUserNode, wire::kUserElement, request, nullptr);
    }

    void AnswerDeleteGroup(CommandContext& context)
    {
        CXmlElement request;
        if (!ParseNode(context, wire::kGroupNode, &request))
            return Refuse(context, kBadParameter);
        SimulatedGroup* group = FindGroup(ReadText(request, wire::kAttrName));
        if (!group)
            return Refuse(context, kNoSuchGroup);
        if (group->builtIn)
            return Refuse(context, kBuiltIn);
        const std::u16string name = group->name;
        std::erase_if(groups_, [&](const SimulatedGroup& g) { return Same(g.name, name); });
        for (SimulatedGroup& other : groups_)
            std::erase_if(other.members, [&](const std::u16string& m) { return Same(m, name); });
        EchoRowId(context, wire::kGroupNode, wire::kGroupElement, request, nullptr);
    }

    void EchoRowId(CommandContext& context, const char* node, const char* element, const CXmlElement& request,
                   const std::u16string* name)
    {
        CXmlElement root(element);
        if (name)
            root.AddAttribute(wire::kAttrName, EncodeUtf16Base64(*name));
        const char* rowId = request.GetAttribute(wire::kAttrRowId);
        root.AddAttribute(wire::kAttrRowId, rowId ? rowId : "");
        Succeed(context);
        SetXml(context, node, root);
    }

    void AnswerRenameUser(CommandContext& context)
    {
        AnswerRename(context, wire::kUserNode, wire::kUserElement, &UsersSimulation::FindUser, kNoSuchUser, kUserExists);
    }

    void AnswerRenameGroup(CommandContext& context)
    {
        AnswerRename(context, wire::kGroupNode, wire::kGroupElement, &UsersSimulation::FindGroup, kNoSuchGroup,
                     kGroupExists);
    }

    // Users and groups share one name space: a new name must be free in both.
    template <typename Account>
    void AnswerRename(CommandContext& context, const char* node, const char* element,
                      Account* (UsersSimulation::*find)(std::u16string_view), const Refusal& missing,
                      const Refusal& taken)
    {
        CXmlElement request;
        if (!ParseNode(context, node, &request))
            return Refuse(context, kBadParameter);
        Account* account = (this->*find)(ReadText(request, wire::kAttrName));
        if (!account)
            return Refuse(context, missing);
        const std::u16string newName = ReadText(request, wire::kAttrNewName);
        if (!ProperName(newName))
            return Refuse(context, kBadName);
        if (NameTaken(newName) && (this->*find)(newName) != account)
            return Refuse(context, taken);
        RenameMember(account->name, newName);
        account->name = newName;
        EchoRowId(context, node, element, request, &newName);
    }

    void RenameMember(const std::u16string& from, const std::u16string& to)
    {
        for (SimulatedGroup& group : groups_)
            for (std::u16string& member : group.members)
                if (Same(member, from))
                    member = to;
    }

    // ---- passwords and new accounts ----
    void AnswerSetPassword(CommandContext& context)
    {
        CXmlElement request;
        if (!ParseNode(context, wire::kUserNode, &request))
            return Refuse(context, kBadParameter);
        SimulatedUser* user = FindUser(ReadText(request, wire::kAttrName));
        if (!user)
            return Refuse(context, kNoSuchUser);
        std::u16string password = ReadText(request, wire::kAttrPassword);
        if (!MeetsPolicy(password, user->name))
            return Refuse(context, kPasswordPolicy);
        user->password = std::move(password);
        user->flags &= ~kLockedOut;
        Succeed(context);
    }

    void AnswerCreateUser(CommandContext& context)
    {
        CXmlElement request;
        if (!ParseNode(context, wire::kUserNode, &request))
            return Refuse(context, kBadParameter);
        SimulatedUser user;
        user.name = ReadText(request, wire::kAttrName);
        if (!ProperName(user.name))
            return Refuse(context, kBadName);
        if (NameTaken(user.name))
            return Refuse(context, kUserExists);
        user.password = ReadText(request, wire::kAttrPassword);
        if (!MeetsPolicy(user.password, user.name))
            return Refuse(context, kPasswordPolicy);
        user.fullName = ReadText(request, wire::kAttrFullName);
        user.description = ReadText(request, wire::kAttrDescription);
        user.flags = ReadUInt32(request, wire::kAttrFlags) & ~kLockedOut;
        user.passwordExpired = ReadBool(request, wire::kAttrPasswordExpired) ? 1 : 0;
        users_.push_back(std::move(user));
        CXmlElement root(wire::kUserElement);
        WriteUser(root, users_.back(), std::nullopt);
        Succeed(context);
        SetXml(context, wire::kUserNode, root);
    }

    void AnswerCreateGroup(CommandContext& context)
    {
        CXmlElement request;
        if (!ParseNode(context, wire::kGroupNode, &request))
            return Refuse(context, kBadParameter);
        SimulatedGroup group;
        group.name = ReadText(request, wire::kAttrName);
        if (!ProperName(group.name))
            return Refuse(context, kBadName);
        if (NameTaken(group.name))
            return Refuse(context, kGroupExists);
        group.description = ReadText(request, wire::kAttrDescription);
        for (int i = 0; i < request.GetChildCount(); ++i) {
            const std::optional<std::u16string> member = ResolveMember(ReadText(*request.GetChild(i), wire::kAttrName));
            if (!member)
                return Refuse(context, kNoMapping);
            group.members.push_back(*member);
        }
        groups_.push_back(std::move(group));
        CXmlElement root(wire::kGroupElement);
        WriteGroup(root, groups_.back());
        Succeed(context);
        SetXml(context, wire::kGroupNode, root);
    }

    // ---- properties ----
    void AnswerReadUser(CommandContext& context)
    {
        CXmlElement request;
        if (!ParseNode(context, wire::kUserNode, &request))
            return Refuse(context, kBadParameter);
        const SimulatedUser* user = FindUser(ReadText(request, wire::kAttrName));
        if (!user)
            return Refuse(context, kNoSuchUser);
        std::vector<std::u16string> memberOf;
        for (const SimulatedGroup& group : groups_)
            if (std::any_of(group.members.begin(), group.members.end(),
                            [&](const std::u16string& m) { return Same(m, user->name); }))
                memberOf.push_back(group.name);
        CXmlElement root(wire::kUserElement);
        const auto page = PlanInclusivePage(root, ReadInt64(request, kStartAtAttribute), memberOf.size(), context);
        if (!page)
            return Refuse(context, kBadParameter);
        root.AddAttribute(wire::kAttrFullName, EncodeUtf16Base64(user->fullName));
        root.AddAttribute(wire::kAttrDescription, EncodeUtf16Base64(user->description));
        root.AddAttribute(wire::kAttrFlags, context.fault == FaultKind::HostileNumbers ? "-7" : Number(user->flags));
        root.AddAttribute(wire::kAttrPasswordExpired, Number(user->passwordExpired));
        root.AddAttribute(wire::kAttrProfilePath, EncodeUtf16Base64(user->profilePath));
        root.AddAttribute(wire::kAttrLogonScript, EncodeUtf16Base64(user->logonScript));
        root.AddAttribute(wire::kAttrHomePath, EncodeUtf16Base64(user->homePath));
        root.AddAttribute(wire::kAttrHomeDrive, EncodeUtf16Base64(user->homeDrive));
        for (size_t i = page->first; i < page->end; ++i)
            root.AddChild(wire::kGroupElement)->AddAttribute(wire::kAttrName, EncodeUtf16Base64(memberOf[i]));
        Succeed(context);
        context.answer.Root().ChildNode(wire::kNameNode).SetText(EncodeUtf16Base64(user->name));
        SetXml(context, wire::kUserNode, root);
    }

    void AnswerReadGroup(CommandContext& context)
    {
        CXmlElement request;
        if (!ParseNode(context, wire::kGroupNode, &request))
            return Refuse(context, kBadParameter);
        const SimulatedGroup* group = FindGroup(ReadText(request, wire::kAttrName));
        if (!group)
            return Refuse(context, kNoSuchGroup);
        CXmlElement root(wire::kGroupElement);
        const auto page = PlanInclusivePage(root, ReadInt64(request, kStartAtAttribute), group->members.size(), context);
        if (!page)
            return Refuse(context, kBadParameter);
        root.AddAttribute(wire::kAttrDescription, EncodeUtf16Base64(group->description));
        for (size_t i = page->first; i < page->end; ++i)
            WriteMember(*root.AddChild(wire::kMemberElement), group->members[i]);
        Succeed(context);
        context.answer.Root().ChildNode(wire::kNameNode).SetText(EncodeUtf16Base64(group->name));
        SetXml(context, wire::kGroupNode, root);
    }

    void WriteMember(CXmlElement& element, const std::u16string& member)
    {
        const size_t slash = member.find(u'\\');
        const bool foreign = slash != std::u16string::npos;
        const std::u16string computer = foreign ? member.substr(0, slash) : std::u16string(kMachineName);
        const std::u16string name = foreign ? member.substr(slash + 1) : member;
        int32_t use = wire::kSidUser;
        if (foreign)
            use = name.find(u'.') == std::u16string::npos ? wire::kSidGroup : wire::kSidUser;
        else if (FindGroup(name))
            use = wire::kSidAlias;
        element.AddAttribute(wire::kAttrName, EncodeUtf16Base64(name));
        element.AddAttribute(wire::kAttrSidName, EncodeUtf16Base64(computer + u"\\" + name));
        element.AddAttribute(wire::kAttrSidUseName, Number(use));
        element.AddAttribute(wire::kAttrComputerName, EncodeUtf16Base64(computer));
    }

    void EchoWrite(CommandContext& context)
    {
        Succeed(context);
        for (const char* node : {wire::kNameNode, wire::kRowIdNode})
            if (const host::MessageNode* sent = context.request.Root().Find(node))
                context.answer.Root().ChildNode(node).SetText(sent->Text());
    }

    std::u16string RequestName(const CommandContext& context) const
    {
        const host::MessageNode* node = context.request.Root().Find(wire::kNameNode);
        return DecodeUtf16Base64(node ? node->Text() : std::string());
    }

    void AnswerWriteUser(CommandContext& context)
    {
        CXmlElement root;
        if (!ParseNode(context, wire::kUserNode, &root) || root.GetChildCount() != 1)
            return Refuse(context, kBadParameter);
        SimulatedUser* user = FindUser(RequestName(context));
        if (!user)
            return Refuse(context, kNoSuchUser);
        const CXmlElement& values = *root.GetChild(0);
        std::vector<SimulatedGroup*> memberOf;
        for (int i = 0; i < values.GetChildCount(); ++i) {
            SimulatedGroup* group = FindGroup(ReadText(*values.GetChild(i), wire::kAttrName));
            if (!group)
                return Refuse(context, kNoSuchGroup);
            memberOf.push_back(group);
        }
        user->fullName = ReadText(values, wire::kAttrFullName);
        user->description = ReadText(values, wire::kAttrDescription);
        // A lockout can be ended here, never begun.
        const uint32_t flags = ReadUInt32(values, wire::kAttrFlags);
        user->flags = (flags & ~kLockedOut) | (flags & user->flags & kLockedOut);
        user->passwordExpired = ReadBool(values, wire::kAttrPasswordExpired) ? 1 : 0;
        user->profilePath = ReadText(values, wire::kAttrProfilePath);
        user->logonScript = ReadText(values, wire::kAttrLogonScript);
        user->homePath = ReadText(values, wire::kAttrHomePath);
        user->homeDrive = ReadText(values, wire::kAttrHomeDrive);
        const std::u16string name = user->name;
        for (SimulatedGroup& group : groups_) {
            const bool wanted = std::find(memberOf.begin(), memberOf.end(), &group) != memberOf.end();
            std::erase_if(group.members, [&](const std::u16string& m) { return Same(m, name); });
            if (wanted)
                group.members.push_back(name);
        }
        EchoWrite(context);
    }

    void AnswerWriteGroup(CommandContext& context)
    {
        CXmlElement root;
        if (!ParseNode(context, wire::kGroupNode, &root) || root.GetChildCount() != 1)
            return Refuse(context, kBadParameter);
        SimulatedGroup* group = FindGroup(RequestName(context));
        if (!group)
            return Refuse(context, kNoSuchGroup);
        const CXmlElement& values = *root.GetChild(0);
        std::vector<std::u16string> members;
        for (int i = 0; i < values.GetChildCount(); ++i) {
            const std::optional<std::u16string> member = ResolveMember(ReadText(*values.GetChild(i), wire::kAttrName));
            if (!member)
                return Refuse(context, kNoMapping);
            members.push_back(*member);
        }
        group->description = ReadText(values, wire::kAttrDescription);
        group->members = std::move(members);
        EchoWrite(context);
    }

    // ---- the account picker ----
    void AnswerAccounts(CommandContext& context)
    {
        const host::MessageNode* typeNode = context.request.Root().Find(pick::kNetworkTypeNode);
        const int16_t type = typeNode ? typeNode->AsShort() : -1;
        context.answer.Root().ChildNode(pick::kNetworkTypeNode).SetShort(type);
        if (type == pick::kTypeGroups || type == pick::kTypeUsers)
            return AnswerAccountPage(context, type);
        if (type != pick::kTypeMachine && type != pick::kTypeDomain && type != pick::kTypeTrusted)
            return Refuse(context, kBadParameter);
        CXmlElement root(pick::kDomainsNode);
        for (const SimulatedDomain& domain : domains_) {
            // The machine's domain is also among the trusted ones.
            const bool listed = domain.listedBy == type || (type == pick::kTypeTrusted && domain.listedBy == pick::kTypeDomain);
            if (!listed)
                continue;
            CXmlElement* entry = root.AddChild("Domain");
            entry->AddAttribute(pick::kAttrDomainName, EncodeUtf16Base64(domain.name));
            entry->AddAttribute(pick::kAttrDomainLocal, domain.local ? "1" : "0");
            entry->AddAttribute(pick::kAttrCurrentDomain, domain.current ? "1" : "0");
        }
        context.answer.Root().ChildNode(kRetValueNode).SetShort(pick::kSuccess);
        context.answer.Root().ChildNode(pick::kDomainsNode).SetText(XmlBodyText(root, context.fault));
    }

    // The accounts of a domain: the machine's own live ones, else made up.
    std::vector<SimulatedAccount> LocalAccounts(bool groups) const
    {
        std::vector<SimulatedAccount> accounts;
        if (groups) {
            for (const SimulatedGroup& group : groups_)
                accounts.push_back({true, group.name, u"", group.description});
        } else {
            for (const SimulatedUser& user : users_)
                accounts.push_back({false, user.name, user.fullName, user.description});
        }
        return accounts;
    }

    void AnswerAccountPage(CommandContext& context, int16_t type)
    {
        const host::MessageNode* domainNode = context.request.Root().Find(pick::kDomainNameNode);
        const std::u16string domainName = DecodeUtf16Base64(domainNode ? domainNode->Text() : std::string());
        const auto domain = std::find_if(domains_.begin(), domains_.end(),
                                         [&](const SimulatedDomain& d) { return Same(d.name, domainName); });
        if (domain == domains_.end())
            return Refuse(context, kNoSuchDomain);
        const bool groups = type == pick::kTypeGroups;
        const std::vector<SimulatedAccount> local = domain->local ? LocalAccounts(groups) : std::vector<SimulatedAccount>();
        const size_t total = domain->local ? local.size() : groups ? domain->groupCount : domain->userCount;
        const host::MessageNode* startNode = context.request.Root().Find(pick::kStartAtNode);
        const std::optional<PagePlan> plan = PlanPage(startNode ? startNode->AsLong() : 0, total, context);
        if (!plan)
            return Refuse(context, kBadParameter);
        CXmlElement root(groups ? pick::kGroupsNode : pick::kUsersNode);
        root.AddAttribute(pick::kAttrDomainName, EncodeUtf16Base64(domain->name));
        root.AddAttribute(kTotalAttribute, Number(plan->totalAttribute));
        root.AddAttribute(kUpToAttribute, Number(plan->upToAttribute));
        for (size_t i = plan->first; i < plan->end; ++i) {
            const SimulatedAccount account = domain->local ? local[i] : DomainAccountAt(*domain, groups ? i : domain->groupCount + i);
            CXmlElement* element = root.AddChild(groups ? pick::kGroupElement : "User");
            element->AddAttribute(groups ? pick::kAttrGroupName : pick::kAttrUserName, EncodeUtf16Base64(account.name));
            element->AddAttribute(groups ? pick::kAttrGroupFullName : pick::kAttrUserFullName,
                                  EncodeUtf16Base64(account.fullName));
            element->AddAttribute(groups ? pick::kAttrGroupDescription : pick::kAttrUserDescription,
                                  EncodeUtf16Base64(account.description));
        }
        context.answer.Root().ChildNode(kRetValueNode).SetShort(pick::kSuccess);
        context.answer.Root().ChildNode(groups ? pick::kGroupsNode : pick::kUsersNode).SetText(XmlBodyText(root, context.fault));
    }

    std::vector<SimulatedUser> users_;
    std::vector<SimulatedGroup> groups_;
    std::vector<SimulatedDomain> domains_;
};

}  // namespace

std::unique_ptr<SimulatedSnapIn> MakeUsersSimulation(const MachineConfig& config)
{
    return std::make_unique<UsersSimulation>(config);
}

}  // namespace vantrel::remote
