// The Disk Drives model: records merged from answers, texts, groups and order.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "framework/model/Paging.h"
#include "framework/text/Base64.h"
#include "snapins/drives/model/DriveModel.h"

namespace vantrel::drives {
namespace {

constexpr uint64_t kMB = 1048576;

using Numbers = std::vector<std::pair<const char*, std::string>>;

std::string DriveXml(const std::u16string& name, const Numbers& numbers = {}, const std::u16string& display = {})
{
    std::string text = "<Drive DriveName='" + EncodeUtf16Base64(name) + "' DisplayName='" +
                       EncodeUtf16Base64(display.empty() ? name : display) + "'";
    for (const auto& [attribute, value] : numbers)
        text += std::string(" ") + attribute + "='" + value + "'";
    return text + "/>";
}

std::string PageXml(const std::string& upTo, const std::string& total, const std::vector<std::string>& drives)
{
    std::string text = "<DiskDrives UpTo='" + upTo + "' Total='" + total + "'>";
    for (const std::string& drive : drives)
        text += drive;
    return text + "</DiskDrives>";
}

DriveRecord Drive(std::u16string display, uint32_t type, std::u16string fileSystem, uint64_t sizeMB, uint64_t freeMB)
{
    DriveRecord drive;
    drive.driveName = display;
    drive.displayName = std::move(display);
    drive.driveType = type;
    drive.fileSystem = std::move(fileSystem);
    drive.sizeBytes = sizeMB * kMB;
    drive.freeBytes = freeMB * kMB;
    return drive;
}

DriveRecord Bytes(uint64_t size, uint64_t free)
{
    DriveRecord drive;
    drive.sizeBytes = size;
    drive.freeBytes = free;
    return drive;
}

// ---------------------------------------------------------------------------
// Texts

TEST(DriveTextTest, SizesPickUnitAndDecimalsByMagnitude)
{
    EXPECT_EQ(FormatSizeMB(1536), "1.50 GB");
    EXPECT_EQ(FormatSizeMB(5120), "5.00 GB");
    EXPECT_EQ(FormatSizeMB(10240), "10.0 GB");
    EXPECT_EQ(FormatSizeMB(1024), "1024 MB");
    EXPECT_EQ(FormatSizeMB(50), "50.0 MB");
    EXPECT_EQ(FormatSizeMB(0), "");
    EXPECT_EQ(FormatSizeMB(9.999), "10.00 MB");  // the unit follows the value, not its rounding
    EXPECT_EQ(FormatSizeMB(1024.5), "1.00 GB");

    // Nothing odd ever prints.
    EXPECT_EQ(FormatSizeMB(-5), "");
    EXPECT_EQ(FormatSizeMB(std::nan("")), "");
    EXPECT_EQ(FormatSizeMB(std::numeric_limits<double>::infinity()), "");
    EXPECT_EQ(FormatSizeMB(std::numeric_limits<double>::max()).substr(0, 6), "175555");

    EXPECT_EQ(SizeText(0), "");
    EXPECT_EQ(SizeText(1536 * kMB), "1.50 GB");
    EXPECT_EQ(SizeText(std::numeric_limits<uint64_t>::max()), "17179869184.0 GB");
}

TEST(DriveTextTest, PercentagesAreExactClampedAndAFullDriveIsFullyUsed)
{
    const DriveRecord full = Bytes(100 * kMB, 0);
    EXPECT_EQ(FreePercent(full), 0u);
    EXPECT_EQ(ItemText(full, kColumnFreePercent), u"0%");
    EXPECT_EQ(ItemText(full, kColumnUsedPercent), u"100%");
    EXPECT_EQ(UsedBytes(full), 100 * kMB);

    const DriveRecord noMedium = Bytes(0, 0);
    EXPECT_EQ(ItemText(noMedium, kColumnFreePercent), u"0%");
    EXPECT_EQ(ItemText(noMedium, kColumnUsedPercent), u"0%");
    EXPECT_EQ(ItemText(noMedium, kColumnTotalSize), u"");

    // 29/100 in floating point truncates to 28.
    EXPECT_EQ(FreePercent(Bytes(100, 29)), 29u);
    EXPECT_EQ(UsedPercent(Bytes(100, 29)), 71u);
    EXPECT_EQ(FreePercent(Bytes(1000, 999)), 99u);

    // Hostile answers: more free space than size, no size, all-ones halves.
    const DriveRecord overfull = Bytes(10 * kMB, 50 * kMB);
    EXPECT_EQ(FreePercent(overfull), 100u);
    EXPECT_EQ(UsedPercent(overfull), 0u);
    EXPECT_EQ(UsedBytes(overfull), 0u);
    EXPECT_EQ(ItemText(overfull, kColumnTotalUsed), u"");
    EXPECT_EQ(FreePercent(Bytes(0, 5)), 0u);
    EXPECT_EQ(UsedPercent(Bytes(0, 5)), 0u);
    constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
    EXPECT_EQ(FreePercent(Bytes(kMax, kMax - 1)), 99u);
    EXPECT_EQ(FreePercent(Bytes(kMax, kMax / 2)), 49u);
    EXPECT_EQ(FreePercent(Bytes(kMax, kMax / 100 * 29 + kMax / 200)), 29u);
    EXPECT_EQ(FreePercent(Bytes(kMax, kMax)), 100u);
}

TEST(DriveTextTest, SerialNumberShowsAsTwoHexHalves)
{
    EXPECT_EQ(SerialNumberText(u"305419896"), "1234-5678");
    EXPECT_EQ(SerialNumberText(u"3735928559"), "DEAD-BEEF");
    EXPECT_EQ(SerialNumberText(u"0"), "0000-0000");
    EXPECT_EQ(SerialNumberText(u" 4294967295 "), "FFFF-FFFF");
    for (const char16_t* bad : {u"", u"  ", u"4294967296", u"99999999999999999999999", u"-1", u"+5", u"12ab",
                                u"\u0661\u0662"})
        EXPECT_EQ(SerialNumberText(bad), "") << std::u16string(bad).size();
}

// ---------------------------------------------------------------------------
// Records from answers

TEST(DriveListTest, ReadsEveryFieldOfADriveElement)
{
    const Numbers numbers = {
        {"SizeInBytesHi", "1"}, {"SizeInBytesLo", "5"}, {"FreeSpaceInBytesHi", "0"},
        {"FreeSpaceInBytesLo", "4294967295"}, {"TotalClusters", "26214400"}, {"FreeClusters", "1000"},
        {"SectorsPerCluster", "8"}, {"BytesSector", "512"}, {"SysFlags", "262271"}, {"DriveTypeDW", "3"},
        {"InfoReq", "1"},
        {"DriveType", EncodeUtf16Base64(u"Local Disk")}, {"VolumeName", EncodeUtf16Base64(u"System")},
        {"SerialNo", EncodeUtf16Base64(u"305419896")}, {"FSType", EncodeUtf16Base64(u"NTFS")},
    };
    DriveList list;
    const int index = list.ParseDetails(("<DiskDrive>" + DriveXml(u"C:\\", numbers, u"Local Disk (C:)") +
                                         "</DiskDrive>").c_str());
    ASSERT_EQ(index, 0);
    const DriveRecord& drive = *list.Get(index);
    EXPECT_EQ(drive.driveName, u"C:\\");
    EXPECT_EQ(drive.displayName, u"Local Disk (C:)");
    EXPECT_EQ(drive.typeText, u"Local Disk");
    EXPECT_EQ(drive.volumeName, u"System");
    EXPECT_EQ(drive.fileSystem, u"NTFS");
    EXPECT_EQ(SerialNumberText(drive.serialNumber), "1234-5678");
    EXPECT_EQ(drive.sizeBytes, 4294967301u);
    EXPECT_EQ(drive.freeBytes, 4294967295u);
    EXPECT_EQ(drive.totalClusters, "26214400");
    EXPECT_EQ(drive.freeClusters, "1000");
    EXPECT_EQ(drive.sectorsPerCluster, "8");
    EXPECT_EQ(drive.bytesPerSector, "512");
    EXPECT_EQ(drive.fileSystemFlags, 262271u);
    EXPECT_EQ(drive.driveType, 3u);
    EXPECT_EQ(drive.infoReq, 1u);
}

TEST(DriveListTest, HostileNumbersReadAsSaneValues)
{
    DriveList list;
    const DrivePage page = list.ParsePage(PageXml("1", "1", {
        DriveXml(u"A:\\", {{"SizeInBytesHi", "4294967295"}, {"SizeInBytesLo", "4294967295"},
                           {"FreeSpaceInBytesHi", "99999999999999999999999"}, {"FreeSpaceInBytesLo", "-1"},
                           {"TotalClusters", "-4294967296"}, {"FreeClusters", "99999999999999999999999"},
                           {"SectorsPerCluster", "abc"}, {"BytesSector", ""}, {"SysFlags", "-1"},
                           {"DriveTypeDW", "4294967298"}, {"InfoReq", "-1"}}),
    }).c_str());
    ASSERT_TRUE(page.ok);
    const DriveRecord& drive = *list.Get(0);
    EXPECT_EQ(drive.sizeBytes, std::numeric_limits<uint64_t>::max());
    EXPECT_EQ(drive.freeBytes, 0xFFFFFFFF00000000u);  // overlong half saturates, negative half is 0
    EXPECT_EQ(drive.totalClusters, "");
    EXPECT_EQ(drive.freeClusters, "18446744073709551615");
    EXPECT_EQ(drive.sectorsPerCluster, "");
    EXPECT_EQ(drive.bytesPerSector, "");
    EXPECT_EQ(drive.fileSystemFlags, 0u);
    EXPECT_EQ(drive.driveType, 4294967295u);
    EXPECT_EQ(DriveIconIndex(drive.driveType), 0);
    EXPECT_EQ(drive.infoReq, 0u);
    EXPECT_EQ(ItemText(drive, kColumnTotalSize), u"17179869184.0 GB");
    EXPECT_EQ(ItemText(drive, kColumnFreePercent), u"99%");
    EXPECT_EQ(ItemText(drive, kColumnUsedPercent), u"1%");
}

TEST(DriveListTest, MergingByNameOverwritesInPlace)
{
    DriveList list;
    ASSERT_TRUE(list.ParsePage(PageXml("3", "3", {DriveXml(u"C:\\", {{"DriveTypeDW", "3"}}),
                                                  DriveXml(u"D:\\"), DriveXml(u"c:\\")}).c_str()).ok);
    ASSERT_EQ(list.Count(), 3u);  // names match exactly: "c:\" is another drive

    const DrivePage page = list.ParsePage(PageXml("1", "1", {DriveXml(u"C:\\", {{"DriveTypeDW", "5"}}, u"CD")}).c_str());
    EXPECT_EQ(page.merged, 1u);
    ASSERT_EQ(list.Count(), 3u);
    EXPECT_EQ(list.Find(u"C:\\"), 0);
    EXPECT_EQ(list.Get(0)->driveType, 5u);
    EXPECT_EQ(list.Get(0)->displayName, u"CD");
    EXPECT_EQ(list.Get(1)->driveName, u"D:\\");
    EXPECT_EQ(list.Get(3), nullptr);
    EXPECT_EQ(list.Get(-1), nullptr);
}

TEST(DriveListTest, TwoPageListingFollowsUpTo)
{
    DriveList list;
    int64_t sent = -1;
    DrivePage page = list.ParsePage(PageXml("2", "3", {DriveXml(u"A:\\"), DriveXml(u"C:\\")}).c_str());
    ASSERT_TRUE(page.ok);
    EXPECT_EQ(page.merged, 2u);
    int64_t next = 0;
    ASSERT_EQ(NextPage(sent, page.upTo, page.total, &next, ContinueFrom::UpTo), PageStep::Continue);
    EXPECT_EQ(next, 2);

    sent = next;
    page = list.ParsePage(PageXml("3", "3", {DriveXml(u"D:\\")}).c_str());
    ASSERT_TRUE(page.ok);
    EXPECT_EQ(NextPage(sent, page.upTo, page.total, &next, ContinueFrom::UpTo), PageStep::Done);
    ASSERT_EQ(list.Count(), 3u);
    EXPECT_EQ(list.Get(2)->driveName, u"D:\\");

    // No drives at all: UpTo -1 and Total 0 end the listing at once.
    DriveList empty;
    page = empty.ParsePage("<DiskDrives UpTo='-1' Total='0'/>");
    ASSERT_TRUE(page.ok);
    EXPECT_EQ(page.upTo, -1);
    EXPECT_EQ(NextPage(-1, page.upTo, page.total, &next, ContinueFrom::UpTo), PageStep::Done);

    page = empty.ParsePage("<DiskDrives UpTo='3' Total='4294967295'/>");
    EXPECT_EQ(page.total, 4294967295);
}

TEST(DriveListTest, MalformedAnswersAddNothingAndFail)
{
    const std::string good = PageXml("2", "2", {DriveXml(u"C:\\"), DriveXml(u"D:\\")});
    const std::string spoilt[] = {
        good.substr(0, good.size() - 5),               // truncated before the closing tag
        good.substr(0, good.rfind("<Drive ") + 20),     // truncated inside the second drive
        "<DiskDrives UpTo='2' Total='2'><Drive></Other></DiskDrives>",
        "garbage without any element",
        "</DiskDrives>",
        "<>",
    };
    for (const std::string& text : spoilt) {
        DriveList list;
        const DrivePage page = list.ParsePage(text.c_str());
        EXPECT_FALSE(page.ok) << text;
        EXPECT_EQ(page.merged, 0u) << text;
        EXPECT_EQ(list.Count(), 0u) << text;
        EXPECT_EQ(list.ParseDetails(text.c_str()), -1) << text;
        EXPECT_EQ(list.Count(), 0u) << text;
    }

    // A missing text is an empty document: nothing to add, but no failure.
    DriveList list;
    for (const char* text : {static_cast<const char*>(nullptr), "", "  \r\n"}) {
        const DrivePage page = list.ParsePage(text);
        EXPECT_TRUE(page.ok);
        EXPECT_EQ(page.total, 0);
        EXPECT_EQ(list.ParseDetails(text), -1);
    }
    EXPECT_EQ(list.Count(), 0u);
}

TEST(DriveListTest, DetailsChangeOnlyTheDriveThatWasAsked)
{
    DriveList list;
    ASSERT_TRUE(list.ParsePage(PageXml("2", "2", {DriveXml(u"C:\\"), DriveXml(u"D:\\")}).c_str()).ok);
    const std::string answer =
        "<DiskDrive>" + DriveXml(u"D:\\", {{"InfoReq", "1"}, {"BytesSector", "2048"}}) + "</DiskDrive>";

    EXPECT_EQ(list.ParseDetails(answer.c_str(), std::u16string_view(u"C:\\")), -1);
    EXPECT_EQ(list.Get(1)->infoReq, 0u);
    EXPECT_EQ(list.ParseDetails(answer.c_str(), std::u16string_view(u"D:\\")), 1);
    EXPECT_EQ(list.Get(1)->infoReq, 1u);
    EXPECT_EQ(list.Get(1)->bytesPerSector, "2048");
    EXPECT_EQ(list.ParseDetails("<DiskDrive/>"), -1);
    EXPECT_EQ(list.Count(), 2u);
}

TEST(DriveListTest, StopsGrowingAtItsCap)
{
    DriveList list(2);
    DrivePage page = list.ParsePage(PageXml("3", "3", {DriveXml(u"A:\\"), DriveXml(u"B:\\"), DriveXml(u"C:\\")}).c_str());
    EXPECT_TRUE(page.ok);
    EXPECT_TRUE(page.full);
    EXPECT_EQ(page.merged, 2u);
    EXPECT_EQ(list.Count(), 2u);
    // A full list still takes updates of the drives it holds.
    page = list.ParsePage(PageXml("1", "1", {DriveXml(u"B:\\", {{"DriveTypeDW", "3"}})}).c_str());
    EXPECT_FALSE(page.full);
    EXPECT_EQ(list.Get(1)->driveType, 3u);
}

// ---------------------------------------------------------------------------
// Groups and order

class DriveGroupsTest : public testing::Test {
protected:
    // type, file system, size and free space in MB
    const std::vector<DriveRecord> drives = {
        Drive(u"Local Disk (C:)", 3, u"NTFS", 102400, 25600),  // 25% free
        Drive(u"data (D:)", 3, u"ntfs", 15000, 15000),         // nothing used
        Drive(u"DVD Drive (E:)", 5, u"", 0, 0),                // no medium
        Drive(u"2nd Disk (F:)", 2, u"FAT32", 500, 0),          // full
        Drive(u"Network (Z:)", 4, u"exFAT", 5000, 2500),
        Drive(u"\u00e9clair (G:)", 6, u"Fat32", 30000, 3000),  // 10% free
        Drive(u"", 1, u"NTFS", 45000, 40000),                  // unknown type, no name
    };

    std::vector<int> GroupsBy(int column) const { return BuildGroups(drives, column).groupOfRecord; }
};

TEST_F(DriveGroupsTest, NameAndFileSystemGroupsFollowRecordOrderAfterOther)
{
    const DriveGrouping names = BuildGroups(drives, kColumnName);
    ASSERT_EQ(names.groups.size(), 5u);
    EXPECT_EQ(names.groups[0].label, GroupLabel::Other);
    const std::u16string initials[] = {u"L", u"D", u"N", u"\u00c9"};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(names.groups[i + 1].label, GroupLabel::Text);
        EXPECT_EQ(names.groups[i + 1].text, initials[i]);
    }
    EXPECT_EQ(names.groupOfRecord, (std::vector<int>{1, 2, 2, 0, 3, 4, 0}));

    const DriveGrouping systems = BuildGroups(drives, kColumnFileSystem);
    ASSERT_EQ(systems.groups.size(), 4u);
    EXPECT_EQ(systems.groups[0].label, GroupLabel::Other);
    EXPECT_EQ(systems.groups[1].text, u"NTFS");
    EXPECT_EQ(systems.groups[2].text, u"FAT32");
    EXPECT_EQ(systems.groups[3].text, u"exFAT");
    EXPECT_EQ(systems.groupOfRecord, (std::vector<int>{1, 1, 0, 2, 3, 2, 1}));
}

TEST_F(DriveGroupsTest, TypeAndSizeGroups)
{
    const DriveGrouping types = BuildGroups(drives, kColumnType);
    ASSERT_EQ(types.groups.size(), 4u);
    EXPECT_EQ(types.groupOfRecord, (std::vector<int>{0, 0, 1, 1, 2, 3, -1}));

    const DriveGrouping sizes = BuildGroups(drives, kColumnTotalSize);
    ASSERT_EQ(sizes.groups.size(), 6u);
    EXPECT_EQ(sizes.groupOfRecord, (std::vector<int>{4, 2, 5, 0, 1, 3, 4}));
    // The bounds, in whole MB.
    const std::vector<DriveRecord> bounds = {
        Drive(u"", 3, u"", 999, 0),   Drive(u"", 3, u"", 1000, 0),  Drive(u"", 3, u"", 9999, 0),
        Drive(u"", 3, u"", 10000, 0), Drive(u"", 3, u"", 19999, 0), Drive(u"", 3, u"", 20000, 0),
        Drive(u"", 3, u"", 39999, 0), Drive(u"", 3, u"", 40000, 0), Bytes(kMB - 1, 0)};
    EXPECT_EQ(BuildGroups(bounds, kColumnTotalSize).groupOfRecord, (std::vector<int>{0, 1, 1, 2, 2, 3, 3, 4, 5}));
}

TEST_F(DriveGroupsTest, PercentageGroupsLeaveEmptyAndFullDrivesUnspecified)
{
    for (int column : {kColumnFreeSpace, kColumnFreePercent, kColumnTotalUsed, kColumnUsedPercent}) {
        const bool used = column == kColumnTotalUsed || column == kColumnUsedPercent;
        const DriveGrouping grouping = BuildGroups(drives, column);
        ASSERT_EQ(grouping.groups.size(), 12u);
        for (int i = 0; i <= 10; ++i) {
            EXPECT_EQ(grouping.groups[i].label, used ? GroupLabel::PercentUsed : GroupLabel::PercentFree);
            EXPECT_EQ(grouping.groups[i].percent, i * 10);
        }
        EXPECT_EQ(grouping.groups[11].label, GroupLabel::Unspecified);
        if (used)
            EXPECT_EQ(grouping.groupOfRecord, (std::vector<int>{7, 11, 11, 11, 5, 9, 1}));
        else
            EXPECT_EQ(grouping.groupOfRecord, (std::vector<int>{2, 10, 11, 11, 5, 1, 8}));
    }
    // Hostile: more free than size is 100% free; unknown columns have no groups.
    EXPECT_EQ(BuildGroups({Drive(u"", 3, u"", 10, 50)}, kColumnFreeSpace).groupOfRecord, std::vector<int>{10});
    for (int column : {-1, 8, 1000}) {
        const DriveGrouping none = BuildGroups(drives, column);
        EXPECT_TRUE(none.groups.empty());
        EXPECT_EQ(none.groupOfRecord, std::vector<int>(drives.size(), -1));
    }
}

TEST_F(DriveGroupsTest, ComparisonsByColumn)
{
    const DriveRecord& c = drives[0];
    const DriveRecord& d = drives[1];
    const int expected[] = {1, 0, 1, 1, 0, 1, -1, 1};  // per column; "LOCAL" after "DATA", NTFS = ntfs
    for (int column = 0; column < kColumnCount; ++column)
        EXPECT_EQ(CompareDrives(c, d, column), expected[column]) << column;
    EXPECT_EQ(CompareDrives(c, d, 99), 0);

}

}  // namespace
}  // namespace vantrel::drives
