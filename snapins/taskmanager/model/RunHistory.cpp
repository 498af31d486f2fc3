#include "snapins/taskmanager/model/RunHistory.h"

#include "framework/model/SettingsText.h"

namespace vantrel::taskmanager {

std::vector<std::u16string> RunHistoryCommands(ISettingsList& history)
{
    std::vector<std::u16string> commands;
    const int count = history.Count();
    for (int i = 0; i < count; ++i) {
        ISettingsNode* entry = history.At(i);
        std::u16string command = entry ? ReadSettingsText(*entry) : std::u16string();
        if (!command.empty())
            commands.push_back(std::move(command));
    }
    return commands;
}

void RememberCommand(ISettingsList& history, std::u16string_view command)
{
    if (command.empty())
        return;
    const std::wstring name = SettingsName(command);
    if (history.Find(name.c_str()))
        history.RemoveNamed(name.c_str());
    // A store that does not shrink must not keep this loop going.
    for (int count = history.Count(); count >= kRunHistoryLength; --count) {
        history.RemoveAt(0);
        if (history.Count() >= count)
            break;
    }
    if (ISettingsNode* entry = history.AddChild(name.c_str(), 0))
        StoreSettingsText(*entry, command);
}

}  // namespace vantrel::taskmanager
