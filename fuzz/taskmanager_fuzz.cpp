// The Task Manager's answer parsers on arbitrary text: the same XML text as
// a page of applications (401), of processes (402) and of threads (403), then
// every cell and comparison the view asks of what they stored.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "framework/model/Answer.h"
#include "framework/xml/Xml.h"
#include "snapins/taskmanager/model/TaskFormat.h"
#include "snapins/taskmanager/model/TaskModel.h"

namespace {

using namespace vantrel;
using namespace vantrel::taskmanager;

void Require(bool condition) {
    if (!condition) std::abort();
}

void CheckShares(uint64_t kernelTime, uint64_t userTime) {
    Require(KernelShare(kernelTime, userTime) <= 100);
}

void CheckProcesses(const ProcessStore& store, const CellContext& context) {
    size_t threads = 0;
    for (size_t i = 0; i < store.Count(); ++i) {
        const ProcessRecord& process = store.Records()[i];
        Require(store.Find(process.processId) == &process);
        Require(process.cpuUsage >= 0 && process.cpuUsage <= 100);
        CheckShares(process.kernelTime, process.userTime);
        for (int column = 0; column < kProcColumnCount; ++column) {
            Require(!ProcessCellText(process, column, context).empty());
            if (i > 0) {
                const ProcessRecord& other = store.Records()[i - 1];
                Require(CompareProcesses(process, other, column, context) ==
                        -CompareProcesses(other, process, column, context));
            }
        }
        for (const ThreadRecord& thread : process.threads) {
            Require(store.FindThread(process.processId, thread.threadId) == &thread);
            for (int column = 0; column < kThreadColumnCount; ++column)
                Require(!ThreadCellText(thread, column, context).empty());
            CheckShares(thread.kernelTime, thread.userTime);
        }
        threads += process.threads.size();
    }
    Require(threads == store.ThreadCount());
    Require(StatusCpuUsage(store.TotalCpuUsage()) <= 100);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The input's bytes in an allocation of their own, freed before the
    // stores are read: records must own what they hold.
    auto text = std::make_unique<std::string>(reinterpret_cast<const char*>(data), size);
    CXmlElement root;
    const AnswerText parsed = ParseAnswer(text->c_str(), root);
    text.reset();
    if (parsed != AnswerText::Parsed) return 0;

    ApplicationStore applications;
    const size_t windows = applications.MergePage(root).size();
    Require(windows == applications.Count());
    Require(applications.MergePage(root).empty());  // the same page again adds nobody
    for (const ApplicationRecord& application : applications.Records()) {
        Require(applications.Find(application.window) == &application);
        const int image = StatusImage(application.state);
        Require(image >= 0 && image <= 3);
    }

    ProcessStore processes(64, 4096);
    const size_t added = processes.MergeProcessesPage(root).size();
    Require(added == processes.Count());
    const size_t threadsBefore = processes.ThreadCount();
    processes.MergeThreadsPage(root);
    Require(processes.MergeThreadsPage(root) == 0);  // a thread is kept once
    Require(processes.ThreadCount() >= threadsBefore);

    CellContext context;
    CheckProcesses(processes, context);
    context.timeSeparator = u"\u00a0h ";
    context.thousandsSeparator = u"";
    CheckProcesses(processes, context);
    return 0;
}
