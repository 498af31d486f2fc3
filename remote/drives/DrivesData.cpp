#include "remote/drives/DrivesData.h"

#include "remote/Random.h"

#include <algorithm>
#include <cstdio>

#include "remote/SimulatedSnapIn.h"

namespace vantrel::remote {

namespace {

constexpr uint64_t kKiB = 1024;
constexpr uint64_t kMiB = 1024 * kKiB;
constexpr uint64_t kGiB = 1024 * kMiB;

constexpr uint32_t kRemovable = 2;
constexpr uint32_t kFixed = 3;
constexpr uint32_t kNetwork = 4;
constexpr uint32_t kOptical = 5;
constexpr uint32_t kRamDisk = 6;
constexpr uint32_t kObjectStore = 7;
constexpr uint32_t kStorageCard = 8;

// Volume flags as a file system reports them.
constexpr uint32_t kNtfsFlags = 0x000700FF;
constexpr uint32_t kFatFlags = 0x00000006;
constexpr uint32_t kOpticalFlags = 0x00080005;


struct Medium {
    std::u16string fileSystem;
    uint32_t flags;
    uint32_t bytesPerSector;
    uint32_t sectorsPerCluster;
};

Medium Ntfs() { return {u"NTFS", kNtfsFlags, 512, 8}; }
Medium Fat32() { return {u"FAT32", kFatFlags, 512, 64}; }
Medium Fat() { return {u"FAT", kFatFlags, 512, 1}; }
Medium Optical() { return {u"UDF", kOpticalFlags, 2048, 1}; }

// Sizes come out as whole clusters, as a volume reports them.
void SetCapacity(SimulatedDrive& drive, const Medium& medium, uint64_t size, uint64_t freeSpace)
{
    drive.fileSystem = medium.fileSystem;
    drive.fileSystemFlags = medium.flags;
    drive.bytesPerSector = medium.bytesPerSector;
    drive.sectorsPerCluster = medium.sectorsPerCluster;
    const uint64_t cluster = uint64_t{medium.bytesPerSector} * medium.sectorsPerCluster;
    drive.totalClusters = static_cast<uint32_t>(std::min<uint64_t>(size / cluster, UINT32_MAX));
    drive.freeClusters = static_cast<uint32_t>(std::min<uint64_t>(freeSpace / cluster, drive.totalClusters));
    drive.sizeBytes = drive.totalClusters * cluster;
    drive.freeBytes = drive.freeClusters * cluster;
}

uint64_t SomeFreeSpace(Random& random, uint64_t size)
{
    return size / 100 * random.Between(3, 70);
}

std::u16string Format(const char* pattern, unsigned number)
{
    char text[64];
    std::snprintf(text, sizeof text, pattern, number);
    return AsciiToUtf16(text);
}

SimulatedDrive Drive(Random& random, std::u16string name, std::u16string display, std::u16string type,
                     uint32_t driveType, std::u16string volume = {})
{
    SimulatedDrive drive;
    drive.driveName = std::move(name);
    drive.displayName = std::move(display);
    drive.typeText = std::move(type);
    drive.driveType = driveType;
    drive.volumeName = std::move(volume);
    drive.serialNumber = static_cast<uint32_t>(random.Next());
    return drive;
}

// An empty slot: a drive without a medium reports no sizes and no file system.
SimulatedDrive EmptyDrive(Random& random, std::u16string name, std::u16string display, std::u16string type,
                          uint32_t driveType)
{
    SimulatedDrive drive = Drive(random, std::move(name), std::move(display), std::move(type), driveType);
    drive.serialNumber = 0;
    return drive;
}

std::u16string ServerName(Random& random)
{
    static const char16_t* const kServers[] = {u"srv-files01", u"nas-backup", u"fs-projects", u"srv-archive"};
    return kServers[random.Next() % std::size(kServers)];
}

void AddGeneralDrives(Random& random, std::vector<SimulatedDrive>& drives)
{
    SimulatedDrive floppy = Drive(random, u"A:\\", u"Floppy Disk Drive (A:)", u"Floppy Disk Drive", kRemovable);
    SetCapacity(floppy, Fat(), 1457664, random.Between(0, 1457664));
    drives.push_back(floppy);

    SimulatedDrive system = Drive(random, u"C:\\", u"Local Disk (C:)", u"Local Disk", kFixed, u"System");
    const uint64_t systemSize = random.Between(120, 500) * kGiB;
    SetCapacity(system, Ntfs(), systemSize, SomeFreeSpace(random, systemSize));
    drives.push_back(system);

    // A data disk filled to the last cluster.
    SimulatedDrive data = Drive(random, u"D:\\", u"Donn\u00e9es (D:)", u"Local Disk", kFixed, u"Donn\u00e9es");
    SetCapacity(data, Ntfs(), random.Between(900, 4000) * kGiB, 0);
    drives.push_back(data);

    drives.push_back(EmptyDrive(random, u"E:\\", u"DVD Drive (E:)", u"CD Drive", kOptical));

    SimulatedDrive stick =
        Drive(random, u"F:\\", u"USB-STICK \u00dc (F:)", u"Removable Disk", kRemovable, u"USB-STICK \u00dc");
    const uint64_t stickSize = random.Between(8, 64) * kGiB;
    SetCapacity(stick, Fat32(), stickSize, SomeFreeSpace(random, stickSize));
    drives.push_back(stick);

    // A full DVD: read-only, above 4 GiB.
    SimulatedDrive disc = Drive(random, u"G:\\", u"BACKUP_2023 (G:)", u"CD Drive", kOptical, u"BACKUP_2023");
    SetCapacity(disc, Optical(), 4700372992ULL, 0);
    drives.push_back(disc);

    struct Mapping {
        const char16_t* letter;
        const char16_t* share;
    };
    for (const Mapping& mapping : {Mapping{u"N", u"public"}, Mapping{u"P", u"projects"}}) {
        const std::u16string letter = mapping.letter;
        const std::u16string share = mapping.share;
        SimulatedDrive network = Drive(random, letter + u":\\",
                                       share + u" on '" + ServerName(random) + u"' (" + letter + u":)",
                                       u"Network Drive", kNetwork, share);
        const uint64_t networkSize = random.Between(2, 8) * 1024 * kGiB;
        SetCapacity(network, Ntfs(), networkSize, SomeFreeSpace(random, networkSize));
        drives.push_back(network);
    }

    SimulatedDrive ram = Drive(random, u"R:\\", u"RAM Disk (R:)", u"RAM Disk", kRamDisk, u"RAMDISK");
    SetCapacity(ram, Fat32(), 2 * kGiB, SomeFreeSpace(random, 2 * kGiB));
    drives.push_back(ram);
}

void AddDeviceDrives(Random& random, std::vector<SimulatedDrive>& drives)
{
    SimulatedDrive store = Drive(random, u"\\", u"Object Store", u"Object Store", kObjectStore);
    const uint64_t storeSize = random.Between(32, 128) * kMiB;
    SetCapacity(store, {u"", 0x00000006, 512, 8}, storeSize, SomeFreeSpace(random, storeSize));
    drives.push_back(store);

    SimulatedDrive card = Drive(random, u"\\Storage Card\\", u"Storage Card", u"Storage Card", kStorageCard);
    const uint64_t cardSize = random.Between(8, 32) * kGiB;
    SetCapacity(card, Fat32(), cardSize, SomeFreeSpace(random, cardSize));
    drives.push_back(card);

    SimulatedDrive fullCard = Drive(random, u"\\SD Card\\", u"SD Card", u"Storage Card", kStorageCard);
    SetCapacity(fullCard, Fat(), 2 * kGiB, 0);
    drives.push_back(fullCard);

    drives.push_back(EmptyDrive(random, u"\\CF Card\\", u"CF Card", u"Storage Card", kStorageCard));

    SimulatedDrive flash = Drive(random, u"\\Built-in Storage\\", u"Built-in Storage", u"Local Disk", kFixed);
    const uint64_t flashSize = random.Between(4, 16) * kGiB;
    SetCapacity(flash, Fat32(), flashSize, SomeFreeSpace(random, flashSize));
    drives.push_back(flash);

    SimulatedDrive usb = Drive(random, u"\\USB Disk\\", u"USB Disk", u"Removable Disk", kRemovable);
    SetCapacity(usb, Fat32(), 16 * kGiB, SomeFreeSpace(random, 16 * kGiB));
    drives.push_back(usb);

    const std::u16string server = ServerName(random);
    SimulatedDrive network = Drive(random, u"\\Network\\" + server + u"\\public\\", u"public on '" + server + u"'",
                                   u"Network Drive", kNetwork, u"public");
    SetCapacity(network, Ntfs(), 3 * 1024 * kGiB, SomeFreeSpace(random, 3 * 1024 * kGiB));
    drives.push_back(network);

    SimulatedDrive ram = Drive(random, u"\\RAM Disk\\", u"RAM Disk", u"RAM Disk", kRamDisk);
    SetCapacity(ram, Fat(), 64 * kMiB, SomeFreeSpace(random, 64 * kMiB));
    drives.push_back(ram);
}

// Many volumes mounted in folders, for lists of thousands.
void AddMountedVolumes(Random& random, bool device, unsigned count, std::vector<SimulatedDrive>& drives)
{
    for (unsigned i = 1; i <= count; ++i) {
        const std::u16string volume = Format("Vol%04u", i);
        SimulatedDrive drive =
            device ? Drive(random, u"\\Volumes\\" + volume + u"\\", volume, u"Storage Card", kStorageCard, volume)
                   : Drive(random, u"C:\\Mounts\\" + volume + u"\\", volume + u" (C:\\Mounts\\" + volume + u"\\)",
                           u"Local Disk", kFixed, volume);
        if (i % 101 == 0) {
            drive.serialNumber = 0;  // not formatted
        } else {
            const uint64_t size = random.Between(1, 2048) * kGiB + random.Between(0, kGiB);
            SetCapacity(drive, device ? Fat32() : Ntfs(), size, i % 97 == 0 ? 0 : SomeFreeSpace(random, size));
        }
        drives.push_back(std::move(drive));
    }
}

}  // namespace

std::vector<SimulatedDrive> MakeSimulatedDrives(const MachineConfig& config)
{
    Random random(config.seed);
    std::vector<SimulatedDrive> drives;
    const bool device = config.platform == kDevicePlatform;
    if (device)
        AddDeviceDrives(random, drives);
    else
        AddGeneralDrives(random, drives);
    AddMountedVolumes(random, device, static_cast<unsigned>(config.DriveVolumes()), drives);
    return drives;
}

}  // namespace vantrel::remote
