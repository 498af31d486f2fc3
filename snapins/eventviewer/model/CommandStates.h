// Which commands of the Event Viewer are offered: in the menu bar, in the
// context menu and on the toolbar, from the state of the tool and of the log
// that is shown.
#pragma once

namespace vantrel::eventviewer {

struct ViewState {
    bool fileTab = false;       // the "File" tab (a saved log) is shown
    bool shownHasRows = false;  // the shown list has rows
    bool rowSelected = false;
    bool busy = false;          // a request of the tool is on its way
    bool loading = false;       // the shown log is being retrieved
    bool stopping = false;      // the user stopped that retrieval
};

struct CommandStates {
    bool open = true;
    bool save = false;
    bool clear = false;
    bool refresh = false;
    bool logProperties = false;
    bool eventProperties = true;
    bool stop = false;
};

// The snap-in's menu (also its context menu with `contextMenu`). Clear is not
// offered on the File tab; Save, Refresh and Log Properties on the File tab
// only when its list has rows; Event Properties in the context menu only with
// a selected row. Busy state is the base's business in the menu bar.
CommandStates MenuStates(const ViewState& state, bool contextMenu);

// The toolbar: everything is off while busy except Stop, which is on exactly
// while the shown log is being retrieved and has not been stopped.
CommandStates ToolbarStates(const ViewState& state);

}  // namespace vantrel::eventviewer
