// Local Users and Groups on the wire: command codes, node names, XML element
// and attribute names and the account flags, spelled as they travel. Shared
// by the snap-in, the simulated machine and the tests.
#pragma once

#include <cstdint>

namespace vantrel::users::protocol {

constexpr int32_t kSnapInId = 15010;

constexpr uint32_t kAccountCommand = 3;  // the account picker's, handed to the open pickers
constexpr uint32_t kListUsersCommand = 1101;
constexpr uint32_t kListGroupsCommand = 1102;
constexpr uint32_t kDeleteUserCommand = 1103;
constexpr uint32_t kDeleteGroupCommand = 1104;
constexpr uint32_t kRenameUserCommand = 1105;
constexpr uint32_t kRenameGroupCommand = 1106;
constexpr uint32_t kSetPasswordCommand = 1107;
constexpr uint32_t kCreateUserCommand = 1108;
constexpr uint32_t kCreateGroupCommand = 1109;
constexpr uint32_t kReadUserCommand = 1110;
constexpr uint32_t kReadGroupCommand = 1111;
constexpr uint32_t kWriteUserCommand = 1112;
constexpr uint32_t kWriteGroupCommand = 1113;

// "RetValue" is read as a 16-bit number; 0 is success, anything else a
// system error code.
constexpr int16_t kSuccess = 0;

// Nodes. "Users", "Groups", "User" and "Group" carry XML texts; "Name" is
// Base64 UTF-16 and "pData" decimal text.
constexpr char kUsersNode[] = "Users";
constexpr char kGroupsNode[] = "Groups";
constexpr char kUserNode[] = "User";
constexpr char kGroupNode[] = "Group";
constexpr char kNameNode[] = "Name";
constexpr char kRowIdNode[] = "pData";

// Elements.
constexpr char kUsersElement[] = "Users";    // root of a 1101 request and answer
constexpr char kGroupsElement[] = "Groups";  // root of a 1102 request and answer
constexpr char kUserElement[] = "User";
constexpr char kGroupElement[] = "Group";
constexpr char kMemberElement[] = "Member";             // a member in a 1111 answer
constexpr char kGroupMemberElement[] = "GroupMember";   // a member in a 1113 request

// Attributes. Texts are Base64 UTF-16; "Flags", "PasswordExpired",
// "SidUseName", "StartAt", "UpTo", "Total" and "pData" are decimal.
constexpr char kAttrName[] = "Name";
constexpr char kAttrNewName[] = "NewName";
constexpr char kAttrFullName[] = "FullName";
constexpr char kAttrDescription[] = "Description";
constexpr char kAttrFlags[] = "Flags";
constexpr char kAttrPassword[] = "Password";
constexpr char kAttrPasswordExpired[] = "PasswordExpired";
constexpr char kAttrRowId[] = "pData";
constexpr char kAttrProfilePath[] = "ProfilePath";
constexpr char kAttrLogonScript[] = "LogonScript";
// The home folder: a local path alone in "HomePath"; a network folder as
// "HomeDrive" (a drive letter and colon) connected to "HomeDriveUNC", which
// is also sent as "HomePath".
constexpr char kAttrHomePath[] = "HomePath";
constexpr char kAttrHomeDrive[] = "HomeDrive";
constexpr char kAttrHomeDriveUnc[] = "HomeDriveUNC";
constexpr char kAttrSidName[] = "SidName";
constexpr char kAttrSidUseName[] = "SidUseName";
constexpr char kAttrComputerName[] = "CompName";

// User account flags.
constexpr uint32_t kFlagScript = 0x0001;
constexpr uint32_t kFlagDisabled = 0x0002;
constexpr uint32_t kFlagLockedOut = 0x0010;
constexpr uint32_t kFlagCannotChangePassword = 0x0040;
constexpr uint32_t kFlagNormalAccount = 0x0200;
constexpr uint32_t kFlagPasswordNeverExpires = 0x10000;

// "SidUseName": the kind of account a member is.
constexpr int32_t kSidUser = 1;
constexpr int32_t kSidGroup = 2;
constexpr int32_t kSidWellKnownGroup = 5;
constexpr int32_t kSidAlias = 4;

}  // namespace vantrel::users::protocol
