// A modeless dialog of the resources that a snap-in keeps open beside its
// window: made and shown once, brought forward when asked for again, given
// the keyboard while the focus is inside it, and told when its window has
// gone. The owner decides when the object itself goes.
#pragma once

#include "host/SnapInHost.h"

#include <vector>

namespace vantrel {

class CModelessDialog {
public:
    CModelessDialog() = default;
    CModelessDialog(const CModelessDialog&) = delete;
    CModelessDialog& operator=(const CModelessDialog&) = delete;

    HWND Window() const { return window_; }
    // Makes the dialog over `owner` and shows it; false when it could not be made.
    bool CreateAndShow(UINT dialogId, HWND owner);
    void BringForward();
    // Dialog navigation for a keyboard message while the focus is inside.
    bool OfferMessage(MSG* message);
    void Destroy();

protected:
    // Not deleted through this class. Destroys the window without calling
    // back: the derived object has gone by then.
    ~CModelessDialog();

    // A child dialog of the resources (DS_CONTROL) inside this one, for pages;
    // its messages reach OnPageMessage until this object goes.
    HWND CreatePage(UINT dialogId);

    // WM_INITDIALOG and every message after it until WM_NCDESTROY; nothing
    // thrown leaves the procedure.
    virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    virtual INT_PTR OnPageMessage(HWND /*page*/, UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/) {
        return FALSE;
    }
    // The window has gone (Window() is null); the object may be deleted here
    // and must not be touched afterwards.
    virtual void OnWindowGone() = 0;

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    std::vector<HWND> pages_;
};

}  // namespace vantrel
