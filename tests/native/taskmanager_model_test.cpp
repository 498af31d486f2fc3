// The Task Manager's model: records read from the answers, each application,
// process and thread kept once, and the texts of the cells with the
// separators the view passes in.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <string>

#include "framework/model/Answer.h"
#include "framework/text/Base64.h"
#include "framework/xml/Xml.h"
#include "snapins/taskmanager/model/TaskFormat.h"
#include "snapins/taskmanager/model/TaskModel.h"

namespace vantrel::taskmanager {
namespace {

CXmlElement* Parsed(CXmlElement& root, const std::string& text)
{
    EXPECT_EQ(ParseAnswer(text.c_str(), root), AnswerText::Parsed) << text;
    return &root;
}

std::string Name(std::u16string_view name)
{
    return EncodeUtf16Base64(name);
}

std::u16string Cell(const ProcessRecord& process, int column, const CellContext& context = {})
{
    return ProcessCellText(process, column, context);
}

ProcessRecord Process(uint64_t kernel, uint64_t user)
{
    ProcessRecord process;
    process.kernelTime = kernel;
    process.userTime = user;
    return process;
}

TEST(TaskFormatTest, TimesAndSharesOfAProcessThatNeverRan)
{
    const ProcessRecord idle = Process(0, 0);
    EXPECT_EQ(Cell(idle, kProcTime), u"00:00:00.000");
    EXPECT_EQ(Cell(idle, kProcKernelTime), u"00");
    EXPECT_EQ(Cell(idle, kProcUserTime), u"100");
}

TEST(TaskFormatTest, TimesSplitIntoHoursMinutesSecondsAndMillisecondsWithTheLocalesSeparator)
{
    // 1 h 2 min 3.456 s, a quarter of it in the kernel.
    constexpr uint64_t kTotal = ((3600ULL + 2 * 60 + 3) * 1000 + 456) * 10000;
    const ProcessRecord busy = Process(kTotal / 4, kTotal - kTotal / 4);
    EXPECT_EQ(Cell(busy, kProcTime), u"01:02:03.456");
    EXPECT_EQ(Cell(busy, kProcKernelTime), u"25");
    EXPECT_EQ(Cell(busy, kProcUserTime), u"75");
    CellContext finnish;
    finnish.timeSeparator = u".";
    EXPECT_EQ(Cell(busy, kProcTime, finnish), u"01.02.03.456");
    CellContext odd;
    odd.timeSeparator = u" h ";
    EXPECT_EQ(TimeText(9999, 0, odd.timeSeparator), u"00 h 00 h 00.000") << "below a millisecond";
    EXPECT_EQ(TimeText(125ULL * 3600 * 1000 * 10000, 0, u":"), u"125:00:00.000") << "hours grow past two digits";
    EXPECT_EQ(KernelShare(1, 2), 33u) << "whole percent, truncated";
}

TEST(TaskFormatTest, MemoryIsGroupedWithTheThousandsSeparatorInKilobytes)
{
    EXPECT_EQ(MemoryText(1048576, u","), u"1,024 K");
    EXPECT_EQ(MemoryText(1048576, u"."), u"1.024 K");
    EXPECT_EQ(MemoryText(1048576, u"\u00a0"), u"1\u00a0024 K");
    EXPECT_EQ(MemoryText(1023, u","), u"0 K");
    EXPECT_EQ(MemoryText(999 * 1024, u","), u"999 K");
    EXPECT_EQ(MemoryText(123456789ULL * 1024, u"'"), u"123'456'789 K");
    EXPECT_EQ(MemoryText(UINT64_MAX, u","), u"18,014,398,509,481,983 K") << "a working set near 2^64";
}

TEST(TaskFormatTest, CpuUsageRoundsToTwoDigitsAndTheStatusLineTruncates)
{
    EXPECT_EQ(CpuText(7.6), u"08");
    EXPECT_EQ(CpuText(0), u"00");
    EXPECT_EQ(CpuText(0.5), u"01");
    EXPECT_EQ(CpuText(99.7), u"100");
    EXPECT_EQ(StatusCpuUsage(12.9), 12u);
    EXPECT_EQ(StatusCpuUsage(99.99), 99u);
}

TEST(TaskFormatTest, HostileNumbersAreBroughtBackToTheirMeaning)
{
    EXPECT_EQ(CpuText(1e308), u"100");
    EXPECT_EQ(CpuText(DBL_MAX), u"100");
    EXPECT_EQ(CpuText(-3), u"00");
    EXPECT_EQ(CpuText(std::nan("")), u"00");
    EXPECT_EQ(StatusCpuUsage(1e308), 100u);
    EXPECT_EQ(StatusCpuUsage(std::nan("")), 0u);
    EXPECT_EQ(StatusCpuUsage(-1), 0u);

    // kernel * 100 and kernel + user beyond 64 bits.
    EXPECT_EQ(KernelShare(UINT64_MAX, 0), 100u);
    EXPECT_EQ(KernelShare(UINT64_MAX, UINT64_MAX), 50u);
    EXPECT_EQ(KernelShare(1ULL << 62, 3ULL << 62), 25u);
    EXPECT_EQ(KernelShare(UINT64_MAX / 100 + 1, 0), 100u);
    EXPECT_EQ(KernelShare(0, UINT64_MAX), 0u);
    EXPECT_EQ(KernelShare(0xFFFFFFFF00000000ULL, 1), 99u) << "exact where kernel * 100 needs more than 64 bits";
    const ProcessRecord huge = Process(UINT64_MAX, UINT64_MAX);
    EXPECT_EQ(Cell(huge, kProcTime), u"512409557:36:10.955") << "the sum saturates at 2^64 - 1";
    EXPECT_EQ(Cell(huge, kProcUserTime), u"50");
}

TEST(TaskFormatTest, TheIdleProcessIsNamedAndSortedByTheNameItShows)
{
    ProcessRecord idle;
    ProcessRecord explorer;
    explorer.name = u"explorer.exe";
    ProcessRecord taskhost;
    taskhost.name = u"TASKHOST.EXE";
    CellContext context;
    context.idleProcessName = u"System Idle Process";
    EXPECT_EQ(Cell(idle, kProcImageName, context), u"System Idle Process");
    EXPECT_GT(CompareProcesses(idle, explorer, kProcImageName, context), 0);
    EXPECT_LT(CompareProcesses(idle, taskhost, kProcImageName, context), 0);
    EXPECT_LT(CompareProcesses(explorer, taskhost, kProcImageName, context), 0) << "without regard to case";

    // Shares sort as shown: more kernel time, a larger kernel share, a smaller user share.
    const ProcessRecord kernelHeavy = Process(90, 10);
    const ProcessRecord userHeavy = Process(10, 90);
    EXPECT_GT(CompareProcesses(kernelHeavy, userHeavy, kProcKernelTime, context), 0);
    EXPECT_LT(CompareProcesses(kernelHeavy, userHeavy, kProcUserTime, context), 0);
    EXPECT_EQ(CompareProcesses(kernelHeavy, userHeavy, kProcTime, context), 0);
}

TEST(TaskFormatTest, ApplicationStatesNameTheirStatusAndPicture)
{
    EXPECT_EQ(StatusOf(0), AppStatus::Running);
    EXPECT_EQ(StatusOf(1), AppStatus::NotResponding);
    EXPECT_EQ(StatusOf(2), AppStatus::Ghost);
    EXPECT_EQ(StatusOf(3), AppStatus::Unknown);
    EXPECT_EQ(StatusOf(-1), AppStatus::Unknown);
    EXPECT_EQ(StatusImage(0), 1);
    EXPECT_EQ(StatusImage(1), 2);
    EXPECT_EQ(StatusImage(2), 3);
    EXPECT_EQ(StatusImage(77), 0);
}

TEST(TaskModelTest, ApplicationsAreKeptOncePerWindowTheFirstStaying)
{
    ApplicationStore store;
    CXmlElement root;
    Parsed(root, "<Applications StartAt='0' UpTo='3' Total='3'>"
                 "<Application HWND='4294967295' Name='" + Name(u"Calculator") + "' AppState='1' ProcessID='12' ThreadID='13'/>"
                 "<Application HWND='65552' Name='" + Name(u"Rechner \u00e4") + "' AppState='0'/>"
                 "<Application HWND='4294967295' Name='" + Name(u"Impostor") + "'/>"
                 "</Applications>");
    EXPECT_EQ(store.MergePage(root), (std::vector<uint32_t>{4294967295u, 65552u}));
    ASSERT_NE(store.Find(4294967295u), nullptr);
    EXPECT_EQ(store.Find(4294967295u)->name, u"Calculator");
    EXPECT_EQ(store.Find(4294967295u)->state, 1);
    EXPECT_EQ(store.Find(4294967295u)->processId, 12u);
    EXPECT_EQ(store.Find(65552)->name, u"Rechner \u00e4");
    EXPECT_EQ(store.Find(1), nullptr);
    store.Clear();
    EXPECT_EQ(store.Find(65552), nullptr);
}

TEST(TaskModelTest, ProcessesCarryTheirValuesAndTheTotalFromTheRoot)
{
    ProcessStore store;
    CXmlElement root;
    Parsed(root, "<Processes CPUUsage='12.9' StartAt='0' UpTo='2' Total='2'>"
                 "<Process ProcessID='0' Name='' CPUUsage='97.4' KeTimeHi='1' KeTimeLo='0' UsrTimeHi='0' "
                 "UsrTimeLo='5' WksSetHi='0' WksSetLo='1048576'/>"
                 "<Process ProcessID='4' Name='" + Name(u"System") + "' CPUUsage='nan' WksSetHi='4294967295' "
                 "WksSetLo='4294967295'/>"
                 "</Processes>");
    EXPECT_EQ(store.MergeProcessesPage(root), (std::vector<uint32_t>{0, 4}));
    EXPECT_DOUBLE_EQ(store.TotalCpuUsage(), 12.9);
    const ProcessRecord* idle = store.Find(0);
    ASSERT_NE(idle, nullptr);
    EXPECT_EQ(idle->kernelTime, 1ULL << 32);
    EXPECT_EQ(idle->userTime, 5u);
    EXPECT_EQ(Cell(*idle, kProcMemUsage), u"1,024 K");
    EXPECT_EQ(Cell(*idle, kProcCpuUsage), u"97");
    EXPECT_EQ(Cell(*store.Find(4), kProcCpuUsage), u"00");
    EXPECT_EQ(store.Find(4)->workingSet, UINT64_MAX);

    CXmlElement hostile;
    Parsed(hostile, "<Processes CPUUsage='1e308'><Process ProcessID='8' CPUUsage='-7'/></Processes>");
    store.MergeProcessesPage(hostile);
    EXPECT_EQ(store.TotalCpuUsage(), 100.0);
    EXPECT_EQ(store.Find(8)->cpuUsage, 0.0);
}

TEST(TaskModelTest, AThreadThatArrivesWithItsProcessAndAgainInTheThreadListIsKeptOnce)
{
    ProcessStore store;
    CXmlElement processes;
    Parsed(processes, "<Processes CPUUsage='1' StartAt='0' UpTo='3' Total='3'>"
                      "<Process ProcessID='100' Name='" + Name(u"a.exe") + "'>"
                      "<Thread ThreadID='1' KeTimeLo='10' UsrTimeLo='30' Priority='8'/>"
                      "<Thread ThreadID='2' Priority='9'/><Thread ThreadID='1' Priority='15'/></Process>"
                      "<Process ProcessID='200'/>"
                      "<Process ProcessID='100' Name='" + Name(u"duplicate.exe") + "'><Thread ThreadID='77'/></Process>"
                      "</Processes>");
    EXPECT_EQ(store.MergeProcessesPage(processes), (std::vector<uint32_t>{100, 200}));
    EXPECT_EQ(store.Find(100)->name, u"a.exe");
    EXPECT_EQ(store.Find(100)->threads.size(), 2u) << "the duplicate process brought no thread";

    CXmlElement threads;
    Parsed(threads, "<Threads StartAt='0' UpTo='3' Total='3'>"
                    "<Process ProcessID='100'><Thread ThreadID='2' Priority='13'/><Thread ThreadID='3'/></Process>"
                    "<Process ProcessID='200'><Thread ThreadID='1'/><Thread ThreadID='1'/></Process>"
                    "<Process ProcessID='300'><Thread ThreadID='9'/></Process>"
                    "</Threads>");
    EXPECT_EQ(store.MergeThreadsPage(threads), 2u);
    EXPECT_EQ(store.MergeThreadsPage(threads), 0u) << "the same page twice adds nothing";
    EXPECT_EQ(store.Find(100)->threads.size(), 3u);
    EXPECT_EQ(store.Find(200)->threads.size(), 1u) << "one thread id per process";
    EXPECT_EQ(store.Find(300), nullptr) << "threads of an unknown process are dropped";
    EXPECT_EQ(store.ThreadCount(), 4u);
    EXPECT_EQ(Cell(*store.Find(100), kProcThreads), u"3");

    const ThreadRecord* first = store.FindThread(100, 1);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->priority, 8u) << "the first arrival stays";
    EXPECT_EQ(ThreadCellText(*first, kThreadKernelTime, {}), u"25");
    EXPECT_EQ(ThreadCellText(*first, kThreadPriority, {}), u"8");
    EXPECT_EQ(store.FindThread(100, 2)->priority, 9u);
    EXPECT_EQ(store.FindThread(200, 2), nullptr);
    EXPECT_EQ(store.FindThread(300, 9), nullptr);

    store.Clear();
    EXPECT_EQ(store.FindThread(100, 1), nullptr);
    EXPECT_EQ(store.ThreadCount(), 0u);
}

TEST(TaskModelTest, StoresStopAtTheirMostWhateverTheAnswersSay)
{
    ProcessStore store(2, 3);
    CXmlElement root;
    Parsed(root, "<Processes Total='4294967295'><Process ProcessID='1'><Thread ThreadID='1'/><Thread ThreadID='2'/>"
                 "</Process><Process ProcessID='2'><Thread ThreadID='1'/><Thread ThreadID='2'/></Process>"
                 "<Process ProcessID='3'/></Processes>");
    EXPECT_EQ(store.MergeProcessesPage(root).size(), 2u);
    EXPECT_EQ(store.ThreadCount(), 3u);
    EXPECT_EQ(store.Find(3), nullptr);
    ApplicationStore applications(1);
    EXPECT_TRUE(applications.Add({1}));
    EXPECT_FALSE(applications.Add({2}));
}

TEST(TaskModelTest, UnsignedFieldsThatAreNotUnsignedNumbersReadAsZero)
{
    CXmlElement thread;
    Parsed(thread, "<Thread ThreadID='-5' KeTimeHi='x' KeTimeLo='4294967296' UsrTimeHi='' Priority='-2'/>");
    const ThreadRecord record = ReadThreadElement(thread);
    EXPECT_EQ(record.threadId, 0u);
    EXPECT_EQ(record.kernelTime, 4294967295u) << "a half beyond 32 bits saturates";
    EXPECT_EQ(record.userTime, 0u);
    EXPECT_EQ(record.priority, 0u);
}

TEST(TaskModelTest, ThreadsInAnyOrderAreFoundAndKeptOnce)
{
    ProcessStore store;
    ProcessRecord process;
    process.processId = 7;
    ASSERT_TRUE(store.Add(process));
    for (uint32_t id : {10u, 20u, 30u})  // rising, as machines send them
        EXPECT_TRUE(store.AddThread(7, {id}));
    EXPECT_FALSE(store.AddThread(7, {30})) << "a repeat of the last";
    EXPECT_FALSE(store.AddThread(7, {10})) << "a repeat further back";
    EXPECT_TRUE(store.AddThread(7, {15})) << "out of order";
    for (uint32_t id = 1000; id > 900; --id)
        EXPECT_TRUE(store.AddThread(7, {id}));
    EXPECT_FALSE(store.AddThread(7, {950}));
    EXPECT_EQ(store.Find(7)->threads.size(), 104u);
    for (uint32_t id : {10u, 15u, 20u, 30u, 901u, 950u, 1000u}) {
        const ThreadRecord* thread = store.FindThread(7, id);
        ASSERT_NE(thread, nullptr) << id;
        EXPECT_EQ(thread->threadId, id);
    }
    EXPECT_EQ(store.FindThread(7, 16), nullptr);
    EXPECT_EQ(store.Find(7)->threads[3].threadId, 15u) << "kept in arrival order";
}

TEST(IdIndexTest, KeepsTheFirstPositionOfEachIdentityThroughGrowthAndClear)
{
    IdIndex index;
    for (uint64_t i = 0; i < 5000; ++i)
        ASSERT_TRUE(index.Insert(i << 32 | (i * 7), static_cast<uint32_t>(i)));
    EXPECT_TRUE(index.Insert(UINT64_MAX, 1));
    EXPECT_FALSE(index.Insert(UINT64_MAX, 2));
    EXPECT_FALSE(index.Insert(0, 9)) << "process 0, thread 0 is an identity like any other";
    EXPECT_EQ(index.Count(), 5001u);
    EXPECT_EQ(index.Find(UINT64_MAX), 1u);
    EXPECT_EQ(index.Find(0), 0u);
    EXPECT_EQ(index.Find(4321ULL << 32 | 4321 * 7), 4321u);
    EXPECT_EQ(index.Find(4321ULL << 32), std::nullopt);
    index.Clear();
    EXPECT_EQ(index.Count(), 0u);
    EXPECT_EQ(index.Find(0), std::nullopt);
    EXPECT_TRUE(index.Insert(0, 3));
    EXPECT_EQ(index.Find(0), 3u);
}

}  // namespace
}  // namespace vantrel::taskmanager
