// Dialog 3001 "Create New Task": a combo box for the command line, filled
// with the commands run before.
#pragma once

#include "host/SnapInHost.h"

#include <optional>
#include <string>
#include <vector>

namespace vantrel {

// The command line the user confirmed with OK (never empty), or nothing.
// `history` fills the combo box, oldest first.
std::optional<std::u16string> ShowNewTaskDialog(HWND owner, const std::vector<std::u16string>& history);

}  // namespace vantrel
