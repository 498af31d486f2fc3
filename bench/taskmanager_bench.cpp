// The Task Manager's model at the largest scale: the pages of one refresh
// (5,000 processes, 100,000 threads, every eighth process sending its threads
// with it as well) parsed and stored, beside the parse of the same pages
// alone; and the lookups the threads list makes for one process.
#include "framework/model/Answer.h"
#include "framework/text/Base64.h"
#include "framework/xml/Xml.h"
#include "snapins/taskmanager/model/Protocol.h"
#include "snapins/taskmanager/model/TaskFormat.h"
#include "snapins/taskmanager/model/TaskModel.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

namespace {

using namespace vantrel;
using namespace vantrel::taskmanager;
namespace wire = protocol;

constexpr int kProcesses = 5000;
constexpr int kThreadsPerProcess = 20;
constexpr int kPageSize = 50;

struct Pages {
    std::vector<std::string> processes;  // 402
    std::vector<std::string> threads;    // 403
};

void AddThread(CXmlElement& process, uint32_t id, std::mt19937& random) {
    CXmlElement& thread = *process.AddChild(wire::kThreadElement);
    thread.AddAttribute(wire::kAttrThreadId, std::to_string(id));
    thread.AddAttribute(wire::kAttrKernelTimeHigh, "0");
    thread.AddAttribute(wire::kAttrKernelTimeLow, std::to_string(random() % 100000000));
    thread.AddAttribute(wire::kAttrUserTimeHigh, "0");
    thread.AddAttribute(wire::kAttrUserTimeLow, std::to_string(random() % 100000000));
    thread.AddAttribute(wire::kAttrPriority, "8");
}

const Pages& MakePages() {
    static const Pages pages = [] {
        Pages made;
        std::mt19937 random(7);
        CXmlOptions options;
        for (int first = 0; first < kProcesses; first += kPageSize) {
            CXmlElement processes(wire::kProcessesElement);
            CXmlElement threads(wire::kThreadsElement);
            for (CXmlElement* root : {&processes, &threads}) {
                root->AddAttribute(kStartAtAttribute, std::to_string(first));
                root->AddAttribute(kUpToAttribute, std::to_string(first + kPageSize));
                root->AddAttribute(kTotalAttribute, std::to_string(kProcesses));
            }
            processes.AddAttribute(wire::kAttrCpuUsage, "12.5");
            for (int p = first; p < first + kPageSize; ++p) {
                const uint32_t id = 4 * static_cast<uint32_t>(p + 1);
                CXmlElement& process = *processes.AddChild(wire::kProcessElement);
                process.AddAttribute(wire::kAttrProcessId, std::to_string(id));
                process.AddAttribute(wire::kAttrName, EncodeUtf16Base64(u"worker-" + std::u16string(4, u'0' + p % 10) + u".exe"));
                process.AddAttribute(wire::kAttrCpuUsage, std::to_string(random() % 100) + ".5");
                for (const char* name : {wire::kAttrKernelTimeHigh, wire::kAttrKernelTimeLow, wire::kAttrUserTimeHigh,
                                         wire::kAttrUserTimeLow, wire::kAttrWorkingSetHigh, wire::kAttrWorkingSetLow})
                    process.AddAttribute(name, std::to_string(random() % 1000000));
                CXmlElement& listed = *threads.AddChild(wire::kProcessElement);
                listed.AddAttribute(wire::kAttrProcessId, std::to_string(id));
                for (int t = 0; t < kThreadsPerProcess; ++t) {
                    const uint32_t thread = 100000 + 4 * static_cast<uint32_t>(p * kThreadsPerProcess + t);
                    AddThread(listed, thread, random);
                    if (p % 8 == 0) AddThread(process, thread, random);
                }
            }
            made.processes.push_back(processes.ToText(options));
            made.threads.push_back(threads.ToText(options));
        }
        return made;
    }();
    return pages;
}

void ParseOnly(benchmark::State& state) {
    const Pages& pages = MakePages();
    for (auto _ : state) {
        for (const auto* list : {&pages.processes, &pages.threads}) {
            for (const std::string& page : *list) {
                CXmlElement root;
                benchmark::DoNotOptimize(ParseAnswer(page.c_str(), root));
            }
        }
    }
}
BENCHMARK(ParseOnly)->Unit(benchmark::kMillisecond);

void ParseAndStore(benchmark::State& state) {
    const Pages& pages = MakePages();
    ProcessStore store;
    for (auto _ : state) {
        store.Clear();
        for (const std::string& page : pages.processes) {
            CXmlElement root;
            ParseAnswer(page.c_str(), root);
            benchmark::DoNotOptimize(store.MergeProcessesPage(root));
        }
        for (const std::string& page : pages.threads) {
            CXmlElement root;
            ParseAnswer(page.c_str(), root);
            benchmark::DoNotOptimize(store.MergeThreadsPage(root));
        }
    }
    state.counters["threads"] = static_cast<double>(store.ThreadCount());
}
BENCHMARK(ParseAndStore)->Unit(benchmark::kMillisecond);

// What the threads list asks when one process is shown: each thread's cells.
void ThreadCells(benchmark::State& state) {
    const Pages& pages = MakePages();
    ProcessStore store;
    for (const auto* list : {&pages.processes, &pages.threads}) {
        for (const std::string& page : *list) {
            CXmlElement root;
            ParseAnswer(page.c_str(), root);
            if (list == &pages.processes) store.MergeProcessesPage(root);
            else store.MergeThreadsPage(root);
        }
    }
    const ProcessRecord& process = store.Records()[store.Count() / 2];
    const CellContext context;
    for (auto _ : state) {
        for (const ThreadRecord& thread : process.threads) {
            const ThreadRecord* found = store.FindThread(process.processId, thread.threadId);
            for (int column = 0; column < kThreadColumnCount; ++column)
                benchmark::DoNotOptimize(ThreadCellText(*found, column, context));
        }
    }
}
BENCHMARK(ThreadCells)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
