// The Disk Drives tool without its windows: the drive records merged from the
// answers to 201 (one page of the drive list) and 202 (one drive's details),
// the texts of the list and the properties dialog, the groups of the group
// column and the sort order of each column.
//
// Everything here is platform-free and locale-independent. Texts that came as
// Base64 UTF-16 are kept as std::u16string; texts made here (sizes,
// percentages, serial numbers) are ASCII std::string.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "framework/model/Paging.h"

namespace vantrel {
class CXmlElement;
}

namespace vantrel::drives {

// Logical columns. Groups and comparisons take these numbers; on the device
// platform the list has no File System column, so the window maps its column
// positions (4, 5, 6 there) to kColumnTotalUsed, kColumnFreePercent and
// kColumnUsedPercent.
enum DriveColumn : int {
    kColumnName = 0,
    kColumnType = 1,
    kColumnTotalSize = 2,
    kColumnFreeSpace = 3,
    kColumnFileSystem = 4,
    kColumnTotalUsed = 5,
    kColumnFreePercent = 6,
    kColumnUsedPercent = 7,
    kColumnCount = 8,
};

struct DriveRecord {
    std::u16string driveName;     // "C:\"; the key records are merged by
    std::u16string displayName;   // Name column
    std::u16string typeText;      // Type column
    std::u16string volumeName;
    std::u16string fileSystem;    // "NTFS"
    std::u16string serialNumber;  // decimal text as received; see SerialNumberText
    uint64_t sizeBytes = 0;       // from the Hi/Lo halves
    uint64_t freeBytes = 0;
    // Decimal texts of the values read as unsigned numbers (overlong ones
    // saturate); empty when the attribute is absent, negative or not a number.
    std::string totalClusters;
    std::string freeClusters;
    std::string sectorsPerCluster;
    std::string bytesPerSector;
    uint32_t fileSystemFlags = 0;  // "SysFlags"
    uint32_t driveType = 0;        // "DriveTypeDW": 2 removable, 3 fixed, 4 network, 5 optical, 6 RAM...
    uint32_t infoReq = 0;          // non-zero: the details have arrived, no 202 needed
};

// One drive element of an answer. Unreadable numbers read as 0 (or empty
// texts, above); each 32-bit half of a size is read as unsigned on its own.
DriveRecord ReadDriveElement(const CXmlElement& element);

// The result of one 201 answer.
struct DrivePage {
    bool ok = false;     // false: the text is not a well-formed document; nothing was merged
    int64_t upTo = 0;    // root "UpTo" and "Total"; 0 when absent or not a number
    int64_t total = 0;
    size_t merged = 0;   // drive elements merged (new or overwritten)
    bool full = false;   // drives were dropped because the list holds its maximum
};

// The drive records in arrival order. A record's index is stable until
// Clear() and is what list items carry as their parameter.
class DriveList {
public:
    explicit DriveList(size_t maxRecords = kMaxListItems);

    void Clear();
    size_t Count() const { return records_.size(); }
    const std::vector<DriveRecord>& Records() const { return records_; }
    // Null for an index outside the list (e.g. a stale list-item parameter).
    const DriveRecord* Get(int64_t index) const;
    // The index of the record with exactly this drive name, or -1.
    int Find(std::u16string_view driveName) const;

    // Overwrites the record with the same drive name or appends a new one.
    // Returns its index, or -1 when the list is full.
    int Merge(DriveRecord record);
    int Merge(const CXmlElement& element);

    // A 201 answer's "DiskDrives" text: merges every child of the root in
    // order (the element names are not checked). A null or blank text is an
    // empty document: ok, nothing merged. A text that does not parse
    // completely (truncated, malformed, no element at all) is not ok and
    // merges nothing, not even the drives before the fault. Paging then
    // follows NextPage(sentStartAt, upTo, total, ..., ContinueFrom::UpTo).
    DrivePage ParsePage(const char* xmlText);
    // The same for an answer already parsed (its root element).
    DrivePage MergePage(const CXmlElement& root);

    // A 202 answer's "DiskDrive" text: merges the root's first child, or, with
    // expectedName (the name the request carried), the first child with that
    // drive name, so that an answer about another drive changes nothing.
    // Returns the merged record's index, or -1 (malformed text, no such child,
    // list full).
    int ParseDetails(const char* xmlText, std::optional<std::u16string_view> expectedName = std::nullopt);

private:
    size_t maxRecords_;
    std::vector<DriveRecord> records_;
    std::unordered_map<std::u16string, size_t> indexByName_;
};

// Index into the drive image lists: 2 → 1, 3 → 2, 4 → 3, 6 → 4, 7 → 5, 8 → 6,
// any other type → 0.
int DriveIconIndex(uint32_t driveType);

// ---------------------------------------------------------------------------
// Texts. All use '.' as the decimal point whatever the locale.

// A size in MB: empty for 0 (and for negative or non-finite values); below 10
// "9.99 MB"; below 100 "99.9 MB"; up to 1024 inclusive "1024 MB"; above,
// in GB: below 10 GB "9.99 GB", else "10.0 GB". Values are rounded as printf
// rounds, so 9.999 MB shows "10.00 MB".
std::string FormatSizeMB(double megabytes);
// FormatSizeMB of bytes / 1048576: Total Size, Free Space, Total Used.
std::string SizeText(uint64_t bytes);
// Unsigned decimal ("Size in bytes:", "Free space in bytes:").
std::string DecimalText(uint64_t value);

// size − free, or 0 when the answer claims more free space than size.
uint64_t UsedBytes(const DriveRecord& drive);
// free ÷ size × 100 truncated, exact in 64 bits, clamped to 0..100; 0 without size.
uint32_t FreePercent(const DriveRecord& drive);
// 100 − FreePercent for a drive with a size (a full drive is 100% used); 0 without size.
uint32_t UsedPercent(const DriveRecord& drive);
// "42%".
std::string PercentText(uint32_t percent);

// The serial number as upper-case hexadecimal "1234-5678" (305419896). Empty
// when the text is not a decimal number of 32 bits (surrounding spaces are
// allowed; signs, other characters and values above 4294967295 are not).
std::string SerialNumberText(std::u16string_view decimal);

// The text of a list cell for a logical column (empty for an unknown column).
std::u16string ItemText(const DriveRecord& drive, int column);

// ---------------------------------------------------------------------------
// Groups

// What names a group; the view turns it into a text.
enum class GroupLabel : uint8_t {
    Text,            // `text` is the whole name
    HardDisks,
    Removable,
    Network,
    RamDrives,
    Tiny,
    Medium,
    Large,
    Huge,
    Gigantic,
    SizeUnspecified,
    Unspecified,     // free and used groups
    Other,
    PercentFree,     // "%3u%% free" with `percent`
    PercentUsed,
};

struct DriveGroup {
    GroupLabel label = GroupLabel::Text;
    // Name groups: the upper-cased first character (one UTF-16 unit, or a
    // surrogate pair); file-system groups: the name as first seen. Else empty.
    std::u16string text;
    // Percentage groups: 0, 10, ..., 100 for the format; else -1.
    int percent = -1;
};

struct DriveGrouping {
    std::vector<DriveGroup> groups;  // a group's id is its position
    std::vector<int> groupOfRecord;  // per record index: group id, or -1 for none
};

// The groups of a logical group column and each record's group:
// 0 name: "Other", then each distinct upper-cased first character of the
//   display names in record order; empty names and names starting with a
//   digit go to "Other";
// 1 type: hard disks (3), removable (2, 5, 8), network (4), RAM (6, 7); other
//   types have no group;
// 2 size in whole MB: Tiny (<1000), Medium (<10000), Large (<20000), Huge
//   (<40000), Gigantic, then Unspecified for 0 MB;
// 3, 6 free: eleven percentage groups 0..100 by (free MB × 100 ÷ size MB) ÷ 10,
//   then Unspecified (free or size 0 MB);
// 5, 7 used: the same with used MB, Unspecified also when used is 0 MB;
// 4 file system: "Other" (empty names), then each distinct name compared
//   without regard to case, in record order.
// An unknown column gives no groups and -1 for every record.
DriveGrouping BuildGroups(const std::vector<DriveRecord>& records, int column);

// ---------------------------------------------------------------------------
// Sorting

// Ascending order of two drives by a logical column: texts for 0, 1, 4; bytes
// for 2, 3, 5; percentages for 6, 7. 0 for an unknown column.
int CompareDrives(const DriveRecord& a, const DriveRecord& b, int column);

}  // namespace vantrel::drives
