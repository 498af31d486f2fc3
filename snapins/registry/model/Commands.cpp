#include "snapins/registry/model/Commands.h"

#include "framework/text/TextCompare.h"
#include "snapins/registry/model/Protocol.h"

#include <utility>

namespace vantrel::registry {

CommandStates EnabledCommands(const Selection& selection) {
    CommandStates states;
    if (selection.busy) return states;
    const bool subKey = selection.key && !selection.top;
    states.newItem = subKey;
    states.copyKeyName = subKey;
    states.addToFavorites = subKey;
    // With the list focused, Delete and Rename act on its value; else on the key.
    const bool item = selection.listFocused ? selection.value && !selection.defaultValue : subKey && !selection.rootKey;
    states.deleteItem = item;
    states.rename = item;
    states.modify = selection.listFocused && selection.value;
    // The device platform cannot take registration files.
    states.import = selection.platform != 2;
    states.exportKey = subKey;
    states.find = true;
    states.refresh = selection.key;
    return states;
}

RenameCheck CheckRename(bool isValue, bool renamable, std::u16string_view oldName, std::u16string_view newName,
                        bool sibling) {
    if (!renamable) return RenameCheck::NotRenamable;
    if (newName == oldName) return RenameCheck::Unchanged;
    if (newName.empty()) return isValue ? RenameCheck::EmptyValueName : RenameCheck::EmptyKeyName;
    if (!isValue && newName.find(protocol::kPathSeparator) != std::u16string_view::npos) return RenameCheck::Backslash;
    if (newName.find(u'\0') != std::u16string_view::npos)
        return isValue ? RenameCheck::EmptyValueName : RenameCheck::EmptyKeyName;
    // Another spelling of the same name is a change of case, not a clash.
    if (sibling && !EqualsNoCase(oldName, newName)) return isValue ? RenameCheck::ValueExists : RenameCheck::KeyExists;
    return RenameCheck::Send;
}

bool ChangeRequests::InFlight(uint32_t command) const {
    return Tracks(command) && targets_[command - kFirst].has_value();
}

bool ChangeRequests::Remember(uint32_t command, ChangeTarget target) {
    if (!Tracks(command) || InFlight(command)) return false;
    targets_[command - kFirst] = std::move(target);
    return true;
}

std::optional<ChangeTarget> ChangeRequests::Take(uint32_t command) {
    if (!Tracks(command)) return std::nullopt;
    return std::exchange(targets_[command - kFirst], std::nullopt);
}

void ChangeRequests::Forget(uint32_t command) { Take(command); }

}  // namespace vantrel::registry
