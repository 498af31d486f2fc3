#include "remote/taskmanager/TaskManagerData.h"

#include "remote/Random.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "framework/text/TextCompare.h"

namespace vantrel::remote {

namespace {

constexpr uint64_t kUnitsPerSecond = 10'000'000;  // 100-nanosecond units
constexpr uint64_t kKilobyte = 1024;
constexpr uint64_t kMegabyte = 1024 * 1024;

struct KnownProcess {
    const char16_t* name;
    bool isProtected;
    uint32_t priority;     // of its threads
    uint32_t threads;      // 0: a share of what is left
    uint64_t workingSet;   // 0: made up
};

// The processes every machine of this kind runs, in the order it lists them.
const KnownProcess kKnownProcesses[] = {
    {u"", true, 0, 2, 8 * kKilobyte},  // the idle process: one thread per processor
    {u"System", true, 8, 0, 0},       // its threads are set apart below
    {u"smss.exe", true, 11, 2, kMegabyte},
    {u"csrss.exe", true, 13, 11, 0},
    {u"wininit.exe", true, 13, 3, 0},
    {u"csrss.exe", true, 13, 9, 0},
    {u"winlogon.exe", true, 13, 4, 0},
    {u"services.exe", true, 9, 7, 0},
    {u"lsass.exe", true, 9, 10, 0},
    {u"svchost.exe", false, 8, 0, 0},
    {u"svchost.exe", false, 8, 0, 0},
    {u"svchost.exe", false, 8, 0, 0},
    {u"svchost.exe", false, 8, 0, 0},
    {u"spoolsv.exe", false, 8, 0, 0},
    {u"dwm.exe", false, 13, 0, 0},
    {u"explorer.exe", false, 8, 0, 0},
    {u"taskhostw.exe", false, 8, 0, 0},
    {u"RuntimeBroker.exe", false, 8, 0, 0},
    {u"SearchIndexer.exe", false, 8, 0, 0},
    {u"conhost.exe", false, 8, 0, 0},
    {u"notepad.exe", false, 8, 0, 0},
    {u"calc.exe", false, 8, 0, 0},
    {u"mail.exe", false, 8, 0, 0},
    {u"write.exe", false, 8, 0, 0},
    {u"cmd.exe", false, 8, 0, 0},
    {u"setup.exe", false, 8, 0, 0},
    {u"editor.exe", false, 8, 0, 0},
    {u"\u00dcberwachungsdienst.exe", false, 8, 0, 0},
    {u"\u6570\u636e\u540c\u6b65\u670d\u52a1.exe", false, 8, 0, 0},
    {u"\u0421\u043b\u0443\u0436\u0431\u0430 \u043e\u0431\u043d\u043e\u0432\u043b\u0435\u043d\u0438\u044f.exe", false, 8,
     0, 0},
    {u"Enterprise Device Management Synchronization Agent With A Very Long Image Name For Testing.exe", false, 8, 0,
     0},
};
constexpr size_t kIdleProcess = 0;
constexpr size_t kSystemProcess = 1;

struct KnownWindow {
    const char16_t* title;
    int32_t state;
    const char16_t* process;
};

const KnownWindow kKnownWindows[] = {
    {u"Untitled - Notepad", 0, u"notepad.exe"},
    {u"Calculator", 0, u"calc.exe"},
    {u"Inbox - Mail", 0, u"mail.exe"},
    {u"Program Manager", 0, u"explorer.exe"},
    {u"Dokument1 - Textverarbeitung", 0, u"write.exe"},
    {u"\u041e\u0442\u0447\u0451\u0442 \u0437\u0430 \u043a\u0432\u0430\u0440\u0442\u0430\u043b - Editor", 0, u"editor.exe"},
    {u"C:\\WINDOWS\\system32\\cmd.exe", 0, u"cmd.exe"},
    {u"Setup - Installing components", 1, u"setup.exe"},
    {u"Report.docx - Editor (Not Responding)", 2, u"editor.exe"},
    {u"", 0, u"explorer.exe"},
    {u"A window whose title goes on and on because the document it shows has a very long name indeed - Editor", 0,
     u"editor.exe"},
    {u"Downloads", 0, u"explorer.exe"},
};

const StartableProgram kPrograms[] = {
    {u"notepad.exe", u"C:\\WINDOWS\\system32\\notepad.exe", u"Untitled - Notepad"},
    {u"calc.exe", u"C:\\WINDOWS\\system32\\calc.exe", u"Calculator"},
    {u"mspaint.exe", u"C:\\WINDOWS\\system32\\mspaint.exe", u"Untitled - Paint"},
    {u"write.exe", u"C:\\WINDOWS\\write.exe", u"Document - WordPad"},
    {u"cmd.exe", u"C:\\WINDOWS\\system32\\cmd.exe", u"C:\\WINDOWS\\system32\\cmd.exe"},
    {u"regedit.exe", u"C:\\WINDOWS\\regedit.exe", u"Registry Editor"},
    {u"charmap.exe", u"C:\\WINDOWS\\system32\\charmap.exe", u"Character Map"},
    {u"taskhostw.exe", u"C:\\WINDOWS\\system32\\taskhostw.exe", nullptr},
};

uint64_t Seconds(double seconds)
{
    return static_cast<uint64_t>(seconds * kUnitsPerSecond);
}

// The first word of a command line: quoted, or up to the first blank.
std::u16string_view ProgramOf(std::u16string_view commandLine)
{
    const size_t start = commandLine.find_first_not_of(u" \t");
    if (start == std::u16string_view::npos)
        return {};
    commandLine.remove_prefix(start);
    if (commandLine.front() == u'"') {
        commandLine.remove_prefix(1);
        return commandLine.substr(0, commandLine.find(u'"'));
    }
    return commandLine.substr(0, commandLine.find_first_of(u" \t"));
}

bool NamesProgram(std::u16string_view word, const StartableProgram& program)
{
    if (word.empty())
        return false;
    if (EqualsNoCase(word, program.path))
        return true;
    const size_t slash = word.find_last_of(u"\\/");
    const std::u16string_view file = slash == std::u16string_view::npos ? word : word.substr(slash + 1);
    const std::u16string_view name = program.fileName;
    return EqualsNoCase(file, name) || EqualsNoCase(file, name.substr(0, name.size() - 4));
}

// The threads of every process: the known counts first, System a large share
// of the rest, every other process at least one, and what remains spread
// unevenly over the processes without a count of their own, more of it to
// those listed first.
std::vector<uint32_t> ThreadCounts(size_t processCount, size_t threadCount, Random& random)
{
    std::vector<uint32_t> counts(processCount, 1);
    std::vector<size_t> open;  // the processes that take a share of what is left
    size_t left = threadCount > processCount ? threadCount - processCount : 0;
    for (size_t i = 0; i < processCount; ++i) {
        const KnownProcess* known = i < std::size(kKnownProcesses) ? &kKnownProcesses[i] : nullptr;
        const uint32_t wanted = i == kSystemProcess ? static_cast<uint32_t>(std::clamp<size_t>(threadCount / 8, 20, 2000))
                                : known                ? known->threads
                                                       : 0;
        if (wanted == 0) {
            open.push_back(i);
            continue;
        }
        const size_t extra = std::min<size_t>(wanted - 1, left);
        counts[i] += static_cast<uint32_t>(extra);
        left -= extra;
    }
    for (; left > 0 && !open.empty(); --left)
        ++counts[open[random.Below(random.Below(open.size()) + 1)]];
    if (left > 0 && processCount > kSystemProcess)
        counts[kSystemProcess] += static_cast<uint32_t>(left);  // few processes: System takes the rest
    return counts;
}

void SetCpuUsages(SimulatedTasks& tasks, Random& random)
{
    double busy = 0;
    for (size_t i = 0; i < tasks.processes.size(); ++i) {
        SimulatedProcess& process = tasks.processes[i];
        if (i == kIdleProcess && process.processId == 0)
            continue;
        // Most processes are idle; a few use a little, one now and then a lot.
        const size_t roll = random.Below(40);
        process.cpuUsage = roll < 34 ? 0 : roll < 39 ? random.Below(20) / 10.0 : 1 + random.Below(90) / 10.0;
        if (busy + process.cpuUsage > 95)
            process.cpuUsage = 0;
        busy += process.cpuUsage;
    }
    if (!tasks.processes.empty() && tasks.processes.front().processId == 0)
        tasks.processes.front().cpuUsage = 100 - busy;
}

}  // namespace

uint64_t SimulatedProcess::KernelTime() const
{
    uint64_t sum = 0;
    for (const SimulatedThread& thread : threads)
        sum += thread.kernelTime;
    return sum;
}

uint64_t SimulatedProcess::UserTime() const
{
    uint64_t sum = 0;
    for (const SimulatedThread& thread : threads)
        sum += thread.userTime;
    return sum;
}

SimulatedTasks MakeSimulatedTasks(const MachineConfig& config)
{
    Random random(config.seed * 0x7A5C + 3);
    SimulatedTasks tasks;
    const auto processCount = static_cast<size_t>(config.ProcessCount());
    const std::vector<uint32_t> threadCounts =
        ThreadCounts(processCount, static_cast<size_t>(config.ThreadCount()), random);

    uint32_t nextProcessId = 4;
    uint32_t nextThreadId = 8;
    for (size_t i = 0; i < processCount; ++i) {
        SimulatedProcess process;
        const KnownProcess* known = i < std::size(kKnownProcesses) ? &kKnownProcesses[i] : nullptr;
        if (i == kIdleProcess) {
            process.processId = 0;
        } else {
            process.processId = nextProcessId;
            nextProcessId += 4 * static_cast<uint32_t>(1 + random.Below(40));
        }
        if (known) {
            process.name = known->name;
            process.isProtected = known->isProtected;
        } else {
            const char16_t* kinds[] = {u"svchost.exe", u"worker", u"agent", u"helper", u"updater", u"host"};
            const size_t kind = random.Below(std::size(kinds));
            process.name = kinds[kind];
            if (kind != 0) {
                const std::string number = std::to_string(i);
                process.name += u'-';
                process.name += std::u16string(number.begin(), number.end());
                process.name += u".exe";
            }
        }
        process.workingSet = known && known->workingSet ? known->workingSet
                                                       : (256 + random.Below(60000)) * 4 * kKilobyte;
        const uint32_t priority = known ? known->priority : (random.Below(6) == 0 ? 10 : 8);
        for (uint32_t t = 0; t < threadCounts[i]; ++t) {
            SimulatedThread thread;
            thread.threadId = i == kIdleProcess ? t : nextThreadId;
            if (i != kIdleProcess)
                nextThreadId += 4;
            if (i == kIdleProcess) {
                thread.kernelTime = Seconds(36000 + random.Below(20000));
                thread.userTime = 0;
            } else {
                thread.kernelTime = random.Below(8) == 0 ? Seconds(random.Below(600)) : random.Below(kUnitsPerSecond);
                thread.userTime = random.Below(4) == 0 ? Seconds(random.Below(1800)) : random.Below(kUnitsPerSecond);
            }
            thread.priority = i == kIdleProcess ? 0 : priority + (random.Below(10) == 0 ? 2 : 0);
            process.threads.push_back(thread);
        }
        tasks.processes.push_back(std::move(process));
    }
    SetCpuUsages(tasks, random);

    // Windows of the known programs first, then documents of the editor.
    const auto windowCount = static_cast<size_t>(config.ApplicationCount());
    uint32_t nextWindow = 0x00010010;
    for (size_t w = 0; w < windowCount; ++w) {
        SimulatedWindow window;
        window.window = nextWindow;
        nextWindow += 2 * static_cast<uint32_t>(1 + random.Below(300));
        const char16_t* processName = u"editor.exe";
        if (w < std::size(kKnownWindows)) {
            window.title = kKnownWindows[w].title;
            window.state = kKnownWindows[w].state;
            processName = kKnownWindows[w].process;
        } else {
            const std::string number = std::to_string(w);
            window.title = u"Document " + std::u16string(number.begin(), number.end()) + u" - Editor";
        }
        const auto owner = std::find_if(tasks.processes.begin(), tasks.processes.end(), [&](const SimulatedProcess& p) {
            return p.name == processName;
        });
        if (owner == tasks.processes.end() || owner->threads.empty())
            continue;  // a machine too small to run the program
        window.processId = owner->processId;
        window.threadId = owner->threads.front().threadId;
        tasks.windows.push_back(std::move(window));
    }
    return tasks;
}

const StartableProgram* FindStartableProgram(std::u16string_view commandLine)
{
    const std::u16string_view word = ProgramOf(commandLine);
    for (const StartableProgram& program : kPrograms) {
        if (NamesProgram(word, program))
            return &program;
    }
    return nullptr;
}

void AdvanceTasks(SimulatedTasks& tasks, uint64_t tick)
{
    Random random(tick * 0x51ED + 11);
    for (SimulatedProcess& process : tasks.processes) {
        for (SimulatedThread& thread : process.threads) {
            if (process.processId == 0) {
                thread.kernelTime += Seconds(1) + random.Below(kUnitsPerSecond);
                continue;
            }
            if (random.Below(3) == 0) {
                thread.kernelTime += random.Below(kUnitsPerSecond / 10);
                thread.userTime += random.Below(kUnitsPerSecond / 5);
            }
        }
    }
    SetCpuUsages(tasks, random);
}

}  // namespace vantrel::remote
