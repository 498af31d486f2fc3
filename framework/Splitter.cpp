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

bool CSplitter::Create(HWND parent, int controlId, HWND forwardTo) {
    return Create(parent, controlId, forwardTo, SplitterOptions{});
}

bool CSplitter::Create(HWND parent, int controlId, HWND forwardTo, const SplitterOptions& options) {
    if (window_) return true;
    forwardTo_ = forwardTo;
    options_ = options;
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

int CSplitter::Bar() const {
    if (!SideBySide()) return BarThickness();
    const bool clientEdge = window_ && (GetWindowLongPtrW(window_, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    return GetSystemMetrics(SM_CXFRAME) + (clientEdge ? 2 * GetSystemMetrics(SM_CXEDGE) : 0);
}

SplitMetrics CSplitter::Metrics() const {
    RECT client = {};
    if (window_) GetClientRect(window_, &client);
    return {SideBySide() ? client.right : client.bottom, Bar(), options_.minPane > 0 ? options_.minPane : MinPaneSize()};
}

int CSplitter::Along(LPARAM point) const { return SideBySide() ? GET_X_LPARAM(point) : GET_Y_LPARAM(point); }

void CSplitter::Choose(int position) {
    requested_ = position;
    // Laid out at this very pixel; the proportion follows from it.
    if (options_.keepsProportion) choicePending_ = true;
}

int CSplitter::Position() const { return laidOut_ ? position_ : requested_; }

void CSplitter::SetPosition(int requested) {
    requested_ = requested;
    if (options_.keepsProportion) {
        // Pixels become a proportion of a known extent only: until then the
        // request waits and the bar stays in the middle.
        units_ = kMiddleSplitUnits;
        choicePending_ = requested != kCentredSplit;
    }
    Layout();
}

void CSplitter::Layout() {
    if (!window_) return;
    RECT client = {};
    GetClientRect(window_, &client);
    if (client.bottom <= 0 && client.right <= 0) return;  // not sized yet: keep the request
    const SplitMetrics metrics = Metrics();
    if (!options_.keepsProportion) {
        position_ = ClampSplit(requested_, metrics);
    } else if (choicePending_ && metrics.extent > 0) {
        choicePending_ = false;
        position_ = ClampSplit(requested_, metrics);
        units_ = SplitUnitsOf(position_, metrics.extent);
    } else {
        position_ = SplitAtUnits(units_, metrics);
    }
    laidOut_ = true;
    const int secondStart = position_ + metrics.bar;
    const int across = SideBySide() ? client.bottom : client.right;
    const int secondSize = std::max<int>(metrics.extent - secondStart, 0);
    HDWP moves = BeginDeferWindowPos(2);
    constexpr UINT kFlags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (moves && upper_)
        moves = SideBySide() ? DeferWindowPos(moves, upper_, nullptr, 0, 0, position_, across, kFlags)
                             : DeferWindowPos(moves, upper_, nullptr, 0, 0, across, position_, kFlags);
    if (moves && lower_)
        moves = SideBySide() ? DeferWindowPos(moves, lower_, nullptr, secondStart, 0, secondSize, across, kFlags)
                             : DeferWindowPos(moves, lower_, nullptr, 0, secondStart, across, secondSize, kFlags);
    if (moves) EndDeferWindowPos(moves);
    RECT bar = SideBySide() ? RECT{position_, 0, secondStart, across} : RECT{0, position_, across, secondStart};
    InvalidateRect(window_, &bar, TRUE);
}

// ---- dragging ---------------------------------------------------------------------

void CSplitter::BeginDrag(int pointer) {
    if (!laidOut_) return;
    BOOL full = FALSE;
    SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &full, 0);
    fullDrag_ = full != FALSE;
    dragging_ = true;
    dragStart_ = position_;
    dragStartUnits_ = units_;
    grabOffset_ = pointer - position_;
    SetCapture(window_);
    if (!fullDrag_) MoveTrackingBar(position_);
}

void CSplitter::Drag(int pointer) {
    const SplitMetrics metrics = Metrics();
    const int position = DraggedSplit(pointer, grabOffset_, metrics);
    if (!fullDrag_) {
        MoveTrackingBar(position);
        return;
    }
    // A position the user chose is no longer "centred".
    Choose(position);
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
    if (!apply) {
        requested_ = dragStart_;
        units_ = dragStartUnits_;
        choicePending_ = false;
    } else if (!fullDrag_ && tracked >= 0) {
        Choose(tracked);
    }
    Layout();
}

void CSplitter::MoveTrackingBar(int position) {
    if (position == tracked_) return;
    // Drawn twice, a line is gone: erase the old one, draw the new one.
    if (tracked_ >= 0) InvertBand(tracked_);
    if (position >= 0) InvertBand(position);
    tracked_ = position;
}

void CSplitter::InvertBand(int start) {
    RECT client = {};
    GetClientRect(window_, &client);
    HDC dc = GetDCEx(window_, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
    if (!dc) return;
    static const WORD kDots[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    UniqueBitmap pattern(CreateBitmap(8, 8, 1, 1, kDots));
    UniqueBrush brush(pattern ? CreatePatternBrush(pattern.get()) : nullptr);
    HGDIOBJ old = brush ? SelectObject(dc, brush.get()) : nullptr;
    if (SideBySide())
        PatBlt(dc, start, 0, Bar(), client.bottom, PATINVERT);
    else
        PatBlt(dc, 0, start, client.right, Bar(), PATINVERT);
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
    case WM_LBUTTONDOWN:
        BeginDrag(Along(lParam));
        return 0;
    case WM_MOUSEMOVE:
        if (dragging_) Drag(Along(lParam));
        return 0;
    case WM_SETCURSOR:
        // The class's cursor is for a bar between panes one above the other.
        if (SideBySide() && reinterpret_cast<HWND>(wParam) == window_ && LOWORD(lParam) == HTCLIENT) {
            SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
            return TRUE;
        }
        break;
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
