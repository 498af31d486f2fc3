#include "framework/Splitter.h"

#include "framework/Handles.h"
#include "framework/Module.h"

#include <windowsx.h>

#include <utility>

namespace vantrel {
namespace {

constexpr wchar_t kSplitterClass[] = L"VantrelSplitter";

}  // namespace

void RegisterSplitterWindowClass() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &CSplitter::WindowProc;
    wc.hInstance = ModuleInstance();
    wc.hCursor = LoadCursorW(nullptr, IDC_SIZENS);  // only the bar shows the class's own area
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kSplitterClass;
    wc.cbWndExtra = sizeof(void*);
    RegisterClassExW(&wc);
}

void UnregisterSplitterWindowClass() { UnregisterClassW(kSplitterClass, ModuleInstance()); }

CSplitter::~CSplitter() {
    if (!window_) return;
    HWND window = std::exchange(window_, nullptr);
    SetWindowLongPtrW(window, 0, 0);
    if (IsWindow(window)) DestroyWindow(window);
}

bool CSplitter::Create(HWND parent, int controlId, HWND forwardTo, SplitDirection direction) {
    if (window_) return true;
    forwardTo_ = forwardTo;
    direction_ = direction;
    ActivationScope scope;
    // Without WS_CLIPCHILDREN, so that the tracking line can be drawn across the panes.
    CreateWindowExW(WS_EX_CONTROLPARENT, kSplitterClass, nullptr, WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), ModuleInstance(), this);
    return window_ != nullptr;
}

void CSplitter::SetPanes(HWND upper, HWND lower) {
    upper_ = upper;
    lower_ = lower;
    Layout();
}

int CSplitter::BarThickness() { return GetSystemMetrics(SM_CYFRAME); }

int CSplitter::MinPaneSize() { return 2 * GetSystemMetrics(SM_CYEDGE); }

SplitMetrics CSplitter::Metrics() const {
    RECT client = {};
    if (window_) GetClientRect(window_, &client);
    return {SideBySide() ? client.right : client.bottom, BarThickness(), MinPaneSize()};
}

int CSplitter::Position() const { return laidOut_ ? position_ : requested_; }

void CSplitter::SetPosition(int requested) {
    requested_ = requested;
    Layout();
}

void CSplitter::Layout() {
    if (!window_) return;
    RECT client = {};
    GetClientRect(window_, &client);
    if (client.bottom <= 0 && client.right <= 0) return;  // not sized yet: keep the request
    const SplitMetrics metrics = Metrics();
    position_ = ClampSplit(requested_, metrics);
    laidOut_ = true;
    const int lowerTop = position_ + metrics.bar;
    // Side by side, the same sums run along x: the rectangles are mirrored.
    const auto place = [this](int along, int across, int length, int breadth) {
        return SideBySide() ? RECT{along, across, along + length, across + breadth}
                            : RECT{across, along, across + breadth, along + length};
    };
    const int breadth = SideBySide() ? client.bottom : client.right;
    const RECT upper = place(0, 0, position_, breadth);
    const RECT lower = place(lowerTop, 0, std::max<int>(metrics.extent - lowerTop, 0), breadth);
    HDWP moves = BeginDeferWindowPos(2);
    if (moves && upper_)
        moves = DeferWindowPos(moves, upper_, nullptr, upper.left, upper.top, upper.right - upper.left,
                               upper.bottom - upper.top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (moves && lower_)
        moves = DeferWindowPos(moves, lower_, nullptr, lower.left, lower.top, lower.right - lower.left,
                               lower.bottom - lower.top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (moves) EndDeferWindowPos(moves);
    RECT bar = place(position_, 0, metrics.bar, breadth);
    InvalidateRect(window_, &bar, TRUE);
}

// ---- dragging ---------------------------------------------------------------------

int CSplitter::PointerOf(LPARAM position) const { return SideBySide() ? GET_X_LPARAM(position) : GET_Y_LPARAM(position); }

void CSplitter::BeginDrag(int pointerY) {
    if (!laidOut_) return;
    BOOL full = FALSE;
    SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &full, 0);
    fullDrag_ = full != FALSE;
    dragging_ = true;
    dragStart_ = position_;
    grabOffset_ = pointerY - position_;
    SetCapture(window_);
    if (!fullDrag_) MoveTrackingBar(position_);
}

void CSplitter::Drag(int pointerY) {
    const int position = DraggedSplit(pointerY, grabOffset_, Metrics());
    if (!fullDrag_) {
        MoveTrackingBar(position);
        return;
    }
    // A position the user chose is no longer "centred".
    requested_ = position;
    if (position != position_) {
        Layout();
        UpdateWindow(window_);
    }
}

void CSplitter::EndDrag(bool apply) {
    if (!dragging_) return;
    dragging_ = false;
    const int tracked = tracked_;
    MoveTrackingBar(-1);
    if (GetCapture() == window_) ReleaseCapture();
    if (!apply)
        requested_ = dragStart_;
    else if (!fullDrag_ && tracked >= 0)
        requested_ = tracked;
    Layout();
}

void CSplitter::MoveTrackingBar(int position) {
    if (position == tracked_) return;
    // Drawn twice, a line is gone: erase the old one, draw the new one.
    if (tracked_ >= 0) InvertBand(tracked_);
    if (position >= 0) InvertBand(position);
    tracked_ = position;
}

void CSplitter::InvertBand(int top) {
    RECT client = {};
    GetClientRect(window_, &client);
    HDC dc = GetDCEx(window_, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
    if (!dc) return;
    static const WORD kDots[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    UniqueBitmap pattern(CreateBitmap(8, 8, 1, 1, kDots));
    UniqueBrush brush(pattern ? CreatePatternBrush(pattern.get()) : nullptr);
    HGDIOBJ old = brush ? SelectObject(dc, brush.get()) : nullptr;
    if (SideBySide())
        PatBlt(dc, top, 0, BarThickness(), client.bottom, PATINVERT);
    else
        PatBlt(dc, 0, top, client.right, BarThickness(), PATINVERT);
    if (old) SelectObject(dc, old);
    ReleaseDC(window_, dc);
}

// ---- window ------------------------------------------------------------------------

LRESULT CALLBACK CSplitter::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto self = static_cast<CSplitter*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(self));
        if (self) self->window_ = window;
    }
    auto self = reinterpret_cast<CSplitter*>(GetWindowLongPtrW(window, 0));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, 0, 0);
        self->window_ = nullptr;
        self->upper_ = self->lower_ = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT CSplitter::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        Layout();
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT && reinterpret_cast<HWND>(wParam) == window_) {
            SetCursor(LoadCursorW(nullptr, SideBySide() ? IDC_SIZEWE : IDC_SIZENS));
            return TRUE;
        }
        break;
    case WM_LBUTTONDOWN:
        BeginDrag(PointerOf(lParam));
        return 0;
    case WM_MOUSEMOVE:
        if (dragging_) Drag(PointerOf(lParam));
        return 0;
    case WM_LBUTTONUP:
        EndDrag(true);
        return 0;
    case WM_CAPTURECHANGED:
        // Another window took the mouse: the drag ends where the bar was.
        if (dragging_ && reinterpret_cast<HWND>(lParam) != window_) EndDrag(false);
        return 0;
    case WM_NOTIFY:
    case WM_COMMAND:
    case WM_CONTEXTMENU:
        if (forwardTo_ && IsWindow(forwardTo_)) return ::SendMessageW(forwardTo_, message, wParam, lParam);
        break;
    default:
        break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace vantrel
