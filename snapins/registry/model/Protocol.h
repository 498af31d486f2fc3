// The Registry on the wire: command codes, node names and the attributes of
// the listing's XML texts, spelled as they travel. Shared by the snap-in, the
// simulated machine and the tests.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantrel::registry::protocol {

constexpr int32_t kSnapInId = 15004;

constexpr uint32_t kListCommand = 501;         // one page of a key's subkeys and values
constexpr uint32_t kRenameCommand = 502;       // rename a key or a value
constexpr uint32_t kDeleteCommand = 503;       // delete a key (with its subtree) or a value
constexpr uint32_t kCreateKeyCommand = 504;    // a new key from a name template
constexpr uint32_t kCreateValueCommand = 505;  // a new value from a name template
constexpr uint32_t kSetValueCommand = 506;     // new data of a value
constexpr uint32_t kFindCommand = 507;
constexpr uint32_t kImportCommand = 508;
constexpr uint32_t kExportCommand = 509;

// "RetValue" is read as a 32-bit number: 0 is success; 1223 says the listing
// was cancelled on the machine, which is no error.
constexpr int32_t kSuccess = 0;
constexpr int32_t kCanceled = 1223;

// Message nodes. Texts are Base64 of UTF-16LE without a terminator; "Key",
// "ValType" and "ValSize" are longs, "IsValue" a bool, "Value" Base64 of the
// data bytes. "Items" carries an XML text both ways.
constexpr char kItemsNode[] = "Items";
constexpr char kIsValueNode[] = "IsValue";
constexpr char kKeyNode[] = "Key";
constexpr char kSubkeyNode[] = "Subkey";
constexpr char kNameNode[] = "Name";
constexpr char kNewNameNode[] = "NewName";
constexpr char kValTypeNode[] = "ValType";
constexpr char kValSizeNode[] = "ValSize";
constexpr char kValueNode[] = "Value";
constexpr char kFindTypeNode[] = "FindType";  // find: what to look at (a long)

// Import (508) and export (509) move a registration file in chunks. Byte
// positions are 64 bits wide and travel as two longs, high and low half;
// "FilePackage" is Base64 of the chunk's bytes.
constexpr char kPackageNode[] = "FilePackage";
constexpr char kStartAtHighNode[] = "FilePackageStartAtHi";
constexpr char kStartAtLowNode[] = "FilePackageStartAtLo";
constexpr char kUpToHighNode[] = "FilePackageUpToHi";
constexpr char kUpToLowNode[] = "FilePackageUpToLo";
constexpr char kFileSizeHighNode[] = "FileSizeHi";
constexpr char kFileSizeLowNode[] = "FileSizeLo";
constexpr size_t kImportChunk = 4096;  // bytes of the file in each 508
// Positions are read as signed 64-bit numbers: larger files cannot be moved.
constexpr uint64_t kMaxTransferSize = 0x7FFFFFFFFFFFFFFFull;

// The listing: the request's element and the answer's root carry "Key"
// (decimal root-key number; 0 asks for the root keys) and "SubKey" (Base64
// path below the root key); the first page is asked from 4294967295.
constexpr char kKeyElement[] = "RegKey";  // the request's element and each subkey of an answer
constexpr char kValueElement[] = "RegVal";
constexpr char kAttrKey[] = "Key";
constexpr char kAttrSubKey[] = "SubKey";
constexpr char kAttrName[] = "Name";
constexpr char kAttrHasChildren[] = "HasCh";
constexpr char kAttrType[] = "Type";
constexpr char kAttrValSize[] = "ValSize";
constexpr char kAttrValue[] = "Value";
constexpr uint32_t kFirstPage = 4294967295u;

// Registry value types.
constexpr uint32_t kRegNone = 0;
constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegExpandSz = 2;
constexpr uint32_t kRegBinary = 3;
constexpr uint32_t kRegDword = 4;
constexpr uint32_t kRegDwordBigEndian = 5;
constexpr uint32_t kRegLink = 6;
constexpr uint32_t kRegMultiSz = 7;
constexpr uint32_t kRegResourceList = 8;
constexpr uint32_t kRegFullResourceDescriptor = 9;
constexpr uint32_t kRegResourceRequirementsList = 10;
constexpr uint32_t kRegQword = 11;

// Keys are addressed by paths whose components this separates.
constexpr char16_t kPathSeparator = u'\\';

}  // namespace vantrel::registry::protocol
