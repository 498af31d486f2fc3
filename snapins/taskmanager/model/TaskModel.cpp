#include "snapins/taskmanager/model/TaskModel.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "framework/model/Answer.h"
#include "framework/xml/Xml.h"
#include "snapins/taskmanager/model/Protocol.h"

namespace vantrel::taskmanager {

namespace wire = protocol;

double ClampPercent(double value)
{
    if (std::isnan(value))
        return 0;
    return std::clamp(value, 0.0, 100.0);
}

ApplicationRecord ReadApplicationElement(const CXmlElement& element)
{
    ApplicationRecord record;
    record.window = ReadUInt32(element, wire::kAttrWindow);
    record.name = ReadText(element, wire::kAttrName);
    record.state = ReadInt32(element, wire::kAttrAppState);
    record.processId = ReadUInt32(element, wire::kAttrProcessId);
    record.threadId = ReadUInt32(element, wire::kAttrThreadId);
    return record;
}

// Processes and threads come by the thousand: each element's attributes are
// read in one pass.
ProcessRecord ReadProcessElement(const CXmlElement& element)
{
    enum { kId, kKernelHigh, kKernelLow, kUserHigh, kUserLow, kSetHigh, kSetLow, kCount };
    static constexpr std::string_view kNames[kCount] = {
        wire::kAttrProcessId,     wire::kAttrKernelTimeHigh, wire::kAttrKernelTimeLow,  wire::kAttrUserTimeHigh,
        wire::kAttrUserTimeLow,   wire::kAttrWorkingSetHigh, wire::kAttrWorkingSetLow};
    const char* values[kCount];
    FindAttributes(element, kNames, values);
    ProcessRecord record;
    record.processId = UInt32Value(values[kId]);
    record.name = ReadText(element, wire::kAttrName);
    record.cpuUsage = ClampPercent(ReadFraction(element, wire::kAttrCpuUsage));
    record.kernelTime = HalvesValue(values[kKernelHigh], values[kKernelLow]);
    record.userTime = HalvesValue(values[kUserHigh], values[kUserLow]);
    record.workingSet = HalvesValue(values[kSetHigh], values[kSetLow]);
    return record;
}

ThreadRecord ReadThreadElement(const CXmlElement& element)
{
    enum { kId, kKernelHigh, kKernelLow, kUserHigh, kUserLow, kPriority, kCount };
    static constexpr std::string_view kNames[kCount] = {wire::kAttrThreadId,     wire::kAttrKernelTimeHigh,
                                                        wire::kAttrKernelTimeLow, wire::kAttrUserTimeHigh,
                                                        wire::kAttrUserTimeLow,   wire::kAttrPriority};
    const char* values[kCount];
    FindAttributes(element, kNames, values);
    ThreadRecord record;
    record.threadId = UInt32Value(values[kId]);
    record.kernelTime = HalvesValue(values[kKernelHigh], values[kKernelLow]);
    record.userTime = HalvesValue(values[kUserHigh], values[kUserLow]);
    record.priority = UInt32Value(values[kPriority]);
    return record;
}

// ---------------------------------------------------------------------------
// Applications

ApplicationStore::ApplicationStore(size_t maxRecords) : maxRecords_(maxRecords) {}

void ApplicationStore::Clear()
{
    records_.clear();
    positionByWindow_.clear();
}

const ApplicationRecord* ApplicationStore::Find(uint32_t window) const
{
    const auto found = positionByWindow_.find(window);
    return found == positionByWindow_.end() ? nullptr : &records_[found->second];
}

bool ApplicationStore::Add(ApplicationRecord record)
{
    if (!ListHasRoom(records_.size(), maxRecords_))
        return false;
    if (!positionByWindow_.emplace(record.window, records_.size()).second)
        return false;
    records_.push_back(std::move(record));
    return true;
}

std::vector<uint32_t> ApplicationStore::MergePage(const CXmlElement& root)
{
    std::vector<uint32_t> added;
    for (int i = 0; i < root.GetChildCount(); ++i) {
        ApplicationRecord record = ReadApplicationElement(*root.GetChild(i));
        const uint32_t window = record.window;
        if (Add(std::move(record)))
            added.push_back(window);
    }
    return added;
}

// ---------------------------------------------------------------------------
// Processes and threads

ProcessStore::ProcessStore(size_t maxProcesses, size_t maxThreads)
    : maxProcesses_(maxProcesses), maxThreads_(maxThreads)
{
}

void ProcessStore::Clear()
{
    records_.clear();
    positionById_.clear();
    threadLookups_.clear();
    threadCount_ = 0;
    totalCpuUsage_ = 0;
}

const ProcessRecord* ProcessStore::Find(uint32_t processId) const
{
    const auto found = positionById_.find(processId);
    return found == positionById_.end() ? nullptr : &records_[found->second];
}

const ThreadRecord* ProcessStore::FindThread(uint32_t processId, uint32_t threadId) const
{
    const auto found = positionById_.find(processId);
    if (found == positionById_.end())
        return nullptr;
    const std::vector<ThreadRecord>& threads = records_[found->second].threads;
    const ThreadLookup& lookup = threadLookups_[found->second];
    if (!lookup.indexed) {
        const auto at = std::lower_bound(threads.begin(), threads.end(), threadId,
                                         [](const ThreadRecord& thread, uint32_t id) { return thread.threadId < id; });
        return at != threads.end() && at->threadId == threadId ? &*at : nullptr;
    }
    const std::optional<uint32_t> position = lookup.positions.Find(threadId);
    return position && *position < threads.size() ? &threads[*position] : nullptr;
}

bool ProcessStore::Add(ProcessRecord record)
{
    if (!ListHasRoom(records_.size(), maxProcesses_))
        return false;
    if (!positionById_.emplace(record.processId, records_.size()).second)
        return false;
    std::vector<ThreadRecord> threads = std::move(record.threads);
    record.threads.clear();
    records_.push_back(std::move(record));
    threadLookups_.emplace_back();
    for (const ThreadRecord& thread : threads)
        AddThreadAt(records_.size() - 1, thread);
    return true;
}

bool ProcessStore::AddThread(uint32_t processId, const ThreadRecord& thread)
{
    const auto found = positionById_.find(processId);
    return found != positionById_.end() && AddThreadAt(found->second, thread);
}

bool ProcessStore::AddThreadAt(size_t position, const ThreadRecord& thread)
{
    if (!ListHasRoom(threadCount_, maxThreads_))
        return false;
    std::vector<ThreadRecord>& threads = records_[position].threads;
    ThreadLookup& lookup = threadLookups_[position];
    const bool rising = threads.empty() || thread.threadId > threads.back().threadId;
    if (!lookup.indexed && !rising)
        IndexThreads(position);
    if (lookup.indexed && !lookup.positions.Insert(thread.threadId, static_cast<uint32_t>(threads.size())))
        return false;  // kept already: the first arrival stays
    threads.push_back(thread);
    ++threadCount_;
    return true;
}

void ProcessStore::IndexThreads(size_t position)
{
    ThreadLookup& lookup = threadLookups_[position];
    const std::vector<ThreadRecord>& threads = records_[position].threads;
    for (size_t i = 0; i < threads.size(); ++i)
        lookup.positions.Insert(threads[i].threadId, static_cast<uint32_t>(i));
    lookup.indexed = true;
}

size_t ProcessStore::AddThreads(uint32_t processId, const CXmlElement& element)
{
    const auto found = positionById_.find(processId);
    if (found == positionById_.end())
        return 0;
    const size_t position = found->second;
    // Room for the threads that did arrive, never for a count the machine
    // states; growth stays geometric however the threads are split.
    std::vector<ThreadRecord>& threads = records_[position].threads;
    const size_t needed = threads.size() + static_cast<size_t>(element.GetChildCount());
    if (needed > threads.capacity())
        threads.reserve(std::max(needed, 2 * threads.capacity()));
    size_t added = 0;
    for (int t = 0; t < element.GetChildCount(); ++t) {
        if (AddThreadAt(position, ReadThreadElement(*element.GetChild(t))))
            ++added;
    }
    return added;
}

std::vector<uint32_t> ProcessStore::MergeProcessesPage(const CXmlElement& root)
{
    totalCpuUsage_ = ClampPercent(ReadFraction(root, wire::kAttrCpuUsage));
    std::vector<uint32_t> added;
    for (int i = 0; i < root.GetChildCount(); ++i) {
        const CXmlElement& element = *root.GetChild(i);
        ProcessRecord record = ReadProcessElement(element);
        const uint32_t processId = record.processId;
        if (!Add(std::move(record)))
            continue;  // a process id seen before: the first record stays, threads and all
        added.push_back(processId);
        AddThreads(processId, element);
    }
    return added;
}

size_t ProcessStore::MergeThreadsPage(const CXmlElement& root)
{
    size_t added = 0;
    for (int i = 0; i < root.GetChildCount(); ++i) {
        const CXmlElement& element = *root.GetChild(i);
        const uint32_t processId = ReadUInt32(element, wire::kAttrProcessId);
        // Threads of a process that started after the list was taken are dropped.
        added += AddThreads(processId, element);
    }
    return added;
}

}  // namespace vantrel::taskmanager
