// Task Manager (15003): 401 applications, 402 processes, 403 threads, each a
// page at a time; 404 start a program, 405 end an application, 406 end a
// process.
#include "remote/SimulatedSnapIn.h"
#include "remote/Simulations.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string>
#include <vector>

#include "framework/model/Answer.h"
#include "framework/model/Paging.h"
#include "framework/text/Base64.h"
#include "framework/xml/Xml.h"
#include "remote/taskmanager/TaskManagerData.h"
#include "snapins/taskmanager/model/Protocol.h"

namespace vantrel::remote {

namespace {

namespace wire = taskmanager::protocol;

// System error codes the machine answers with, and their texts.
constexpr int32_t kIncorrectFunction = 1;
constexpr int32_t kFileNotFound = 2;
constexpr int32_t kAccessDenied = 5;
constexpr int32_t kInvalidParameter = 87;
constexpr int32_t kInvalidWindowHandle = 1400;
constexpr char16_t kFileNotFoundText[] = u"The system cannot find the file specified.";
constexpr char16_t kAccessDeniedText[] = u"Access is denied.";
constexpr char16_t kInvalidParameterText[] = u"The parameter is incorrect.";
constexpr char16_t kInvalidWindowText[] = u"Invalid window handle.";

// The threads of every eighth process travel with it in 402 as well as in 403.
constexpr size_t kThreadsWithProcessEvery = 8;

std::string High(uint64_t value) { return std::to_string(value >> 32); }
std::string Low(uint64_t value) { return std::to_string(value & 0xFFFFFFFFu); }

// A percentage with one decimal, in the wire's form whatever the locale.
std::string FractionText(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 1);
    return std::string(buffer, result.ptr);
}

// The StartAt of a list request: the 32-bit form of -1 is a new listing.
std::optional<int64_t> RequestedStart(const CommandContext& context, const char* node)
{
    CXmlElement request;
    if (!ParseRequestXml(context.request, node, &request))
        return std::nullopt;
    if (!request.GetAttribute(kStartAtAttribute))
        return -1;
    const int64_t startAt = ReadInt64(request, kStartAtAttribute);
    return startAt == 4294967295LL ? -1 : startAt;
}

void AddTimes(CXmlElement& element, uint64_t kernelTime, uint64_t userTime)
{
    element.AddAttribute(wire::kAttrKernelTimeHigh, High(kernelTime));
    element.AddAttribute(wire::kAttrKernelTimeLow, Low(kernelTime));
    element.AddAttribute(wire::kAttrUserTimeHigh, High(userTime));
    element.AddAttribute(wire::kAttrUserTimeLow, Low(userTime));
}

// Readers take the first attribute of a name: nonsense added before the
// real value is what they find.
void AddNonsense(CXmlElement& element, const char* name, const char* text)
{
    element.AddAttribute(name, text);
}

void WriteThread(CXmlElement& element, const SimulatedThread& thread, std::optional<size_t> hostile)
{
    if (hostile) {
        // Each thread of a hostile page takes one kind of nonsense in turn.
        switch (*hostile % 3) {
        case 0:
            AddNonsense(element, wire::kAttrKernelTimeHigh, "4294967295");
            AddNonsense(element, wire::kAttrKernelTimeLow, "4294967295");
            AddNonsense(element, wire::kAttrUserTimeHigh, "4294967295");
            AddNonsense(element, wire::kAttrUserTimeLow, "4294967295");
            break;
        case 1:
            AddNonsense(element, wire::kAttrThreadId, "-1");
            AddNonsense(element, wire::kAttrPriority, "-3");
            break;
        default:
            AddNonsense(element, wire::kAttrKernelTimeLow, "99999999999999999999999");
            AddNonsense(element, wire::kAttrUserTimeHigh, "x");
            break;
        }
    }
    element.AddAttribute(wire::kAttrThreadId, std::to_string(thread.threadId));
    AddTimes(element, thread.kernelTime, thread.userTime);
    element.AddAttribute(wire::kAttrPriority, std::to_string(thread.priority));
}

void WriteProcess(CXmlElement& element, const SimulatedProcess& process, std::optional<size_t> hostile)
{
    if (hostile) {
        switch (*hostile % 3) {
        case 0:
            AddNonsense(element, wire::kAttrCpuUsage, "1e308");
            AddNonsense(element, wire::kAttrKernelTimeHigh, "4294967295");
            AddNonsense(element, wire::kAttrKernelTimeLow, "4294967295");
            AddNonsense(element, wire::kAttrUserTimeHigh, "4294967295");
            AddNonsense(element, wire::kAttrWorkingSetHigh, "4294967295");
            AddNonsense(element, wire::kAttrWorkingSetLow, "4294967295");
            break;
        case 1:
            AddNonsense(element, wire::kAttrCpuUsage, "nan");
            AddNonsense(element, wire::kAttrWorkingSetLow, "-1");
            break;
        default:
            AddNonsense(element, wire::kAttrCpuUsage, "-42.5");
            AddNonsense(element, wire::kAttrKernelTimeHigh, "99999999999999999999");
            break;
        }
    }
    element.AddAttribute(wire::kAttrProcessId, std::to_string(process.processId));
    element.AddAttribute(wire::kAttrName, EncodeUtf16Base64(process.name));
    element.AddAttribute(wire::kAttrCpuUsage, FractionText(process.cpuUsage));
    AddTimes(element, process.KernelTime(), process.UserTime());
    element.AddAttribute(wire::kAttrWorkingSetHigh, High(process.workingSet));
    element.AddAttribute(wire::kAttrWorkingSetLow, Low(process.workingSet));
}

class TaskManagerSimulation final : public SimulatedSnapIn {
public:
    explicit TaskManagerSimulation(const MachineConfig& config) : tasks_(MakeSimulatedTasks(config)) { NoteNextIds(); }

    void Register(CommandRegistry& registry) override
    {
        const auto add = [&](uint32_t command, void (TaskManagerSimulation::*answer)(CommandContext&)) {
            registry.Add(static_cast<uint32_t>(wire::kSnapInId), command, kIncorrectFunction,
                         [this, answer](CommandContext& context) { (this->*answer)(context); });
        };
        add(wire::kApplicationsCommand, &TaskManagerSimulation::AnswerApplications);
        add(wire::kProcessesCommand, &TaskManagerSimulation::AnswerProcesses);
        add(wire::kThreadsCommand, &TaskManagerSimulation::AnswerThreads);
        add(wire::kNewTaskCommand, &TaskManagerSimulation::AnswerNewTask);
        add(wire::kEndTaskCommand, &TaskManagerSimulation::AnswerEndTask);
        add(wire::kEndProcessCommand, &TaskManagerSimulation::AnswerEndProcess);
    }

private:
    static void Succeed(CommandContext& context) { context.answer.Root().ChildNode(kRetValueNode).SetLong(wire::kSuccess); }

    void NoteNextIds()
    {
        for (const SimulatedProcess& process : tasks_.processes) {
            nextProcessId_ = std::max(nextProcessId_, process.processId + 4);
            for (const SimulatedThread& thread : process.threads)
                nextThreadId_ = std::max(nextThreadId_, thread.threadId + 4);
        }
        for (const SimulatedWindow& window : tasks_.windows)
            nextWindow_ = std::max(nextWindow_, window.window + 2);
    }

    // A page of `count` entries; null (and a failure answered) for a request
    // without a readable list element or with a StartAt below -1.
    std::optional<PagePlan> Plan(CommandContext& context, const char* node, size_t count)
    {
        const std::optional<int64_t> startAt = RequestedStart(context, node);
        std::optional<PagePlan> plan = startAt ? PlanPage(*startAt, count, context) : std::nullopt;
        if (!plan)
            SetFailure(context.answer, kInvalidParameter, kInvalidParameterText);
        return plan;
    }

    void Answer(CommandContext& context, const char* node, const CXmlElement& root)
    {
        Succeed(context);
        context.answer.Root().ChildNode(node).SetText(XmlBodyText(root, context.fault));
    }

    void AnswerApplications(CommandContext& context)
    {
        const std::optional<int64_t> startAt = RequestedStart(context, wire::kApplicationsNode);
        // A refresh begins with the applications: time has passed since the last one.
        if (startAt && *startAt < 0)
            AdvanceTasks(tasks_, ++tick_);
        const std::optional<PagePlan> plan = Plan(context, wire::kApplicationsNode, tasks_.windows.size());
        if (!plan)
            return;
        CXmlElement root(wire::kApplicationsElement);
        SetPageAttributes(root, *plan);
        const bool hostile = context.fault == FaultKind::HostileNumbers;
        for (size_t i = plan->first; i < plan->end; ++i) {
            const SimulatedWindow& window = tasks_.windows[i];
            CXmlElement& element = *root.AddChild(wire::kApplicationElement);
            if (hostile) {
                element.AddAttribute(wire::kAttrAppState, i % 2 ? "-7" : "99999999999");
                element.AddAttribute(wire::kAttrProcessId, "abc");
            }
            element.AddAttribute(wire::kAttrWindow, std::to_string(window.window));
            element.AddAttribute(wire::kAttrName, EncodeUtf16Base64(window.title));
            element.AddAttribute(wire::kAttrAppState, std::to_string(window.state));
            element.AddAttribute(wire::kAttrProcessId, std::to_string(window.processId));
            element.AddAttribute(wire::kAttrThreadId, std::to_string(window.threadId));
        }
        Answer(context, wire::kApplicationsNode, root);
    }

    void AnswerProcesses(CommandContext& context)
    {
        const std::optional<PagePlan> plan = Plan(context, wire::kProcessesNode, tasks_.processes.size());
        if (!plan)
            return;
        CXmlElement root(wire::kProcessesElement);
        const bool hostile = context.fault == FaultKind::HostileNumbers;
        root.AddAttribute(wire::kAttrCpuUsage, hostile ? "1e308" : FractionText(BusyPercent()));
        SetPageAttributes(root, *plan);
        for (size_t i = plan->first; i < plan->end; ++i) {
            const SimulatedProcess& process = tasks_.processes[i];
            CXmlElement& element = *root.AddChild(wire::kProcessElement);
            WriteProcess(element, process, hostile ? std::optional<size_t>(i) : std::nullopt);
            if (i % kThreadsWithProcessEvery != 0)
                continue;
            for (size_t t = 0; t < process.threads.size(); ++t)
                WriteThread(*element.AddChild(wire::kThreadElement), process.threads[t],
                            hostile ? std::optional<size_t>(t) : std::nullopt);
        }
        Answer(context, wire::kProcessesNode, root);
    }

    void AnswerThreads(CommandContext& context)
    {
        const std::optional<PagePlan> plan = Plan(context, wire::kThreadsNode, tasks_.processes.size());
        if (!plan)
            return;
        CXmlElement root(wire::kThreadsElement);
        SetPageAttributes(root, *plan);
        const bool hostile = context.fault == FaultKind::HostileNumbers;
        for (size_t i = plan->first; i < plan->end; ++i) {
            const SimulatedProcess& process = tasks_.processes[i];
            CXmlElement& element = *root.AddChild(wire::kProcessElement);
            if (hostile && i % 2)
                element.AddAttribute(wire::kAttrProcessId, "-1");
            element.AddAttribute(wire::kAttrProcessId, std::to_string(process.processId));
            for (size_t t = 0; t < process.threads.size(); ++t)
                WriteThread(*element.AddChild(wire::kThreadElement), process.threads[t],
                            hostile ? std::optional<size_t>(t) : std::nullopt);
        }
        Answer(context, wire::kThreadsNode, root);
    }

    double BusyPercent() const
    {
        double busy = 0;
        for (const SimulatedProcess& process : tasks_.processes) {
            if (process.processId != 0)
                busy += process.cpuUsage;
        }
        return std::min(busy, 100.0);
    }

    void AnswerNewTask(CommandContext& context)
    {
        const host::MessageNode* node = context.request.Root().Find(wire::kCommandNode);
        const std::u16string commandLine = DecodeUtf16Base64(node ? node->Text() : std::string());
        const StartableProgram* program = FindStartableProgram(commandLine);
        if (!program) {
            SetFailure(context.answer, kFileNotFound, kFileNotFoundText);
            return;
        }
        SimulatedProcess process;
        process.processId = nextProcessId_;
        nextProcessId_ += 4;
        process.name = program->fileName;
        process.workingSet = 3 * 1024 * 1024;
        for (int t = 0; t < 3; ++t) {
            SimulatedThread thread;
            thread.threadId = nextThreadId_;
            nextThreadId_ += 4;
            thread.kernelTime = 150000u * static_cast<uint64_t>(t + 1);
            thread.userTime = 310000u * static_cast<uint64_t>(t + 1);
            process.threads.push_back(thread);
        }
        if (program->windowTitle) {
            SimulatedWindow window;
            window.window = nextWindow_;
            nextWindow_ += 2;
            window.title = program->windowTitle;
            window.processId = process.processId;
            window.threadId = process.threads.front().threadId;
            tasks_.windows.push_back(std::move(window));
        }
        tasks_.processes.push_back(std::move(process));
        Succeed(context);
    }

    void AnswerEndTask(CommandContext& context)
    {
        const host::MessageNode* node = context.request.Root().Find(wire::kWindowNode);
        const auto window = static_cast<uint32_t>(node ? node->AsLong() : 0);
        const auto found = std::find_if(tasks_.windows.begin(), tasks_.windows.end(),
                                        [&](const SimulatedWindow& w) { return w.window == window; });
        if (!node || found == tasks_.windows.end()) {
            SetFailure(context.answer, kInvalidWindowHandle, kInvalidWindowText);
            return;
        }
        // Ending a task closes its program: the process goes with its windows.
        EndProcess(context, found->processId);
    }

    void AnswerEndProcess(CommandContext& context)
    {
        const host::MessageNode* node = context.request.Root().Find(wire::kProcessIdNode);
        if (!node) {
            SetFailure(context.answer, kInvalidParameter, kInvalidParameterText);
            return;
        }
        EndProcess(context, static_cast<uint32_t>(node->AsLong()));
    }

    void EndProcess(CommandContext& context, uint32_t processId)
    {
        const auto found = std::find_if(tasks_.processes.begin(), tasks_.processes.end(),
                                        [&](const SimulatedProcess& p) { return p.processId == processId; });
        if (found == tasks_.processes.end()) {
            SetFailure(context.answer, kInvalidParameter, kInvalidParameterText);
            return;
        }
        if (found->isProtected) {
            SetFailure(context.answer, kAccessDenied, kAccessDeniedText);
            return;
        }
        tasks_.processes.erase(found);
        std::erase_if(tasks_.windows, [&](const SimulatedWindow& w) { return w.processId == processId; });
        Succeed(context);
    }

    SimulatedTasks tasks_;
    uint64_t tick_ = 0;
    uint32_t nextProcessId_ = 4;
    uint32_t nextThreadId_ = 8;
    uint32_t nextWindow_ = 0x00010010;
};

}  // namespace

std::unique_ptr<SimulatedSnapIn> MakeTaskManagerSimulation(const MachineConfig& config)
{
    return std::make_unique<TaskManagerSimulation>(config);
}

}  // namespace vantrel::remote
