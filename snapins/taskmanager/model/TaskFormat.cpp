#include "snapins/taskmanager/model/TaskFormat.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "framework/text/TextCompare.h"
#include "snapins/taskmanager/model/Protocol.h"

namespace vantrel::taskmanager {

namespace {

constexpr uint64_t kUnitsPerMillisecond = 10000;

// The digits of a number, at least minDigits of them (zeros in front).
std::u16string Digits(uint64_t value, int minDigits = 1)
{
    char buffer[24];  // 20 digits at most
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::u16string text;
    for (int pad = minDigits - static_cast<int>(result.ptr - buffer); pad > 0; --pad)
        text.push_back(u'0');
    for (const char* p = buffer; p != result.ptr; ++p)
        text.push_back(static_cast<char16_t>(*p));
    return text;
}

uint64_t SaturatingSum(uint64_t a, uint64_t b)
{
    return a > std::numeric_limits<uint64_t>::max() - b ? std::numeric_limits<uint64_t>::max() : a + b;
}

int OrderTexts(std::u16string_view a, std::u16string_view b)
{
    const int order = CompareNoCase(a, b);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

std::u16string_view ShownName(const ProcessRecord& process, const CellContext& context)
{
    return process.name.empty() ? std::u16string_view(context.idleProcessName) : std::u16string_view(process.name);
}

// The whole percent CpuText shows.
uint64_t RoundedPercent(double percent)
{
    return static_cast<uint64_t>(std::floor(ClampPercent(percent) + 0.5));
}

}  // namespace

AppStatus StatusOf(int32_t appState)
{
    switch (appState) {
    case protocol::kAppRunning:
        return AppStatus::Running;
    case protocol::kAppNotResponding:
        return AppStatus::NotResponding;
    case protocol::kAppGhost:
        return AppStatus::Ghost;
    default:
        return AppStatus::Unknown;
    }
}

int StatusImage(int32_t appState)
{
    switch (StatusOf(appState)) {
    case AppStatus::Running:
        return 1;
    case AppStatus::NotResponding:
        return 2;
    case AppStatus::Ghost:
        return 3;
    default:
        return 0;
    }
}

std::u16string DecimalText(uint64_t value)
{
    return Digits(value);
}

std::u16string CpuText(double percent)
{
    return Digits(RoundedPercent(percent), 2);
}

std::u16string TimeText(uint64_t kernelTime, uint64_t userTime, std::u16string_view separator)
{
    uint64_t milliseconds = SaturatingSum(kernelTime, userTime) / kUnitsPerMillisecond;
    uint64_t seconds = milliseconds / 1000;
    milliseconds %= 1000;
    uint64_t minutes = seconds / 60;
    seconds %= 60;
    const uint64_t hours = minutes / 60;
    minutes %= 60;
    std::u16string text = Digits(hours, 2);
    text += separator;
    text += Digits(minutes, 2);
    text += separator;
    text += Digits(seconds, 2);
    text += u'.';
    text += Digits(milliseconds, 3);
    return text;
}

uint32_t KernelShare(uint64_t kernelTime, uint64_t userTime)
{
    // 128 bits hold kernel * 100 and kernel + user for any 64-bit times.
    __extension__ using Wide = unsigned __int128;
    const Wide sum = Wide{kernelTime} + userTime;
    return sum == 0 ? 0 : static_cast<uint32_t>(Wide{kernelTime} * 100 / sum);
}

std::u16string ShareText(uint32_t percent)
{
    return Digits(percent, 2);
}

std::u16string MemoryText(uint64_t bytes, std::u16string_view thousandsSeparator)
{
    const std::u16string digits = Digits(bytes / 1024);
    std::u16string text;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += thousandsSeparator;
        text.push_back(digits[i]);
    }
    text += u" K";
    return text;
}

uint32_t StatusCpuUsage(double percent)
{
    return static_cast<uint32_t>(ClampPercent(percent));
}

std::u16string ApplicationCellText(const ApplicationRecord& application, int column)
{
    return column == kAppTask ? application.name : std::u16string();
}

std::u16string ProcessCellText(const ProcessRecord& process, int column, const CellContext& context)
{
    const uint32_t kernelShare = KernelShare(process.kernelTime, process.userTime);
    switch (column) {
    case kProcImageName:
        return std::u16string(ShownName(process, context));
    case kProcId:
        return DecimalText(process.processId);
    case kProcCpuUsage:
        return CpuText(process.cpuUsage);
    case kProcTime:
        return TimeText(process.kernelTime, process.userTime, context.timeSeparator);
    case kProcKernelTime:
        return ShareText(kernelShare);
    case kProcUserTime:
        return ShareText(100 - kernelShare);
    case kProcThreads:
        return DecimalText(process.threads.size());
    case kProcMemUsage:
        return MemoryText(process.workingSet, context.thousandsSeparator);
    default:
        return {};
    }
}

std::u16string ThreadCellText(const ThreadRecord& thread, int column, const CellContext& context)
{
    const uint32_t kernelShare = KernelShare(thread.kernelTime, thread.userTime);
    switch (column) {
    case kThreadId:
        return DecimalText(thread.threadId);
    case kThreadTime:
        return TimeText(thread.kernelTime, thread.userTime, context.timeSeparator);
    case kThreadKernelTime:
        return ShareText(kernelShare);
    case kThreadUserTime:
        return ShareText(100 - kernelShare);
    case kThreadPriority:
        return DecimalText(thread.priority);
    default:
        return {};
    }
}

int CompareApplications(const ApplicationRecord& a, const ApplicationRecord& b, int column)
{
    switch (column) {
    case kAppTask:
        return OrderTexts(a.name, b.name);
    case kAppStatus:
        return CompareValues(static_cast<uint64_t>(StatusOf(a.state)), static_cast<uint64_t>(StatusOf(b.state)));
    default:
        return 0;
    }
}

int CompareProcesses(const ProcessRecord& a, const ProcessRecord& b, int column, const CellContext& context)
{
    switch (column) {
    case kProcImageName:
        return OrderTexts(ShownName(a, context), ShownName(b, context));
    case kProcId:
        return CompareValues(uint64_t{a.processId}, uint64_t{b.processId});
    case kProcCpuUsage:
        return CompareValues(a.cpuUsage, b.cpuUsage);
    case kProcTime:
        return CompareValues(SaturatingSum(a.kernelTime, a.userTime), SaturatingSum(b.kernelTime, b.userTime));
    case kProcKernelTime:
        return CompareValues(uint64_t{KernelShare(a.kernelTime, a.userTime)}, uint64_t{KernelShare(b.kernelTime, b.userTime)});
    case kProcUserTime:
        return CompareValues(uint64_t{KernelShare(b.kernelTime, b.userTime)}, uint64_t{KernelShare(a.kernelTime, a.userTime)});
    case kProcThreads:
        return CompareValues(uint64_t{a.threads.size()}, uint64_t{b.threads.size()});
    case kProcMemUsage:
        return CompareValues(a.workingSet, b.workingSet);
    default:
        return 0;
    }
}

int CompareThreads(const ThreadRecord& a, const ThreadRecord& b, int column)
{
    switch (column) {
    case kThreadId:
        return CompareValues(uint64_t{a.threadId}, uint64_t{b.threadId});
    case kThreadTime:
        return CompareValues(SaturatingSum(a.kernelTime, a.userTime), SaturatingSum(b.kernelTime, b.userTime));
    case kThreadKernelTime:
        return CompareValues(uint64_t{KernelShare(a.kernelTime, a.userTime)}, uint64_t{KernelShare(b.kernelTime, b.userTime)});
    case kThreadUserTime:
        return CompareValues(uint64_t{KernelShare(b.kernelTime, b.userTime)}, uint64_t{KernelShare(a.kernelTime, a.userTime)});
    case kThreadPriority:
        return CompareValues(uint64_t{a.priority}, uint64_t{b.priority});
    default:
        return 0;
    }
}

}  // namespace vantrel::taskmanager
