#include "framework/ModelessDialog.h"

#include "framework/Module.h"

namespace vantrel {

CModelessDialog::~CModelessDialog() {
    // The derived object is gone by now: no procedure may reach it.
    if (HWND window = window_) {
        for (HWND page : pages_)
            if (IsWindow(page)) SetWindowLongPtrW(page, DWLP_USER, 0);
        SetWindowLongPtrW(window, DWLP_USER, 0);
        window_ = nullptr;
        DestroyWindow(window);
    }
}

HWND CModelessDialog::CreatePage(UINT dialogId) {
    if (!window_) return nullptr;
    HWND page = CreateDialogParamW(ResourceInstance(), MAKEINTRESOURCEW(dialogId), window_, &PageProc,
                                   reinterpret_cast<LPARAM>(this));
    if (page) pages_.push_back(page);
    return page;
}

bool CModelessDialog::CreateAndShow(UINT dialogId, HWND owner) {
    ActivationScope scope;
    CreateDialogParamW(ResourceInstance(), MAKEINTRESOURCEW(dialogId), owner, &DialogProc,
                       reinterpret_cast<LPARAM>(this));
    if (!window_) return false;
    ShowWindow(window_, SW_SHOW);
    return true;
}

void CModelessDialog::BringForward() {
    if (!window_) return;
    ShowWindow(window_, SW_SHOWNORMAL);
    SetForegroundWindow(window_);
}

bool CModelessDialog::OfferMessage(MSG* message) {
    if (!window_ || !message) return false;
    HWND focus = GetFocus();
    if (!focus || (focus != window_ && !IsChild(window_, focus))) return false;
    return IsDialogMessageW(window_, message) != FALSE;
}

void CModelessDialog::Destroy() {
    if (window_) DestroyWindow(window_);
}

INT_PTR CALLBACK CModelessDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        reinterpret_cast<CModelessDialog*>(lParam)->window_ = dialog;
    }
    auto self = reinterpret_cast<CModelessDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!self || self->window_ != dialog) return FALSE;
    if (message == WM_NCDESTROY) {
        self->window_ = nullptr;
        self->pages_.clear();
        SetWindowLongPtrW(dialog, DWLP_USER, 0);
        self->OnWindowGone();  // may delete self
        return FALSE;
    }
    try {
        return self->OnMessage(message, wParam, lParam);
    } catch (...) {
        return FALSE;  // nothing may reach the host's loop
    }
}

}  // namespace vantrel

namespace vantrel {

INT_PTR CALLBACK CModelessDialog::PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(page, DWLP_USER, lParam);
    auto self = reinterpret_cast<CModelessDialog*>(GetWindowLongPtrW(page, DWLP_USER));
    if (!self || !self->window_) return FALSE;
    try {
        return self->OnPageMessage(page, message, wParam, lParam);
    } catch (...) {
        return FALSE;
    }
}

}  // namespace vantrel
