// The console's left pane: the managed machine and its tools as a tree, each
// tool by the name the module gives it, greyed while it cannot be used, and a
// "Working..." row with a moving bar while requests are in progress.
#pragma once

#include "framework/Handles.h"
#include "host/SnapInHost.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace vantrel::console {

enum class ToolState {
    Checking,     // the machine has not answered the "Supported" query yet
    Available,
    Unavailable,  // the machine does not offer it
};

class ToolPane {
public:
    // The machine's own item; selecting it shows the start page.
    static constexpr int32_t kMachineItem = 15000;

    // Called after the user (or Select) chose an item; byKeyboard when the
    // arrow keys moved the selection, so that the focus can stay in the tree.
    using SelectHandler = std::function<void(int32_t id, bool byKeyboard)>;

    ToolPane() = default;
    ~ToolPane();
    ToolPane(const ToolPane&) = delete;
    ToolPane& operator=(const ToolPane&) = delete;

    // `module` provides the tool pictures (optional resource "IDB_SNAPIN_IMAGES").
    bool Create(HWND parent, HMODULE module, SelectHandler onSelect);
    HWND Window() const { return pane_; }
    HWND Tree() const { return tree_; }

    void SetMachineText(const std::wstring& text);
    void AddTool(int32_t id, const std::wstring& name);
    void RemoveTools();
    void SetState(int32_t id, ToolState state);
    // Unknown ids read as Unavailable.
    ToolState State(int32_t id) const;
    bool HasTool(int32_t id) const { return tools_.count(id) != 0; }

    // Selects an item as a click would; false (and no change) for a tool that
    // cannot be used now.
    bool Select(int32_t id);
    int32_t Selected() const;
    // The text the tree shows for an item (read back from the control).
    std::wstring ItemText(int32_t id) const;

    void SetBusy(bool busy);
    bool BusyShown() const { return busy_; }
    // Width that shows the longest name without clipping.
    int PreferredWidth() const;

private:
    struct Tool {
        HTREEITEM item = nullptr;
        ToolState state = ToolState::Checking;
    };

    static LRESULT CALLBACK PaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnNotify(NMHDR* header);
    LRESULT OnCustomDraw(NMTVCUSTOMDRAW* draw);
    void OnInfoTip(NMTVGETINFOTIPW* tip);
    void Layout();
    void LoadPictures(HMODULE module);
    void UpdatePicture(int32_t id);
    int32_t IdOf(HTREEITEM item) const;
    bool Usable(int32_t id) const;

    HWND pane_ = nullptr;
    HWND tree_ = nullptr;
    HWND busyLabel_ = nullptr;
    HWND busyBar_ = nullptr;
    UniqueFont font_;
    UniqueImageList pictures_;
    int pictureCount_ = 0;  // normal pictures; greyed copies follow them
    HTREEITEM machine_ = nullptr;
    std::map<int32_t, Tool> tools_;
    SelectHandler onSelect_;
    bool busy_ = false;
};

}  // namespace vantrel::console
