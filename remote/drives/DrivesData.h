// The drives of the simulated machine. Deterministic for a configuration, so
// tests can compute what the machine will answer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "remote/RemoteMachine.h"

namespace vantrel::remote {

struct SimulatedDrive {
    std::u16string driveName;    // "C:\"
    std::u16string displayName;  // "Local Disk (C:)"
    std::u16string typeText;     // "Local Disk"
    std::u16string volumeName;
    std::u16string fileSystem;   // "NTFS"; empty without a medium
    uint32_t serialNumber = 0;
    uint64_t sizeBytes = 0;
    uint64_t freeBytes = 0;
    uint32_t totalClusters = 0;
    uint32_t freeClusters = 0;
    uint32_t sectorsPerCluster = 0;
    uint32_t bytesPerSector = 0;
    uint32_t fileSystemFlags = 0;
    uint32_t driveType = 0;  // 2 removable, 3 fixed, 4 network, 5 optical, 6 RAM, 7 object store, 8 storage card
};

// The machine's own drives (those of its platform), then config.DriveVolumes()
// volumes mounted in folders.
std::vector<SimulatedDrive> MakeSimulatedDrives(const MachineConfig& config);

}  // namespace vantrel::remote
