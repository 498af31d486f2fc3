// Shared Folders on the wire: command codes, node names and the attributes of
// the XML texts, spelled as they travel (misspellings included). Shared by
// the snap-in, the simulated machine and the tests.
#pragma once

#include <cstdint>

namespace vantrel::shares::protocol {

constexpr int32_t kSnapInId = 15006;

constexpr uint32_t kFileExistsCommand = 4;  // does a folder exist on the managed machine
constexpr uint32_t kSharesCommand = 701;    // one page of the shares
constexpr uint32_t kSessionsCommand = 702;  // one page of the sessions
constexpr uint32_t kFilesCommand = 703;     // one page of the open files
constexpr uint32_t kAddShareCommand = 704;
constexpr uint32_t kDeleteShareCommand = 705;
constexpr uint32_t kCloseSessionCommand = 706;
constexpr uint32_t kCloseFileCommand = 707;
constexpr uint32_t kChangeShareCommand = 708;

// "RetValue" is read as a 16-bit number; 1 is success.
constexpr int16_t kSuccess = 1;

// Request and answer nodes. The list nodes and the element nodes carry XML
// texts; "FileName" Base64 UTF-16 both ways; "FileExist" a short.
constexpr char kSharesNode[] = "Shares";
constexpr char kSessionsNode[] = "Sessions";
constexpr char kFilesNode[] = "Files";
constexpr char kShareNode[] = "Share";
constexpr char kSessionNode[] = "Session";
constexpr char kFileNode[] = "File";
constexpr char kFileNameNode[] = "FileName";
constexpr char kFileExistNode[] = "FileExist";

// The "Supported" answer's security facts of the machine.
constexpr char kIsWinNtNode[] = "IsWinNt";
constexpr char kIsUserLevelNode[] = "IsUserLevel";
constexpr char kUsersServerNode[] = "UsersServer";  // plain 8-bit text

// Roots of the list texts; each child element is one item.
constexpr char kSharesElement[] = "Shares";
constexpr char kSessionsElement[] = "Sessions";
constexpr char kFilesElement[] = "Files";
constexpr char kShareElement[] = "Share";
constexpr char kSessionElement[] = "Session";
constexpr char kFileElement[] = "File";

// The shares root also names the machine.
constexpr char kAttrPcName[] = "PCName";  // Base64 UTF-16

// Texts are Base64 UTF-16; the rest decimal.
constexpr char kAttrName[] = "Name";
constexpr char kAttrFolderPath[] = "FolderPath";
constexpr char kAttrType[] = "Type";  // shares: a number; sessions: the client type text
constexpr char kAttrClientConnections[] = "ClientConnections";
constexpr char kAttrDescription[] = "Description";
constexpr char kAttrMaxUsers[] = "MaxUsers";  // -1: as many as the machine allows
constexpr char kAttrAccess[] = "Access";
constexpr char kAttrRoPass[] = "RoPass";
constexpr char kAttrRwPass[] = "RwPass";

constexpr char kAttrUserName[] = "UserName";
constexpr char kAttrComputer[] = "Computer";
constexpr char kAttrTransport[] = "Ttransport";
constexpr char kAttrFileOpens[] = "FileOpens";
constexpr char kAttrConnTime[] = "ConnTime";
constexpr char kAttrIdleTime[] = "IdleTime";
constexpr char kAttrGuest[] = "Guest";

constexpr char kAttrAccessedBy[] = "AccesssedBy";
constexpr char kAttrLocks[] = "Locks";
constexpr char kAttrOpenMode[] = "OpenMode";

// Share types; others are special (administrative) shares.
constexpr int64_t kTypeDisk = 0;
constexpr int64_t kTypePrint = 1;
constexpr int64_t kTypeDevice = 2;
constexpr int64_t kTypeIpc = 3;
constexpr int64_t kTypeSpecialFlag = 0x80000000LL;

// Open modes, bits.
constexpr uint32_t kModeRead = 1;
constexpr uint32_t kModeWrite = 2;
constexpr uint32_t kModeCreate = 4;

// "Access" of a share: on a machine with share-level security (neither NT
// nor user-level) the passwords decide; otherwise the permission entries.
constexpr int32_t kAccessReadOnly = 1;
constexpr int32_t kAccessFull = 2;
constexpr int32_t kAccessByPassword = 3;  // RoPass for reading, RwPass for full access
constexpr int32_t kAccessCustom = 4;      // the "Permission" children

// A permission entry of a share: one child element per account.
constexpr char kPermissionElement[] = "Permission";
constexpr char kAttrAccount[] = "Account";  // Base64 UTF-16, "Domain\Name"
constexpr char kAttrRights[] = "Rights";    // kAccessReadOnly or kAccessFull

}  // namespace vantrel::shares::protocol
