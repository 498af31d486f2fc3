// Dialog 2012: before a stop or restart, the running services that will stop
// with it, and the question whether to stop them.
#pragma once

#include "host/SnapInHost.h"

#include <string>
#include <vector>

namespace vantrel {

// True when the user answered "&Yes"; "&No" and closing the dialog say no.
bool AskToStopDependents(HWND owner, const std::wstring& serviceName, const std::vector<std::wstring>& dependents);

}  // namespace vantrel
