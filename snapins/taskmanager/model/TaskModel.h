// The Task Manager without its windows: the records of the applications, the
// processes and their threads as the answers to 401, 402 and 403 bring them,
// and the stores that keep them.
//
// List items carry identities the managed machine gives (window handles,
// process and thread ids), never positions: an identity is looked up again
// each time, and one whose record has gone finds nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "framework/model/Paging.h"
#include "snapins/taskmanager/model/IdIndex.h"

namespace vantrel {
class CXmlElement;
}

namespace vantrel::taskmanager {

struct ApplicationRecord {
    uint32_t window = 0;  // the window handle, the application's identity
    std::u16string name;
    int32_t state = 0;  // "AppState" as received
    uint32_t processId = 0;
    uint32_t threadId = 0;
};

struct ThreadRecord {
    uint32_t threadId = 0;
    uint64_t kernelTime = 0;  // 100-nanosecond units
    uint64_t userTime = 0;
    uint32_t priority = 0;
};

struct ProcessRecord {
    uint32_t processId = 0;
    std::u16string name;     // empty: the idle process
    double cpuUsage = 0;     // percent, always within 0..100
    uint64_t kernelTime = 0; // 100-nanosecond units
    uint64_t userTime = 0;
    uint64_t workingSet = 0;  // bytes
    std::vector<ThreadRecord> threads;  // each thread once, in arrival order
};

// One element of an answer. Numbers that make no sense are brought back to
// their meaning: CPU usage to 0..100 (NaN as 0), unsigned fields that are not
// unsigned numbers as 0. Children of a process element are not read here.
ApplicationRecord ReadApplicationElement(const CXmlElement& element);
ProcessRecord ReadProcessElement(const CXmlElement& element);
ThreadRecord ReadThreadElement(const CXmlElement& element);
// A CPU usage as received, clamped to 0..100; NaN reads as 0.
double ClampPercent(double value);

// The applications in arrival order, one per window handle.
class ApplicationStore {
public:
    explicit ApplicationStore(size_t maxRecords = kMaxListItems);

    void Clear();
    size_t Count() const { return records_.size(); }
    const std::vector<ApplicationRecord>& Records() const { return records_; }
    const ApplicationRecord* Find(uint32_t window) const;

    // False for a window already stored (the first record stays) or a full store.
    bool Add(ApplicationRecord record);

    // The children of a 401 answer's root; the windows of the records added,
    // in order.
    std::vector<uint32_t> MergePage(const CXmlElement& root);

private:
    size_t maxRecords_;
    std::vector<ApplicationRecord> records_;
    std::unordered_map<uint32_t, size_t> positionByWindow_;
};

// The processes in arrival order, one per process id, each with its threads,
// and the machine's total CPU usage.
class ProcessStore {
public:
    // maxThreads bounds the threads of all processes together.
    explicit ProcessStore(size_t maxProcesses = kMaxListItems, size_t maxThreads = kMaxListItems);

    void Clear();
    size_t Count() const { return records_.size(); }
    size_t ThreadCount() const { return threadCount_; }
    const std::vector<ProcessRecord>& Records() const { return records_; }
    const ProcessRecord* Find(uint32_t processId) const;
    const ThreadRecord* FindThread(uint32_t processId, uint32_t threadId) const;
    double TotalCpuUsage() const { return totalCpuUsage_; }

    // False for a process id already stored (the first record stays) or a
    // full store. The record's own threads are added as by AddThread.
    bool Add(ProcessRecord record);
    // Adds a thread to a stored process. False when the process is not
    // stored, already has a thread of that id, or the store holds its most.
    bool AddThread(uint32_t processId, const ThreadRecord& thread);

    // A 402 answer's root: the total CPU usage, then each child as a process
    // with its children as its threads. The ids of the processes added, in order.
    std::vector<uint32_t> MergeProcessesPage(const CXmlElement& root);
    // A 403 answer's root: each child names a process by "ProcessID"; its
    // children are threads of that process. Threads of a process that is not
    // stored are dropped. The number of threads added.
    size_t MergeThreadsPage(const CXmlElement& root);

private:
    bool AddThreadAt(size_t position, const ThreadRecord& thread);
    void IndexThreads(size_t position);
    // The children of an element as threads of a stored process; how many were added.
    size_t AddThreads(uint32_t processId, const CXmlElement& element);

    size_t maxProcesses_;
    size_t maxThreads_;
    std::vector<ProcessRecord> records_;
    std::unordered_map<uint32_t, size_t> positionById_;
    // Beside each record, how its threads are found. While they arrive in
    // rising id order (as machines send them) the list itself is searched;
    // the first one out of order builds an index of positions by id. Either
    // way each thread is kept once and found without a linear search.
    struct ThreadLookup {
        bool indexed = false;
        IdIndex positions;
    };
    std::vector<ThreadLookup> threadLookups_;
    size_t threadCount_ = 0;
    double totalCpuUsage_ = 0;
};

}  // namespace vantrel::taskmanager
