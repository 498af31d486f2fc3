// Timing of the Task Manager's refresh under Wine at the largest scale: the
// whole chain of 401, 402 and 403 through the module (parse, store, fill)
// against the XML parse of the same answers plus a bare fill of the same rows,
// measured in the same run; and the refill of the threads list when another
// process is selected. Run by hand:
//   wine build/windows/bin/taskmanager_bench.exe [scale [page size]]
#include "bench/wine/BenchKit.h"
#include "framework/xml/Xml.h"
#include "remote/RemoteMachine.h"
#include "snapins/taskmanager/TaskManagerIds.h"
#include "snapins/taskmanager/model/Protocol.h"
#include "snapins/taskmanager/model/TaskModel.h"
#include "framework/model/Answer.h"
#include "tests/host/TestHost.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace {

using vantrel::bench::Now;
using vantrel::bench::ThreadTime;
using vantrel::host::Message;
using vantrel::test::Descendant;
using vantrel::test::TestHost;
namespace wire = vantrel::taskmanager::protocol;

const char* ListNode(uint32_t command) {
    switch (command) {
    case wire::kApplicationsCommand:
        return wire::kApplicationsNode;
    case wire::kProcessesCommand:
        return wire::kProcessesNode;
    default:
        return wire::kThreadsNode;
    }
}

bool Idle(TestHost& host) { return host.BusyDepth() == 0 && host.PendingAnswers() == 0; }

// The answers of one refresh, in the order the module asks for them.
struct Recording {
    std::vector<std::unique_ptr<Message>> answers;
    size_t bytes = 0;
};

// A bare list view filled with one text per row: the least any list must do.
class BareList {
public:
    explicit BareList(HWND parent) {
        list_ = CreateWindowExW(0, WC_LISTVIEWW, nullptr, WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 600, 400, parent,
                                nullptr, nullptr, nullptr);
        LVCOLUMNW column = {};
        column.mask = LVCF_WIDTH;
        column.cx = 100;
        ::SendMessageW(list_, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    }
    ~BareList() { DestroyWindow(list_); }
    void Clear() { ::SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0); }
    // Pages are inserted with drawing off, as a careful fill does.
    void Hold(bool on) {
        ::SendMessageW(list_, WM_SETREDRAW, on ? FALSE : TRUE, 0);
        if (!on) InvalidateRect(list_, nullptr, TRUE);
    }
    void Add(const char* text, LPARAM key) {
        wchar_t wide[64] = {};
        for (size_t i = 0; text && text[i] && i + 1 < std::size(wide); ++i) wide[i] = static_cast<unsigned char>(text[i]);
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = ::SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0);
        item.pszText = wide;
        item.lParam = key;
        ::SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }

private:
    HWND list_ = nullptr;
};

struct Spent {
    double wall = 1e300;
    double cpu = 1e300;
    void Keep(Spent other) {
        wall = std::min(wall, other.wall);
        cpu = std::min(cpu, other.cpu);
    }
};

template <typename Work>
Spent Measure(Work&& work) {
    const double wall = Now();
    const double cpu = ThreadTime();
    work();
    return {Now() - wall, ThreadTime() - cpu};
}

struct Reference {
    double parse = 0;
    double total = 0;
};

// The reference: every page parsed, every application and process inserted.
Reference ReferenceRefresh(const Recording& recording, BareList& applications, BareList& processes) {
    Reference spent;
    const double start = Now();
    applications.Clear();
    processes.Clear();
    for (const auto& answer : recording.answers) {
        const uint32_t command = answer->Command();
        vantrel::CXmlElement root;
        vantrel::CXmlOptions options;
        const double parseStart = Now();
        root.Parse(answer->Root().Find(ListNode(command))->Text().c_str(), options);
        spent.parse += Now() - parseStart;
        if (command == wire::kThreadsCommand) continue;
        BareList& list = command == wire::kApplicationsCommand ? applications : processes;
        list.Hold(true);
        for (int i = 0; i < root.GetChildCount(); ++i) {
            const vantrel::CXmlElement& child = *root.GetChild(i);
            list.Add(child.GetAttribute(wire::kAttrName), child.GetAttributeInt(wire::kAttrProcessId));
        }
        list.Hold(false);
    }
    spent.total = Now() - start;
    return spent;
}

// The module's model alone on the same answers: parse and store.
// byCommand: wall milliseconds of 401, 402 and 403, and of their parse alone.
void ModelRefresh(const Recording& recording, double* byCommand, double* parseByCommand) {
    vantrel::taskmanager::ApplicationStore applications;
    vantrel::taskmanager::ProcessStore processes;
    for (const auto& answer : recording.answers) {
        const uint32_t command = answer->Command();
        const double start = Now();
        vantrel::CXmlElement root;
        vantrel::ParseAnswer(answer->Root().Find(ListNode(command))->Text().c_str(), root);
        parseByCommand[command - wire::kApplicationsCommand] += Now() - start;
        if (command == wire::kApplicationsCommand) applications.MergePage(root);
        else if (command == wire::kProcessesCommand) processes.MergeProcessesPage(root);
        else processes.MergeThreadsPage(root);
        byCommand[command - wire::kApplicationsCommand] += Now() - start;
    }
}

}  // namespace

int main(int argc, char** argv) {
    vantrel::remote::MachineConfig config;
    config.scale = argc > 1 ? std::atoi(argv[1]) : 100;
    config.pageSize = argc > 2 ? std::atoi(argv[2]) : 50;
    vantrel::remote::RemoteMachine machine(config);

    TestHost host;
    Recording recording;
    host.AnswerWith(
        [&](const Message& request) {
            auto answer = machine.Answer(request);
            if (request.Command() >= wire::kApplicationsCommand && request.Command() <= wire::kThreadsCommand) {
                recording.bytes += answer->Root().Find(ListNode(request.Command()))->Text().size();
                recording.answers.push_back(answer->Clone());
            }
            return answer;
        },
        0);
    ISnapIn* snapIn = host.Open(wire::kSnapInId);
    if (!snapIn) {
        std::printf("the module could not be loaded\n");
        return 1;
    }
    HWND window = snapIn->GetWindow();
    HWND processes = Descendant(window, IDC_TM_PROCESSES);
    host.Activate(snapIn);
    host.PumpUntil([&] { return Idle(host); }, 600000);

    // Replays of the recorded answers, handed to the module the moment it
    // asks: neither the machine's work nor the console's loop is measured.
    std::deque<std::unique_ptr<Message>> replay;
    host.AnswerWith({});
    BareList bareApplications(host.Content());
    BareList bareProcesses(host.Content());

    // The processes page is the one shown: its list is drawn to as it fills.
    ::SendMessageW(Descendant(window, IDC_TM_TABS), TCM_SETCURSEL, 1, 0);
    NMHDR change = {Descendant(window, IDC_TM_TABS), IDC_TM_TABS, TCN_SELCHANGE};
    ::SendMessageW(window, WM_NOTIFY, IDC_TM_TABS, reinterpret_cast<LPARAM>(&change));

    // Best of several rounds, in wall-clock and in processor time; the two
    // sides alternate within each round.
    const int rounds = std::max(argc > 3 ? std::atoi(argv[3]) : 15, 1);
    Spent module, model, reference, referenceParse;
    std::vector<double> pairedRatios;
    double byCommand[3] = {1e300, 1e300, 1e300}, modelByCommand[3] = {1e300, 1e300, 1e300},
           parseByCommand[3] = {1e300, 1e300, 1e300};
    for (int round = 0; round < rounds; ++round) {
        for (const auto& answer : recording.answers) replay.push_back(answer->Clone());
        double commands[3] = {};
        const Spent moduleRound = Measure([&] {
            ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(ID_TM_REFRESH, 0), 0);
            // Each answer makes the module ask for the next page at once.
            while (!replay.empty()) {
                std::unique_ptr<Message> answer = std::move(replay.front());
                replay.pop_front();
                const uint32_t command = answer->Command();
                const double before = Now();
                host.Deliver(std::move(answer));
                commands[command - wire::kApplicationsCommand] += Now() - before;
            }
        });
        module.Keep(moduleRound);
        for (int c = 0; c < 3; ++c) byCommand[c] = std::min(byCommand[c], commands[c]);
        host.PumpFor(1);
        double modelCommands[3] = {}, parseCommands[3] = {};
        model.Keep(Measure([&] { ModelRefresh(recording, modelCommands, parseCommands); }));
        for (int c = 0; c < 3; ++c) {
            modelByCommand[c] = std::min(modelByCommand[c], modelCommands[c]);
            parseByCommand[c] = std::min(parseByCommand[c], parseCommands[c]);
        }
        double parse = 0;
        const Spent referenceRound =
            Measure([&] { parse = ReferenceRefresh(recording, bareApplications, bareProcesses).parse; });
        reference.Keep(referenceRound);
        referenceParse.Keep({parse, parse});
        pairedRatios.push_back(moduleRound.wall / referenceRound.wall);
    }
    const int rows = static_cast<int>(::SendMessageW(processes, LVM_GETITEMCOUNT, 0, 0));
    std::printf("refresh at scale %d: %d processes, %zu pages, %.1f MB of XML; best of %d rounds\n", config.scale, rows,
                recording.answers.size(), static_cast<double>(recording.bytes) / 1e6, rounds);
    std::printf("%-40s %12s %12s\n", "", "wall ms", "cpu ms");
    std::printf("%-40s %12.1f %12.1f\n", "module: parse, store, fill", module.wall, module.cpu);
    std::printf("%-40s %12.1f %12.1f\n", "  of which parse and store (model alone)", model.wall, model.cpu);
    std::printf("%-40s %12.1f %12.1f\n", "reference: parse, bare fill", reference.wall, reference.cpu);
    std::printf("%-40s %12.1f\n", "  of which parse", referenceParse.wall);
    std::sort(pairedRatios.begin(), pairedRatios.end());
    std::printf("%-40s %12.2f %12.2f\n", "ratio of the best", module.wall / reference.wall, module.cpu / reference.cpu);
    std::printf("%-40s %12.2f\n", "median ratio, round by round", pairedRatios[pairedRatios.size() / 2]);
    std::printf("by answer (wall ms)      %10s %10s %10s\n", "401", "402", "403");
    std::printf("  module                 %10.1f %10.1f %10.1f\n", byCommand[0], byCommand[1], byCommand[2]);
    std::printf("  model alone            %10.1f %10.1f %10.1f\n", modelByCommand[0], modelByCommand[1], modelByCommand[2]);
    std::printf("  parse alone            %10.1f %10.1f %10.1f\n", parseByCommand[0], parseByCommand[1], parseByCommand[2]);

    // Selecting other processes: each refills the threads list. Sorted by
    // thread count, the first process selected has the most.
    NMLISTVIEW click = {};
    click.hdr = {processes, IDC_TM_PROCESSES, LVN_COLUMNCLICK};
    click.iItem = -1;
    click.iSubItem = 6;
    ::SendMessageW(window, WM_NOTIFY, IDC_TM_PROCESSES, reinterpret_cast<LPARAM>(&click));
    std::vector<double> refills;
    double largest = 0;
    int largestThreads = 0;
    for (int item = rows - 1; item >= 0; item -= std::max(rows / 200, 1)) {
        LVITEMW state = {};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        const double start = Now();
        ::SendMessageW(processes, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&state));
        const double spent = Now() - start;
        refills.push_back(spent);
        const int threads = static_cast<int>(::SendMessageW(Descendant(window, IDC_TM_THREADS), LVM_GETITEMCOUNT, 0, 0));
        if (threads > largestThreads) {
            largestThreads = threads;
            largest = spent;
        }
    }
    std::sort(refills.begin(), refills.end());
    std::printf("threads refill over %zu selections: median %.2f ms, slowest %.2f ms; largest process (%d threads) %.2f ms\n",
                refills.size(), refills[refills.size() / 2], refills.back(), largestThreads, largest);
    return 0;
}
