#include "snapins/console/TerminalView.h"

#include "framework/Handles.h"
#include "framework/Module.h"
#include "framework/ObjectWindow.h"

#include <algorithm>
#include <utility>

namespace vantrel {
namespace {

using console::ScreenUpdate;

constexpr wchar_t kTerminalClass[] = L"VantrelTerminal";
constexpr DWORD kTerminalStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_HSCROLL | WS_VSCROLL;
constexpr int kWheelLines = 3;
// Where the grid does not reach, and behind the text of a stopped console.
constexpr COLORREF kGround = RGB(0, 0, 0);
constexpr COLORREF kMessageColour = RGB(0xC0, 0xC0, 0xC0);

console::LeadBytes ProcessLeadBytes() {
    CPINFO info = {};
    const UINT codePage = GetACP();
    const bool doubleByte = GetCPInfo(codePage, &info) && info.MaxCharSize == 2;
    return console::LeadBytesFor(codePage, doubleByte);
}

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
    SetBkColor(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

}  // namespace

void RegisterTerminalWindowClass() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &CTerminalView::WindowClassProc;
    wc.hInstance = ModuleInstance();
    wc.hCursor = LoadCursorW(nullptr, IDC_IBEAM);
    wc.lpszClassName = kTerminalClass;
    wc.cbWndExtra = sizeof(void*);
    RegisterClassExW(&wc);
}

void UnregisterTerminalWindowClass() { UnregisterClassW(kTerminalClass, ModuleInstance()); }

CTerminalView::CTerminalView(ITerminalOwner& owner, const console::ConsoleScreen& screen)
    : owner_(owner), screen_(screen) {}

CTerminalView::~CTerminalView() {
    if (!window_) return;
    HWND window = std::exchange(window_, nullptr);
    SetWindowLongPtrW(window, 0, 0);  // no more calls into a dying object
    if (IsWindow(window)) DestroyWindow(window);
}

bool CTerminalView::Create(HWND parent, int controlId) {
    if (window_) return true;
    font_ = static_cast<HFONT>(GetStockObject(OEM_FIXED_FONT));
    leadBytes_ = ProcessLeadBytes();
    ActivationScope scope;
    CreateWindowExW(0, kTerminalClass, nullptr, kTerminalStyle, 0, 0, 0, 0, parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), ModuleInstance(), this);
    if (!window_) return false;
    MeasureCells();
    UpdateScrollBars();
    return true;
}

void CTerminalView::MeasureCells() {
    WindowDC dc(window_);
    SelectedObject font(dc.get(), font_);
    TEXTMETRICW metrics = {};
    if (dc.get() && GetTextMetricsW(dc.get(), &metrics) && metrics.tmAveCharWidth > 0 && metrics.tmHeight > 0) {
        cellWidth_ = metrics.tmAveCharWidth;
        cellHeight_ = metrics.tmHeight;
    }
}

// ---- state -----------------------------------------------------------------------

void CTerminalView::Enable() {
    enabled_ = true;
    text_.clear();
    if (!window_) return;
    SetWindowTextW(window_, L"");
    InvalidateRect(window_, nullptr, FALSE);
    UpdateCaret();
}

void CTerminalView::Disable(std::wstring text) {
    enabled_ = false;
    text_ = std::move(text);
    if (!window_) return;
    SetWindowTextW(window_, text_.c_str());  // what is shown, for whoever reads the window
    InvalidateRect(window_, nullptr, FALSE);
    UpdateCaret();
}

void CTerminalView::OnScreenChanged(const ScreenUpdate& update) {
    if (!window_) return;
    if (update.resized) UpdateScrollBars();
    if (update.cursorChanged || update.resized) KeepCursorInView();
    if (update.cellsChanged && enabled_) {
        const RECT inner = InnerRect();
        InvalidateRect(window_, &inner, FALSE);
    }
    UpdateCaret();
}

// ---- window ------------------------------------------------------------------------

LRESULT CALLBACK CTerminalView::WindowClassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ObjectWindowProc<CTerminalView, &CTerminalView::window_, &CTerminalView::WindowProc>(window, message, wParam, lParam);
}

LRESULT CTerminalView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        if (HDC dc = BeginPaint(window_, &paint)) {
            Paint(dc, paint.rcPaint);
            EndPaint(window_, &paint);
        }
        return 0;
    }
    case WM_PRINTCLIENT: {
        RECT client;
        GetClientRect(window_, &client);
        Paint(reinterpret_cast<HDC>(wParam), client);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;  // every pixel is painted
    case WM_SIZE:
        UpdateScrollBars();
        UpdateCaret();
        return 0;
    case WM_HSCROLL:
        OnScroll(SB_HORZ, LOWORD(wParam));
        return 0;
    case WM_VSCROLL:
        OnScroll(SB_VERT, LOWORD(wParam));
        return 0;
    case WM_MOUSEWHEEL:
        ScrollTo(scrollColumn_, scrollRow_ - GET_WHEEL_DELTA_WPARAM(wParam) * kWheelLines / WHEEL_DELTA);
        return 0;
    case WM_SETFOCUS:
        focused_ = true;
        UpdateCaret();
        owner_.OnTerminalFocus(true);
        return 0;
    case WM_KILLFOCUS:
        focused_ = false;
        RemoveCaret();
        owner_.OnTerminalFocus(false);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        SetFocus(window_);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        if (OnKeyMessage(message, wParam, lParam)) return 0;
        break;
    case WM_CHAR:
    case WM_SYSCHAR:
    case WM_DEADCHAR:
    case WM_SYSDEADCHAR:
        if (owner_.KeysCaptured()) return 0;
        break;
    default:
        break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

// Keys reach the snap-in first through the host's accelerator call; a key that
// arrives here came another way (sent straight to the window), and goes the
// same way from here.
bool CTerminalView::OnKeyMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    MSG key = {};
    key.hwnd = window_;
    key.message = message;
    key.wParam = wParam;
    key.lParam = lParam;
    key.time = static_cast<DWORD>(GetMessageTime());
    return owner_.OnTerminalKey(key);
}

// ---- painting ---------------------------------------------------------------------

RECT CTerminalView::InnerRect() const {
    RECT client = {};
    GetClientRect(window_, &client);
    InflateRect(&client, -1, -1);  // inside the border
    if (client.right < client.left) client.right = client.left;
    if (client.bottom < client.top) client.bottom = client.top;
    return client;
}

void CTerminalView::Paint(HDC dc, const RECT& clip) {
    if (!dc) return;
    SavedDCState state(dc);
    RECT client = {};
    GetClientRect(window_, &client);
    PaintBorder(dc, client);
    const RECT inner = InnerRect();
    RECT area = {};
    if (!IntersectRect(&area, &inner, &clip)) return;
    IntersectClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
    if (enabled_ && screen_.Width() > 0)
        PaintCells(dc, inner, area);
    else
        PaintText(dc, inner);
}

// The sunken edge: shadow above and left, highlight below and right.
void CTerminalView::PaintBorder(HDC dc, const RECT& client) const {
    if (client.right <= client.left || client.bottom <= client.top) return;
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    FillSolid(dc, {client.left, client.top, client.right - 1, client.top + 1}, shadow);
    FillSolid(dc, {client.left, client.top, client.left + 1, client.bottom - 1}, shadow);
    FillSolid(dc, {client.left, client.bottom - 1, client.right, client.bottom}, highlight);
    FillSolid(dc, {client.right - 1, client.top, client.right, client.bottom}, highlight);
}

void CTerminalView::PaintText(HDC dc, const RECT& inner) const {
    FillSolid(dc, inner, kGround);
    if (text_.empty()) return;
    SelectedObject font(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetTextColor(dc, kMessageColour);
    SetBkMode(dc, TRANSPARENT);
    RECT line = inner;
    InflateRect(&line, -cellWidth_, -cellHeight_ / 2);
    DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &line, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
}

// Only the rows and columns inside `clip` are drawn.
void CTerminalView::PaintCells(HDC dc, const RECT& inner, const RECT& clip) {
    const int firstColumn = scrollColumn_ + static_cast<int>(clip.left - inner.left) / cellWidth_;
    const int lastColumn =
        std::min(screen_.Width() - 1, scrollColumn_ + static_cast<int>(clip.right - 1 - inner.left) / cellWidth_);
    const int firstRow = scrollRow_ + static_cast<int>(clip.top - inner.top) / cellHeight_;
    const int lastRow =
        std::min(screen_.Height() - 1, scrollRow_ + static_cast<int>(clip.bottom - 1 - inner.top) / cellHeight_);
    SelectedObject font(dc, font_);
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    if (advances_.size() < static_cast<size_t>(screen_.Width())) advances_.assign(screen_.Width(), cellWidth_);
    for (int row = firstRow; row <= lastRow; ++row) PaintRow(dc, inner, row, firstColumn, lastColumn);

    // What the grid does not reach.
    const int gridRight = inner.left + (screen_.Width() - scrollColumn_) * cellWidth_;
    const int gridBottom = inner.top + (screen_.Height() - scrollRow_) * cellHeight_;
    if (gridRight < clip.right)
        FillSolid(dc, {std::max<LONG>(gridRight, clip.left), clip.top, clip.right, clip.bottom}, kGround);
    if (gridBottom < clip.bottom)
        FillSolid(dc, {clip.left, std::max<LONG>(gridBottom, clip.top), clip.right, clip.bottom}, kGround);
}

// Rows whose colours change every few cells are drawn by colour instead: a
// call a run would cost more than the drawing.
constexpr size_t kRunsDrawnByColour = 24;

// A row in two passes: a fill for each run of one background, then a call
// for each run of one text colour that is not blank. Text costs far more to
// draw than a fill, most of a console is blank, and colours tend to change in
// one of the two rather than in both. Where a text run covers exactly the
// cells of a background run, one opaque call draws both.
void CTerminalView::PaintRow(HDC dc, const RECT& inner, int row, int firstColumn, int lastColumn) {
    const int top = inner.top + (row - scrollRow_) * cellHeight_;
    auto cellsOf = [&](const console::CellRun& run) {
        const int left = inner.left + (run.column - scrollColumn_) * cellWidth_;
        return RECT{left, top, left + run.count * cellWidth_, top + cellHeight_};
    };
    grounds_.Plan(screen_.Row(row), screen_.Width(), firstColumn, lastColumn, leadBytes_, console::kBackgroundBits);
    texts_.Plan(screen_.Row(row), screen_.Width(), firstColumn, lastColumn, leadBytes_, console::kTextBits);
    if (grounds_.runs.size() + texts_.runs.size() > kRunsDrawnByColour) return PaintRowByColour(dc, inner, top);
    PairTextsWithGrounds();

    for (size_t g = 0; g < grounds_.runs.size(); ++g) {
        const console::CellRun& run = grounds_.runs[g];
        if (!groundWithText_[g]) FillSolid(dc, cellsOf(run), console::BackgroundColourOf(run.attribute));
    }
    for (size_t i = 0; i < texts_.runs.size(); ++i) {
        const console::CellRun& run = texts_.runs[i];
        const int ground = groundOfText_[i];
        if (ground < 0 && console::IsBlankRun({texts_.TextOf(i), static_cast<size_t>(run.count)})) continue;
        SetTextColor(dc, console::TextColourOf(run.attribute));
        UINT options = 0;
        if (ground >= 0) {
            SetBkColor(dc, console::BackgroundColourOf(grounds_.runs[static_cast<size_t>(ground)].attribute));
            options = ETO_OPAQUE;
        }
        DrawRun(dc, cellsOf(run), texts_.TextOf(i), run.count, options);
    }
}

// The grounds as one picture of a pixel a cell, stretched over the cells; then
// a transparent call for each text colour, with blanks where the cells of the
// other colours are. A console has sixteen colours: a row takes at most
// seventeen calls however its colours change.
void CTerminalView::PaintRowByColour(HDC dc, const RECT& inner, int top) {
    // Both plans cover the same cells, from the first run to the end of the last.
    const int first = grounds_.runs.front().column;
    const int cells = grounds_.runs.back().column + grounds_.runs.back().count - first;
    const int left = inner.left + (first - scrollColumn_) * cellWidth_;
    rowPixels_.resize(static_cast<size_t>(cells));
    for (const console::CellRun& run : grounds_.runs) {
        const COLORREF colour = console::BackgroundColourOf(run.attribute);
        // A picture's pixels are 0x00RRGGBB.
        const uint32_t pixel = GetRValue(colour) << 16 | GetGValue(colour) << 8 | GetBValue(colour);
        std::fill_n(rowPixels_.begin() + (run.column - first), run.count, pixel);
    }
    BITMAPINFO picture = {};
    picture.bmiHeader = {sizeof(BITMAPINFOHEADER), cells, 1, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, left, top, cells * cellWidth_, cellHeight_, 0, 0, cells, 1, rowPixels_.data(), &picture,
                  DIB_RGB_COLORS, SRCCOPY);

    uint32_t coloursLeft = 0;
    for (size_t i = 0; i < texts_.runs.size(); ++i)
        if (!console::IsBlankRun({texts_.TextOf(i), static_cast<size_t>(texts_.runs[i].count)}))
            coloursLeft |= 1u << (texts_.runs[i].attribute & 0x0F);
    for (uint8_t colour = 0; coloursLeft != 0; ++colour) {
        if (!(coloursLeft & (1u << colour))) continue;
        coloursLeft &= ~(1u << colour);
        rowText_.assign(static_cast<size_t>(cells), ' ');
        int from = cells, to = 0;
        for (size_t i = 0; i < texts_.runs.size(); ++i) {
            const console::CellRun& run = texts_.runs[i];
            if ((run.attribute & 0x0F) != colour) continue;
            std::copy_n(texts_.TextOf(i), run.count, rowText_.begin() + (run.column - first));
            from = std::min(from, run.column - first);
            to = std::max(to, run.column - first + run.count);
        }
        SetTextColor(dc, console::TextColourOf(colour));
        const RECT span = {left + from * cellWidth_, top, left + to * cellWidth_, top + cellHeight_};
        DrawRun(dc, span, rowText_.data() + from, to - from, 0);
    }
}

// Both lists are in column order: one walk finds the runs that cover the same cells.
void CTerminalView::PairTextsWithGrounds() {
    groundOfText_.assign(texts_.runs.size(), -1);
    groundWithText_.assign(grounds_.runs.size(), 0);
    size_t g = 0;
    for (size_t i = 0; i < texts_.runs.size(); ++i) {
        const console::CellRun& text = texts_.runs[i];
        while (g < grounds_.runs.size() && grounds_.runs[g].column < text.column) ++g;
        if (g == grounds_.runs.size()) break;
        if (grounds_.runs[g].column != text.column || grounds_.runs[g].count != text.count) continue;
        groundOfText_[i] = static_cast<int>(g);
        groundWithText_[g] = 1;
    }
}

// One cell needs no advances; longer runs keep every cell on its column.
void CTerminalView::DrawRun(HDC dc, const RECT& cells, const char* text, int count, UINT options) const {
    ExtTextOutA(dc, cells.left, cells.top, options | ETO_CLIPPED, &cells, text, static_cast<UINT>(count),
                count > 1 ? advances_.data() : nullptr);
}

void CTerminalView::RowRuns::Plan(const uint8_t* cells, int width, int first, int last, console::LeadBytes rule,
                                  uint8_t mask) {
    runs.clear();
    text.clear();
    starts.clear();
    console::PlanRow(cells, width, first, last, rule, runs, text, mask);
    size_t at = 0;
    for (const console::CellRun& run : runs) {
        starts.push_back(at);
        at += static_cast<size_t>(run.count);
    }
}

// ---- scrolling ------------------------------------------------------------------------

int CTerminalView::VisibleColumns() const {
    const RECT inner = InnerRect();
    return std::max(1, static_cast<int>((inner.right - inner.left) / cellWidth_));
}

int CTerminalView::VisibleRows() const {
    const RECT inner = InnerRect();
    return std::max(1, static_cast<int>((inner.bottom - inner.top) / cellHeight_));
}

void CTerminalView::UpdateScrollBars() {
    // Showing or hiding a bar resizes the client area, which comes back here.
    if (!window_ || updatingScrollBars_) return;
    updatingScrollBars_ = true;
    for (int pass = 0; pass < 2; ++pass) {  // a second pass once the other bar settled
        SCROLLINFO info = {sizeof(info), SIF_RANGE | SIF_PAGE | SIF_POS};
        info.nMax = std::max(screen_.Width() - 1, 0);
        info.nPage = static_cast<UINT>(VisibleColumns());
        info.nPos = scrollColumn_;
        SetScrollInfo(window_, SB_HORZ, &info, TRUE);
        info.nMax = std::max(screen_.Height() - 1, 0);
        info.nPage = static_cast<UINT>(VisibleRows());
        info.nPos = scrollRow_;
        SetScrollInfo(window_, SB_VERT, &info, TRUE);
    }
    updatingScrollBars_ = false;
    ScrollTo(scrollColumn_, scrollRow_);
}

void CTerminalView::OnScroll(int bar, int request) {
    SCROLLINFO info = {sizeof(info), SIF_ALL};
    GetScrollInfo(window_, bar, &info);
    const int page = bar == SB_HORZ ? VisibleColumns() : VisibleRows();
    int position = info.nPos;
    switch (request) {
    case SB_LINEUP:
        position -= 1;
        break;
    case SB_LINEDOWN:
        position += 1;
        break;
    case SB_PAGEUP:
        position -= page;
        break;
    case SB_PAGEDOWN:
        position += page;
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        position = info.nTrackPos;
        break;
    case SB_TOP:
        position = 0;
        break;
    case SB_BOTTOM:
        position = info.nMax;
        break;
    default:
        return;
    }
    if (bar == SB_HORZ)
        ScrollTo(position, scrollRow_);
    else
        ScrollTo(scrollColumn_, position);
}

void CTerminalView::ScrollTo(int column, int row) {
    column = std::clamp(column, 0, std::max(0, screen_.Width() - VisibleColumns()));
    row = std::clamp(row, 0, std::max(0, screen_.Height() - VisibleRows()));
    if (column == scrollColumn_ && row == scrollRow_) return;
    scrollColumn_ = column;
    scrollRow_ = row;
    SetScrollPos(window_, SB_HORZ, scrollColumn_, TRUE);
    SetScrollPos(window_, SB_VERT, scrollRow_, TRUE);
    const RECT inner = InnerRect();
    InvalidateRect(window_, &inner, FALSE);
    UpdateCaret();
}

// When the cursor moves out of sight, the view follows it.
void CTerminalView::KeepCursorInView() {
    const console::Cursor& cursor = screen_.CurrentCursor();
    int column = scrollColumn_;
    int row = scrollRow_;
    if (cursor.column < column) column = cursor.column;
    if (cursor.column >= column + VisibleColumns()) column = cursor.column - VisibleColumns() + 1;
    if (cursor.row < row) row = cursor.row;
    if (cursor.row >= row + VisibleRows()) row = cursor.row - VisibleRows() + 1;
    ScrollTo(column, row);
}

// ---- caret ------------------------------------------------------------------------------

void CTerminalView::UpdateCaret() {
    if (!window_) return;
    const console::Cursor& cursor = screen_.CurrentCursor();
    const bool inView = cursor.column >= scrollColumn_ && cursor.column < scrollColumn_ + VisibleColumns() &&
                        cursor.row >= scrollRow_ && cursor.row < scrollRow_ + VisibleRows();
    if (!focused_ || !enabled_ || !cursor.visible || screen_.Width() == 0 || !inView) {
        RemoveCaret();
        return;
    }
    const SIZE size = {cellWidth_, std::max(1, cellHeight_ * cursor.sizePercent / 100)};
    if (!caretShown_ || size.cx != caretSize_.cx || size.cy != caretSize_.cy) {
        RemoveCaret();
        if (!CreateCaret(window_, nullptr, size.cx, size.cy)) return;
        caretShown_ = true;
        caretSize_ = size;
        ShowCaret(window_);
    }
    const RECT inner = InnerRect();
    SetCaretPos(inner.left + (cursor.column - scrollColumn_) * cellWidth_,
                inner.top + (cursor.row + 1 - scrollRow_) * cellHeight_ - size.cy);
}

void CTerminalView::RemoveCaret() {
    if (!caretShown_) return;
    caretShown_ = false;
    DestroyCaret();
}

}  // namespace vantrel
