#include "snapins/users/model/UsersModel.h"

#include <charconv>
#include <cstring>

#include "framework/model/Answer.h"
#include "framework/text/Base64.h"
#include "framework/text/SecureWipe.h"
#include "framework/text/TextCompare.h"
#include "framework/xml/Xml.h"

namespace vantrel::users {

namespace wire = protocol;

// ---- rows ------------------------------------------------------------------------------

RowId RowIds::Next() {
    // Four thousand million rows would be needed to come round again; 0 is never given.
    if (++last_ == kNoRow) ++last_;
    return last_;
}

UserRecord ReadUserElement(const CXmlElement& element) {
    UserRecord user;
    user.name = ReadText(element, wire::kAttrName);
    user.fullName = ReadText(element, wire::kAttrFullName);
    user.description = ReadText(element, wire::kAttrDescription);
    user.flags = ReadUInt32(element, wire::kAttrFlags);
    return user;
}

GroupRecord ReadGroupElement(const CXmlElement& element) {
    GroupRecord group;
    group.name = ReadText(element, wire::kAttrName);
    group.description = ReadText(element, wire::kAttrDescription);
    return group;
}

bool ShowsDisabledImage(uint32_t flags) { return (flags & (wire::kFlagDisabled | wire::kFlagLockedOut)) != 0; }

const std::u16string& UserColumnText(const UserRecord& user, int column) {
    switch (column) {
    case kUserColumnFullName:
        return user.fullName;
    case kUserColumnDescription:
        return user.description;
    default:
        return user.name;
    }
}

const std::u16string& GroupColumnText(const GroupRecord& group, int column) {
    return column == kGroupColumnDescription ? group.description : group.name;
}

int CompareUsers(const UserRecord& a, const UserRecord& b, int column) {
    const int order = CompareNoCase(UserColumnText(a, column), UserColumnText(b, column));
    return order != 0 || column == kUserColumnName ? order : CompareNoCase(a.name, b.name);
}

int CompareGroups(const GroupRecord& a, const GroupRecord& b, int column) {
    const int order = CompareNoCase(GroupColumnText(a, column), GroupColumnText(b, column));
    return order != 0 || column == kGroupColumnName ? order : CompareNoCase(a.name, b.name);
}

template <typename Record>
RowId RowStore<Record>::Add(Record record) {
    if (record.name.empty() || rows_.size() >= kMaxRows) return kNoRow;
    record.id = ids_.Next();
    index_[record.id] = rows_.size();
    rows_.push_back(std::move(record));
    return rows_.back().id;
}

template <typename Record>
const Record* RowStore<Record>::Find(RowId id) const {
    const auto found = index_.find(id);
    return found == index_.end() ? nullptr : &rows_[found->second];
}

template <typename Record>
Record* RowStore<Record>::Find(RowId id) {
    const auto found = index_.find(id);
    return found == index_.end() ? nullptr : &rows_[found->second];
}

template <typename Record>
bool RowStore<Record>::Remove(RowId id) {
    const auto found = index_.find(id);
    if (found == index_.end()) return false;
    const size_t at = found->second;
    index_.erase(found);
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(at));
    for (size_t i = at; i < rows_.size(); ++i) index_[rows_[i].id] = i;
    return true;
}

template <typename Record>
void RowStore<Record>::Clear() {
    rows_.clear();
    index_.clear();
}

template class RowStore<UserRecord>;
template class RowStore<GroupRecord>;

size_t MergeUsersPage(UserStore& store, const CXmlElement& root) {
    size_t added = 0;
    for (int i = 0; i < root.GetChildCount(); ++i)
        if (store.Add(ReadUserElement(*root.GetChild(i))) != kNoRow) ++added;
    return added;
}

size_t MergeGroupsPage(GroupStore& store, const CXmlElement& root) {
    size_t added = 0;
    for (int i = 0; i < root.GetChildCount(); ++i)
        if (store.Add(ReadGroupElement(*root.GetChild(i))) != kNoRow) ++added;
    return added;
}

// ---- names ------------------------------------------------------------------------------

std::u16string TrimBlanks(std::u16string_view text) {
    const size_t first = text.find_first_not_of(u' ');
    if (first == std::u16string_view::npos) return {};
    const size_t last = text.find_last_not_of(u' ');
    return std::u16string(text.substr(first, last - first + 1));
}

bool IsAcceptableAccountName(std::u16string_view name) {
    static constexpr std::u16string_view kForbidden = u"\"/\\[]:|<>+=;,?*";
    bool onlyPeriodsAndBlanks = true;
    for (char16_t c : name) {
        if (c < 0x20 || kForbidden.find(c) != std::u16string_view::npos) return false;
        if (c != u'.' && c != u' ') onlyPeriodsAndBlanks = false;
    }
    return !onlyPeriodsAndBlanks;
}

// ---- flags --------------------------------------------------------------------------------

PasswordBoxesEnabled PasswordBoxStates(const PasswordChoices& choices) {
    PasswordBoxesEnabled enabled;
    enabled.cannotChange = enabled.neverExpires = !choices.mustChange;
    enabled.mustChange = !choices.cannotChange && !choices.neverExpires;
    return enabled;
}

uint32_t NewUserFlags(const PasswordChoices& choices, bool disabled) {
    uint32_t flags = wire::kFlagNormalAccount;
    if (choices.cannotChange) flags |= wire::kFlagCannotChangePassword;
    if (choices.neverExpires) flags |= wire::kFlagPasswordNeverExpires;
    if (disabled) flags |= wire::kFlagDisabled;
    return flags;
}

FlagChoices FlagChoicesOf(uint32_t flags) {
    FlagChoices choices;
    choices.cannotChange = (flags & wire::kFlagCannotChangePassword) != 0;
    choices.neverExpires = (flags & wire::kFlagPasswordNeverExpires) != 0;
    choices.disabled = (flags & wire::kFlagDisabled) != 0;
    choices.lockedOut = (flags & wire::kFlagLockedOut) != 0;
    return choices;
}

uint32_t EditedFlags(uint32_t read, const FlagChoices& choices) {
    const auto set = [](uint32_t flags, uint32_t bit, bool on) { return on ? flags | bit : flags & ~bit; };
    uint32_t flags = read;
    flags = set(flags, wire::kFlagCannotChangePassword, choices.cannotChange);
    flags = set(flags, wire::kFlagPasswordNeverExpires, choices.neverExpires);
    flags = set(flags, wire::kFlagDisabled, choices.disabled);
    if (!choices.lockedOut) flags &= ~wire::kFlagLockedOut;
    return flags;
}

// ---- properties --------------------------------------------------------------------------

HomeFolder HomeFolderOf(const UserProperties& properties) {
    HomeFolder home;
    home.network = !properties.homeDrive.empty();
    (home.network ? home.networkPath : home.localPath) = properties.homePath;
    home.drive = properties.homeDrive;
    return home;
}

void ApplyHomeFolder(UserProperties& properties, const HomeFolder& home) {
    if (home.network && !home.drive.empty()) {
        properties.homeDrive = home.drive;
        properties.homePath = home.networkPath;
    } else {
        properties.homeDrive.clear();
        properties.homePath = home.localPath;
    }
}

void MergeUserPropertiesPage(UserProperties& properties, const CXmlElement& root, bool firstPage) {
    if (firstPage) {
        properties = {};
        properties.fullName = ReadText(root, wire::kAttrFullName);
        properties.description = ReadText(root, wire::kAttrDescription);
        properties.flags = ReadUInt32(root, wire::kAttrFlags);
        properties.passwordExpired = ReadBool(root, wire::kAttrPasswordExpired);
        properties.profilePath = ReadText(root, wire::kAttrProfilePath);
        properties.logonScript = ReadText(root, wire::kAttrLogonScript);
        properties.homePath = ReadText(root, wire::kAttrHomePath);
        properties.homeDrive = ReadText(root, wire::kAttrHomeDrive);
    }
    for (int i = 0; i < root.GetChildCount() && properties.groups.size() < kMaxMembers; ++i) {
        std::u16string name = ReadText(*root.GetChild(i), wire::kAttrName);
        if (!name.empty()) properties.groups.push_back(std::move(name));
    }
}

void MergeGroupPropertiesPage(GroupProperties& properties, const CXmlElement& root, bool firstPage) {
    if (firstPage) {
        properties = {};
        properties.description = ReadText(root, wire::kAttrDescription);
    }
    for (int i = 0; i < root.GetChildCount() && properties.members.size() < kMaxMembers; ++i) {
        const CXmlElement& element = *root.GetChild(i);
        GroupMember member;
        member.name = ReadText(element, wire::kAttrName);
        member.sidName = ReadText(element, wire::kAttrSidName);
        member.sidUse = ReadInt32(element, wire::kAttrSidUseName);
        member.computer = ReadText(element, wire::kAttrComputerName);
        if (!member.Shown().empty()) properties.members.push_back(std::move(member));
    }
}

// ---- requests --------------------------------------------------------------------------------

namespace {

std::string ElementText(const CXmlElement& element) {
    CXmlOptions options;
    return element.ToText(options);
}

// Attribute values that need no escaping (Base64 and decimal texts) written
// into a text whose room was made beforehand, so that no reallocation leaves
// a copy of a secret behind.
class SecretText {
public:
    explicit SecretText(size_t room) { text_.reserve(room); }
    ~SecretText() { SecureWipe(text_); }
    void Open(const char* element) {
        Append("<");
        Append(element);
    }
    void Attribute(const char* name, std::string_view value) {
        Append(" ");
        Append(name);
        Append("='");
        Append(value);
        Append("'");
    }
    void TextAttribute(const char* name, std::u16string_view value) {
        std::string encoded = EncodeUtf16Base64(value);
        Attribute(name, encoded);
        SecureWipe(encoded);
    }
    std::string Close() {
        Append(" />");
        std::string done;
        done.reserve(text_.size() + 1);
        done.append(text_);
        return done;
    }

private:
    void Append(std::string_view part) { text_.append(part); }
    std::string text_;
};

size_t Base64Room(std::u16string_view text) { return (text.size() * 2 + 2) / 3 * 4 + 4; }

}  // namespace

std::string DeleteRequestText(const char* element, std::u16string_view name, RowId id) {
    CXmlElement root(element);
    root.AddAttribute(wire::kAttrName, EncodeUtf16Base64(name));
    root.AddAttribute(wire::kAttrRowId, std::to_string(id));
    return ElementText(root);
}

std::string RenameRequestText(const char* element, std::u16string_view name, std::u16string_view newName, RowId id) {
    CXmlElement root(element);
    root.AddAttribute(wire::kAttrName, EncodeUtf16Base64(name));
    root.AddAttribute(wire::kAttrNewName, EncodeUtf16Base64(newName));
    root.AddAttribute(wire::kAttrRowId, std::to_string(id));
    return ElementText(root);
}

std::string SetPasswordRequestText(std::u16string_view name, std::u16string_view password) {
    SecretText text(64 + Base64Room(name) + Base64Room(password));
    text.Open(wire::kUserElement);
    text.TextAttribute(wire::kAttrName, name);
    text.TextAttribute(wire::kAttrPassword, password);
    return text.Close();
}

std::string CreateUserRequestText(const NewUser& user) {
    SecretText text(160 + Base64Room(user.name) + Base64Room(user.fullName) + Base64Room(user.description) +
                    Base64Room(user.password));
    text.Open(wire::kUserElement);
    text.TextAttribute(wire::kAttrName, user.name);
    text.TextAttribute(wire::kAttrFullName, user.fullName);
    text.TextAttribute(wire::kAttrDescription, user.description);
    text.TextAttribute(wire::kAttrPassword, user.password);
    text.Attribute(wire::kAttrFlags, std::to_string(NewUserFlags(user.choices, user.disabled)));
    text.Attribute(wire::kAttrPasswordExpired, user.choices.mustChange ? "1" : "0");
    return text.Close();
}

std::string CreateGroupRequestText(std::u16string_view name, std::u16string_view description,
                                   const std::vector<std::u16string>& members) {
    CXmlElement root(wire::kGroupElement);
    root.AddAttribute(wire::kAttrName, EncodeUtf16Base64(name));
    root.AddAttribute(wire::kAttrDescription, EncodeUtf16Base64(description));
    for (const std::u16string& member : members)
        root.AddChild(wire::kUserElement)->AddAttribute(wire::kAttrName, EncodeUtf16Base64(member));
    return ElementText(root);
}

std::string WriteUserRequestText(const UserProperties& properties) {
    CXmlElement root(wire::kUserElement);
    CXmlElement& user = *root.AddChild(wire::kUserElement);
    user.AddAttribute(wire::kAttrFullName, EncodeUtf16Base64(properties.fullName));
    user.AddAttribute(wire::kAttrDescription, EncodeUtf16Base64(properties.description));
    user.AddAttribute(wire::kAttrFlags, std::to_string(properties.flags));
    user.AddAttribute(wire::kAttrPasswordExpired, properties.passwordExpired ? "1" : "0");
    user.AddAttribute(wire::kAttrProfilePath, EncodeUtf16Base64(properties.profilePath));
    user.AddAttribute(wire::kAttrLogonScript, EncodeUtf16Base64(properties.logonScript));
    user.AddAttribute(wire::kAttrHomePath, EncodeUtf16Base64(properties.homePath));
    user.AddAttribute(wire::kAttrHomeDrive, EncodeUtf16Base64(properties.homeDrive));
    const std::u16string unc = properties.homeDrive.empty() ? std::u16string() : properties.homePath;
    user.AddAttribute(wire::kAttrHomeDriveUnc, EncodeUtf16Base64(unc));
    for (const std::u16string& group : properties.groups)
        user.AddChild(wire::kGroupElement)->AddAttribute(wire::kAttrName, EncodeUtf16Base64(group));
    return ElementText(root);
}

std::string WriteGroupRequestText(const GroupProperties& properties) {
    CXmlElement root(wire::kGroupElement);
    CXmlElement& group = *root.AddChild(wire::kGroupElement);
    group.AddAttribute(wire::kAttrDescription, EncodeUtf16Base64(properties.description));
    for (const GroupMember& member : properties.members) {
        CXmlElement& element = *group.AddChild(wire::kGroupMemberElement);
        element.AddAttribute(wire::kAttrName, EncodeUtf16Base64(member.Shown()));
        element.AddAttribute(wire::kAttrSidUseName, std::to_string(member.sidUse));
    }
    return ElementText(root);
}

// ---- answers -----------------------------------------------------------------------------------

RowId ReadRowId(const CXmlElement& element) { return ReadUInt32(element, wire::kAttrRowId); }

RowId ParseRowId(const char* text) {
    if (!text) return kNoRow;
    RowId id = kNoRow;
    const char* end = text + std::strlen(text);
    const auto [stop, error] = std::from_chars(text, end, id);
    return error == std::errc() && stop == end ? id : kNoRow;
}

}  // namespace vantrel::users
