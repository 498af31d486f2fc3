#include "snapins/services/HyperlinkLabel.h"

#include "framework/Module.h"
#include "framework/Text.h"
#include "snapins/services/model/LinkText.h"

#include <windowsx.h>

#include <array>
#include <optional>

namespace vantrel {
namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\Microsoft\\Internet Explorer\\Settings";

// A pointing hand, 32x32: 'X' black, 'o' white, anything else transparent.
// The fingertip is the hot spot.
constexpr int kCursorSize = 32;
constexpr int kHotSpotX = 5;
constexpr int kHotSpotY = 0;
constexpr const char* kHandRows[] = {
    ".....XX..........",
    "....XooX.........",
    "....XooX.........",
    "....XooX.........",
    "....XooX.........",
    "....XooXXX.......",
    "....XooXooXXX....",
    "....XooXooXooXX..",
    ".XX.XooXooXooXoX.",
    "XooXXooooooooXooX",
    "XoooXoooooooooooX",
    ".XooXoooooooooooX",
    "..XoXoooooooooooX",
    "..XooooooooooooX.",
    "...XoooooooooooX.",
    "...XooooooooooX..",
    "....XoooooooooX..",
    "....XooooooooX...",
    ".....XoooooooX...",
    ".....XoooooooX...",
    ".....XXXXXXXXX...",
};

HCURSOR MakeHandCursor() {
    constexpr int kRowBytes = kCursorSize / 8;
    std::array<BYTE, kRowBytes * kCursorSize> andPlane;
    std::array<BYTE, kRowBytes * kCursorSize> xorPlane = {};
    andPlane.fill(0xFF);  // transparent everywhere but the hand
    for (int y = 0; y < static_cast<int>(std::size(kHandRows)); ++y) {
        for (int x = 0; kHandRows[y][x] && x < kCursorSize; ++x) {
            const char pixel = kHandRows[y][x];
            if (pixel != 'X' && pixel != 'o') continue;
            const int byte = y * kRowBytes + x / 8;
            const BYTE bit = static_cast<BYTE>(0x80 >> (x % 8));
            andPlane[byte] = static_cast<BYTE>(andPlane[byte] & ~bit);
            if (pixel == 'o') xorPlane[byte] = static_cast<BYTE>(xorPlane[byte] | bit);
        }
    }
    return CreateCursor(ModuleInstance(), kHotSpotX, kHotSpotY, kCursorSize, kCursorSize, andPlane.data(),
                        xorPlane.data());
}

// One colour value: at most 12 bytes of text, read into a buffer with room
// for an end of its own, as the value need not carry one.
std::optional<COLORREF> ReadColour(HKEY key, const char* name) {
    char buffer[services::kLinkColourMaxBytes + 1] = {};
    DWORD type = 0;
    DWORD size = services::kLinkColourMaxBytes;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS)
        return std::nullopt;  // missing, or longer than any colour
    if (type != REG_SZ || size > services::kLinkColourMaxBytes) return std::nullopt;
    buffer[size] = 0;
    const auto colour = services::ParseLinkColour(buffer);
    if (!colour) return std::nullopt;
    return RGB(colour->red, colour->green, colour->blue);
}


int TextWidth(HDC dc, HFONT font, const std::wstring& text) {
    if (text.empty()) return 0;
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    return size.cx;
}

}  // namespace

struct CHyperlinkLabel::Segments {
    std::wstring before, link, after;
    int linkLeft = 0;
    int linkRight = 0;
    int height = 0;
};

CHyperlinkLabel::Colours CHyperlinkLabel::ReadColours() {
    Colours colours;
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS) return colours;
    UniqueRegKey key(raw);
    if (auto link = ReadColour(key.get(), "Anchor Color")) colours.link = *link;
    if (auto visited = ReadColour(key.get(), "Anchor Color Visited")) colours.visited = *visited;
    return colours;
}

bool CHyperlinkLabel::Attach(HWND label, const Colours& colours, const std::wstring& toolTip) {
    Detach();
    if (!label || !SetWindowSubclass(label, &SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this))) return false;
    label_ = label;
    colours_ = colours;
    MakeLinkFont();
    cursor_.reset(MakeHandCursor());
    MakeToolTip(toolTip);
    InvalidateRect(label_, nullptr, TRUE);
    return true;
}

void CHyperlinkLabel::Detach() {
    if (!label_) return;
    RemoveWindowSubclass(label_, &SubclassProc, 0);
    label_ = nullptr;
    // An owned tooltip may have gone with its owner already.
    if (toolTip_ && !IsWindow(toolTip_.get())) toolTip_.release();
    toolTip_.reset();
}

void CHyperlinkLabel::SetVisited(bool visited) {
    if (visited_ == visited) return;
    visited_ = visited;
    if (label_) InvalidateRect(label_, nullptr, TRUE);
}

void CHyperlinkLabel::MakeLinkFont() {
    LOGFONTW font = {};
    auto current = reinterpret_cast<HFONT>(::SendMessageW(label_, WM_GETFONT, 0, 0));
    if (!GetObjectW(current ? static_cast<HGDIOBJ>(current) : GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font))
        return;
    font.lfUnderline = TRUE;
    linkFont_.reset(CreateFontIndirectW(&font));
}

void CHyperlinkLabel::MakeToolTip(const std::wstring& text) {
    toolTip_.reset();
    if (text.empty()) return;
    HWND owner = GetParent(label_);
    ActivationScope scope;
    toolTip_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                                   ModuleInstance(), nullptr));
    if (!toolTip_) return;
    std::wstring copy = text;
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = owner;
    tool.uId = reinterpret_cast<UINT_PTR>(label_);
    tool.lpszText = copy.data();
    ::SendMessageW(toolTip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

CHyperlinkLabel::Segments CHyperlinkLabel::Measure(HDC dc) const {
    Segments segments;
    const services::LinkParts parts = services::SplitLinkMarkup(
        [this] {
            int length = GetWindowTextLengthW(label_);
            std::wstring text(static_cast<size_t>(length) + 1, L'\0');
            text.resize(static_cast<size_t>(GetWindowTextW(label_, text.data(), length + 1)));
            return std::u16string(text.begin(), text.end());
        }());
    segments.before = ToWide(parts.before);
    segments.link = ToWide(parts.link);
    segments.after = ToWide(parts.after);
    auto font = reinterpret_cast<HFONT>(::SendMessageW(label_, WM_GETFONT, 0, 0));
    if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    segments.linkLeft = TextWidth(dc, font, segments.before);
    segments.linkRight = segments.linkLeft + TextWidth(dc, linkFont_ ? linkFont_.get() : font, segments.link);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    segments.height = metrics.tmHeight;
    return segments;
}

void CHyperlinkLabel::Paint(HDC dc) {
    RECT client = {};
    GetClientRect(label_, &client);
    // The parent chooses background and text colour, as for any static control.
    auto brush = reinterpret_cast<HBRUSH>(
        ::SendMessageW(GetParent(label_), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label_)));
    FillRect(dc, &client, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
    const Segments segments = Measure(dc);
    auto font = reinterpret_cast<HFONT>(::SendMessageW(label_, WM_GETFONT, 0, 0));
    if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    const COLORREF textColour = GetTextColor(dc);
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ old = SelectObject(dc, font);
    auto draw = [&](int x, const std::wstring& text) {
        if (!text.empty()) ExtTextOutW(dc, x, 0, ETO_CLIPPED, &client, text.c_str(), static_cast<UINT>(text.size()), nullptr);
    };
    draw(0, segments.before);
    SelectObject(dc, linkFont_ ? linkFont_.get() : font);
    SetTextColor(dc, visited_ ? colours_.visited : colours_.link);
    draw(segments.linkLeft, segments.link);
    SelectObject(dc, font);
    SetTextColor(dc, textColour);
    draw(segments.linkRight, segments.after);
    SelectObject(dc, old);
}

bool CHyperlinkLabel::OverLink(POINT client) const {
    WindowDC dc(label_);
    if (!dc.get()) return false;
    const Segments segments = Measure(dc.get());
    return client.x >= segments.linkLeft && client.x < segments.linkRight && client.y >= 0 &&
           client.y < segments.height;
}

bool CHyperlinkLabel::CursorOverLink() const {
    POINT cursor = {};
    GetCursorPos(&cursor);
    ScreenToClient(label_, &cursor);
    return OverLink(cursor);
}

void CHyperlinkLabel::Click() {
    SetVisited(true);
    const int id = GetDlgCtrlID(label_);
    ::SendMessageW(GetParent(label_), WM_COMMAND, MAKEWPARAM(id, STN_CLICKED), reinterpret_cast<LPARAM>(label_));
}

LRESULT CALLBACK CHyperlinkLabel::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                               DWORD_PTR self) {
    auto label = reinterpret_cast<CHyperlinkLabel*>(self);
    if (message == WM_NCDESTROY) {
        label->Detach();
        return DefSubclassProc(window, message, wParam, lParam);
    }
    try {
        return label->OnMessage(message, wParam, lParam);
    } catch (...) {
        return DefSubclassProc(window, message, wParam, lParam);
    }
}

LRESULT CHyperlinkLabel::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(label_, &paint);
        Paint(dc);
        EndPaint(label_, &paint);
        return 0;
    }
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;  // painted whole in WM_PAINT
    case WM_NCHITTEST:
        return HTCLIENT;  // a static would let the mouse through
    case WM_SETCURSOR:
        if (cursor_ && CursorOverLink()) {
            SetCursor(cursor_.get());
            return TRUE;
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        pressed_ = OverLink({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_LBUTTONUP:
        if (std::exchange(pressed_, false) && OverLink({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) Click();
        return 0;
    case WM_SETFONT: {
        LRESULT result = DefSubclassProc(label_, message, wParam, lParam);
        MakeLinkFont();
        return result;
    }
    case WM_SETTEXT: {
        LRESULT result = DefSubclassProc(label_, message, wParam, lParam);
        InvalidateRect(label_, nullptr, TRUE);
        return result;
    }
    default:
        break;
    }
    return DefSubclassProc(label_, message, wParam, lParam);
}

}  // namespace vantrel
