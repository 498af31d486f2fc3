// The processes, threads and top-level windows of the simulated machine.
// Deterministic for a configuration, so tests can compute what the machine
// will answer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "remote/RemoteMachine.h"

namespace vantrel::remote {

struct SimulatedThread {
    uint32_t threadId = 0;
    uint64_t kernelTime = 0;  // 100-nanosecond units
    uint64_t userTime = 0;
    uint32_t priority = 8;
};

struct SimulatedProcess {
    uint32_t processId = 0;
    std::u16string name;  // empty for the idle process
    double cpuUsage = 0;  // percent
    uint64_t workingSet = 0;  // bytes
    std::vector<SimulatedThread> threads;
    // Ending it is refused with "Access is denied."
    bool isProtected = false;
    uint64_t KernelTime() const;
    uint64_t UserTime() const;
};

struct SimulatedWindow {
    uint32_t window = 0;
    std::u16string title;
    int32_t state = 0;  // 0 running, 1 not responding, 2 ghost
    uint32_t processId = 0;
    uint32_t threadId = 0;
};

struct SimulatedTasks {
    std::vector<SimulatedProcess> processes;  // in the order the machine lists them
    std::vector<SimulatedWindow> windows;
};

// MachineConfig::ProcessCount() processes with ThreadCount() threads between
// them and ApplicationCount() windows. They include the idle process (id 0,
// no name) and the protected processes of the system, names outside ASCII
// and a long one, a process with a great many threads, windows that do not
// respond and a ghost window, and a window without a title.
SimulatedTasks MakeSimulatedTasks(const MachineConfig& config);

// The programs New Task can start: a command line whose first word names
// one of them (by file name or full path, without regard to case, ".exe"
// optional) starts it. Null for a command line that names none.
struct StartableProgram {
    const char16_t* fileName;    // "notepad.exe"
    const char16_t* path;        // "C:\\WINDOWS\\system32\\notepad.exe"
    const char16_t* windowTitle; // null: no window
};
const StartableProgram* FindStartableProgram(std::u16string_view commandLine);

// Moves time on: every thread's times grow and the CPU usages change.
void AdvanceTasks(SimulatedTasks& tasks, uint64_t tick);

}  // namespace vantrel::remote
