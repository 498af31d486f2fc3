// The window procedure of a window class whose every window belongs to an
// object: the object comes as CreateWindowEx's parameter, is kept in the
// window's extra bytes (the class needs cbWndExtra = sizeof(void*)), learns its
// window at WM_NCCREATE and forgets it at WM_NCDESTROY. Messages go to the
// object's procedure; an exception never leaves into the system.
#pragma once

#include <windows.h>

namespace vantrel {

template <typename T, HWND T::*Window, LRESULT (T::*Procedure)(UINT, WPARAM, LPARAM)>
LRESULT ObjectWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(self));
        if (self) self->*Window = window;
    }
    auto self = reinterpret_cast<T*>(GetWindowLongPtrW(window, 0));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, 0, 0);
        self->*Window = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    try {
        return (self->*Procedure)(message, wParam, lParam);
    } catch (...) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace vantrel
