#include "snapins/taskmanager/model/TaskModel.h"

#include <algorithm>
#include <cmath>

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

ProcessRecord ReadProcessElement(const CXmlElement& element)
{
    ProcessRecord record;
    record.processId = ReadUInt32(element, wire::kAttrProcessId);
    record.name = ReadText(element, wire::kAttrName);
    record.cpuUsage = ClampPercent(ReadFraction(element, wire::kAttrCpuUsage));
    record.kernelTime = ReadHalves(element, wire::kAttrKernelTimeHigh, wire::kAttrKernelTimeLow);
    record.userTime = ReadHalves(element, wire::kAttrUserTimeHigh, wire::kAttrUserTimeLow);
    record.workingSet = ReadHalves(element, wire::kAttrWorkingSetHigh, wire::kAttrWorkingSetLow);
    return record;
}

ThreadRecord ReadThreadElement(const CXmlElement& element)
{
    ThreadRecord record;
    record.threadId = ReadUInt32(element, wire::kAttrThreadId);
    record.kernelTime = ReadHalves(element, wire::kAttrKernelTimeHigh, wire::kAttrKernelTimeLow);
    record.userTime = ReadHalves(element, wire::kAttrUserTimeHigh, wire::kAttrUserTimeLow);
    record.priority = ReadUInt32(element, wire::kAttrPriority);
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
    threadPositions_.clear();
    totalCpuUsage_ = 0;
}

const ProcessRecord* ProcessStore::Find(uint32_t processId) const
{
    const auto found = positionById_.find(processId);
    return found == positionById_.end() ? nullptr : &records_[found->second];
}

ProcessRecord* ProcessStore::FindMutable(uint32_t processId)
{
    const auto found = positionById_.find(processId);
    return found == positionById_.end() ? nullptr : &records_[found->second];
}

const ThreadRecord* ProcessStore::FindThread(uint32_t processId, uint32_t threadId) const
{
    const ProcessRecord* process = Find(processId);
    const auto found = threadPositions_.find(ThreadKey(processId, threadId));
    if (!process || found == threadPositions_.end() || found->second >= process->threads.size())
        return nullptr;
    return &process->threads[found->second];
}

bool ProcessStore::Add(ProcessRecord record)
{
    if (!ListHasRoom(records_.size(), maxProcesses_))
        return false;
    if (!positionById_.emplace(record.processId, records_.size()).second)
        return false;
    std::vector<ThreadRecord> threads = std::move(record.threads);
    record.threads.clear();
    const uint32_t processId = record.processId;
    records_.push_back(std::move(record));
    for (const ThreadRecord& thread : threads)
        AddThread(processId, thread);
    return true;
}

bool ProcessStore::AddThread(uint32_t processId, const ThreadRecord& thread)
{
    ProcessRecord* process = FindMutable(processId);
    if (!process || !ListHasRoom(threadPositions_.size(), maxThreads_))
        return false;
    const auto position = static_cast<uint32_t>(process->threads.size());
    if (!threadPositions_.emplace(ThreadKey(processId, thread.threadId), position).second)
        return false;
    process->threads.push_back(thread);
    return true;
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
        for (int t = 0; t < element.GetChildCount(); ++t)
            AddThread(processId, ReadThreadElement(*element.GetChild(t)));
    }
    return added;
}

size_t ProcessStore::MergeThreadsPage(const CXmlElement& root)
{
    size_t added = 0;
    for (int i = 0; i < root.GetChildCount(); ++i) {
        const CXmlElement& element = *root.GetChild(i);
        const uint32_t processId = ReadUInt32(element, wire::kAttrProcessId);
        if (!Find(processId))
            continue;  // a process that started after the list was taken
        for (int t = 0; t < element.GetChildCount(); ++t) {
            if (AddThread(processId, ReadThreadElement(*element.GetChild(t))))
                ++added;
        }
    }
    return added;
}

}  // namespace vantrel::taskmanager
