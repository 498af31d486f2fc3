#include "console/ToolPane.h"

#include "hostwin/HostFrame.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace vantrel::console {
namespace {

constexpr wchar_t kPaneClass[] = L"VantrelToolPane";
constexpr int kPictureSize = 16;
constexpr COLORREF kTransparent = RGB(255, 0, 255);
constexpr int kBusyRowHeight = 26;
constexpr int kMargin = 6;
constexpr int kItemHeight = 22;
constexpr UINT kMarqueeMs = 40;


HFONT CreateMessageFont() {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) return nullptr;
    return CreateFontIndirectW(&metrics.lfMessageFont);
}

// The strip's pixels as 32-bit colours, top row first; empty if unreadable.
std::vector<uint32_t> ReadPixels(HBITMAP bitmap, int width, int height) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    const WindowDC screen(nullptr);
    const int rows = GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
    if (rows != height) pixels.clear();
    return pixels;
}

// A washed-out grey copy of the strip for tools that cannot be used; the
// transparent colour stays as it is.
HBITMAP MakeGreyed(const std::vector<uint32_t>& pixels, int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP greyed = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!greyed) return nullptr;
    auto out = static_cast<uint32_t*>(bits);
    const uint32_t magenta = 0x00FF00FF;  // BGRA order in a DIB
    for (size_t i = 0; i < pixels.size(); ++i) {
        uint32_t p = pixels[i] & 0x00FFFFFF;
        if (p == magenta) {
            out[i] = magenta;
            continue;
        }
        unsigned luma = (((p >> 16) & 0xFF) * 30 + ((p >> 8) & 0xFF) * 59 + (p & 0xFF) * 11) / 100;
        unsigned grey = 112 + luma * 112 / 255;
        out[i] = (grey << 16) | (grey << 8) | grey;
    }
    return greyed;
}

}  // namespace

ToolPane::~ToolPane() {
    if (pane_ && IsWindow(pane_)) {
        SetWindowLongPtrW(pane_, GWLP_USERDATA, 0);
        DestroyWindow(pane_);
    }
    // The font and the pictures go after this, with the windows that used them.
}

bool ToolPane::Create(HWND parent, HMODULE module, SelectHandler onSelect) {
    onSelect_ = std::move(onSelect);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    host::RegisterPlainWindowClass(kPaneClass, COLOR_WINDOW);
    pane_ = CreateWindowExW(WS_EX_CLIENTEDGE, kPaneClass, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0, parent,
                            nullptr, instance, nullptr);
    if (!pane_) return false;
    SetWindowLongPtrW(pane_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(pane_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ToolPane::PaneProc));
    font_.reset(CreateMessageFont());

    tree_ = CreateWindowExW(0, WC_TREEVIEWW, nullptr,
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                                TVS_SHOWSELALWAYS | TVS_INFOTIP | TVS_NOHSCROLL,
                            0, 0, 0, 0, pane_, nullptr, instance, nullptr);
    busyLabel_ = CreateWindowExW(0, WC_STATICW, L"Ready", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_CENTERIMAGE, 0, 0, 0, 0,
                                 pane_, nullptr, instance, nullptr);
    busyBar_ = CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | PBS_MARQUEE, 0, 0, 0, 0, pane_, nullptr, instance,
                               nullptr);
    if (!tree_ || !busyLabel_ || !busyBar_) return false;
    for (HWND child : {tree_, busyLabel_})
        if (font_) ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    ::SendMessageW(tree_, TVM_SETITEMHEIGHT, kItemHeight, 0);
    LoadPictures(module);

    TVINSERTSTRUCTW insert = {};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | (pictures_ ? TVIF_IMAGE | TVIF_SELECTEDIMAGE : 0);
    insert.item.pszText = const_cast<wchar_t*>(L"Managed machine");
    insert.item.lParam = kMachineItem;
    machine_ = reinterpret_cast<HTREEITEM>(::SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    UpdatePicture(kMachineItem);
    ::SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(machine_));
    Layout();
    return machine_ != nullptr;
}

void ToolPane::LoadPictures(HMODULE module) {
    if (!module) return;
    // A module without pictures, or with a strip that cannot be read, shows names only.
    UniqueBitmap strip(
        static_cast<HBITMAP>(LoadImageW(module, L"IDB_SNAPIN_IMAGES", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!strip) return;
    BITMAP info = {};
    GetObjectW(strip.get(), sizeof(info), &info);
    const int count = info.bmHeight == kPictureSize ? info.bmWidth / kPictureSize : 0;
    if (count <= 0) return;
    const std::vector<uint32_t> pixels = ReadPixels(strip.get(), info.bmWidth, info.bmHeight);
    if (pixels.empty()) return;
    UniqueBitmap greyed(MakeGreyed(pixels, info.bmWidth, info.bmHeight));
    if (!greyed) return;
    UniqueImageList pictures(ImageList_Create(kPictureSize, kPictureSize, ILC_COLOR24 | ILC_MASK, count * 2, 0));
    if (!pictures) return;
    ImageList_AddMasked(pictures.get(), strip.get(), kTransparent);
    ImageList_AddMasked(pictures.get(), greyed.get(), kTransparent);
    if (ImageList_GetImageCount(pictures.get()) != count * 2) return;
    pictures_ = std::move(pictures);
    pictureCount_ = count;
    ::SendMessageW(tree_, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(pictures_.get()));
}

void ToolPane::UpdatePicture(int32_t id) {
    int index = id - kMachineItem;
    if (!pictures_ || index < 0 || index >= pictureCount_) return;
    HTREEITEM item = id == kMachineItem ? machine_ : tools_.count(id) ? tools_.at(id).item : nullptr;
    if (!item) return;
    if (id != kMachineItem && !Usable(id)) index += pictureCount_;
    TVITEMW update = {};
    update.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    update.hItem = item;
    update.iImage = update.iSelectedImage = index;
    ::SendMessageW(tree_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&update));
}

void ToolPane::SetMachineText(const std::wstring& text) {
    TVITEMW update = {};
    update.mask = TVIF_HANDLE | TVIF_TEXT;
    update.hItem = machine_;
    update.pszText = const_cast<wchar_t*>(text.c_str());
    ::SendMessageW(tree_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&update));
}

void ToolPane::AddTool(int32_t id, const std::wstring& name) {
    if (tools_.count(id)) return;
    TVINSERTSTRUCTW insert = {};
    insert.hParent = machine_;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<wchar_t*>(name.c_str());
    insert.item.lParam = id;
    Tool tool;
    tool.item = reinterpret_cast<HTREEITEM>(::SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    if (!tool.item) return;
    tools_[id] = tool;
    UpdatePicture(id);
    ::SendMessageW(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(machine_));
}

void ToolPane::RemoveTools() {
    ::SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(machine_));
    for (auto& [id, tool] : tools_) ::SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(tool.item));
    tools_.clear();
}

void ToolPane::SetState(int32_t id, ToolState state) {
    auto found = tools_.find(id);
    if (found == tools_.end() || found->second.state == state) return;
    found->second.state = state;
    UpdatePicture(id);
    // TVM_GETITEMRECT takes the item in the rectangle it fills.
    RECT rect = {};
    static_assert(sizeof(rect) >= sizeof(HTREEITEM));
    std::memcpy(&rect, &found->second.item, sizeof(HTREEITEM));
    if (::SendMessageW(tree_, TVM_GETITEMRECT, FALSE, reinterpret_cast<LPARAM>(&rect))) InvalidateRect(tree_, &rect, TRUE);
}

ToolState ToolPane::State(int32_t id) const {
    auto found = tools_.find(id);
    return found == tools_.end() ? ToolState::Unavailable : found->second.state;
}

bool ToolPane::Usable(int32_t id) const { return id == kMachineItem || State(id) == ToolState::Available; }

bool ToolPane::Select(int32_t id) {
    if (!Usable(id)) return false;
    HTREEITEM item = id == kMachineItem ? machine_ : tools_.at(id).item;
    return ::SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)) != 0 && Selected() == id;
}

int32_t ToolPane::Selected() const {
    auto item = reinterpret_cast<HTREEITEM>(::SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_CARET, 0));
    return item ? IdOf(item) : kMachineItem;
}

int32_t ToolPane::IdOf(HTREEITEM item) const {
    TVITEMW query = {};
    query.mask = TVIF_HANDLE | TVIF_PARAM;
    query.hItem = item;
    if (!::SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query))) return kMachineItem;
    return static_cast<int32_t>(query.lParam);
}

std::wstring ToolPane::ItemText(int32_t id) const {
    HTREEITEM item = id == kMachineItem ? machine_ : tools_.count(id) ? tools_.at(id).item : nullptr;
    if (!item) return {};
    wchar_t buffer[256] = {};
    TVITEMW query = {};
    query.mask = TVIF_HANDLE | TVIF_TEXT;
    query.hItem = item;
    query.pszText = buffer;
    query.cchTextMax = static_cast<int>(std::size(buffer));
    ::SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
    return buffer;
}

void ToolPane::SetBusy(bool busy) {
    if (busy == busy_) return;
    busy_ = busy;
    SetWindowTextW(busyLabel_, busy ? L"Working..." : L"Ready");
    ShowWindow(busyBar_, busy ? SW_SHOW : SW_HIDE);
    ::SendMessageW(busyBar_, PBM_SETMARQUEE, busy ? TRUE : FALSE, kMarqueeMs);
}

int ToolPane::PreferredWidth() const {
    const WindowDC windowDC(tree_);
    const HDC dc = windowDC.get();
    HGDIOBJ old = SelectObject(dc, font_ ? static_cast<HGDIOBJ>(font_.get()) : GetStockObject(DEFAULT_GUI_FONT));
    const int indent = static_cast<int>(::SendMessageW(tree_, TVM_GETINDENT, 0, 0));
    int widest = 0;
    // An item's room: its level's indentation (buttons at the root take one),
    // the picture, the text and the selection's padding.
    auto measure = [&](const std::wstring& text, int levels) {
        SIZE size = {};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        widest = std::max<int>(widest, levels * indent + kPictureSize + size.cx);
    };
    measure(ItemText(kMachineItem), 1);
    for (const auto& [id, tool] : tools_) measure(ItemText(id), 2);
    SelectObject(dc, old);
    return widest + 3 * kMargin + 2 * GetSystemMetrics(SM_CXEDGE);
}

void ToolPane::Layout() {
    RECT client;
    GetClientRect(pane_, &client);
    int treeBottom = std::max<int>(0, client.bottom - kBusyRowHeight);
    MoveWindow(tree_, 0, 0, client.right, treeBottom, TRUE);
    int labelWidth = std::min<int>(90, client.right / 2);
    MoveWindow(busyLabel_, kMargin, treeBottom, labelWidth, kBusyRowHeight, TRUE);
    int barLeft = kMargin + labelWidth;
    MoveWindow(busyBar_, barLeft, treeBottom + 7, std::max(0, static_cast<int>(client.right) - barLeft - kMargin),
               kBusyRowHeight - 14, TRUE);
}

LRESULT CALLBACK ToolPane::PaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto self = reinterpret_cast<ToolPane*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self) {
        switch (message) {
        case WM_SIZE:
            self->Layout();
            return 0;
        case WM_NOTIFY:
            return self->OnNotify(reinterpret_cast<NMHDR*>(lParam));
        case WM_CTLCOLORSTATIC:
            // The busy row sits on the pane's window colour; "Ready" is quiet.
            SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
            SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(self->busy_ ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
        case WM_SETFOCUS:
            SetFocus(self->tree_);
            return 0;
        default:
            break;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT ToolPane::OnNotify(NMHDR* header) {
    if (!header || header->hwndFrom != tree_) return 0;
    switch (header->code) {
    case TVN_SELCHANGINGW: {
        // Tools the machine does not offer (or has not confirmed) cannot be opened.
        auto change = reinterpret_cast<NMTREEVIEWW*>(header);
        return Usable(static_cast<int32_t>(change->itemNew.lParam)) ? FALSE : TRUE;
    }
    case TVN_SELCHANGEDW: {
        auto change = reinterpret_cast<NMTREEVIEWW*>(header);
        if (onSelect_) onSelect_(static_cast<int32_t>(change->itemNew.lParam), change->action == TVC_BYKEYBOARD);
        return 0;
    }
    case TVN_GETINFOTIPW:
        OnInfoTip(reinterpret_cast<NMTVGETINFOTIPW*>(header));
        return 0;
    case NM_CUSTOMDRAW:
        return OnCustomDraw(reinterpret_cast<NMTVCUSTOMDRAW*>(header));
    default:
        return 0;
    }
}

LRESULT ToolPane::OnCustomDraw(NMTVCUSTOMDRAW* draw) {
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        if (!Usable(static_cast<int32_t>(draw->nmcd.lItemlParam))) draw->clrText = GetSysColor(COLOR_GRAYTEXT);
        return CDRF_DODEFAULT;
    default:
        return CDRF_DODEFAULT;
    }
}

void ToolPane::OnInfoTip(NMTVGETINFOTIPW* tip) {
    if (!tip->pszText || tip->cchTextMax <= 0) return;
    const wchar_t* text = L"";
    switch (State(static_cast<int32_t>(tip->lParam))) {
    case ToolState::Checking:
        text = L"Asking the managed machine whether it offers this tool...";
        break;
    case ToolState::Unavailable:
        text = L"The managed machine does not offer this tool.";
        break;
    case ToolState::Available:
        break;
    }
    if (tip->lParam == kMachineItem) text = L"";
    lstrcpynW(tip->pszText, text, tip->cchTextMax);
}

}  // namespace vantrel::console
