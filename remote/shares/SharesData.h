// The simulated machine's shares, sessions and open files, made up
// deterministically from the configuration's seed and sizes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "remote/RemoteMachine.h"

namespace vantrel::remote {

struct SimulatedPermission {
    std::u16string account;
    int32_t rights = 1;
};

struct SimulatedShare {
    std::u16string name;
    std::u16string folderPath;
    std::u16string description;
    int64_t type = 0;
    uint32_t clientConnections = 0;
    int32_t maxUsers = -1;
    int32_t access = 1;
    std::u16string readPassword;
    std::u16string writePassword;
    std::vector<SimulatedPermission> permissions;
};

struct SimulatedSession {
    std::u16string userName;
    std::u16string computer;
    std::u16string clientType;
    std::u16string transport;
    uint32_t connTime = 0;
    uint32_t idleTime = 0;
    bool guest = false;
};

struct SimulatedOpenFile {
    uint32_t id = 0;
    std::u16string path;
    size_t session = 0;  // index into the sessions
    uint32_t locks = 0;
    uint32_t openMode = 0;
};

struct SimulatedShares {
    std::u16string computerName;
    std::vector<SimulatedShare> shares;
    std::vector<SimulatedSession> sessions;
    std::vector<SimulatedOpenFile> files;
    // Folders that exist besides the shared ones (the drive roots among them).
    std::vector<std::u16string> folders;
};

// The first session is connected for 25 hours, 1 minute and 1 second, the
// second is a guest; the first shares are the administrative ones.
SimulatedShares MakeSimulatedShares(const MachineConfig& config);

// Whether a folder exists on the machine (case and a trailing backslash aside).
bool FolderExists(const SimulatedShares& data, std::u16string_view path);

}  // namespace vantrel::remote
