// Private messages of the Local Users and Groups window.
#pragma once

#include "host/SnapInHost.h"

namespace vantrel {

// wParam sets the time, in milliseconds, that the New User and New Group
// dialogs wait for their answer before the attempt counts as failed
// (30 seconds unless set; tests shorten it).
constexpr UINT kSetAnswerTimeoutMessage = WM_APP + 0x151;

}  // namespace vantrel
