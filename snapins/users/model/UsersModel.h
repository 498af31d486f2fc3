// Local Users and Groups without its windows: the user and group rows read
// from the lists, the rule for new names, the account flags the dialogs
// edit, the properties read in pages and the texts of the requests.
//
// A row is known to the other side by an opaque 32-bit id ("pData") that is
// never given twice while the snap-in lives; an answer finds its row by the
// id again, and an id that names no row finds nothing. Records own copies of
// everything they hold; nothing points into an XML tree.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "framework/model/Paging.h"
#include "snapins/users/model/Protocol.h"

namespace vantrel {
class CXmlElement;
}

namespace vantrel::users {

// ---------------------------------------------------------------------------
// Rows

using RowId = uint32_t;
constexpr RowId kNoRow = 0;

// Gives each new row its id: counting up from 1, never 0, never twice.
class RowIds {
public:
    RowId Next();

private:
    RowId last_ = 0;
};

struct UserRecord {
    RowId id = kNoRow;
    std::u16string name;
    std::u16string fullName;
    std::u16string description;
    uint32_t flags = 0;
};

struct GroupRecord {
    RowId id = kNoRow;
    std::u16string name;
    std::u16string description;
};

enum UserColumn { kUserColumnName = 0, kUserColumnFullName, kUserColumnDescription, kUserColumnCount };
enum GroupColumn { kGroupColumnName = 0, kGroupColumnDescription, kGroupColumnCount };

// A user element of a list page or of a 1108 answer, without its id.
UserRecord ReadUserElement(const CXmlElement& element);
GroupRecord ReadGroupElement(const CXmlElement& element);

// A disabled or locked-out account shows the second image.
bool ShowsDisabledImage(uint32_t flags);

const std::u16string& UserColumnText(const UserRecord& user, int column);
const std::u16string& GroupColumnText(const GroupRecord& group, int column);
// Ascending order without regard to case; equal texts by name.
int CompareUsers(const UserRecord& a, const UserRecord& b, int column);
int CompareGroups(const GroupRecord& a, const GroupRecord& b, int column);

// The rows of one list, in arrival order, found by id.
template <typename Record>
class RowStore {
public:
    static constexpr size_t kMaxRows = kMaxListItems;

    explicit RowStore(RowIds& ids) : ids_(ids) {}

    // Stores the record under a new id; kNoRow when the store is full or
    // the record has no name.
    RowId Add(Record record);
    const Record* Find(RowId id) const;
    Record* Find(RowId id);
    bool Remove(RowId id);
    void Clear();
    size_t Count() const { return rows_.size(); }
    const std::vector<Record>& Rows() const { return rows_; }

private:
    RowIds& ids_;
    std::vector<Record> rows_;
    std::unordered_map<RowId, size_t> index_;
};

using UserStore = RowStore<UserRecord>;
using GroupStore = RowStore<GroupRecord>;

// Adds every user (group) element of a page; returns how many were added.
size_t MergeUsersPage(UserStore& store, const CXmlElement& root);
size_t MergeGroupsPage(GroupStore& store, const CXmlElement& root);

// ---------------------------------------------------------------------------
// Names of new accounts

std::u16string TrimBlanks(std::u16string_view text);
// False for a name with a character below 0x20, with " / \ [ ] : | < > + = ; ,
// ? or *, or made of periods and blanks only (the empty name included).
bool IsAcceptableAccountName(std::u16string_view name);

// ---------------------------------------------------------------------------
// Account flags

// The password check boxes: "must change password at next logon" excludes
// the two others.
struct PasswordChoices {
    bool mustChange = false;
    bool cannotChange = false;
    bool neverExpires = false;
};
struct PasswordBoxesEnabled {
    bool mustChange = true;
    bool cannotChange = true;
    bool neverExpires = true;
};
PasswordBoxesEnabled PasswordBoxStates(const PasswordChoices& choices);

// The flags of a new user: a normal account, plus what the boxes say.
uint32_t NewUserFlags(const PasswordChoices& choices, bool disabled);

// The flags a property page writes: those that were read, with only the bits
// the page shows changed. A lockout can be ended, never begun.
struct FlagChoices {
    bool cannotChange = false;
    bool neverExpires = false;
    bool disabled = false;
    bool lockedOut = false;
};
FlagChoices FlagChoicesOf(uint32_t flags);
uint32_t EditedFlags(uint32_t read, const FlagChoices& choices);

// ---------------------------------------------------------------------------
// Properties

struct UserProperties {
    std::u16string fullName;
    std::u16string description;
    uint32_t flags = 0;
    bool passwordExpired = false;
    std::u16string profilePath;
    std::u16string logonScript;
    std::u16string homePath;
    std::u16string homeDrive;
    std::vector<std::u16string> groups;  // names, as read or as chosen
};

struct GroupMember {
    std::u16string name;
    std::u16string sidName;  // "DOMAIN\name"
    int32_t sidUse = 0;
    std::u16string computer;
    // What the list shows and the write sends: the qualified name where known.
    const std::u16string& Shown() const { return sidName.empty() ? name : sidName; }
};

struct GroupProperties {
    std::u16string description;
    std::vector<GroupMember> members;
};

// The home folder of the Profile page: a local path, or a drive connected to
// a network path.
struct HomeFolder {
    bool network = false;
    std::u16string localPath;
    std::u16string drive;
    std::u16string networkPath;
};
HomeFolder HomeFolderOf(const UserProperties& properties);
void ApplyHomeFolder(UserProperties& properties, const HomeFolder& home);

// One page of a 1110 (1111) answer: the first page brings the values, every
// page its share of the groups (members). Lists stop at the cap.
void MergeUserPropertiesPage(UserProperties& properties, const CXmlElement& root, bool firstPage);
void MergeGroupPropertiesPage(GroupProperties& properties, const CXmlElement& root, bool firstPage);
constexpr size_t kMaxMembers = 100000;

// ---------------------------------------------------------------------------
// Requests: the XML texts of the nodes

// 1103/1104: <User Name='..' pData='n' />
std::string DeleteRequestText(const char* element, std::u16string_view name, RowId id);
// 1105/1106: <User Name='..' NewName='..' pData='n' />
std::string RenameRequestText(const char* element, std::u16string_view name, std::u16string_view newName, RowId id);
// 1107: <User Name='..' Password='..' />. The text holds the password: the
// caller wipes it (SecureWipe) once it has been handed over.
std::string SetPasswordRequestText(std::u16string_view name, std::u16string_view password);

struct NewUser {
    std::u16string name;
    std::u16string fullName;
    std::u16string description;
    std::u16string password;
    PasswordChoices choices;
    bool disabled = false;
};
// 1108, holding the password as above.
std::string CreateUserRequestText(const NewUser& user);
// 1109: <Group Name='..' Description='..'><User Name='..' />...</Group>
std::string CreateGroupRequestText(std::u16string_view name, std::u16string_view description,
                                   const std::vector<std::u16string>& members);
// 1112 and 1113: the node "User" ("Group") text.
std::string WriteUserRequestText(const UserProperties& properties);
std::string WriteGroupRequestText(const GroupProperties& properties);

// ---------------------------------------------------------------------------
// Answers

// The "pData" attribute of an element, or kNoRow.
RowId ReadRowId(const CXmlElement& element);
// A decimal text of a node (1112/1113 answers), or kNoRow.
RowId ParseRowId(const char* text);

// Requests of one command waiting for their answers, oldest first. Answers
// are paired with requests by command only: an answer is taken for the
// request it names, else for the oldest.
template <typename Entry>
class PendingRequests {
public:
    void Sent(Entry entry) { entries_.push_back(std::move(entry)); }
    bool Empty() const { return entries_.empty(); }
    size_t Count() const { return entries_.size(); }
    std::deque<Entry>& Entries() { return entries_; }

    struct Taken {
        Entry entry;
        bool matched;  // the answer named this request
    };
    template <typename Matches>
    std::optional<Taken> Take(Matches matches) {
        if (entries_.empty()) return std::nullopt;
        auto found = std::find_if(entries_.begin(), entries_.end(), matches);
        const bool matched = found != entries_.end();
        if (!matched) found = entries_.begin();
        Taken taken{std::move(*found), matched};
        entries_.erase(found);
        return taken;
    }

private:
    std::deque<Entry> entries_;
};

}  // namespace vantrel::users
