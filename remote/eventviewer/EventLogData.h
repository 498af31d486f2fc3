// The event logs of the simulated machine. An event is made up when it is
// asked for, from the seed and its record number alone, so a log of a million
// events costs nothing until it is read, and the same record always reads the
// same. Record numbers run from 1 to the log's count, oldest first.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "remote/RemoteMachine.h"

namespace vantrel::remote {

struct SimulatedCategory {
    uint32_t number;
    std::u16string name;
};

struct SimulatedSource {
    std::u16string name;
    // The category names the machine knows; events may use other numbers.
    std::vector<SimulatedCategory> categories;
};

struct SimulatedEvent {
    uint32_t recordNumber = 0;
    uint32_t eventId = 0;  // the full 32 bits; the list shows the low 16
    int64_t time = 0;      // seconds since 1970, UTC
    uint32_t type = 0;
    uint32_t category = 0;
    std::u16string source;
    std::u16string computer;
    std::u16string user;  // empty for many events
    std::u16string description;
    std::vector<uint8_t> data;
};

// What sorting and filtering need of an event, without its texts.
struct EventShape {
    uint32_t recordNumber = 0;
    uint32_t source = 0;    // position in Sources()
    uint32_t user = 0;      // position in Users(); 0 is no user
    uint32_t computer = 0;  // position in Computers()
    uint32_t type = 0;
    uint32_t eventId = 0;
    uint32_t category = 0;
    int64_t time = 0;
};

class SimulatedLog {
public:
    // log: 0 Application, 1 Security, 2 System.
    SimulatedLog(int log, uint64_t seed, uint32_t count);

    int Log() const { return log_; }
    uint32_t Count() const { return count_; }
    // Adds newer events (a log that grows between reads).
    void Grow(uint32_t events);
    // Empties the log; events added later are numbered from 1 again.
    void Clear() { count_ = 0; }
    uint64_t Seed() const { return seed_; }

    EventShape Shape(uint32_t recordNumber) const;
    SimulatedEvent Event(uint32_t recordNumber) const;

    const std::vector<SimulatedSource>& Sources() const { return sources_; }
    const std::vector<std::u16string>& Users() const { return users_; }
    const std::vector<std::u16string>& Computers() const { return computers_; }
    std::u16string DisplayName() const;
    std::u16string FileName() const;

private:
    int log_;
    uint64_t seed_;
    uint32_t count_;
    uint32_t baseCount_;
    int64_t spacing_;  // seconds between two events, on average
    std::vector<SimulatedSource> sources_;
    std::vector<std::u16string> users_;
    std::vector<std::u16string> computers_;
};

// The machine's three live logs at the sizes of its configuration.
std::vector<SimulatedLog> MakeSimulatedLogs(const MachineConfig& config);

}  // namespace vantrel::remote
