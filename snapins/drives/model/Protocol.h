// Disk Drives on the wire: command codes and node and attribute names, spelled
// as they travel. Shared by the snap-in, the simulated machine and the tests.
#pragma once

#include <cstdint>

namespace vantrel::drives::protocol {

constexpr int32_t kSnapInId = 15001;

constexpr uint32_t kListCommand = 201;     // one page of the drive list
constexpr uint32_t kDetailsCommand = 202;  // one drive's details

// Disk Drives reads "RetValue" as a 16-bit number; 1 is success.
constexpr int16_t kSuccess = 1;

// Request and answer nodes.
constexpr char kListNode[] = "DiskDrives";    // 201: XML text both ways
constexpr char kDetailsNode[] = "DiskDrive";  // 202 answer: XML text
constexpr char kDriveNameNode[] = "DriveName";  // 202 request: Base64 UTF-16

// Elements of the XML texts.
constexpr char kListRequestElement[] = "Drives";
constexpr char kAnswerRootList[] = "DiskDrives";
constexpr char kAnswerRootDetails[] = "DiskDrive";
constexpr char kDriveElement[] = "Drive";

// Attributes of a drive element.
constexpr char kAttrDriveName[] = "DriveName";
constexpr char kAttrDisplayName[] = "DisplayName";
constexpr char kAttrDriveType[] = "DriveType";
constexpr char kAttrVolumeName[] = "VolumeName";
constexpr char kAttrSerialNo[] = "SerialNo";
constexpr char kAttrFileSystem[] = "FSType";
constexpr char kAttrSizeHigh[] = "SizeInBytesHi";
constexpr char kAttrSizeLow[] = "SizeInBytesLo";
constexpr char kAttrFreeHigh[] = "FreeSpaceInBytesHi";
constexpr char kAttrFreeLow[] = "FreeSpaceInBytesLo";
constexpr char kAttrTotalClusters[] = "TotalClusters";
constexpr char kAttrFreeClusters[] = "FreeClusters";
constexpr char kAttrSectorsPerCluster[] = "SectorsPerCluster";
constexpr char kAttrBytesPerSector[] = "BytesSector";
constexpr char kAttrSysFlags[] = "SysFlags";
constexpr char kAttrDriveTypeNumber[] = "DriveTypeDW";
constexpr char kAttrInfoReq[] = "InfoReq";

}  // namespace vantrel::drives::protocol
