// Task Manager on the wire: command codes, node names and the attributes of
// the XML texts, spelled as they travel. Shared by the snap-in, the simulated
// machine and the tests.
#pragma once

#include <cstdint>

namespace vantrel::taskmanager::protocol {

constexpr int32_t kSnapInId = 15003;

constexpr uint32_t kApplicationsCommand = 401;  // one page of the top-level applications
constexpr uint32_t kProcessesCommand = 402;     // one page of the processes (some with their threads)
constexpr uint32_t kThreadsCommand = 403;       // one page of processes, each with its threads
constexpr uint32_t kNewTaskCommand = 404;       // start a program
constexpr uint32_t kEndTaskCommand = 405;       // end an application by its window
constexpr uint32_t kEndProcessCommand = 406;    // end a process by its id

// Task Manager reads "RetValue" as a 32-bit number; 0 is success, anything
// else a system error code.
constexpr int32_t kSuccess = 0;

// Request and answer nodes. The three list nodes carry an XML text both ways;
// "Command" Base64 UTF-16 text; "HWND" and "ProcessID" 32-bit numbers.
constexpr char kApplicationsNode[] = "Applications";
constexpr char kProcessesNode[] = "Processes";
constexpr char kThreadsNode[] = "Threads";
constexpr char kCommandNode[] = "Command";
constexpr char kWindowNode[] = "HWND";
constexpr char kProcessIdNode[] = "ProcessID";

// The root elements of the list requests; they carry "StartAt" as a 32-bit
// unsigned number, so the first page is asked from 4294967295.
constexpr char kApplicationsElement[] = "Applications";
constexpr char kProcessesElement[] = "Processes";
constexpr char kThreadsElement[] = "Threads";
// Elements of the answers as the managed machine names them; the snap-in
// reads every child of a root as an entry and every child of a process as
// one of its threads, whatever their names.
constexpr char kApplicationElement[] = "Application";
constexpr char kProcessElement[] = "Process";
constexpr char kThreadElement[] = "Thread";

// An application element.
constexpr char kAttrWindow[] = "HWND";
constexpr char kAttrName[] = "Name";  // Base64 UTF-16 (also of a process)
constexpr char kAttrAppState[] = "AppState";
constexpr char kAttrProcessId[] = "ProcessID";  // also of a process
constexpr char kAttrThreadId[] = "ThreadID";    // also of a thread

// The root of a process answer, and each process element.
constexpr char kAttrCpuUsage[] = "CPUUsage";  // percent, a decimal fraction
// A process or a thread: times in 100-nanosecond units and the working set in
// bytes, each as two unsigned 32-bit halves.
constexpr char kAttrKernelTimeHigh[] = "KeTimeHi";
constexpr char kAttrKernelTimeLow[] = "KeTimeLo";
constexpr char kAttrUserTimeHigh[] = "UsrTimeHi";
constexpr char kAttrUserTimeLow[] = "UsrTimeLo";
constexpr char kAttrWorkingSetHigh[] = "WksSetHi";
constexpr char kAttrWorkingSetLow[] = "WksSetLo";
// A thread.
constexpr char kAttrPriority[] = "Priority";

// "AppState"
constexpr int32_t kAppRunning = 0;
constexpr int32_t kAppNotResponding = 1;
constexpr int32_t kAppGhost = 2;

}  // namespace vantrel::taskmanager::protocol
