// A simulated managed machine: answers the requests of the snap-ins the way
// the remote side does, from data made up deterministically from a seed, and
// spoils answers on demand so that tests can see how the module copes.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hostkit/MessageTree.h"

namespace vantrel::remote {

constexpr int16_t kGeneralPlatform = 1;
constexpr int16_t kDevicePlatform = 2;  // a handheld device

// RetValue of answers to requests the machine does not know; a failure whether
// a snap-in takes 1 or 0 as success.
constexpr int32_t kNotSupportedValue = 50;

struct MachineConfig {
    int16_t platform = kGeneralPlatform;
    // The size of the machine's data, 1 (a realistic small machine) to 100:
    // each step above 1 adds a thousand entries to each tool's lists, unless
    // a tool's size below is set.
    int scale = 1;
    // Sizes of the tools' data, for tests and benchmarks that need exact ones.
    // Unset, they follow scale; set, they are kept within 0 to kMaxEntries.
    struct Drives {
        std::optional<int> volumes;  // mounted in folders, beside the machine's own drives
    } drives;
    struct Services {
        std::optional<int> count;
    } services;
    // System Control: time on the machine passes one poll (about 5 seconds)
    // with each capability or state request it answers, so that the session
    // changes at the same points however fast the answers come.
    struct SystemControl {
        bool server = false;    // a server: it does not offer to lock and refuses a lock
        int pollsPerPhase = 12; // a user stays logged on, locked and logged off this long each
        int answersAway = 2;    // requests that fail while it restarts, shuts down or suspends
    } systemControl;
    struct TaskManager {
        std::optional<int> processes;
        std::optional<int> threads;  // of all processes together
        std::optional<int> applications;
    } taskManager;
    struct Users {
        std::optional<int> localUsers;
        std::optional<int> localGroups;
        std::optional<int> domainAccounts;  // of the machine's domain, as the account picker lists it
    } users;
    struct Console {
        std::optional<int> width;       // screen buffer in cells; beyond 120 x 9001 the
        std::optional<int> height;      // machine falls back to 80 x 300 and says so
        std::optional<int> pieceBytes;  // bytes of screen per 804 answer
        bool impersonate = false;       // the "Supported" answer asks for startup information
    } console;
    // The three live event logs (Application, Security, System) and how the
    // machine hands them out.
    struct EventLogs {
        std::optional<int> application;  // events in each log; unset, they follow scale
        std::optional<int> security;
        std::optional<int> system;
        // 2: record numbers in pages and details on demand (309, 310);
        // any other: whole events in pages (302).
        int16_t protocolLevel = 2;
        int indexPageSize = 10000;  // record numbers per 309 page
        int eventPageSize = 250;    // events per 302 page
        // Events the System log gains before each retrieval that rereads it
        // (every retrieval but its first).
        int growthPerRefresh = 3;
        int copyChunkSize = 8000;  // bytes of a saved log per answer of command 1
    } eventLogs;
    struct Shares {
        std::optional<int> shares;  // unset, they follow scale
        std::optional<int> sessions;
        std::optional<int> openFiles;
        bool shareLevel = false;  // security by share passwords: neither NT nor user-level
    } shares;
    // The Registry: subkeys and values answer 501 together, this many a page
    // (2 to 100,000; unset: 1,000), and the two largest keys hold these many.
    struct Registry {
        std::optional<int> pageSize;
        std::optional<int> classes;     // subkeys of HKEY_CLASSES_ROOT\CLSID
        std::optional<int> manyValues;  // values of HKEY_CURRENT_USER\Software\Vantrel\Many Values
        std::optional<int> bulkValues;  // 1 MB binaries of HKEY_CURRENT_USER\Software\Vantrel\Bulk (0: no such key)
        int exportChunkSize = 65536;    // bytes of a registration file per answer of 509
    } registry;
    uint64_t seed = 1;
    // Entries per page of a paged list (1 to 100000).
    int pageSize = 50;
    // Snap-ins that answer the "Supported" query with true.
    std::vector<uint32_t> supportedSnapIns = {15000, 15001, 15002, 15003, 15004, 15005,
                                              15006, 15007, 15008, 15009, 15010};
    int16_t hostVersion = 3;

    static constexpr int kMaxEntries = 100000;
    static constexpr int kMaxEvents = 1000000;

    // The sizes in effect (each within 0 to kMaxEntries). Volumes: (scale - 1) * 1000 unless set. Services:
    // 180 at scale 1 growing evenly to 5,000 at scale 100, unless set.
    int DriveVolumes() const;
    int ServiceCount() const;
    // Task Manager: 80 processes with 900 threads and 12 applications at
    // scale 1, growing evenly to 5,000 processes with 100,000 threads and 210
    // applications at scale 100, unless set. There are never fewer threads
    // than processes.
    int ProcessCount() const;
    int ThreadCount() const;
    int ApplicationCount() const;
    // Local users: 40 at scale 1, 20 more per step. Local groups: 25, 5 more
    // per step. Accounts of the domain: 300 at scale 1 growing evenly to
    // 100,000 at scale 100. Each unless set.
    int LocalUsers() const;
    int LocalGroups() const;
    int DomainAccounts() const;
    // Console: 80 x 25 at scale 1 growing evenly to 120 x 9001 (the largest
    // a real console allows) at scale 100, unless set (then 1 to 32767).
    int ConsoleWidth() const;
    int ConsoleHeight() const;
    // Events of a live log (0 Application, 1 Security, 2 System): 2,000 each
    // at scale 1, growing evenly to 1,000,000 in the Application log and
    // 50,000 in the others at scale 100, unless set (0 to kMaxEvents).
    int EventCount(int log) const;
    // Shared Folders: 25 shares, 40 sessions and 300 open files at scale 1,
    // growing evenly to 2,000, 5,000 and 100,000 at scale 100, unless set.
    int ShareCount() const;
    int SessionCount() const;
    int OpenFileCount() const;
    // Whether the machine answers "Supported" for the snap-in with yes.
    bool Offers(uint32_t snapInId) const;
};

enum class FaultKind {
    Fail,            // RetValue failure and, if given, an ErrorStr
    Garbage,         // the body is cut inside an element: malformed XML
    StuckPage,       // "UpTo" equals the "StartAt" that was sent
    HugeTotal,       // "Total" 4294967295
    HostileNumbers,  // free space above size, all-ones halves, negative and overlong numbers
};

struct Fault {
    FaultKind kind = FaultKind::Fail;
    std::optional<int32_t> retValue;  // Fail: default is the command's failure value
    std::u16string errorText;         // Fail: the ErrorStr text; none when empty
    uint32_t snapInId = 0;            // 0: whichever snap-in sends the command
    int skip = 0;                     // answers left alone before the fault applies
    int times = -1;                   // answers spoiled, then the fault is gone; 0 or less: all
};

class CommandRegistry;
class SimulatedSnapIn;

class RemoteMachine {
public:
    explicit RemoteMachine(MachineConfig config = {});
    ~RemoteMachine();
    RemoteMachine(const RemoteMachine&) = delete;
    RemoteMachine& operator=(const RemoteMachine&) = delete;

    // The answer to a request: same command code and snap-in number, reply
    // flag 0. Never null.
    std::unique_ptr<host::Message> Answer(const host::Message& request);

    // Whether a tool asks for this again and again in the background (a
    // screen read, a status check): a console waiting only for such answers
    // is idle.
    bool IsPolled(uint32_t snapInId, uint32_t command) const;

    // One fault per command code; a new one replaces the old.
    void InjectFault(uint32_t command, Fault fault);
    void ClearFaults();

    const MachineConfig& Config() const { return config_; }

private:
    // The fault that spoils this answer, if any; counts it off.
    std::optional<Fault> TakeFault(uint32_t command, uint32_t snapInId);
    void AnswerSupported(const host::Message& request, host::Message& answer) const;

    MachineConfig config_;
    std::unique_ptr<CommandRegistry> registry_;
    std::vector<std::unique_ptr<SimulatedSnapIn>> snapIns_;
    std::map<uint32_t, Fault> faults_;
};

}  // namespace vantrel::remote
