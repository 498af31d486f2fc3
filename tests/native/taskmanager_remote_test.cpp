// Task Manager on the simulated machine: its sizes, its pages read back
// through the snap-in's model, programs started and ended, what it refuses,
// and its fault modes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "framework/model/Answer.h"
#include "framework/model/Paging.h"
#include "framework/text/Base64.h"
#include "framework/xml/Xml.h"
#include "remote/RemoteMachine.h"
#include "remote/taskmanager/TaskManagerData.h"
#include "snapins/taskmanager/model/Protocol.h"
#include "snapins/taskmanager/model/TaskFormat.h"
#include "snapins/taskmanager/model/TaskModel.h"

namespace vantrel::remote {
namespace {

using host::Message;
using taskmanager::ApplicationStore;
using taskmanager::ProcessStore;
namespace wire = taskmanager::protocol;

class TaskMachine {
public:
    explicit TaskMachine(MachineConfig config = {}) : machine_(config) {}

    RemoteMachine& Machine() { return machine_; }

    std::unique_ptr<Message> Page(uint32_t command, const char* node, int64_t startAt)
    {
        Message request(command, wire::kSnapInId, 1);
        CXmlElement element(node);
        element.AddAttribute(kStartAtAttribute, std::to_string(static_cast<uint32_t>(startAt)));
        CXmlOptions options;
        request.Root().ChildNode(node).SetText(element.ToText(options));
        return machine_.Answer(request);
    }

    // Every page of a list, merged as the snap-in merges them; the number of pages.
    template <typename Merge>
    int List(uint32_t command, const char* node, Merge merge)
    {
        int64_t sent = -1;
        for (int pages = 1; pages < 100000; ++pages) {
            const auto answer = Page(command, node, sent);
            EXPECT_EQ(answer->Root().ChildNode(kRetValueNode).AsLong(), wire::kSuccess);
            CXmlElement root;
            EXPECT_EQ(ParseAnswer(answer->Root().ChildNode(node).Text().c_str(), root), AnswerText::Parsed);
            merge(root);
            int64_t next = 0;
            const PageStep step = NextPage(sent, ReadInt64(root, kUpToAttribute), ReadInt64(root, kTotalAttribute),
                                           &next, ContinueFrom::UpTo);
            if (step != PageStep::Continue)
                return pages;
            sent = next;
        }
        return -1;
    }

    void Refresh()
    {
        applications.Clear();
        processes.Clear();
        List(wire::kApplicationsCommand, wire::kApplicationsNode, [&](const CXmlElement& root) { applications.MergePage(root); });
        List(wire::kProcessesCommand, wire::kProcessesNode, [&](const CXmlElement& root) { processes.MergeProcessesPage(root); });
        List(wire::kThreadsCommand, wire::kThreadsNode, [&](const CXmlElement& root) { processes.MergeThreadsPage(root); });
    }

    std::unique_ptr<Message> Command(uint32_t command, const char* node, int32_t value)
    {
        Message request(command, wire::kSnapInId, 1);
        request.Root().ChildNode(node).SetLong(value);
        return machine_.Answer(request);
    }

    std::unique_ptr<Message> NewTask(std::u16string_view commandLine)
    {
        Message request(wire::kNewTaskCommand, wire::kSnapInId, 1);
        request.Root().ChildNode(wire::kCommandNode).SetText(EncodeUtf16Base64(commandLine));
        return machine_.Answer(request);
    }

    const taskmanager::ProcessRecord* FindByName(std::u16string_view name) const
    {
        for (const auto& process : processes.Records())
            if (process.name == name) return &process;
        return nullptr;
    }

    ApplicationStore applications;
    ProcessStore processes;

private:
    RemoteMachine machine_;
};

int32_t RetValue(const Message& answer)
{
    const host::MessageNode* node = answer.Root().Find(kRetValueNode);
    return node ? node->AsLong() : -99;
}

std::u16string ErrorText(const Message& answer)
{
    const host::MessageNode* node = answer.Root().Find(kErrorTextNode);
    return DecodeUtf16Base64(node ? node->Text() : std::string());
}

TEST(TaskManagerRemoteTest, ASmallMachineListsEveryProcessThreadAndWindowOnce)
{
    MachineConfig config;
    config.pageSize = 7;
    TaskMachine machine(config);
    machine.Refresh();
    EXPECT_EQ(machine.processes.Count(), 80u);
    EXPECT_EQ(machine.processes.ThreadCount(), 900u) << "threads that came with their process are not counted twice";
    EXPECT_EQ(machine.applications.Count(), 12u);
    ASSERT_NE(machine.processes.Find(0), nullptr);
    EXPECT_TRUE(machine.processes.Find(0)->name.empty()) << "the idle process has no name";
    EXPECT_NE(machine.FindByName(u"\u00dcberwachungsdienst.exe"), nullptr);
    EXPECT_EQ(taskmanager::MemoryText(machine.FindByName(u"smss.exe")->workingSet, u","), u"1,024 K");
    for (const auto& window : machine.applications.Records())
        EXPECT_NE(machine.processes.Find(window.processId), nullptr) << "every window belongs to a listed process";
    const double total = machine.processes.TotalCpuUsage();
    EXPECT_GT(total, 0);
    EXPECT_LE(total, 100);
}

TEST(TaskManagerRemoteTest, ScaleHundredHasFiveThousandProcessesWithAHundredThousandThreads)
{
    MachineConfig config;
    config.scale = 100;
    EXPECT_EQ(config.ProcessCount(), 5000);
    EXPECT_EQ(config.ThreadCount(), 100000);
    const SimulatedTasks tasks = MakeSimulatedTasks(config);
    ASSERT_EQ(tasks.processes.size(), 5000u);
    size_t threads = 0;
    size_t most = 0;
    for (const auto& process : tasks.processes) {
        EXPECT_FALSE(process.threads.empty());
        threads += process.threads.size();
        most = std::max(most, process.threads.size());
    }
    EXPECT_EQ(threads, 100000u);
    EXPECT_GE(most, 1000u) << "a process with a great many threads";
}

TEST(TaskManagerRemoteTest, TimesAndCpuUsageMoveBetweenRefreshes)
{
    TaskMachine machine;
    machine.Refresh();
    const auto* explorer = machine.FindByName(u"explorer.exe");
    ASSERT_NE(explorer, nullptr);
    const uint64_t before = explorer->kernelTime + explorer->userTime;
    const uint64_t idleBefore = machine.processes.Find(0)->kernelTime;
    std::vector<double> usages;
    for (const auto& process : machine.processes.Records()) usages.push_back(process.cpuUsage);
    machine.Refresh();
    explorer = machine.FindByName(u"explorer.exe");
    EXPECT_GE(explorer->kernelTime + explorer->userTime, before);
    EXPECT_GT(machine.processes.Find(0)->kernelTime, idleBefore);
    std::vector<double> after;
    for (const auto& process : machine.processes.Records()) after.push_back(process.cpuUsage);
    EXPECT_NE(usages, after);
}

TEST(TaskManagerRemoteTest, ANewTaskStartsAProcessThatAppearsAndEndsOnRequest)
{
    TaskMachine machine;
    machine.Refresh();
    const size_t processes = machine.processes.Count();
    const size_t windows = machine.applications.Count();

    auto started = machine.NewTask(u"  \"C:\\Windows\\System32\\MSPAINT.EXE\" picture.bmp");
    EXPECT_EQ(RetValue(*started), 0);
    machine.Refresh();
    ASSERT_EQ(machine.processes.Count(), processes + 1);
    const auto* paint = machine.FindByName(u"mspaint.exe");
    ASSERT_NE(paint, nullptr);
    EXPECT_EQ(machine.applications.Count(), windows + 1);
    EXPECT_EQ(paint->threads.size(), 3u);

    EXPECT_EQ(RetValue(*machine.NewTask(u"charmap")), 0) << "the file name without .exe";
    EXPECT_EQ(RetValue(*machine.NewTask(u"taskhostw.exe")), 0) << "a program without a window";
    machine.Refresh();
    EXPECT_EQ(machine.applications.Count(), windows + 2);

    for (std::u16string_view nothing : {u"", u"   ", u"no-such-program.exe", u"\"notepad.exe"}) {
        auto refused = machine.NewTask(nothing);
        if (nothing == u"\"notepad.exe") {
            EXPECT_EQ(RetValue(*refused), 0) << "an unclosed quote takes the rest";
            continue;
        }
        EXPECT_EQ(RetValue(*refused), 2);
        EXPECT_EQ(ErrorText(*refused), u"The system cannot find the file specified.");
    }

    const uint32_t paintId = paint->processId;
    EXPECT_EQ(RetValue(*machine.Command(wire::kEndProcessCommand, wire::kProcessIdNode, static_cast<int32_t>(paintId))), 0);
    machine.Refresh();
    EXPECT_EQ(machine.processes.Find(paintId), nullptr);
    EXPECT_EQ(machine.applications.Count(), windows + 2) << "its window went with it";
    auto again = machine.Command(wire::kEndProcessCommand, wire::kProcessIdNode, static_cast<int32_t>(paintId));
    EXPECT_EQ(RetValue(*again), 87);
    EXPECT_EQ(ErrorText(*again), u"The parameter is incorrect.");
}

TEST(TaskManagerRemoteTest, EndingATaskEndsItsProgramAndProtectedProcessesAreRefused)
{
    TaskMachine machine;
    machine.Refresh();
    const auto calculator = std::find_if(machine.applications.Records().begin(), machine.applications.Records().end(),
                                         [](const auto& w) { return w.name == u"Calculator"; });
    ASSERT_NE(calculator, machine.applications.Records().end());
    const uint32_t window = calculator->window;
    const uint32_t processId = calculator->processId;
    EXPECT_EQ(RetValue(*machine.Command(wire::kEndTaskCommand, wire::kWindowNode, static_cast<int32_t>(window))), 0);
    auto gone = machine.Command(wire::kEndTaskCommand, wire::kWindowNode, static_cast<int32_t>(window));
    EXPECT_EQ(RetValue(*gone), 1400);
    EXPECT_EQ(ErrorText(*gone), u"Invalid window handle.");
    machine.Refresh();
    EXPECT_EQ(machine.applications.Find(window), nullptr);
    EXPECT_EQ(machine.processes.Find(processId), nullptr);

    for (std::u16string_view name : {u"System", u"csrss.exe", u"lsass.exe"}) {
        const auto* process = machine.FindByName(name);
        ASSERT_NE(process, nullptr);
        auto refused = machine.Command(wire::kEndProcessCommand, wire::kProcessIdNode, static_cast<int32_t>(process->processId));
        EXPECT_EQ(RetValue(*refused), 5);
        EXPECT_EQ(ErrorText(*refused), u"Access is denied.");
    }
    auto idle = machine.Command(wire::kEndProcessCommand, wire::kProcessIdNode, 0);
    EXPECT_EQ(RetValue(*idle), 5);
}

TEST(TaskManagerRemoteTest, FaultModesSpoilThePagesTheWayTheyPromise)
{
    TaskMachine machine;
    Fault garbage;
    garbage.kind = FaultKind::Garbage;
    machine.Machine().InjectFault(wire::kProcessesCommand, garbage);
    auto spoiled = machine.Page(wire::kProcessesCommand, wire::kProcessesNode, -1);
    CXmlElement root;
    EXPECT_EQ(ParseAnswer(spoiled->Root().ChildNode(wire::kProcessesNode).Text().c_str(), root), AnswerText::Malformed);

    Fault hostile;
    hostile.kind = FaultKind::HostileNumbers;
    machine.Machine().InjectFault(wire::kProcessesCommand, hostile);
    auto page = machine.Page(wire::kProcessesCommand, wire::kProcessesNode, -1);
    CXmlElement hostileRoot;
    ASSERT_EQ(ParseAnswer(page->Root().ChildNode(wire::kProcessesNode).Text().c_str(), hostileRoot), AnswerText::Parsed);
    ProcessStore store;
    store.MergeProcessesPage(hostileRoot);
    EXPECT_EQ(store.TotalCpuUsage(), 100.0);
    for (const auto& process : store.Records()) {
        EXPECT_GE(process.cpuUsage, 0.0);
        EXPECT_LE(process.cpuUsage, 100.0);
        EXPECT_EQ(taskmanager::KernelShare(process.kernelTime, process.userTime) <= 100, true);
    }

    Fault stuck;
    stuck.kind = FaultKind::StuckPage;
    machine.Machine().InjectFault(wire::kThreadsCommand, stuck);
    auto first = machine.Page(wire::kThreadsCommand, wire::kThreadsNode, 50);
    CXmlElement stuckRoot;
    ASSERT_EQ(ParseAnswer(first->Root().ChildNode(wire::kThreadsNode).Text().c_str(), stuckRoot), AnswerText::Parsed);
    EXPECT_EQ(NextPage(50, ReadInt64(stuckRoot, kUpToAttribute), ReadInt64(stuckRoot, kTotalAttribute), nullptr,
                       ContinueFrom::UpTo),
              PageStep::Failed);

    Fault fail;
    fail.errorText = u"Zugriff verweigert";
    machine.Machine().InjectFault(wire::kApplicationsCommand, fail);
    auto failed = machine.Page(wire::kApplicationsCommand, wire::kApplicationsNode, -1);
    EXPECT_NE(RetValue(*failed), 0);
    EXPECT_EQ(ErrorText(*failed), u"Zugriff verweigert");
}

TEST(TaskManagerRemoteTest, RequestsWithoutTheirFieldsAreRefused)
{
    TaskMachine machine;
    Message bare(wire::kProcessesCommand, wire::kSnapInId, 1);
    EXPECT_EQ(RetValue(*machine.Machine().Answer(bare)), 87);
    Message noWindow(wire::kEndTaskCommand, wire::kSnapInId, 1);
    EXPECT_EQ(RetValue(*machine.Machine().Answer(noWindow)), 1400);
    Message noProcess(wire::kEndProcessCommand, wire::kSnapInId, 1);
    EXPECT_EQ(RetValue(*machine.Machine().Answer(noProcess)), 87);
    Message noCommand(wire::kNewTaskCommand, wire::kSnapInId, 1);
    EXPECT_EQ(RetValue(*machine.Machine().Answer(noCommand)), 2);
}

}  // namespace
}  // namespace vantrel::remote
