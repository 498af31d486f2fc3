#include "framework/ModalDialog.h"

#include "framework/Module.h"

namespace vantrel {

INT_PTR CModalDialog::Run(UINT dialogId, HWND owner) {
    ActivationScope scope;
    return DialogBoxParamW(ResourceInstance(), MAKEINTRESOURCEW(dialogId), owner, &DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

std::wstring CModalDialog::ItemText(int id) const {
    HWND item = Item(id);
    std::wstring text(static_cast<size_t>(item ? GetWindowTextLengthW(item) : 0) + 1, L'\0');
    text.resize(static_cast<size_t>(GetDlgItemTextW(window_, id, text.data(), static_cast<int>(text.size()))));
    return text;
}

INT_PTR CALLBACK CModalDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        reinterpret_cast<CModalDialog*>(lParam)->window_ = dialog;
    }
    auto self = reinterpret_cast<CModalDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!self) return FALSE;
    if (message == WM_NCDESTROY) {
        self->window_ = nullptr;
        return FALSE;
    }
    try {
        return self->OnMessage(message, wParam, lParam);
    } catch (...) {
        return FALSE;
    }
}

}  // namespace vantrel
