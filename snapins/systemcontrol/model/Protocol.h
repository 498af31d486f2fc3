// System Control on the wire: command codes, node names and the values inside
// them, spelled as they travel. Shared by the snap-in, the simulated machine
// and the tests.
#pragma once

#include <cstdint>

namespace vantrel::systemcontrol::protocol {

constexpr int32_t kSnapInId = 15009;

constexpr uint32_t kCapabilitiesCommand = 901;  // which actions the machine offers
constexpr uint32_t kStateCommand = 902;         // who is logged on, and the session's state
constexpr uint32_t kActionCommand = 903;        // lock, log off, restart, shut down ...

// System Control reads "RetValue" as a 16-bit number; 1 is success.
constexpr int16_t kSuccess = 1;

// 901 answer: one 16-bit field per action, 1 when the machine offers it.
constexpr char kLockNode[] = "Lock";
constexpr char kLogOffNode[] = "LogOff";
constexpr char kRestartNode[] = "Restart";
constexpr char kShutDownNode[] = "ShutDown";
constexpr char kBackLightOffNode[] = "BackLightOff";
constexpr char kBackLightOnNode[] = "BackLightOn";
constexpr char kSuspendNode[] = "Suspend";
constexpr int16_t kOffered = 1;

// 902 answer: "UserName" is Base64 UTF-16 text, "State" plain 8-bit text.
constexpr char kUserNameNode[] = "UserName";
constexpr char kStateNode[] = "State";
constexpr char kStateLoggedOn[] = "1";
constexpr char kStateLocked[] = "2";
constexpr char kStateLoggedOff[] = "3";

// 903 request: "Action", "Option" and "Timeout" are longs, "Message" is
// Base64 UTF-16 text.
constexpr char kActionNode[] = "Action";
constexpr char kOptionNode[] = "Option";
constexpr char kTimeoutNode[] = "Timeout";
constexpr char kMessageNode[] = "Message";

// Action codes of 903.
constexpr int32_t kActionNone = 0;
constexpr int32_t kActionLock = 1;
constexpr int32_t kActionLogOff = 2;
constexpr int32_t kActionRestart = 3;  // a soft reset on the device platform
constexpr int32_t kActionShutDown = 4;
constexpr int32_t kActionSuspend = 5;
constexpr int32_t kActionBackLightOff = 6;
constexpr int32_t kActionBackLightOn = 7;

// Option bits of 903.
constexpr uint32_t kOptionPrompt = 1;
constexpr uint32_t kOptionAllowCancel = 2;
constexpr uint32_t kOptionClosePrograms = 4;

// What GetRemotePlatform answers for a handheld device.
constexpr int16_t kDevicePlatform = 2;

}  // namespace vantrel::systemcontrol::protocol
