// A modal dialog of the resources whose messages go to an object: the object
// lives on the caller's stack for as long as Run takes.
#pragma once

#include <windows.h>

#include <string>

namespace vantrel {

class CModalDialog {
public:
    CModalDialog() = default;
    CModalDialog(const CModalDialog&) = delete;
    CModalDialog& operator=(const CModalDialog&) = delete;

    // The button that ended the dialog, or -1 when it could not be made.
    INT_PTR Run(UINT dialogId, HWND owner);

protected:
    ~CModalDialog() = default;

    HWND Window() const { return window_; }
    HWND Item(int id) const { return GetDlgItem(window_, id); }
    std::wstring ItemText(int id) const;
    void SetItemText(int id, const std::wstring& text) const { SetDlgItemTextW(window_, id, text.c_str()); }

    // WM_INITDIALOG and every message after it; nothing thrown leaves the
    // procedure.
    virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
};

}  // namespace vantrel
