#include "hostwin/HostFrame.h"

#include <algorithm>
#include <cstring>

namespace vantrel::host {
namespace {

constexpr wchar_t kFrameClass[] = L"VantrelConsoleFrame";
constexpr wchar_t kStripClass[] = L"VantrelToolBarStrip";
constexpr UINT_PTR kDeliveryTimer = 1;
constexpr int kStripHeight = 30;
// Names tried for a damaged settings file before giving up: name.damaged,
// name.damaged-2, ...
constexpr int kSetAsideAttempts = 100;

}  // namespace

void RegisterPlainWindowClass(const wchar_t* name, int backgroundColor, HICON icon) {
    WNDCLASSEXW existing = {sizeof(existing)};
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (GetClassInfoExW(instance, name, &existing)) return;
    WNDCLASSEXW window = {};
    window.cbSize = sizeof(window);
    window.lpfnWndProc = DefWindowProcW;
    window.hInstance = instance;
    window.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(backgroundColor + 1));
    window.lpszClassName = name;
    window.hIcon = icon;
    RegisterClassExW(&window);
}

HostFrame::HostFrame() = default;

HostFrame::~HostFrame() { DestroyFrame(); }

void HostFrame::DestroyFrame() {
    if (frame_ && IsWindow(frame_)) {
        SetWindowLongPtrW(frame_, GWLP_USERDATA, 0);
        DestroyWindow(frame_);
    }
    frame_ = nullptr;
    if (menuBar_ && !IsMenu(menuBar_)) menuBar_ = nullptr;
}

bool HostFrame::CreateFrame(const wchar_t* title, bool visible) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    RegisterPlainWindowClass(kFrameClass, COLOR_BTNFACE, LoadIconW(nullptr, IDI_APPLICATION));
    RegisterPlainWindowClass(kStripClass, COLOR_BTNFACE);
    menuBar_ = CreateMenu();
    fileMenu_ = CreatePopupMenu();
    AppendMenuW(fileMenu_, MF_STRING, kExitCommand, L"E&xit");
    AppendMenuW(menuBar_, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(fileMenu_), L"&File");
    consoleMenus_ = GetMenuItemCount(menuBar_);
    frame_ = CreateWindowExW(0, kFrameClass, title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | (visible ? WS_VISIBLE : 0),
                             0, 0, 1024, 700, nullptr, menuBar_, instance, nullptr);
    if (!frame_) return false;
    SetWindowLongPtrW(frame_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(frame_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HostFrame::StaticFrameProc));
    CreateBars();
    bars_ = {consoleToolBar_, menuBar_};
    Layout();
    return consoleToolBar_ && toolBarStrip_ && statusBar_ && content_;
}

void HostFrame::CreateBars() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    consoleToolBar_ = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                                      WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | TBSTYLE_TOOLTIPS | CCS_TOP,
                                      0, 0, 0, 0, frame_, reinterpret_cast<HMENU>(1), instance, nullptr);
    ::SendMessageW(consoleToolBar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    // Every button shows its text: the snap-ins' merged button has no picture.
    ::SendMessageW(consoleToolBar_, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    ::SendMessageW(consoleToolBar_, TB_SETBITMAPSIZE, 0, MAKELONG(16, 16));
    // The system's standard pictures: connect and disconnect from the view set.
    ::SendMessageW(consoleToolBar_, TB_LOADIMAGES, IDB_STD_SMALL_COLOR, reinterpret_cast<LPARAM>(HINST_COMMCTRL));
    auto images = reinterpret_cast<HIMAGELIST>(::SendMessageW(consoleToolBar_, TB_GETIMAGELIST, 0, 0));
    int viewImages = images ? ImageList_GetImageCount(images) : -1;
    if (viewImages >= 0)
        ::SendMessageW(consoleToolBar_, TB_LOADIMAGES, IDB_VIEW_SMALL_COLOR, reinterpret_cast<LPARAM>(HINST_COMMCTRL));
    static const wchar_t* const kLabels[kConsoleButtons] = {L"Connect", L"Disconnect", L"Options", L"Help"};
    const int pictures[kConsoleButtons] = {viewImages >= 0 ? viewImages + VIEW_NETCONNECT : I_IMAGENONE,
                                           viewImages >= 0 ? viewImages + VIEW_NETDISCONNECT : I_IMAGENONE,
                                           images ? STD_PROPERTIES : I_IMAGENONE, images ? STD_HELP : I_IMAGENONE};
    TBBUTTON buttons[kConsoleButtons] = {};
    for (int i = 0; i < kConsoleButtons; ++i) {
        buttons[i].iBitmap = pictures[i];
        buttons[i].idCommand = static_cast<int>(kConnectCommand) + i;
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE;
        buttons[i].iString = reinterpret_cast<INT_PTR>(kLabels[i]);
    }
    ::SendMessageW(consoleToolBar_, TB_ADDBUTTONSW, kConsoleButtons, reinterpret_cast<LPARAM>(buttons));
    ::SendMessageW(consoleToolBar_, TB_AUTOSIZE, 0, 0);

    toolBarStrip_ = CreateWindowExW(0, kStripClass, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0, frame_,
                                    nullptr, instance, nullptr);
    SetWindowLongPtrW(toolBarStrip_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(toolBarStrip_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HostFrame::StaticStripProc));

    statusBar_ = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, frame_,
                                 reinterpret_cast<HMENU>(2), instance, nullptr);
    content_ = CreateWindowExW(WS_EX_CLIENTEDGE, kStripClass, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0,
                               frame_, nullptr, instance, nullptr);
    SetWindowLongPtrW(content_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(content_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HostFrame::StaticStripProc));
}

void HostFrame::Layout() {
    if (!frame_) return;
    RECT client;
    GetClientRect(frame_, &client);
    ::SendMessageW(consoleToolBar_, TB_AUTOSIZE, 0, 0);
    ::SendMessageW(statusBar_, WM_SIZE, 0, 0);
    RECT toolRect = {}, statusRect = {};
    GetWindowRect(consoleToolBar_, &toolRect);
    GetWindowRect(statusBar_, &statusRect);
    int top = toolRect.bottom - toolRect.top;
    int bottom = client.bottom - (statusRect.bottom - statusRect.top);
    int width = client.right - client.left;
    int parts[3] = {std::max(width - 320, 100), std::max(width - 100, 200), -1};
    ::SendMessageW(statusBar_, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(parts));
    // The strip takes room only while a snap-in shows its toolbar in it.
    int strip = shownToolBar_ ? kStripHeight : 0;
    MoveWindow(toolBarStrip_, 0, top, width, strip, TRUE);
    if (shownToolBar_) MoveWindow(shownToolBar_, 2, 2, width - 4, kStripHeight - 4, TRUE);
    RECT area = {0, top + strip, width, std::max<LONG>(bottom, top + strip)};
    LayoutContent(area);
}

void HostFrame::LayoutContent(const RECT& area) {
    MoveWindow(content_, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
    RECT inner;
    GetClientRect(content_, &inner);
    ResizeChildren(content_, inner.right, inner.bottom);
}

// Every page in the content area (the snap-ins' windows and whatever the
// console shows there itself) fills it.
void HostFrame::ResizeChildren(HWND parent, int width, int height) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        MoveWindow(child, 0, 0, width, height, TRUE);
}

LRESULT CALLBACK HostFrame::StaticFrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto self = reinterpret_cast<HostFrame*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    return self->FrameProc(message, wParam, lParam);
}

LRESULT CALLBACK HostFrame::StaticStripProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto self = reinterpret_cast<HostFrame*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && message == WM_SIZE && window == self->content_) self->ResizeChildren(window, LOWORD(lParam), HIWORD(lParam));
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT HostFrame::FrameProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        Layout();
        return 0;
    case WM_TIMER:
        if (wParam == kDeliveryTimer) {
            KillTimer(frame_, kDeliveryTimer);
            DeliverDueAnswers();
            return 0;
        }
        break;
    case kDeliverAnswersMessage:
        DeliverDueAnswers();
        return 0;
    case WM_NOTIFY: {
        auto header = reinterpret_cast<NMHDR*>(lParam);
        if (header && header->hwndFrom == consoleToolBar_ && header->code == TBN_DROPDOWN) {
            auto drop = reinterpret_cast<NMTOOLBARW*>(lParam);
            if (drop->iItem == kMergedCommand) ShowMergedMenu();
            return TBDDRET_DEFAULT;
        }
        break;
    }
    case WM_INITMENUPOPUP:
        // The snap-in refreshes its popup's checks and enabling.
        if (active_ && active_->GetWindow()) ::SendMessageW(active_->GetWindow(), message, wParam, lParam);
        return 0;
    case WM_COMMAND: {
        UINT command = LOWORD(wParam);
        if (command >= kFirstConsoleCommand && command <= kLastConsoleCommand) {
            if (command == kExitCommand)
                PostMessageW(frame_, WM_CLOSE, 0, 0);
            else
                OnConsoleCommand(command);
            return 0;
        }
        bool fromConsoleToolBar = lParam != 0 && reinterpret_cast<HWND>(lParam) == consoleToolBar_;
        if (fromConsoleToolBar) {
            // The merged button's face opens its menu as its arrow does.
            if (command == kMergedCommand) ShowMergedMenu();
            return 0;
        }
        if (active_ && active_->GetWindow()) return ::SendMessageW(active_->GetWindow(), message, wParam, lParam);
        return 0;
    }
    case WM_SETCURSOR:
        if (busyDepth_ > 0 && LOWORD(lParam) == HTCLIENT) {
            SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
            return TRUE;
        }
        break;
    case WM_DESTROY:
        frame_ = nullptr;
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(frame_, message, wParam, lParam);
}

bool HostFrame::HasMergedMenu() const { return menuBar_ && GetMenuItemCount(menuBar_) > consoleMenus_; }

void HostFrame::ShowMergedMenu() {
    if (!HasMergedMenu()) return;
    int index = static_cast<int>(::SendMessageW(consoleToolBar_, TB_COMMANDTOINDEX, kMergedCommand, 0));
    RECT rect = {};
    if (index < 0 || !::SendMessageW(consoleToolBar_, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect)))
        return;
    MapWindowPoints(consoleToolBar_, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    HMENU popup = GetSubMenu(menuBar_, GetMenuItemCount(menuBar_) - 1);
    TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, rect.left, rect.bottom, 0, frame_, nullptr);
}

// ---- snap-ins and answers ---------------------------------------------------

void HostFrame::AttachSnapIn(ISnapIn* snapIn) {
    if (snapIn && std::find(snapIns_.begin(), snapIns_.end(), snapIn) == snapIns_.end()) snapIns_.push_back(snapIn);
}

void HostFrame::DetachAllSnapIns() {
    snapIns_.clear();
    active_ = nullptr;
    // Answers still on their way were for the snap-ins that are going; new
    // snap-ins with the same numbers must not take them for their own.
    while (!pending_.empty()) {
        std::unique_ptr<Message> answer = std::move(pending_.front().answer);
        pending_.pop_front();
        answer.release()->Release();
    }
}

ISnapIn* HostFrame::FindSnapIn(int32_t snapInId) const {
    for (ISnapIn* snapIn : snapIns_)
        if (snapIn->GetSnapInId() == snapInId) return snapIn;
    return nullptr;
}

void HostFrame::DeliverLater(std::unique_ptr<Message> answer, unsigned delayMs) {
    if (!answer) return;
    pending_.push_back({std::move(answer), GetTickCount64() + delayMs});
    ScheduleDelivery();
}

void HostFrame::ScheduleDelivery() {
    if (pending_.empty() || !frame_) return;
    ULONGLONG now = GetTickCount64();
    ULONGLONG due = pending_.front().due;
    if (due <= now)
        PostMessageW(frame_, kDeliverAnswersMessage, 0, 0);
    else
        SetTimer(frame_, kDeliveryTimer, static_cast<UINT>(due - now), nullptr);
}

size_t HostFrame::PendingAnswersWhere(const std::function<bool(const Message&)>& counted) const {
    size_t count = 0;
    for (const PendingAnswer& pending : pending_)
        if (counted(*pending.answer)) ++count;
    return count;
}

bool HostFrame::DeliverDueAnswers() {
    bool delivered = false;
    while (!pending_.empty() && pending_.front().due <= GetTickCount64()) {
        std::unique_ptr<Message> answer = std::move(pending_.front().answer);
        pending_.pop_front();
        delivered = true;
        ++answersDelivered_;
        ISnapIn* snapIn = FindSnapIn(static_cast<int32_t>(answer->SnapInId()));
        IAnswerSink* sink = snapIn ? snapIn->GetAnswerSink() : nullptr;
        if (sink)
            sink->OnAnswer(answer.release());  // the snap-in releases it
        else
            answer.release()->Release();
    }
    ScheduleDelivery();
    return delivered;
}

bool HostFrame::PumpOne(bool wait) {
    MSG message;
    if (wait) {
        if (GetMessageW(&message, nullptr, 0, 0) <= 0) return false;
    } else if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        return true;
    } else if (message.message == WM_QUIT) {
        return false;
    }
    if (active_ && active_->TranslateAccelerator(&message)) return true;
    TranslateMessage(&message);
    DispatchMessageW(&message);
    return true;
}

void HostFrame::PumpPending() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (active_ && active_->TranslateAccelerator(&message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// ---- ISnapInHost --------------------------------------------------------------

IHostMessage* HostFrame::CreateMessage() { return new Message(); }

void HostFrame::SendMessage(IHostMessage* message) {
    if (!message) return;
    OnRequest(std::unique_ptr<Message>(static_cast<Message*>(message)));
}

void HostFrame::OnRequest(std::unique_ptr<Message> request) {
    if (!responder_) return;
    if (std::unique_ptr<Message> answer = responder_(*request)) DeliverLater(std::move(answer), answerDelayMs_);
}

void HostFrame::LoadSettings() {
    if (settingsLoaded_ || settingsFile_.empty()) return;
    settingsLoaded_ = true;
    if (settings_.LoadFromFile(settingsFile_, &settingsError_)) return;
    // The console starts afresh; the damaged file is kept for the user under
    // a name of its own, and is never overwritten.
    settings_.Clear();
    std::string report = settingsError_;
    std::string where;
    if (SetSettingsAside(&where)) {
        report += "\nThe file was set aside as " + where + "; default settings are used.";
    } else {
        savingAllowed_ = false;
        report += "\nThe file could not be set aside (" + where + "); settings will not be saved in this session.";
    }
    OnSettingsProblem(report);
}

bool HostFrame::SetSettingsAside(std::string* where) {
    // Only a file is moved: a folder given as the settings file stays where it is.
    std::error_code status;
    if (!std::filesystem::is_regular_file(settingsFile_, status)) {
        *where = "it is not a file";
        return false;
    }
    DWORD lastError = ERROR_SUCCESS;
    for (int attempt = 1; attempt <= kSetAsideAttempts; ++attempt) {
        std::filesystem::path aside = settingsFile_;
        aside += attempt == 1 ? std::wstring(L".damaged") : L".damaged-" + std::to_wstring(attempt);
        // Without MOVEFILE_REPLACE_EXISTING: an older set-aside file stays.
        if (MoveFileExW(settingsFile_.c_str(), aside.c_str(), 0)) {
            setAside_ = aside;
            *where = WideToUtf8(aside.wstring());
            return true;
        }
        lastError = GetLastError();
        if (lastError != ERROR_ALREADY_EXISTS && lastError != ERROR_FILE_EXISTS) break;
    }
    *where = "system error " + std::to_string(lastError);
    return false;
}

void HostFrame::SaveSettings() {
    if (settingsFile_.empty()) return;
    if (!savingAllowed_) return;  // the damaged file is still there; reported at load
    std::string error;
    if (settings_.SaveToFile(settingsFile_, &error)) return;
    settingsError_ = error;
    OnSettingsProblem(error);
}

ISettingsNode* HostFrame::GetSnapInSettings(int32_t snapInId) { return settings_.SnapInSection(snapInId); }

HostWindow* HostFrame::GetToolBarParent(HostWindow* out) {
    if (out) out->hwnd = toolBarStrip_;
    return out;
}

HostWindow* HostFrame::GetStatusBar(HostWindow* out) {
    if (out) out->hwnd = statusBar_;
    return out;
}

FrameBars* HostFrame::GetFrameBars() { return &bars_; }

void HostFrame::SetRemoteHostVersion(int16_t version) { remoteVersion_ = version; }

void HostFrame::RemoteHostVersionKnown() {
    remoteVersionKnown_ = true;
    OnRemoteVersionKnown();
}

void HostFrame::SnapInSupported(int32_t snapInId) { OnSupported(snapInId, true); }

void HostFrame::SnapInNotSupported(int32_t snapInId) { OnSupported(snapInId, false); }

int16_t HostFrame::GetRemotePlatform() { return platform_; }

void HostFrame::BeginBusy() {
    ++busyDepth_;
    OnBusyChanged();
}

void HostFrame::EndBusy() {
    --busyDepth_;  // not clamped: a test host must see an unpaired end
    OnBusyChanged();
}

void HostFrame::ShowSnapInToolBar(HWND toolBar, int32_t show, int32_t, int32_t) {
    if (!toolBar) return;
    if (!show) {
        HideSnapInToolBar(toolBar);
        return;
    }
    // One toolbar at a time: also those of snap-ins that were never activated.
    for (HWND child = GetWindow(toolBarStrip_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (child != toolBar) ShowWindow(child, SW_HIDE);
    shownToolBar_ = toolBar;
    ShowWindow(toolBar, SW_SHOW);
    Layout();
}

void HostFrame::HideSnapInToolBar(HWND toolBar) {
    if (!toolBar) return;
    ShowWindow(toolBar, SW_HIDE);
    if (shownToolBar_ == toolBar) {
        shownToolBar_ = nullptr;
        Layout();
    }
}

const char* HostFrame::GetTitlePrefix(HostText* out) {
    if (!out) return "";
    size_t n = std::min(titlePrefix_.size(), sizeof(out->text) - 1);
    std::memcpy(out->text, titlePrefix_.data(), n);
    out->text[n] = '\0';
    return out->text;
}

void HostFrame::SetTitle(const char* title) {
    title_ = title ? title : "";
    if (frame_) SetWindowTextA(frame_, title_.c_str());
}

std::wstring HostFrame::StatusText(int part) const {
    if (!statusBar_) return {};
    LRESULT info = ::SendMessageW(statusBar_, SB_GETTEXTLENGTHW, static_cast<WPARAM>(part), 0);
    std::wstring text(LOWORD(info) + 1, L'\0');
    ::SendMessageW(statusBar_, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text.data()));
    text.resize(wcslen(text.c_str()));
    return text;
}

}  // namespace vantrel::host
