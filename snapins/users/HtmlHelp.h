// Context help of Local Users and Groups: the help file in the HTML Help
// viewer, whose entry point is looked up once at run time. Without the
// viewer, help does nothing.
#pragma once

#include "host/SnapInHost.h"

namespace vantrel {

// Opens the help file at a context-help id; the viewer belongs to the desktop.
void ShowContextHelp(DWORD contextId);

}  // namespace vantrel
