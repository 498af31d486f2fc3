// The commands the New Task dialog remembers: the persisted "RunHistory" list,
// oldest first, at most ten, a repeated command moved to the end. Each entry
// is named by its command (so that it can be found and removed by name) and
// holds the command's text as well, for the names of entries cannot be read
// back through the host's interfaces.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/HostObjects.h"

namespace vantrel::taskmanager {

constexpr wchar_t kRunHistoryName[] = L"RunHistory";
constexpr int kRunHistoryLength = 10;

// The commands of the list, oldest first; entries without a readable text are
// left out.
std::vector<std::u16string> RunHistoryCommands(ISettingsList& history);

// Remembers a command the user ran: an entry of that name is removed first,
// then the oldest entries while the list holds ten or more, then the command
// is appended. An empty command is not remembered.
void RememberCommand(ISettingsList& history, std::u16string_view command);

}  // namespace vantrel::taskmanager
