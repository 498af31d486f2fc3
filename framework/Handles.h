// Owners for the handles the module creates. Each destroys its handle exactly
// once, when it goes out of scope or is reset.
#pragma once

#include "host/SnapInHost.h"

#include <utility>

namespace vantrel {

template <typename Handle, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::invalid(); }
    Handle release() { return std::exchange(handle_, Traits::invalid()); }
    void reset(Handle handle = Traits::invalid()) {
        Handle old = std::exchange(handle_, handle);
        if (old != Traits::invalid()) Traits::close(old);
    }

private:
    Handle handle_ = Traits::invalid();
};

struct MenuTraits {
    static HMENU invalid() { return nullptr; }
    static void close(HMENU h) { DestroyMenu(h); }
};
struct ImageListTraits {
    static HIMAGELIST invalid() { return nullptr; }
    static void close(HIMAGELIST h) { ImageList_Destroy(h); }
};
struct GdiTraits {
    static HGDIOBJ invalid() { return nullptr; }
    static void close(HGDIOBJ h) { DeleteObject(h); }
};
struct FontTraits {
    static HFONT invalid() { return nullptr; }
    static void close(HFONT h) { DeleteObject(h); }
};
struct BrushTraits {
    static HBRUSH invalid() { return nullptr; }
    static void close(HBRUSH h) { DeleteObject(h); }
};
struct BitmapTraits {
    static HBITMAP invalid() { return nullptr; }
    static void close(HBITMAP h) { DeleteObject(h); }
};
struct FindTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { FindClose(h); }
};
struct FileTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { CloseHandle(h); }
};
struct EventTraits {
    static HANDLE invalid() { return nullptr; }
    static void close(HANDLE h) { CloseHandle(h); }
};
struct WindowTraits {
    static HWND invalid() { return nullptr; }
    static void close(HWND h) { DestroyWindow(h); }
};
struct AccelTraits {
    static HACCEL invalid() { return nullptr; }
    static void close(HACCEL h) { DestroyAcceleratorTable(h); }
};
struct CursorTraits {
    static HCURSOR invalid() { return nullptr; }
    static void close(HCURSOR h) { DestroyCursor(h); }
};
struct IconTraits {
    static HICON invalid() { return nullptr; }
    static void close(HICON h) { DestroyIcon(h); }
};
struct RegKeyTraits {
    static HKEY invalid() { return nullptr; }
    static void close(HKEY h) { RegCloseKey(h); }
};
struct ActCtxTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { ReleaseActCtx(h); }
};

using UniqueMenu = UniqueHandle<HMENU, MenuTraits>;
using UniqueImageList = UniqueHandle<HIMAGELIST, ImageListTraits>;
using UniqueFont = UniqueHandle<HFONT, FontTraits>;
using UniqueBitmap = UniqueHandle<HBITMAP, BitmapTraits>;
using UniqueBrush = UniqueHandle<HBRUSH, BrushTraits>;
using UniqueFind = UniqueHandle<HANDLE, FindTraits>;
using UniqueFile = UniqueHandle<HANDLE, FileTraits>;
using UniqueWindow = UniqueHandle<HWND, WindowTraits>;
// Events and other kernel objects whose failure value is null.
using UniqueEvent = UniqueHandle<HANDLE, EventTraits>;
using UniqueActCtx = UniqueHandle<HANDLE, ActCtxTraits>;
// Cursors made with CreateCursor (never shared or resource-loaded ones).
using UniqueCursor = UniqueHandle<HCURSOR, CursorTraits>;
using UniqueRegKey = UniqueHandle<HKEY, RegKeyTraits>;
using UniqueIcon = UniqueHandle<HICON, IconTraits>;

// A window's device context (the screen's for a null window), released when
// it goes out of scope.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// An object selected into a device context until this goes out of scope.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(dc && object ? SelectObject(dc, object) : nullptr) {}
    ~SelectedObject() {
        if (old_) SelectObject(dc_, old_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// The whole state of a device context (clipping, colours, objects), restored
// when this goes out of scope.
class SavedDCState {
public:
    explicit SavedDCState(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
    ~SavedDCState() {
        if (saved_) RestoreDC(dc_, saved_);
    }
    SavedDCState(const SavedDCState&) = delete;
    SavedDCState& operator=(const SavedDCState&) = delete;

private:
    HDC dc_;
    int saved_;
};

}  // namespace vantrel
