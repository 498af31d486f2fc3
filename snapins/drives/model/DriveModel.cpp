#include "snapins/drives/model/DriveModel.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <utility>

#include "framework/model/Answer.h"
#include "framework/text/TextCompare.h"
#include "framework/xml/Xml.h"
#include "snapins/drives/model/Protocol.h"

namespace vantrel::drives {

namespace {

constexpr uint64_t kBytesPerMB = 1048576;
constexpr int kPercentGroupCount = 11;  // 0, 10, ..., 100

std::string ReadCountText(const CXmlElement& element, const char* name)
{
    uint64_t value = 0;
    return element.GetAttributeUInt64(name, &value) ? DecimalText(value) : std::string();
}

// ---------------------------------------------------------------------------
// Numbers

// floor(100 × part ÷ whole) for part < whole, exactly and without overflow:
// two decimal digits of long division, each by repeated modular addition.
uint32_t PercentBelowWhole(uint64_t part, uint64_t whole)
{
    uint32_t result = 0;
    uint64_t remainder = part;
    for (int digitIndex = 0; digitIndex < 2; ++digitIndex) {
        uint32_t digit = 0;
        uint64_t accumulated = 0;  // (i × remainder) mod whole
        for (int i = 0; i < 10; ++i) {
            if (accumulated >= whole - remainder) {
                accumulated -= whole - remainder;
                ++digit;
            } else {
                accumulated += remainder;
            }
        }
        result = result * 10 + digit;
        remainder = accumulated;
    }
    return result;
}

uint32_t PercentOf(uint64_t part, uint64_t whole)
{
    if (whole == 0)
        return 0;
    if (part >= whole)
        return 100;
    return PercentBelowWhole(part, whole);
}

// Fixed-point text with the given decimals; empty if it does not fit.
std::string Fixed(double value, int decimals)
{
    std::array<char, 512> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc())
        return {};
    return std::string(buffer.data(), result.ptr);
}

std::u16string Widen(const std::string& ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

// ---------------------------------------------------------------------------
// Groups

bool IsHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLowSurrogate(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

// The upper-cased first character of a name; empty for names that go to "Other".
std::u16string InitialOf(const std::u16string& name)
{
    if (name.empty() || (name[0] >= u'0' && name[0] <= u'9'))
        return {};
    if (name.size() >= 2 && IsHighSurrogate(name[0]) && IsLowSurrogate(name[1]))
        return name.substr(0, 2);
    return std::u16string(1, FoldCase(name[0]));
}

std::u16string UpperCased(std::u16string_view text)
{
    std::u16string upper(text);
    for (char16_t& c : upper)
        c = FoldCase(c);
    return upper;
}

// Groups named by a text derived from each record, after "Other" for the
// records whose key is empty. Keys are looked up by hash: the list may hold
// many volumes.
template <typename KeyOf, typename TextOf>
void AddTextGroups(const std::vector<DriveRecord>& records, KeyOf keyOf, TextOf textOf, DriveGrouping& grouping)
{
    grouping.groups.push_back({GroupLabel::Other, {}, -1});
    std::unordered_map<std::u16string, int> groupByKey;
    for (size_t i = 0; i < records.size(); ++i) {
        std::u16string key = keyOf(records[i]);
        if (key.empty()) {
            grouping.groupOfRecord[i] = 0;
            continue;
        }
        const auto [it, added] = groupByKey.try_emplace(std::move(key), static_cast<int>(grouping.groups.size()));
        if (added)
            grouping.groups.push_back({GroupLabel::Text, textOf(records[i]), -1});
        grouping.groupOfRecord[i] = it->second;
    }
}

int TypeGroup(uint32_t driveType)
{
    switch (driveType) {
    case 3:
        return 0;
    case 2:
    case 5:
    case 8:
        return 1;
    case 4:
        return 2;
    case 6:
    case 7:
        return 3;
    default:
        return -1;
    }
}

int SizeGroup(uint64_t sizeBytes)
{
    const uint64_t megabytes = sizeBytes / kBytesPerMB;
    if (megabytes == 0)
        return 5;
    if (megabytes < 1000)
        return 0;
    if (megabytes < 10000)
        return 1;
    if (megabytes < 20000)
        return 2;
    if (megabytes < 40000)
        return 3;
    return 4;
}

// One of the eleven percentage groups, or the "Unspecified" group after them.
int PercentGroup(const DriveRecord& drive, bool used)
{
    const uint64_t sizeMB = drive.sizeBytes / kBytesPerMB;
    const uint64_t freeMB = drive.freeBytes / kBytesPerMB;
    const uint64_t usedMB = UsedBytes(drive) / kBytesPerMB;
    if (sizeMB == 0 || freeMB == 0 || (used && usedMB == 0))
        return kPercentGroupCount;
    return static_cast<int>(PercentOf(used ? usedMB : freeMB, sizeMB) / 10);
}

void AddPercentGroups(const std::vector<DriveRecord>& records, bool used, DriveGrouping& grouping)
{
    const GroupLabel label = used ? GroupLabel::PercentUsed : GroupLabel::PercentFree;
    for (int i = 0; i < kPercentGroupCount; ++i)
        grouping.groups.push_back({label, {}, i * 10});
    grouping.groups.push_back({GroupLabel::Unspecified, {}, -1});
    for (size_t i = 0; i < records.size(); ++i)
        grouping.groupOfRecord[i] = PercentGroup(records[i], used);
}

}  // namespace

// ---------------------------------------------------------------------------
// Records

DriveRecord ReadDriveElement(const CXmlElement& element)
{
    using namespace protocol;
    DriveRecord drive;
    drive.driveName = ReadText(element, kAttrDriveName);
    drive.displayName = ReadText(element, kAttrDisplayName);
    drive.typeText = ReadText(element, kAttrDriveType);
    drive.volumeName = ReadText(element, kAttrVolumeName);
    drive.serialNumber = ReadText(element, kAttrSerialNo);
    drive.fileSystem = ReadText(element, kAttrFileSystem);
    drive.sizeBytes = ReadHalves(element, kAttrSizeHigh, kAttrSizeLow);
    drive.freeBytes = ReadHalves(element, kAttrFreeHigh, kAttrFreeLow);
    drive.totalClusters = ReadCountText(element, kAttrTotalClusters);
    drive.freeClusters = ReadCountText(element, kAttrFreeClusters);
    drive.sectorsPerCluster = ReadCountText(element, kAttrSectorsPerCluster);
    drive.bytesPerSector = ReadCountText(element, kAttrBytesPerSector);
    drive.fileSystemFlags = ReadUInt32(element, kAttrSysFlags);
    drive.driveType = ReadUInt32(element, kAttrDriveTypeNumber);
    drive.infoReq = ReadUInt32(element, kAttrInfoReq);
    return drive;
}

DriveList::DriveList(size_t maxRecords) : maxRecords_(maxRecords) {}

void DriveList::Clear()
{
    records_.clear();
    indexByName_.clear();
}

const DriveRecord* DriveList::Get(int64_t index) const
{
    if (index < 0 || static_cast<uint64_t>(index) >= records_.size())
        return nullptr;
    return &records_[static_cast<size_t>(index)];
}

int DriveList::Find(std::u16string_view driveName) const
{
    const auto it = indexByName_.find(std::u16string(driveName));
    return it == indexByName_.end() ? -1 : static_cast<int>(it->second);
}

int DriveList::Merge(DriveRecord record)
{
    const int existing = Find(record.driveName);
    if (existing >= 0) {
        records_[static_cast<size_t>(existing)] = std::move(record);
        return existing;
    }
    if (!ListHasRoom(records_.size(), maxRecords_))
        return -1;
    indexByName_.emplace(record.driveName, records_.size());
    records_.push_back(std::move(record));
    return static_cast<int>(records_.size() - 1);
}

int DriveList::Merge(const CXmlElement& element)
{
    return Merge(ReadDriveElement(element));
}

DrivePage DriveList::MergePage(const CXmlElement& root)
{
    DrivePage page;
    page.ok = true;
    page.upTo = ReadInt64(root, kUpToAttribute);
    page.total = ReadInt64(root, kTotalAttribute);
    for (int i = 0; i < root.GetChildCount(); ++i) {
        if (Merge(*root.GetChild(i)) >= 0)
            ++page.merged;
        else
            page.full = true;
    }
    return page;
}

DrivePage DriveList::ParsePage(const char* xmlText)
{
    CXmlElement root;
    switch (ParseAnswer(xmlText, root)) {
    case AnswerText::Malformed:
        return {};
    case AnswerText::Empty: {
        DrivePage page;
        page.ok = true;
        return page;
    }
    case AnswerText::Parsed:
        break;
    }
    return MergePage(root);
}

int DriveList::ParseDetails(const char* xmlText, std::optional<std::u16string_view> expectedName)
{
    CXmlElement root;
    if (ParseAnswer(xmlText, root) != AnswerText::Parsed)
        return -1;
    for (int i = 0; i < root.GetChildCount(); ++i) {
        DriveRecord drive = ReadDriveElement(*root.GetChild(i));
        if (!expectedName || drive.driveName == *expectedName)
            return Merge(std::move(drive));
    }
    return -1;
}

int DriveIconIndex(uint32_t driveType)
{
    switch (driveType) {
    case 2:
        return 1;
    case 3:
        return 2;
    case 4:
        return 3;
    case 6:
        return 4;
    case 7:
        return 5;
    case 8:
        return 6;
    default:
        return 0;
    }
}

// ---------------------------------------------------------------------------
// Texts

std::string FormatSizeMB(double megabytes)
{
    if (!(megabytes > 0) || !std::isfinite(megabytes))
        return {};
    if (megabytes < 10)
        return Fixed(megabytes, 2) + " MB";
    if (megabytes < 100)
        return Fixed(megabytes, 1) + " MB";
    if (megabytes <= 1024)
        return Fixed(megabytes, 0) + " MB";
    const double gigabytes = megabytes / 1024;
    if (gigabytes < 10)
        return Fixed(gigabytes, 2) + " GB";
    return Fixed(gigabytes, 1) + " GB";
}

std::string SizeText(uint64_t bytes)
{
    return FormatSizeMB(static_cast<double>(bytes) / static_cast<double>(kBytesPerMB));
}

std::string DecimalText(uint64_t value)
{
    return std::to_string(value);
}

uint64_t UsedBytes(const DriveRecord& drive)
{
    return drive.sizeBytes > drive.freeBytes ? drive.sizeBytes - drive.freeBytes : 0;
}

uint32_t FreePercent(const DriveRecord& drive)
{
    return PercentOf(drive.freeBytes, drive.sizeBytes);
}

uint32_t UsedPercent(const DriveRecord& drive)
{
    return drive.sizeBytes == 0 ? 0 : 100 - FreePercent(drive);
}

std::string PercentText(uint32_t percent)
{
    return std::to_string(percent) + "%";
}

std::string SerialNumberText(std::u16string_view decimal)
{
    size_t first = 0;
    size_t last = decimal.size();
    while (first < last && decimal[first] == u' ')
        ++first;
    while (last > first && decimal[last - 1] == u' ')
        --last;
    if (first == last)
        return {};
    uint64_t value = 0;
    for (size_t i = first; i < last; ++i) {
        const char16_t c = decimal[i];
        if (c < u'0' || c > u'9')
            return {};
        value = value * 10 + static_cast<uint64_t>(c - u'0');
        if (value > 0xFFFFFFFFu)
            return {};
    }
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text(9, '-');
    for (int i = 0; i < 8; ++i) {
        const auto nibble = static_cast<size_t>((value >> (28 - 4 * i)) & 0xF);
        text[static_cast<size_t>(i < 4 ? i : i + 1)] = kHex[nibble];
    }
    return text;
}

std::u16string ItemText(const DriveRecord& drive, int column)
{
    switch (column) {
    case kColumnName:
        return drive.displayName;
    case kColumnType:
        return drive.typeText;
    case kColumnTotalSize:
        return Widen(SizeText(drive.sizeBytes));
    case kColumnFreeSpace:
        return Widen(SizeText(drive.freeBytes));
    case kColumnFileSystem:
        return drive.fileSystem;
    case kColumnTotalUsed:
        return Widen(SizeText(UsedBytes(drive)));
    case kColumnFreePercent:
        return Widen(PercentText(FreePercent(drive)));
    case kColumnUsedPercent:
        return Widen(PercentText(UsedPercent(drive)));
    default:
        return {};
    }
}

// ---------------------------------------------------------------------------
// Groups

DriveGrouping BuildGroups(const std::vector<DriveRecord>& records, int column)
{
    DriveGrouping grouping;
    grouping.groupOfRecord.assign(records.size(), -1);
    switch (column) {
    case kColumnName:
        AddTextGroups(
            records, [](const DriveRecord& drive) { return InitialOf(drive.displayName); },
            [](const DriveRecord& drive) { return InitialOf(drive.displayName); }, grouping);
        break;
    case kColumnFileSystem:
        AddTextGroups(
            records, [](const DriveRecord& drive) { return UpperCased(drive.fileSystem); },
            [](const DriveRecord& drive) { return drive.fileSystem; }, grouping);
        break;
    case kColumnType:
        for (GroupLabel label : {GroupLabel::HardDisks, GroupLabel::Removable, GroupLabel::Network, GroupLabel::RamDrives})
            grouping.groups.push_back({label, {}, -1});
        for (size_t i = 0; i < records.size(); ++i)
            grouping.groupOfRecord[i] = TypeGroup(records[i].driveType);
        break;
    case kColumnTotalSize:
        for (GroupLabel label : {GroupLabel::Tiny, GroupLabel::Medium, GroupLabel::Large, GroupLabel::Huge,
                                 GroupLabel::Gigantic, GroupLabel::SizeUnspecified})
            grouping.groups.push_back({label, {}, -1});
        for (size_t i = 0; i < records.size(); ++i)
            grouping.groupOfRecord[i] = SizeGroup(records[i].sizeBytes);
        break;
    case kColumnFreeSpace:
    case kColumnFreePercent:
        AddPercentGroups(records, false, grouping);
        break;
    case kColumnTotalUsed:
    case kColumnUsedPercent:
        AddPercentGroups(records, true, grouping);
        break;
    default:
        break;
    }
    return grouping;
}

// ---------------------------------------------------------------------------
// Sorting

int CompareDrives(const DriveRecord& a, const DriveRecord& b, int column)
{
    switch (column) {
    case kColumnName:
        return CompareNoCase(a.displayName, b.displayName);
    case kColumnType:
        return CompareNoCase(a.typeText, b.typeText);
    case kColumnFileSystem:
        return CompareNoCase(a.fileSystem, b.fileSystem);
    case kColumnTotalSize:
        return CompareValues<uint64_t>(a.sizeBytes, b.sizeBytes);
    case kColumnFreeSpace:
        return CompareValues<uint64_t>(a.freeBytes, b.freeBytes);
    case kColumnTotalUsed:
        return CompareValues<uint64_t>(UsedBytes(a), UsedBytes(b));
    case kColumnFreePercent:
        return CompareValues<uint64_t>(FreePercent(a), FreePercent(b));
    case kColumnUsedPercent:
        return CompareValues<uint64_t>(UsedPercent(a), UsedPercent(b));
    default:
        return 0;
    }
}

}  // namespace vantrel::drives
