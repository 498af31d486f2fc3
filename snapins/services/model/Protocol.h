// Services on the wire: command codes, node names, XML element and attribute
// names and the numbers inside them, spelled as they travel. Shared by the
// snap-in, the simulated machine and the tests.
#pragma once

#include <cstdint>

namespace vantrel::services::protocol {

constexpr int32_t kSnapInId = 15005;

constexpr uint32_t kSupportedCommand = 0;  // the "Supported" query every snap-in answers
constexpr uint32_t kAccountCommand = 3;    // pages of the account picker, judged by the picker
constexpr uint32_t kFileExistsCommand = 4; // does a file exist on the managed machine
constexpr uint32_t kListCommand = 601;     // one page of the service list
constexpr uint32_t kChangeCommand = 602;   // apply a service's changed properties
constexpr uint32_t kControlCommand = 603;  // start, stop, pause, continue or restart
constexpr uint32_t kInstallCommand = 604;  // install a new service
constexpr uint32_t kRemoveCommand = 605;   // remove a service
constexpr uint32_t kServiceCommand = 606;  // one service's element, after 602 or 603

// Services reads "RetValue" as a 16-bit number; 1 is success.
constexpr int16_t kSuccess = 1;

// Request and answer nodes. "ServiceName" and "FileName" carry Base64
// UTF-16 text; "Services" and "Service" an XML text; "Action" and "Params"
// plain 8-bit text.
constexpr char kListNode[] = "Services";        // 601 both ways
constexpr char kServiceNode[] = "Service";      // 602, 604 requests; 602, 606 answers
constexpr char kServiceNameNode[] = "ServiceName";  // 603, 605, 606 requests; 603 answer
constexpr char kActionNode[] = "Action";        // 603: decimal action code
constexpr char kParamsNode[] = "Params";        // 603: start parameters, may be empty
constexpr char kFileNameNode[] = "FileName";    // 4 both ways
constexpr char kFileExistNode[] = "FileExist";  // 4 answer: 1 when the file exists

// Elements of the XML texts. The root of a list request is "Services" with
// "StartAt"; the root of a list answer carries "StartAt", "UpTo" and "Total"
// (framework/model/Paging.h) and holds one element per service, whose name
// is not examined. The "Service" text of 602, 604 and 606 is one service
// element as its root.
constexpr char kListElement[] = "Services";
constexpr char kServiceElement[] = "Service";

// Attributes of a service element. The first five travel as Base64 UTF-16;
// the others as plain decimal text.
constexpr char kAttrName[] = "Name";
constexpr char kAttrDisplayName[] = "DisplayName";
constexpr char kAttrDescription[] = "Description";
constexpr char kAttrServicePath[] = "ServicePath";
constexpr char kAttrStartName[] = "StartName";
constexpr char kAttrState[] = "State";
constexpr char kAttrStartupType[] = "StartupType";
constexpr char kAttrAcceptedControls[] = "AcceptedControls";
constexpr char kAttrServiceType[] = "ServiceType";
constexpr char kAttrSysAccount[] = "SysAccount";
constexpr char kAttrAllowInteract[] = "AllowInteract";
// Written by the property pages and the install wizard only.
constexpr char kAttrPassword[] = "PSW";
constexpr char kAttrStartAfterInstall[] = "StartAfterInstall";
constexpr char kAttrPrefix[] = "Prefix";
// Each child element of a service names, in its "Name" attribute and as
// plain text, one service that depends on it.
constexpr char kAttrDependentName[] = "Name";

// "State"
constexpr int32_t kStateStopped = 1;
constexpr int32_t kStateStartPending = 2;
constexpr int32_t kStateStopPending = 3;
constexpr int32_t kStateRunning = 4;
constexpr int32_t kStateContinuePending = 5;
constexpr int32_t kStatePausePending = 6;
constexpr int32_t kStatePaused = 7;

// "StartupType"
constexpr int32_t kStartupBoot = 0;
constexpr int32_t kStartupSystem = 1;
constexpr int32_t kStartupAutomatic = 2;
constexpr int32_t kStartupManual = 3;
constexpr int32_t kStartupDisabled = 4;

// "AcceptedControls" bits
constexpr uint32_t kAcceptsStop = 1;
constexpr uint32_t kAcceptsPauseContinue = 2;

// "Action" of 603
constexpr int32_t kActionStop = 1;
constexpr int32_t kActionPause = 2;
constexpr int32_t kActionStart = 3;  // start a stopped service, continue a paused one
constexpr int32_t kActionRestart = 1001;

// The console's own host on the managed machine, compared without regard to
// case: it may be started, but never stopped, paused, resumed or restarted
// from here.
constexpr char16_t kHostServiceName[] = u"Kelvo Host for NT Service";

}  // namespace vantrel::services::protocol
