#include "framework/SnapInBase.h"

#include "framework/Module.h"
#include "framework/ObjectWindow.h"
#include "framework/ReportList.h"
#include "framework/TabPages.h"
#include "framework/Text.h"

#include <algorithm>
#include <cwchar>

namespace vantrel {
namespace {

constexpr wchar_t kSnapInWindowClass[] = L"VantrelSnapInWindow";
constexpr UINT kToolBarId = 0xE800;
constexpr DWORD kToolBarStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS |
                                CCS_NODIVIDER | CCS_NOPARENTALIGN | CCS_NORESIZE;
static_assert(kToolBarStyle == 0x5600094C);
constexpr size_t kToolTipResourceLimit = 256;
constexpr size_t kMaxErrorText = 2000;
// Toolbar resources: version, bitmap width and height, count, then the commands.
const LPCWSTR kToolBarResourceType = MAKEINTRESOURCEW(RT_TOOLBAR_DATA);

// Stands in for a missing answer root, so that handlers always have a node.
class EmptyNode final : public IMessageNode {
public:
    IMessageNode* VANTREL_CALL Child(const char*) override { return this; }
    void VANTREL_CALL SetString(const char*) override {}
    void VANTREL_CALL SetBool(int32_t) override {}
    void VANTREL_CALL SetShort(int16_t) override {}
    void VANTREL_CALL SetLong(int32_t) override {}
    int32_t VANTREL_CALL GetLong() override { return 0; }
    int16_t VANTREL_CALL GetShort() override { return 0; }
    int32_t VANTREL_CALL GetBool() override { return 0; }
    const char* VANTREL_CALL GetString() override { return nullptr; }
};

// Releases an answer when it goes out of scope: the one release of every path.
class AnswerHolder {
public:
    explicit AnswerHolder(IHostMessage* answer) : answer_(answer) {}
    ~AnswerHolder() {
        if (answer_) answer_->Release();
    }
    AnswerHolder(const AnswerHolder&) = delete;
    AnswerHolder& operator=(const AnswerHolder&) = delete;

private:
    IHostMessage* answer_;
};

// The toolbar resource: version, bitmap width and height, count, commands.
struct ToolBarResource {
    WORD version;
    WORD width;
    WORD height;
    WORD count;
    const WORD* items;
};

bool FindToolBarResource(int id, ToolBarResource& out) {
    HINSTANCE instance = ResourceInstance();
    HRSRC resource = FindResourceW(instance, MAKEINTRESOURCEW(id), kToolBarResourceType);
    if (!resource && instance != ModuleInstance()) {
        instance = ModuleInstance();
        resource = FindResourceW(instance, MAKEINTRESOURCEW(id), kToolBarResourceType);
    }
    if (!resource) return false;
    DWORD size = SizeofResource(instance, resource);
    HGLOBAL loaded = LoadResource(instance, resource);
    auto words = loaded ? static_cast<const WORD*>(LockResource(loaded)) : nullptr;
    if (!words || size < 4 * sizeof(WORD)) return false;
    out = {words[0], words[1], words[2], words[3], words + 4};
    // A count beyond the resource's own size is cut to what is there.
    out.count = static_cast<WORD>(std::min<DWORD>(out.count, size / sizeof(WORD) - 4));
    return true;
}

template <typename Info, typename Char>
BOOL FillToolTip(UINT id, Info* info, Char* buffer, size_t capacity) {
    if (!info || (info->uFlags & TTF_IDISHWND)) return FALSE;
    std::wstring text = LoadStringW(id);
    if (text.empty()) return FALSE;
    if (text.size() > kToolTipResourceLimit) text.resize(kToolTipResourceLimit);
    info->uFlags |= TTF_DI_SETITEM;
    size_t lineFeed = text.find(L'\n');
    if (lineFeed == std::wstring::npos) return FALSE;
    std::wstring tip = text.substr(lineFeed + 1);
    if constexpr (sizeof(Char) == 1) {
        std::string ansi = WideToAnsi(tip);
        size_t n = std::min(ansi.size(), capacity - 1);
        std::copy_n(ansi.data(), n, buffer);
        buffer[n] = 0;
    } else {
        size_t n = std::min(tip.size(), capacity - 1);
        std::copy_n(tip.data(), n, buffer);
        buffer[n] = 0;
    }
    return TRUE;
}

}  // namespace

void RegisterSnapInWindowClass() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &CSnapInBase::WindowClassProc;
    wc.hInstance = ModuleInstance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kSnapInWindowClass;
    wc.cbWndExtra = sizeof(void*);
    RegisterClassExW(&wc);
}

void UnregisterSnapInWindowClass() { UnregisterClassW(kSnapInWindowClass, ModuleInstance()); }

// ---- construction and the host's operations --------------------------------

CSnapInBase::CSnapInBase(ISnapInHost* host) : host_(host) {}

CSnapInBase::~CSnapInBase() {
    // Leave the console's bars as they were before this snap-in came.
    if (menuMerged_) UnmergeMenu(4);
    if (toolBar_) {
        host_->HideSnapInToolBar(toolBar_);
        for (UINT message : {TB_SETIMAGELIST, TB_SETHOTIMAGELIST, TB_SETDISABLEDIMAGELIST})
            ::SendMessageW(toolBar_, message, 0, 0);
        DestroyWindow(std::exchange(toolBar_, nullptr));
    }
    DestroySnapInWindow();
}

void CSnapInBase::DestroySnapInWindow() {
    if (!window_) return;
    HWND window = std::exchange(window_, nullptr);
    SetWindowLongPtrW(window, 0, 0);  // no more calls into a dying object
    if (IsWindow(window)) DestroyWindow(window);
}

void CSnapInBase::SetMenuCommand(int32_t command) { menuCommand_ = command; }

void CSnapInBase::Release() {
    // Changes since the last deactivation are kept when the console lets go
    // of an active tool.
    if (firstActivationDone_ && active_) Guarded([this] { SaveViewSettings(); });
    DeletingDestructor(1);
}

void CSnapInBase::Activate() {
    Guarded([this] {
        OnActivate();
        UpdateTitle();
        if (window_) {
            ShowWindow(window_, SW_SHOWNORMAL);
            SetFocus(window_);
        }
    });
}

void CSnapInBase::Deactivate() {
    Guarded([this] {
        OnDeactivate();
        if (window_) ShowWindow(window_, SW_HIDE);
    });
}

IAnswerSink* CSnapInBase::GetAnswerSink() { return this; }

int32_t CSnapInBase::Reserved() { return 0; }

void* CSnapInBase::DeletingDestructor(uint32_t flags) {
    if (flags & 1) {
        delete this;
    } else {
        this->~CSnapInBase();
    }
    return this;
}

HWND CSnapInBase::Create(HWND) { return nullptr; }

HWND CSnapInBase::GetWindow() { return window_; }

BOOL CSnapInBase::TranslateAccelerator(MSG* message) {
    BOOL handled = FALSE;
    Guarded([&] { handled = TranslateMessageForSnapIn(message); });
    return handled;
}

BOOL CSnapInBase::TranslateMessageForSnapIn(MSG* message) {
    if (!message) return FALSE;
    const UINT code = message->message;
    if (code >= WM_KEYFIRST && code <= 0x109 && accelerators_ && window_) {
        HWND focus = GetFocus();
        if (focus && (focus == window_ || IsChild(window_, focus)) &&
            ::TranslateAcceleratorW(window_, accelerators_, message))
            return TRUE;
    }
    if (code == WM_KEYUP && message->wParam == VK_APPS) return OnContextMenuKey();
    if (code == WM_NOTIFY && message->lParam) {
        auto header = reinterpret_cast<NMHDR*>(message->lParam);
        if (header->code == TTN_GETDISPINFOA)
            return OnToolTipTextA(static_cast<UINT>(header->idFrom), reinterpret_cast<NMTTDISPINFOA*>(header));
        if (header->code == TTN_GETDISPINFOW)
            return OnToolTipTextW(static_cast<UINT>(header->idFrom), reinterpret_cast<NMTTDISPINFOW*>(header));
    }
    if ((code == WM_KEYDOWN || code == WM_KEYUP) && message->wParam == VK_TAB && GetKeyState(VK_CONTROL) < 0) {
        if (code == WM_KEYDOWN && tabControl_) CycleTabs(GetKeyState(VK_SHIFT) < 0);
        return TRUE;
    }
    return FALSE;
}

void CSnapInBase::CycleTabs(bool backwards) {
    int count = static_cast<int>(::SendMessageW(tabControl_, TCM_GETITEMCOUNT, 0, 0));
    if (count <= 0) return;
    int current = static_cast<int>(::SendMessageW(tabControl_, TCM_GETCURSEL, 0, 0));
    int next = backwards ? current - 1 : current + 1;
    if (next < 0) next = count - 1;
    if (next >= count) next = 0;
    ::SendMessageW(tabControl_, TCM_SETCURFOCUS, static_cast<WPARAM>(next), 0);
}

void CSnapInBase::OnConnected() {}

void CSnapInBase::OnHostNotify(int32_t) {}

void CSnapInBase::QuerySupported() {
    Guarded([this] {
        Request request(*this, kSupportedCommand, 1);
        request.Field(kSupportedNode).SetShort(0);
        request.Send();
    });
}

void CSnapInBase::OnActivate() {
    if (toolBar_) {
        host_->ShowSnapInToolBar(toolBar_, 1, toolBarBand_, 0);
        MergeMenu(4, static_cast<uint32_t>(GetSnapInId()));
    }
    if (!firstActivationDone_) {
        // Set first: a first activation that re-enters Activate must not run twice.
        firstActivationDone_ = true;
        OnFirstActivate();
    }
    active_ = true;
}

void CSnapInBase::OnDeactivate() {
    SetStatusPart(0, {});
    SetStatusPart(1, {});
    SetStatusPart(2, {});
    if (toolBar_) {
        host_->HideSnapInToolBar(toolBar_);
        UnmergeMenu(4);
    }
    active_ = false;
    SaveViewSettings();
}

void CSnapInBase::OnFirstActivate() {}

void CSnapInBase::SaveViewSettings() {}

// ---- busy state and status bar ----------------------------------------------

void CSnapInBase::SetStatusPart(int part, const std::wstring& text) {
    HostWindow bar = {};
    if (!host_->GetStatusBar(&bar) || !bar.hwnd) return;
    ::SendMessageW(bar.hwnd, SB_SETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text.c_str()));
}

void CSnapInBase::BeginBusy(uint32_t textId) {
    host_->BeginBusy();
    SetStatusPart(1, LoadStringW(textId));
    SetStatusPart(2, {});
    ++busy_;
    RefreshEnabling();
}

void CSnapInBase::ShowProgress(uint32_t textId, uint32_t done, uint32_t total) {
    SetStatusPart(1, LoadStringW(textId));
    SetStatusPart(2, FormatW(L"%lu/%lu", static_cast<unsigned long>(done), static_cast<unsigned long>(total)));
}

void CSnapInBase::EndBusyWithCount(uint32_t textId, uint32_t done, uint32_t total) {
    // An end without a matching begin changes nothing: one unpaired answer must
    // not leave the host's busy state or the toolbar wrong for good.
    if (busy_ <= 0) return;
    host_->EndBusy();
    SetStatusPart(1, LoadStringW(textId));
    SetStatusPart(2, FormatW(L"%lu/%lu", static_cast<unsigned long>(done), static_cast<unsigned long>(total)));
    --busy_;
    RefreshEnabling();
}

void CSnapInBase::EndBusy(uint32_t textId) {
    if (busy_ <= 0) return;
    host_->EndBusy();
    SetStatusPart(1, LoadStringW(textId));
    SetStatusPart(2, {});
    --busy_;
    RefreshEnabling();
}

void CSnapInBase::RefreshEnabling() {
    const bool idle = busy_ == 0;
    if (toolBar_) {
        int count = static_cast<int>(::SendMessageW(toolBar_, TB_BUTTONCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            TBBUTTON button = {};
            if (!::SendMessageW(toolBar_, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button)))
                continue;
            if (button.fsStyle & BTNS_SEP) continue;
            ::SendMessageW(toolBar_, TB_ENABLEBUTTON, static_cast<WPARAM>(button.idCommand), MAKELONG(idle, 0));
        }
        OnToolBarEnabled();
    }
    if (HMENU popup = menu_ ? GetSubMenu(menu_.get(), 0) : nullptr) {
        int count = GetMenuItemCount(popup);
        for (int i = 0; i < count; ++i)
            EnableMenuItem(popup, static_cast<UINT>(i), MF_BYPOSITION | (idle ? MF_ENABLED : MF_GRAYED));
    }
    if (idle) UpdateCommands();
}

void CSnapInBase::SetStatusText(const char* text) { SetStatusPart(0, AnsiToWide(text ? text : "")); }

void CSnapInBase::SetStatusId(uint32_t textId) { SetStatusPart(0, LoadStringW(textId)); }

// ---- errors -----------------------------------------------------------------

std::wstring CSnapInBase::ErrorTextOf(IMessageNode& root) {
    std::wstring text = DecodeWideText(root.Child(kErrorTextNode)->GetString());
    if (!text.empty()) return text;
    const int32_t code = root.Child(kRetValueNode)->GetLong();
    // A code that is no failure (0 where 1 is success) has a system text that
    // says all went well: never show that as an error.
    if (IsSystemErrorCode(code, RetValueSuccess())) text = SystemErrorText(static_cast<DWORD>(code));
    if (!text.empty()) return text;
    return FormatMessageNumber(LoadStringW(IDS_ERROR_UNKNOWN), static_cast<DWORD>(code));
}

void CSnapInBase::ShowAnswerError(IHostMessage* answer, uint32_t messageId, uint32_t captionId) {
    EmptyNode empty;
    IMessageNode* root = answer ? answer->GetRoot() : nullptr;
    std::wstring text = ErrorTextOf(root ? *root : empty);
    if (messageId != 0) text = FormatMessageString(LoadStringW(messageId), text);
    ShowErrorText(text, captionId);
}

bool CSnapInBase::AnswerSucceeded(IHostMessage& answer, IMessageNode& root, RetValueWidth width) {
    if (!window_) {
        EndBusy(IDS_STATUS_CANCELED);
        return false;
    }
    IMessageNode* value = root.Child(kRetValueNode);
    const int32_t code = !value ? -1 : width == RetValueWidth::Short ? value->GetShort() : value->GetLong();
    if (code == static_cast<int32_t>(RetValueSuccess())) return true;
    EndBusy(IDS_STATUS_FAILED);
    ShowAnswerError(&answer, 0, 0);
    return false;
}

void CSnapInBase::EndBusyUnreadable() {
    EndBusy(IDS_STATUS_FAILED);
    ShowErrorId(IDS_UNREADABLE_ANSWER, 0);
}

void CSnapInBase::ShowErrorText(const std::wstring& text, uint32_t captionId) {
    std::wstring caption = LoadStringW(captionId ? captionId : IDS_ERROR_CAPTION);
    // The text may come from the other side: a box that fits on a screen.
    std::wstring shown = text.size() > kMaxErrorText ? text.substr(0, kMaxErrorText) + L"..." : text;
    ActivationScope scope;
    MessageBoxW(window_, shown.c_str(), caption.c_str(), MB_ICONERROR);
}

void CSnapInBase::ShowError(const char* text, uint32_t captionId) { ShowErrorText(AnsiToWide(text ? text : ""), captionId); }

void CSnapInBase::ShowErrorW(const wchar_t* text, uint32_t captionId) { ShowErrorText(text ? text : L"", captionId); }

void CSnapInBase::ShowErrorId(uint32_t messageId, uint32_t captionId) {
    ShowErrorText(LoadStringW(messageId ? messageId : IDS_ERROR_CAPTION), captionId);
}

// ---- menu and toolbar ---------------------------------------------------------

void CSnapInBase::MergeMenu(int32_t command, uint32_t nameId) {
    if (!menuLoaded_) {
        menuLoaded_ = true;
        menu_.reset(LoadMenuW(ResourceInstance(), MAKEINTRESOURCEW(GetSnapInId())));
    }
    // A second activation without a deactivation between must not add a
    // second button and popup.
    if (!menu_ || menuMerged_) return;
    FrameBars* bars = host_->GetFrameBars();
    if (!bars) return;
    menuMerged_ = true;
    mergedCommand_ = command;
    std::wstring name = LoadStringW(nameId);
    if (bars->toolBar) {
        TBBUTTON button = {};
        button.iBitmap = I_IMAGENONE;
        button.idCommand = command;
        button.fsState = TBSTATE_ENABLED;
        button.fsStyle = BTNS_DROPDOWN | BTNS_AUTOSIZE;
        button.iString = reinterpret_cast<INT_PTR>(name.c_str());
        ::SendMessageW(bars->toolBar, TB_INSERTBUTTONW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&button));
        int index = static_cast<int>(::SendMessageW(bars->toolBar, TB_BUTTONCOUNT, 0, 0)) - 1;
        TBBUTTONINFOW info = {};
        info.cbSize = sizeof(info);
        info.dwMask = TBIF_TEXT | TBIF_BYINDEX;
        info.pszText = name.data();
        ::SendMessageW(bars->toolBar, TB_SETBUTTONINFOW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&info));
    }
    if (bars->menuBar) {
        AppendMenuW(bars->menuBar, MF_BYPOSITION | MF_POPUP | MF_STRING,
                    reinterpret_cast<UINT_PTR>(GetSubMenu(menu_.get(), 0)), name.c_str());
        if (bars->toolBar) DrawMenuBar(GetAncestor(bars->toolBar, GA_ROOT));
    }
    RefreshEnabling();
}

void CSnapInBase::UnmergeMenu(int32_t buttonIndex) {
    if (!menu_ || !menuMerged_) return;
    FrameBars* bars = host_->GetFrameBars();
    if (!bars) return;
    menuMerged_ = false;
    // Our own popup and button are found by what they are: whatever the
    // console added since, nothing of its own is taken away.
    if (bars->menuBar) {
        HMENU popup = GetSubMenu(menu_.get(), 0);
        for (int i = GetMenuItemCount(bars->menuBar) - 1; i >= 0; --i) {
            if (GetSubMenu(bars->menuBar, i) == popup) {
                RemoveMenu(bars->menuBar, static_cast<UINT>(i), MF_BYPOSITION);
                break;
            }
        }
        if (bars->toolBar) DrawMenuBar(GetAncestor(bars->toolBar, GA_ROOT));
    }
    if (bars->toolBar) {
        auto index = static_cast<int>(::SendMessageW(bars->toolBar, TB_COMMANDTOINDEX, static_cast<WPARAM>(mergedCommand_), 0));
        if (index < 0) index = buttonIndex;
        TBBUTTON button = {};
        if (::SendMessageW(bars->toolBar, TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button)) &&
            button.idCommand == mergedCommand_)
            ::SendMessageW(bars->toolBar, TB_DELETEBUTTON, static_cast<WPARAM>(index), 0);
    }
}

void CSnapInBase::UpdateCommands() {}

void CSnapInBase::LoadToolBarImages() {
    static const wchar_t* const kNames[3] = {L"IDB_TOOLBAR_IMAGES_NORMAL", L"IDB_TOOLBAR_IMAGES_HOT",
                                             L"IDB_TOOLBAR_IMAGES_DISABLED"};
    static const UINT kMessages[3] = {TB_SETIMAGELIST, TB_SETHOTIMAGELIST, TB_SETDISABLEDIMAGELIST};
    for (int i = 0; i < 3; ++i) {
        HIMAGELIST list = LoadImageStrip(kNames[i], 16, ILC_COLOR8);
        ::SendMessageW(toolBar_, kMessages[i], 0, reinterpret_cast<LPARAM>(list));
        toolImages_[i].reset(list);  // destroys the list it replaces
    }
}

void CSnapInBase::CreateToolBar(const ToolBarImage* images, int32_t count) {
    HostWindow parent = {};
    host_->GetToolBarParent(&parent);
    ToolBarResource resource = {};
    if (!FindToolBarResource(GetSnapInId(), resource)) return;

    ActivationScope scope;
    toolBar_ = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, kToolBarStyle, 0, 0, 0, 0, parent.hwnd,
                               reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kToolBarId)), ModuleInstance(), nullptr);
    if (!toolBar_) return;
    ::SendMessageW(toolBar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    ::SendMessageW(toolBar_, TB_SETBITMAPSIZE, 0, MAKELONG(resource.width, resource.height));
    ::SendMessageW(toolBar_, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    // Commands, tooltips and drop-downs come to the snap-in window.
    if (window_) ::SendMessageW(toolBar_, TB_SETPARENT, reinterpret_cast<WPARAM>(window_), 0);
    LoadToolBarImages();

    std::vector<TBBUTTON> buttons(resource.count);
    for (WORD i = 0; i < resource.count; ++i) {
        TBBUTTON& button = buttons[i];
        button.idCommand = resource.items[i];
        button.iBitmap = button.idCommand ? I_IMAGENONE : 0;
        button.fsState = button.idCommand ? TBSTATE_ENABLED : 0;
        button.fsStyle = button.idCommand ? BTNS_BUTTON : BTNS_SEP;
    }
    if (!buttons.empty())
        ::SendMessageW(toolBar_, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    for (int32_t i = 0; images && i < count; ++i)
        ::SendMessageW(toolBar_, TB_CHANGEBITMAP, static_cast<WPARAM>(images[i].command), MAKELPARAM(images[i].image, 0));
    ::SendMessageW(toolBar_, TB_AUTOSIZE, 0, 0);

    accelerators_ = LoadAcceleratorsW(ResourceInstance(), MAKEINTRESOURCEW(GetSnapInId()));
}

void CSnapInBase::SetDropDownButton(int32_t command) {
    if (!toolBar_) return;
    TBBUTTONINFOW info = {};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_STYLE;
    if (::SendMessageW(toolBar_, TB_GETBUTTONINFOW, static_cast<WPARAM>(command), reinterpret_cast<LPARAM>(&info)) < 0)
        return;
    info.fsStyle |= BTNS_DROPDOWN | BTNS_WHOLEDROPDOWN;
    ::SendMessageW(toolBar_, TB_SETBUTTONINFOW, static_cast<WPARAM>(command), reinterpret_cast<LPARAM>(&info));
}

void CSnapInBase::OnToolBarEnabled() {}

void CSnapInBase::RegisterReportList(CReportList& list) { reportLists_.push_back(&list); }

bool CSnapInBase::DispatchListNotify(const NMHDR* header, LRESULT* result) {
    for (CReportList* list : reportLists_)
        if (list->HandleNotify(header, result)) return true;
    return false;
}

HWND CSnapInBase::CreateMainDialog(UINT dialogId, DLGPROC procedure, LPARAM parameter) {
    ActivationScope scope;
    HWND dialog = CreateDialogParamW(ResourceInstance(), MAKEINTRESOURCEW(dialogId), window_, procedure, parameter);
    if (!dialog) return nullptr;
    SetWindowLongPtrW(dialog, GWLP_ID, static_cast<LONG_PTR>(dialogId));
    ShowWindow(dialog, SW_SHOWNA);
    SetMainChild(dialog);
    return dialog;
}

HWND CSnapInBase::CreateMainDialog(UINT dialogId) {
    mainDialog_ = CreateMainDialog(dialogId, &MainDialogProcedure, reinterpret_cast<LPARAM>(this));
    return mainDialog_;
}

INT_PTR CALLBACK CSnapInBase::MainDialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        return FALSE;
    }
    // Nothing reaches the snap-in before the dialog has been made.
    auto self = reinterpret_cast<CSnapInBase*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!self || self->mainDialog_ != dialog) return FALSE;
    switch (message) {
    case WM_SIZE:
        Guarded([self] { self->LayoutMainDialog(); });
        return TRUE;
    case WM_DESTROY:
        self->mainDialog_ = nullptr;
        Guarded([self] { self->OnMainDialogDestroyed(); });
        return FALSE;
    default:
        return self->ForwardToSnapInWindow(dialog, message, wParam, lParam) ? TRUE : FALSE;
    }
}

HWND CSnapInBase::SetUpTabs(HWND dialog, int tabsId, std::initializer_list<UINT> titles) {
    HWND tabs = GetDlgItem(dialog, tabsId);
    if (!tabs) return nullptr;
    AddTabs(tabs, titles);
    ::SendMessageW(tabs, TCM_SETCURSEL, 0, 0);
    SetTabControl(tabs);
    return tabs;
}

bool CSnapInBase::ForwardToSnapInWindow(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_COMMAND && message != WM_NOTIFY && message != WM_CONTEXTMENU) return false;
    if (!window_) return false;
    const LRESULT result = ::SendMessageW(window_, message, wParam, lParam);
    // The command may have closed the dialog.
    if (IsWindow(dialog)) SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
    return true;
}

int CSnapInBase::PlaceTabRow(HWND tabs, const RECT& client) {
    if (!tabs) return 0;
    RECT display = {0, 0, client.right, client.bottom};
    ::SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    const int height = std::clamp<int>(display.top, 0, client.bottom);
    MoveWindow(tabs, 0, 0, client.right, height, TRUE);
    return height;
}

UniqueMenu CSnapInBase::LoadMenuResource(UINT id) const {
    return UniqueMenu(LoadMenuW(ResourceInstance(), MAKEINTRESOURCEW(id)));
}

void CSnapInBase::TrackMenu(HMENU popup, POINT screen, UINT flags) {
    if (!popup) return;
    ActivationScope scope;
    TrackPopupMenu(popup, flags | TPM_RIGHTBUTTON, screen.x, screen.y, 0, window_, nullptr);
}

POINT CSnapInBase::DropDownPoint(int command) const {
    RECT button = {};
    ::SendMessageW(toolBar_, TB_GETRECT, static_cast<WPARAM>(command), reinterpret_cast<LPARAM>(&button));
    POINT corner = {button.left, button.bottom};
    ClientToScreen(toolBar_, &corner);
    return corner;
}

int32_t CSnapInBase::CompareItems(int32_t item1, int32_t item2, int32_t listId) {
    for (CReportList* list : reportLists_)
        if (list->ControlId() == listId) return list->CompareItemsAt(item1, item2);
    return 0;
}

void CSnapInBase::UpdateTitle() {
    HostText prefix = {};
    const char* text = host_->GetTitlePrefix(&prefix);
    std::string title = text ? std::string(text) : std::string();
    title += "- ";
    title += LoadStringAnsi(static_cast<UINT>(GetSnapInId()));
    host_->SetTitle(title.c_str());
}

BOOL CSnapInBase::OnContextMenuKey() { return FALSE; }

BOOL CSnapInBase::OnToolTipTextA(UINT id, NMTTDISPINFOA* info) {
    return info ? FillToolTip(id, info, info->szText, sizeof(info->szText)) : FALSE;
}

BOOL CSnapInBase::OnToolTipTextW(UINT id, NMTTDISPINFOW* info) {
    return info ? FillToolTip(id, info, info->szText, std::size(info->szText)) : FALSE;
}

// ---- requests and answers -----------------------------------------------------

CSnapInBase::Request::Request(CSnapInBase& owner, uint32_t command, int32_t replyFlag)
    : owner_(owner), message_(owner.host_->CreateMessage()), command_(command) {
    if (!message_) return;
    message_->SetCommand(command);
    message_->SetSnapInId(static_cast<uint32_t>(owner.GetSnapInId()));
    message_->SetReplyFlag(replyFlag);
}

CSnapInBase::Request::Request(CSnapInBase& owner, HostCommand)
    : owner_(owner), message_(owner.host_->CreateMessage()), command_(message_ ? message_->GetCommand() : 0) {
    if (message_) message_->SetSnapInId(static_cast<uint32_t>(owner.GetSnapInId()));
}

CSnapInBase::Request::~Request() {
    if (message_) message_->Release();
}

IMessageNode& CSnapInBase::Request::Field(const char* name) {
    static EmptyNode sink;  // a host that gave no message swallows the fields
    IMessageNode* root = message_ ? message_->GetRoot() : nullptr;
    IMessageNode* child = root ? root->Child(name) : nullptr;
    return child ? *child : sink;
}

bool CSnapInBase::Request::Send() {
    if (!message_) return false;
    owner_.CountSent(command_);
    owner_.host_->SendMessage(std::exchange(message_, nullptr));
    return true;
}

void CSnapInBase::CountSent(uint32_t command) {
    for (auto& [code, count] : outstanding_) {
        if (code == command) {
            ++count;
            return;
        }
    }
    outstanding_.emplace_back(command, 1);
}

bool CSnapInBase::TakeOutstanding(uint32_t command) {
    for (auto& [code, count] : outstanding_) {
        if (code == command && count > 0) {
            --count;
            return true;
        }
    }
    return false;
}

void CSnapInBase::ReturnOutstanding(uint32_t command) { CountSent(command); }

int CSnapInBase::Outstanding(uint32_t command) const {
    for (const auto& [code, count] : outstanding_)
        if (code == command) return count;
    return 0;
}

void CSnapInBase::OnAnswer(IHostMessage* answer) {
    if (!answer) return;
    AnswerHolder holder(answer);
    try {
        const uint32_t command = AnswerCommand(*answer);
        if (!TakeOutstanding(command)) return;  // nobody asked: ignored
        EmptyNode empty;
        IMessageNode* root = answer->GetRoot();
        HandleAnswer(command, *answer, root ? *root : empty);
    } catch (...) {
        // Nothing may cross back into the host; the answer is still released.
    }
}

void CSnapInBase::DiscardAnswer(IHostMessage* answer) {
    if (answer) answer->Release();
}

void CSnapInBase::HandleAnswer(uint32_t command, IHostMessage&, IMessageNode& root) {
    if (command != kSupportedCommand) return;
    if (root.Child(kSupportedNode)->GetBool())
        host_->SnapInSupported(GetSnapInId());
    else
        host_->SnapInNotSupported(GetSnapInId());
}

// ---- window -------------------------------------------------------------------

HWND CSnapInBase::CreateSnapInWindow(HWND parent, DWORD extraStyle) {
    if (window_) return window_;
    ActivationScope scope;
    CreateWindowExW(0, kSnapInWindowClass, nullptr, WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | extraStyle, 0, 0, 0, 0,
                    parent, nullptr, ModuleInstance(), this);
    return window_;  // set at WM_NCCREATE, cleared again if creation failed
}

LRESULT CALLBACK CSnapInBase::WindowClassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ObjectWindowProc<CSnapInBase, &CSnapInBase::window_, &CSnapInBase::WindowProc>(window, message, wParam, lParam);
}

HWND CSnapInBase::CreateWindowOnce(HWND parent) {
    if (window_) return window_;
    Guarded([&] {
        if (CreateSnapInWindow(parent)) OnCreateWindow();
    });
    return window_;
}

LRESULT CSnapInBase::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT CSnapInBase::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        if (mainChild_) MoveWindow(mainChild_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_SETFOCUS:
        if (mainChild_) SetFocus(mainChild_);
        return 0;
    case WM_DESTROY:
        // The children go with this window.
        mainChild_ = nullptr;
        for (CReportList* list : reportLists_) list->Detach();
        break;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return 0;
    case WM_INITMENUPOPUP:
        if (!IsBusy()) UpdateCommands();
        return 0;
    case WM_CONTEXTMENU:
        for (CReportList* list : reportLists_) {
            if (list->Handle() && reinterpret_cast<HWND>(wParam) == list->Handle()) {
                OnListContextMenu(*list, list->ContextMenuPoint(lParam));
                return 0;
            }
        }
        break;
    default:
        break;
    }
    if (message == WM_NOTIFY && lParam) {
        auto header = reinterpret_cast<NMHDR*>(lParam);
        LRESULT result = 0;
        if (DispatchListNotify(header, &result)) return result;
        if (header->code == TBN_DROPDOWN && toolBar_ && header->hwndFrom == toolBar_) {
            OnToolBarDropDown(reinterpret_cast<NMTOOLBARW*>(header)->iItem);
            return TBDDRET_DEFAULT;
        }
        if (header->code == TTN_GETDISPINFOW)
            return OnToolTipTextW(static_cast<UINT>(header->idFrom), reinterpret_cast<NMTTDISPINFOW*>(header));
        if (header->code == TTN_GETDISPINFOA)
            return OnToolTipTextA(static_cast<UINT>(header->idFrom), reinterpret_cast<NMTTDISPINFOA*>(header));
    }
    return DefaultProc(message, wParam, lParam);
}

}  // namespace vantrel
