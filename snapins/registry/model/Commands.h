// The Registry's commands away from the window: which are enabled for a
// selection, whether a new name may be sent, and what each request of 502 to
// 506 was about (their answers do not say which key they belong to).
#pragma once

#include "snapins/registry/model/RegistryTree.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace vantrel::registry {

// ---- enabling -------------------------------------------------------------------------

struct Selection {
    bool key = false;      // a tree item is selected
    bool top = false;      // ... and it is the computer
    bool rootKey = false;  // ... and it is a root key
    bool listFocused = false;
    bool value = false;         // a row of the list is selected
    bool defaultValue = false;  // ... and it is the key's default value
    bool busy = false;
    int16_t platform = 1;
};

struct CommandStates {
    bool newItem = false;  // the "New" submenu and button, its six commands
    bool deleteItem = false;
    bool rename = false;
    bool modify = false;
    bool copyKeyName = false;
    bool addToFavorites = false;
    bool import = false;
    bool exportKey = false;
    bool find = false;
    bool refresh = false;
};

CommandStates EnabledCommands(const Selection& selection);

// ---- renaming ---------------------------------------------------------------------------

enum class RenameCheck {
    Send,
    Unchanged,  // nothing to send
    EmptyValueName,
    EmptyKeyName,
    Backslash,
    KeyExists,
    ValueExists,
    NotRenamable,  // the computer, a root key or the default value
};

// `sibling` says whether another key (or value) of the same parent has the name.
RenameCheck CheckRename(bool isValue, bool renamable, std::u16string_view oldName, std::u16string_view newName,
                        bool sibling);

// ---- requests whose answers do not name their key ---------------------------------------

// What a request of 502 to 506 changes: the key that holds the item (for a
// key: its parent), the item's name, and what the request brings.
struct ChangeTarget {
    KeyAddress holder;
    bool isValue = false;
    std::u16string name;        // the key or value (502, 503, 506); the template (504, 505)
    std::u16string newName;     // 502
    uint32_t type = 0;          // 505, 506
    std::vector<uint8_t> data;  // 506: the new data
};

// One outstanding request per code: a second is refused until the first is answered.
class ChangeRequests {
public:
    static constexpr uint32_t kFirst = 502;
    static constexpr uint32_t kLast = 506;
    static bool Tracks(uint32_t command) { return command >= kFirst && command <= kLast; }

    bool InFlight(uint32_t command) const;
    // False (and nothing remembered) when one is already on its way.
    bool Remember(uint32_t command, ChangeTarget target);
    // The target of the answer that came; none when nothing was asked.
    std::optional<ChangeTarget> Take(uint32_t command);
    // Forgets a request that could not be sent.
    void Forget(uint32_t command);

private:
    std::array<std::optional<ChangeTarget>, kLast - kFirst + 1> targets_;
};

}  // namespace vantrel::registry
