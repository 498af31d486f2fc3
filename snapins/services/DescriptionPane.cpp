#include "snapins/services/DescriptionPane.h"

#include "framework/Module.h"
#include "framework/Text.h"
#include "snapins/services/ServicesIds.h"

#include <algorithm>

namespace vantrel {
namespace {

struct PaneLink {
    int control;
    UINT command;  // the menu command a click stands for
};

// In stacking order.
constexpr PaneLink kLinks[] = {
    {IDC_SRV_LINK_START, ID_SRV_START},   {IDC_SRV_LINK_STOP, ID_SRV_STOP},
    {IDC_SRV_LINK_PAUSE, ID_SRV_PAUSE},   {IDC_SRV_LINK_RESUME, ID_SRV_RESUME},
    {IDC_SRV_LINK_RESTART, ID_SRV_RESTART}};

// Placement, in dialog units.
constexpr int kMargin = 6;
constexpr int kLinkHeight = 9;
constexpr int kLinkGap = 2;
constexpr int kSectionGap = 6;
constexpr int kLabelHeight = 9;
constexpr int kHintHeight = 20;

// A link's tooltip: the status text of its menu command (before the line
// feed), or the link's own text where the command has none.
std::wstring ToolTipOf(HWND dialog, const PaneLink& link) {
    std::wstring text = LoadStringW(link.command);
    const size_t lineFeed = text.find(L'\n');
    if (lineFeed != std::wstring::npos) text.resize(lineFeed);
    if (text.empty()) {
        wchar_t own[64] = {};
        GetDlgItemTextW(dialog, link.control, own, 64);
        text = own;
    }
    return text;
}

}  // namespace

bool CServiceDescriptionPane::Create(HWND parent, HWND commandTarget) {
    commandTarget_ = commandTarget;
    ActivationScope scope;
    dialog_ = CreateDialogParamW(ResourceInstance(), MAKEINTRESOURCEW(IDD_SRV_DESCRIPTION), parent, &DialogProc,
                                 reinterpret_cast<LPARAM>(this));
    if (!dialog_) return false;
    SetWindowLongPtrW(dialog_, GWLP_ID, IDD_SRV_DESCRIPTION);
    MakeBoldFont();
    AttachLinks();
    ShowService(nullptr, {});
    return true;
}

void CServiceDescriptionPane::MakeBoldFont() {
    auto font = reinterpret_cast<HFONT>(::SendMessageW(dialog_, WM_GETFONT, 0, 0));
    LOGFONTW bold = {};
    if (!GetObjectW(font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT), sizeof(bold), &bold)) return;
    bold.lfWeight = FW_BOLD;
    boldFont_.reset(CreateFontIndirectW(&bold));
    ::SendMessageW(GetDlgItem(dialog_, IDC_SRV_DISPLAY_NAME), WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_.get()), FALSE);
}

void CServiceDescriptionPane::AttachLinks() {
    const CHyperlinkLabel::Colours colours = CHyperlinkLabel::ReadColours();
    for (size_t i = 0; i < links_.size(); ++i)
        links_[i].Attach(GetDlgItem(dialog_, kLinks[i].control), colours, ToolTipOf(dialog_, kLinks[i]));
}

void CServiceDescriptionPane::ShowService(const services::ServiceRecord* service,
                                          const services::CommandStates& states) {
    if (!dialog_) return;
    hasService_ = service != nullptr;
    const std::u16string name = service ? service->name : std::u16string();
    if (!services::SameServiceName(name, shownName_)) {
        for (CHyperlinkLabel& link : links_) link.SetVisited(false);
        shownName_ = name;
    }
    SetDlgItemTextW(dialog_, IDC_SRV_DISPLAY_NAME, service ? ToWide(service->displayName).c_str() : L"");
    SetDlgItemTextW(dialog_, IDC_SRV_DESCRIPTION_TEXT, service ? ToWide(service->description).c_str() : L"");
    linkShown_ = {states.start, states.stop, states.pause, states.resume, states.restart};
    if (!service) linkShown_.fill(false);
    Layout();
}

void CServiceDescriptionPane::Layout() {
    if (!dialog_) return;  // not made yet, or gone
    RECT client = {};
    GetClientRect(dialog_, &client);
    RECT units = {kMargin, kLinkHeight, kSectionGap, kHintHeight};
    MapDialogRect(dialog_, &units);
    const int margin = units.left, linkHeight = units.top, sectionGap = units.right, hintHeight = units.bottom;
    RECT small = {kLinkGap, kLabelHeight, 0, 0};
    MapDialogRect(dialog_, &small);
    const int linkGap = small.left, labelHeight = small.top;
    const int width = std::max<int>(0, client.right - 2 * margin);

    auto place = [&](int control, int y, int height, bool shown) {
        HWND item = GetDlgItem(dialog_, control);
        if (shown) MoveWindow(item, margin, y, width, std::max(0, height), TRUE);
        ShowWindow(item, shown ? SW_SHOWNA : SW_HIDE);
    };

    // The display name takes the lines it needs (a long one wraps).
    HWND nameControl = GetDlgItem(dialog_, IDC_SRV_DISPLAY_NAME);
    int nameHeight = 0;
    if (hasService_) {
        wchar_t text[512] = {};
        GetWindowTextW(nameControl, text, 512);
        RECT measure = {0, 0, width, 0};
        const WindowDC dc(nameControl);
        HGDIOBJ old =
            SelectObject(dc.get(), boldFont_ ? static_cast<HGDIOBJ>(boldFont_.get()) : GetStockObject(DEFAULT_GUI_FONT));
        DrawTextW(dc.get(), text, -1, &measure, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(dc.get(), old);
        nameHeight = measure.bottom;
    }
    int y = margin;
    place(IDC_SRV_DISPLAY_NAME, y, nameHeight, hasService_);
    place(IDC_SRV_SELECT_HINT, y, hintHeight, !hasService_);
    y += nameHeight + sectionGap;

    bool anyLink = false;
    for (size_t i = 0; i < links_.size(); ++i) {
        place(kLinks[i].control, y, linkHeight, linkShown_[i]);
        if (!linkShown_[i]) continue;
        y += linkHeight + linkGap;
        anyLink = true;
    }
    if (anyLink) y += sectionGap - linkGap;
    place(IDC_SRV_DESCRIPTION_LABEL, y, labelHeight, hasService_);
    y += labelHeight + linkGap;
    place(IDC_SRV_DESCRIPTION_TEXT, y, client.bottom - margin - y, hasService_);
    InvalidateRect(dialog_, nullptr, TRUE);
}

void CServiceDescriptionPane::OnLinkClicked(int control) {
    for (const PaneLink& link : kLinks) {
        if (link.control == control && commandTarget_) {
            ::SendMessageW(commandTarget_, WM_COMMAND, MAKEWPARAM(link.command, 0), 0);
            return;
        }
    }
}

INT_PTR CALLBACK CServiceDescriptionPane::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        return FALSE;
    }
    auto self = reinterpret_cast<CServiceDescriptionPane*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!self) return FALSE;
    try {
        return self->OnMessage(message, wParam, lParam);
    } catch (...) {
        return FALSE;
    }
}

INT_PTR CServiceDescriptionPane::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        Layout();
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) == STN_CLICKED) OnLinkClicked(LOWORD(wParam));
        return TRUE;
    case WM_CTLCOLORDLG:
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
    case WM_CTLCOLORSTATIC: {
        // The pane reads like a page: window colours, as the list beside it.
        auto dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
    }
    case WM_DESTROY:
        dialog_ = nullptr;  // the controls go with it; the labels detach themselves
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace vantrel
