// What the Share a Folder Wizard and the share property dialog edit: the
// fields of a share element, the permission page the machine's security
// calls for, the checks of what the user typed, and the element they send.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::shares {

// The security facts of the "Supported" answer.
struct SecurityFacts {
    bool isWinNt = true;
    bool isUserLevel = true;
    std::u16string usersServer;
};

enum class PermissionPage {
    Accounts,   // NT or user-level security: accounts chosen with the account picker
    Passwords,  // share-level security: a read and a full-access password
};
PermissionPage PermissionPageFor(const SecurityFacts& facts);

enum class Access { ReadOnly, Full, Custom, ByPassword };

struct AccountRight {
    std::u16string account;  // "Domain\Name"
    bool full = false;
};

struct ShareSettings {
    std::u16string name;
    std::u16string folderPath;
    std::u16string description;
    std::optional<uint32_t> maxUsers;  // none: as many as the machine allows
    Access access = Access::ReadOnly;
    std::vector<AccountRight> accounts;  // Custom
    std::u16string readPassword;         // ByPassword
    std::u16string writePassword;
};

// The most users a share can be limited to, and the longest texts.
constexpr uint32_t kMaxUserLimit = 16777216;
constexpr size_t kMaxShareName = 80;
constexpr size_t kMaxDescription = 256;
constexpr size_t kMaxFolderPath = 260;
constexpr size_t kMaxPassword = 8;  // share-level passwords

// The share name a folder suggests: its last component ("C" for "C:\"), cut
// to kMaxShareName and without the characters a share name cannot hold.
std::u16string DefaultShareName(std::u16string_view folderPath);

enum class NameCheck { Ok, Empty, Invalid };
NameCheck CheckShareName(std::u16string_view name);

// A folder on a drive of the machine ("X:\..." or "X:"): no UNC, device or
// relative paths, which a share cannot name.
bool IsLocalFolderPath(std::u16string_view path);

// The settings an existing share element holds (texts Base64 as they travel).
ShareSettings ReadShareSettings(std::string_view elementText);

// The element of a new share (704): type disk, no connections.
std::string NewShareElement(const ShareSettings& settings);
// The element of a changed share (708): the original element with the edited
// fields and permissions replaced; attributes the dialog does not edit are
// kept as the machine sent them. Empty when the original cannot be read.
std::string ChangedShareElement(std::string_view originalText, const ShareSettings& settings);

}  // namespace vantrel::shares
