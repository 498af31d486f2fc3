// The texts of the Task Manager's cells and status line, and the order of its
// lists. Separators that depend on the user's locale are passed in by the
// view, so this code stays free of any locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "snapins/taskmanager/model/TaskModel.h"

namespace vantrel::taskmanager {

// What the view takes from the user's locale and resources.
struct CellContext {
    std::u16string timeSeparator = u":";
    std::u16string thousandsSeparator = u",";
    std::u16string idleProcessName = u"System Idle Process";  // for a process without a name
};

// Columns of the lists, in order. The device platform shows the first seven
// process columns.
enum ApplicationColumn : int { kAppTask = 0, kAppStatus = 1, kAppColumnCount = 2 };
enum ProcessColumn : int {
    kProcImageName = 0,
    kProcId = 1,
    kProcCpuUsage = 2,
    kProcTime = 3,
    kProcKernelTime = 4,
    kProcUserTime = 5,
    kProcThreads = 6,
    kProcMemUsage = 7,
    kProcColumnCount = 8,
};
enum ThreadColumn : int {
    kThreadId = 0,
    kThreadTime = 1,
    kThreadKernelTime = 2,
    kThreadUserTime = 3,
    kThreadPriority = 4,
    kThreadColumnCount = 5,
};

// "AppState" as the Status column names it; the view maps it to its strings.
enum class AppStatus { Unknown, Running, NotResponding, Ghost };
AppStatus StatusOf(int32_t appState);
// The picture of the Task column: 1 Running, 2 Not Responding, 3 Ghost, 0 otherwise.
int StatusImage(int32_t appState);

// "%lu".
std::u16string DecimalText(uint64_t value);
// The CPU usage in whole percent, at least two digits ("08" for 7.6), the
// percentage clamped to 0..100 first; halves round away from zero.
std::u16string CpuText(double percent);
// Kernel + user time as hours, minutes, seconds and milliseconds:
// "00:00:00.000" with ":" as the separator; the sum saturates.
std::u16string TimeText(uint64_t kernelTime, uint64_t userTime, std::u16string_view separator);
// kernel * 100 / (kernel + user) in whole percent, truncated, 0 when both
// are 0; exact for any times, however large.
uint32_t KernelShare(uint64_t kernelTime, uint64_t userTime);
// A share as "%02lu".
std::u16string ShareText(uint32_t percent);
// The working set in kilobytes, digits grouped by three with the separator,
// and " K": 1,048,576 bytes give "1,024 K".
std::u16string MemoryText(uint64_t bytes, std::u16string_view thousandsSeparator);
// The total CPU usage of the status line: a whole number, truncated, within 0..100.
uint32_t StatusCpuUsage(double percent);

// Texts of the text columns (the application's Status is a kind: StatusOf).
std::u16string ApplicationCellText(const ApplicationRecord& application, int column);
std::u16string ProcessCellText(const ProcessRecord& process, int column, const CellContext& context);
std::u16string ThreadCellText(const ThreadRecord& thread, int column, const CellContext& context);

// Ascending order by a column: names without regard to case (the idle
// process by the name it shows), numbers by value, times by their sum,
// shares by the share shown. -1, 0 or 1; 0 for an unknown column.
int CompareApplications(const ApplicationRecord& a, const ApplicationRecord& b, int column);
int CompareProcesses(const ProcessRecord& a, const ProcessRecord& b, int column, const CellContext& context);
int CompareThreads(const ThreadRecord& a, const ThreadRecord& b, int column);

}  // namespace vantrel::taskmanager
