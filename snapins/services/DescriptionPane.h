// The description pane of the Extended view (dialog 2010): the selected
// service's display name in bold, the links of the controls it allows
// stacked from the top, and its description under them; without a selection
// a hint and nothing else.
#pragma once

#include "framework/Handles.h"
#include "snapins/services/HyperlinkLabel.h"
#include "snapins/services/model/ServiceCommands.h"

#include <array>

namespace vantrel {

class CServiceDescriptionPane {
public:
    CServiceDescriptionPane() = default;
    CServiceDescriptionPane(const CServiceDescriptionPane&) = delete;
    CServiceDescriptionPane& operator=(const CServiceDescriptionPane&) = delete;

    // Makes the pane, hidden, as a child of `parent`. A click on a link sends
    // `commandTarget` the menu command of the same control (WM_COMMAND).
    bool Create(HWND parent, HWND commandTarget);
    HWND Handle() const { return dialog_; }

    // Shows a service (null: nothing selected) with the links its states allow.
    void ShowService(const services::ServiceRecord* service, const services::CommandStates& states);

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void AttachLinks();
    void MakeBoldFont();
    void Layout();
    void OnLinkClicked(int control);

    HWND dialog_ = nullptr;
    HWND commandTarget_ = nullptr;
    UniqueFont boldFont_;
    std::array<CHyperlinkLabel, 5> links_;  // Start, Stop, Pause, Resume, Restart
    std::array<bool, 5> linkShown_ = {};
    bool hasService_ = false;
    // The service shown, so that links keep their visited look while it stays.
    std::u16string shownName_;
};

}  // namespace vantrel
