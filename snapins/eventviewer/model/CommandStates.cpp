#include "snapins/eventviewer/model/CommandStates.h"

namespace vantrel::eventviewer {

namespace {

// Save, Refresh and the log's properties need a log: a live one, or a saved
// one that has been opened.
bool HasLog(const ViewState& state)
{
    return !state.fileTab || state.shownHasRows;
}

}  // namespace

CommandStates MenuStates(const ViewState& state, bool contextMenu)
{
    CommandStates states;
    states.open = true;
    states.clear = !state.fileTab;
    states.save = states.refresh = states.logProperties = HasLog(state);
    states.eventProperties = !contextMenu || state.rowSelected;
    states.stop = state.loading && !state.stopping;
    return states;
}

CommandStates ToolbarStates(const ViewState& state)
{
    CommandStates states = MenuStates(state, false);
    if (state.busy)
        states.open = states.save = states.clear = states.refresh = states.logProperties = false;
    states.stop = state.busy && state.loading && !state.stopping;
    return states;
}

}  // namespace vantrel::eventviewer
