#include "console/ConsoleHost.h"

#include "console/ScreenshotWalker.h"

#include <shlobj.h>
#include <windowsx.h>

#include <algorithm>

namespace vantrel::console {
namespace {

constexpr wchar_t kEmptyPageClass[] = L"VantrelEmptyPage";
constexpr UINT kShowNoticeMessage = WM_APP + 0x60;
constexpr UINT kAboutCommand = 40005;
constexpr int kSplitterWidth = 5;
constexpr int kMinPaneWidth = 120;
constexpr int kAutoPaneMinimum = 190;
constexpr int kFrameWidth = 1100;
constexpr int kFrameHeight = 720;
constexpr int kMinFrameWidth = 640;
constexpr int kMinFrameHeight = 420;
constexpr wchar_t kConsoleSection[] = L"Console";
constexpr wchar_t kPaneWidthName[] = L"PaneWidth";

std::wstring Widen(const std::string& utf8) {
    std::wstring wide;
    if (host::Utf8ToWide(utf8, &wide)) return wide;
    return std::wstring(utf8.begin(), utf8.end());
}

std::wstring FirstLine(const std::wstring& text) { return text.substr(0, text.find(L'\n')); }

}  // namespace

// What the content area shows when the chosen tool has no window of its own,
// or while the console is not connected: one centred line on the window colour.
class EmptyPage {
public:
    explicit EmptyPage(HWND parent) {
        host::RegisterPlainWindowClass(kEmptyPageClass, COLOR_WINDOW);
        RECT area = {};
        GetClientRect(parent, &area);
        window_ = CreateWindowExW(0, kEmptyPageClass, nullptr, WS_CHILD | WS_CLIPSIBLINGS, 0, 0, area.right, area.bottom,
                                  parent, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!window_) return;
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EmptyPage::Proc));
    }
    ~EmptyPage() {
        if (window_ && IsWindow(window_)) {
            SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
            DestroyWindow(window_);
        }
    }
    EmptyPage(const EmptyPage&) = delete;
    EmptyPage& operator=(const EmptyPage&) = delete;

    HWND Window() const { return window_; }
    void SetText(std::wstring text) {
        text_ = std::move(text);
        if (window_) InvalidateRect(window_, nullptr, TRUE);
    }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto self = reinterpret_cast<EmptyPage*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && message == WM_PAINT) {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            self->Paint(dc);
            EndPaint(window, &paint);
            return 0;
        }
        if (self && message == WM_PRINTCLIENT) {
            self->Paint(reinterpret_cast<HDC>(wParam));
            return 0;
        }
        if (self && message == WM_SIZE) InvalidateRect(window, nullptr, TRUE);
        return DefWindowProcW(window, message, wParam, lParam);
    }
    void Paint(HDC dc) {
        RECT client;
        GetClientRect(window_, &client);
        HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &client,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        SelectObject(dc, oldFont);
    }

    HWND window_ = nullptr;
    std::wstring text_;
};

ConsoleHost::ConsoleHost(ConsoleOptions options) : options_(std::move(options)), machine_(options_.machine) {
    responder_ = [this](const host::Message& request) { return machine_.Answer(request); };
    answerDelayMs_ = options_.latencyMs;
    SetRemotePlatform(machine_.Config().platform);
    SetTitlePrefix(Prefix());
}

ConsoleHost::~ConsoleHost() {
    Shutdown();
    // The windows go before the module that drew into them is unloaded.
    emptyPage_.reset();
    DestroyFrame();
}

std::string ConsoleHost::Prefix() const {
    return machine_.Config().platform == remote::kDevicePlatform ? "Vantrel Console [simulated device] "
                                                                  : "Vantrel Console [simulated machine] ";
}

std::filesystem::path ConsoleHost::DefaultSettingsFile() {
    wchar_t* folder = nullptr;
    std::filesystem::path file;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_CREATE, nullptr, &folder)) && folder)
        file = std::filesystem::path(folder) / L"Vantrel" / L"console-settings.txt";
    CoTaskMemFree(folder);
    return file;
}

bool ConsoleHost::Start(bool visible, std::wstring* error) {
    std::wstring ignored;
    if (!error) error = &ignored;
    if (!module_.Load(SnapInModule::ProgramDirectory(), error)) return false;
    if (!CreateFrame(L"Vantrel Console", false)) {
        *error = L"The console window could not be created.";
        return false;
    }
    BuildConsoleMenu();
    emptyPage_ = std::make_unique<EmptyPage>(Content());
    if (!emptyPage_->Window() ||
        !pane_.Create(Frame(), module_.Handle(), [this](int32_t id, bool byKeyboard) { OnToolSelected(id, byKeyboard); })) {
        *error = L"The console window could not be created.";
        return false;
    }

    std::filesystem::path settings = options_.settingsFile.empty() ? DefaultSettingsFile() : options_.settingsFile;
    std::error_code status;
    if (!settings.empty() && settings.has_parent_path()) std::filesystem::create_directories(settings.parent_path(), status);
    if (settings.empty())
        OnSettingsProblem("There is no application-data folder; settings are kept until the console closes.");
    SetSettingsFile(settings);
    LoadSettings();
    if (ISettingsNode* section = Settings().Root().Find(kConsoleSection))
        paneWidth_ = section->Items()->GetNamedValue(kPaneWidthName);

    started_ = true;
    Connect();

    RECT work = {0, 0, kFrameWidth, kFrameHeight};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    int width = std::min<int>(kFrameWidth, work.right - work.left);
    int height = std::min<int>(kFrameHeight, work.bottom - work.top);
    SetWindowPos(Frame(), nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    if (visible) {
        ShowWindow(Frame(), SW_SHOW);
        SetForegroundWindow(Frame());
        UpdateWindow(Frame());
    }
    return true;
}

int ConsoleHost::Run() {
    if (!options_.screenshotsDir.empty()) {
        // A slow machine makes every wait longer: the walk allows for it.
        WalkTiming timing;
        timing.connectTimeoutMs += options_.latencyMs;
        timing.toolTimeoutMs += options_.latencyMs;
        ScreenshotWalker walker(*this, options_.screenshotsDir, timing);
        int code = walker.Run();
        Shutdown();
        return code;
    }
    while (PumpOne(true)) {
    }
    return 0;
}

// ---- connection and snap-ins --------------------------------------------------

void ConsoleHost::Connect() {
    if (list_ || !started_) return;
    list_ = module_.CreateList(this);
    if (!list_) {
        SetMachineText();
        emptyPage_->SetText(L"The snap-in module did not provide its tools.");
        ShowWindow(emptyPage_->Window(), SW_SHOW);
        UpdateConnectionCommands();
        return;
    }
    std::vector<ISnapIn*> created;
    for (int32_t id = kStartPage; id <= kLastTool; ++id) {
        ISnapIn* snapIn = list_->GetSnapIn(id);
        if (id != kStartPage) pane_.AddTool(id, ToolName(id));
        if (!snapIn) {
            pane_.SetState(id, ToolState::Unavailable);
            continue;
        }
        AttachSnapIn(snapIn);
        snapIn->SetMenuCommand(kMergedCommand);
        if (HWND window = snapIn->Create(Content())) {
            RECT area = {};
            GetClientRect(Content(), &area);
            MoveWindow(window, 0, 0, area.right, area.bottom, FALSE);
        }
        created.push_back(snapIn);
    }
    SetMachineText();
    UpdateConnectionCommands();
    Layout();
    pane_.Select(kStartPage);
    OnToolSelected(kStartPage, false);
    // Answers come later, through the message loop.
    for (ISnapIn* snapIn : created) snapIn->QuerySupported();
    for (ISnapIn* snapIn : created) snapIn->OnConnected();
}

void ConsoleHost::Disconnect() {
    if (!list_) return;
    ReleaseSnapIns();
    pane_.RemoveTools();
    SetMachineText();
    SetTitle(Prefix().c_str());
    ShowPageFor(nullptr);
    UpdateConnectionCommands();
    Layout();
}

void ConsoleHost::ReleaseSnapIns() {
    if (ISnapIn* active = ActiveSnapIn()) active->Deactivate();  // saves its view settings
    SetActiveSnapIn(nullptr);
    SaveSettings();
    DetachAllSnapIns();  // answers still on their way are released unread
    if (list_) list_->Release();
    list_ = nullptr;
    // Released snap-ins can no longer end what they began.
    ResetBusy();
}

void ConsoleHost::Shutdown() {
    if (!started_) return;
    started_ = false;
    closing_ = true;
    if (list_)
        ReleaseSnapIns();
    else
        SaveSettings();
}

bool ConsoleHost::Select(int32_t id) { return pane_.Select(id); }

void ConsoleHost::OnToolSelected(int32_t id, bool byKeyboard) {
    ISnapIn* target = FindSnapIn(id);
    ISnapIn* current = ActiveSnapIn();
    if (target != current) {
        if (current) current->Deactivate();
        SetActiveSnapIn(target);
        ShowPageFor(target);
        if (target) target->Activate();
        // The tool that was left has written its view settings into the store.
        if (current) SaveSettings();
    } else {
        ShowPageFor(target);
    }
    // The keyboard stays in the tree while the arrows move through it, and
    // when the tool has no window to take it.
    HWND focus = GetFocus();
    if (byKeyboard || !focus || !IsWindowVisible(focus)) SetFocus(pane_.Tree());
}

void ConsoleHost::ShowPageFor(ISnapIn* snapIn) {
    if (!emptyPage_) return;
    bool ownWindow = snapIn && snapIn->GetWindow();
    if (!list_)
        emptyPage_->SetText(L"Not connected. Choose Connect to connect to the managed machine.");
    else if (snapIn)
        emptyPage_->SetText(ToolName(snapIn->GetSnapInId()) + L" has nothing to show.");
    ShowWindow(emptyPage_->Window(), ownWindow ? SW_HIDE : SW_SHOW);
}

HWND ConsoleHost::EmptyPageWindow() const { return emptyPage_ ? emptyPage_->Window() : nullptr; }

bool ConsoleHost::Idle() const {
    if (BusyDepth() > 0) return false;
    return PendingAnswersWhere([this](const host::Message& answer) {
               return !machine_.IsPolled(answer.SnapInId(), answer.Command());
           }) == 0;
}

bool ConsoleHost::AllToolsAnswered() const {
    for (int32_t id = kFirstTool; id <= kLastTool; ++id)
        if (pane_.HasTool(id) && pane_.State(id) == ToolState::Checking) return false;
    return true;
}

std::vector<int32_t> ConsoleHost::AvailableTools() const {
    std::vector<int32_t> tools;
    for (int32_t id = kFirstTool; id <= kLastTool; ++id)
        if (pane_.State(id) == ToolState::Available) tools.push_back(id);
    return tools;
}

std::wstring ConsoleHost::ToolName(int32_t id) const {
    if (id == kStartPage) return L"Start page";
    std::wstring name = module_.String(static_cast<UINT>(id));
    return name.empty() ? L"Tool " + std::to_wstring(id) : name;
}

// ---- host notifications -----------------------------------------------------

void ConsoleHost::OnSupported(int32_t snapInId, bool supported) {
    if (!pane_.HasTool(snapInId)) return;
    bool wasChecking = !AllToolsAnswered();
    pane_.SetState(snapInId, supported ? ToolState::Available : ToolState::Unavailable);
    if (!supported && SelectedTool() == snapInId) pane_.Select(kStartPage);
    if (wasChecking && AllToolsAnswered()) ReportConnection();
}

// Once the machine has said which tools it offers; a settings notice stays.
void ConsoleHost::ReportConnection() {
    if (!notice_.empty() || !StatusBar()) return;
    size_t available = AvailableTools().size();
    std::wstring text = L"Connected to the simulated " +
                        std::wstring(machine_.Config().platform == remote::kDevicePlatform ? L"device" : L"machine") + L": " +
                        std::to_wstring(available) + L" of " + std::to_wstring(kLastTool - kFirstTool + 1) +
                        L" tools available.";
    ::SendMessageW(StatusBar(), SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void ConsoleHost::OnBusyChanged() {
    pane_.SetBusy(BusyDepth() > 0);
    RefreshCursor();
}

// The busy cursor shows at once, not only when the mouse next moves.
void ConsoleHost::RefreshCursor() {
    POINT point = {};
    if (!Frame() || !GetCursorPos(&point)) return;
    HWND under = WindowFromPoint(point);
    if (under && (under == Frame() || IsChild(Frame(), under)))
        ::SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

void ConsoleHost::OnRemoteVersionKnown() { SetMachineText(); }

void ConsoleHost::SetMachineText() {
    if (!list_) {
        pane_.SetMachineText(L"Not connected");
        Layout();
        return;
    }
    std::wstring text = machine_.Config().platform == remote::kDevicePlatform ? L"Simulated device" : L"Simulated machine";
    if (RemoteHostVersionIsKnown()) text += L" (host version " + std::to_wstring(RemoteHostVersion()) + L")";
    pane_.SetMachineText(text);
    Layout();  // a pane as wide as its names grows with the text
}

void ConsoleHost::OnSettingsProblem(const std::string& text) {
    std::wstring notice = Widen(text);
    // The same trouble at every save is told once; the status bar keeps it.
    const bool repeated = notice == notice_;
    notice_ = std::move(notice);
    if (StatusBar()) {
        std::wstring line = L"Settings: " + FirstLine(notice_);
        ::SendMessageW(StatusBar(), SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(line.c_str()));
    }
    if (repeated || !options_.interactive || !Frame()) return;
    // The box waits for the message loop, so that it opens over the shown
    // frame; while closing there is no later.
    if (closing_)
        ShowNoticeBox();
    else
        PostMessageW(Frame(), kShowNoticeMessage, 0, 0);
}

void ConsoleHost::ShowNoticeBox() {
    if (!notice_.empty()) MessageBoxW(Frame(), notice_.c_str(), L"Vantrel Console settings", MB_ICONWARNING | MB_OK);
}

void VANTREL_CALL ConsoleHost::SetTitle(const char* title) {
    HostFrame::SetTitle(title);
    // The start page has no name: "prefix - " loses its dangling dash.
    std::string shown = title ? title : "";
    if (shown.size() >= 2 && shown.compare(shown.size() - 2, 2, "- ") == 0) shown.resize(shown.size() - 2);
    while (!shown.empty() && shown.back() == ' ') shown.pop_back();
    if (Frame()) SetWindowTextA(Frame(), shown.c_str());
}

std::wstring ConsoleHost::ShownTitle() const {
    wchar_t text[512] = {};
    if (Frame()) GetWindowTextW(Frame(), text, static_cast<int>(std::size(text)));
    return text;
}

// ---- menu and toolbar ---------------------------------------------------------

void ConsoleHost::BuildConsoleMenu() {
    HMENU file = FileMenu();
    UINT position = 0;
    auto add = [&](UINT flags, UINT command, const wchar_t* text) {
        InsertMenuW(file, position++, MF_BYPOSITION | flags, command, text);
    };
    add(MF_STRING, kConnectCommand, L"&Connect");
    add(MF_STRING, kDisconnectCommand, L"&Disconnect");
    add(MF_SEPARATOR, 0, nullptr);
    add(MF_STRING, kOptionsCommand, L"&Options...");
    add(MF_STRING, kAboutCommand, L"&About Vantrel Console");
    add(MF_SEPARATOR, 0, nullptr);
}

void ConsoleHost::UpdateConnectionCommands() {
    bool connected = list_ != nullptr;
    ::SendMessageW(ConsoleToolBar(), TB_ENABLEBUTTON, kConnectCommand, MAKELONG(!connected, 0));
    ::SendMessageW(ConsoleToolBar(), TB_ENABLEBUTTON, kDisconnectCommand, MAKELONG(connected, 0));
    EnableMenuItem(FileMenu(), kConnectCommand, MF_BYCOMMAND | (connected ? MF_GRAYED : MF_ENABLED));
    EnableMenuItem(FileMenu(), kDisconnectCommand, MF_BYCOMMAND | (connected ? MF_ENABLED : MF_GRAYED));
}

void ConsoleHost::OnConsoleCommand(UINT command) {
    switch (command) {
    case kConnectCommand:
        Connect();
        break;
    case kDisconnectCommand:
        Disconnect();
        break;
    case kOptionsCommand:
        ShowOptions();
        break;
    case kHelpCommand:
    case kAboutCommand:
        ShowAbout();
        break;
    default:
        break;
    }
}

void ConsoleHost::ShowOptions() {
    const remote::MachineConfig& machine = machine_.Config();
    std::wstring text = L"Managed machine: simulated, ";
    text += machine.platform == remote::kDevicePlatform ? L"handheld device platform" : L"general platform";
    text += L", data scale " + std::to_wstring(machine.scale) + L"\n";
    std::wstring refused;
    for (int32_t id = kFirstTool; id <= kLastTool; ++id)
        if (std::find(machine.supportedSnapIns.begin(), machine.supportedSnapIns.end(), static_cast<uint32_t>(id)) ==
            machine.supportedSnapIns.end())
            refused += (refused.empty() ? L"" : L", ") + ToolName(id);
    if (!refused.empty()) text += L"Tools not offered: " + refused + L"\n";
    text += L"Answer latency: " + std::to_wstring(options_.latencyMs) + L" ms\n";
    text += L"Settings file: " + (SettingsFile().empty() ? std::wstring(L"none") : SettingsFile().wstring()) + L"\n";
    if (!SetAsideSettingsFile().empty()) text += L"Damaged settings set aside as: " + SetAsideSettingsFile().wstring() + L"\n";
    text += L"\nThese are chosen on the command line; console.exe --help lists them.";
    MessageBoxW(Frame(), text.c_str(), L"Options", MB_ICONINFORMATION | MB_OK);
}

void ConsoleHost::ShowAbout() {
    std::wstring text = L"Vantrel Console\n\nSnap-in module: " + (SnapInModule::ProgramDirectory() / SnapInModule::kFileName).wstring();
    text += L"\nRemote host version: ";
    text += RemoteHostVersionIsKnown() ? std::to_wstring(RemoteHostVersion()) : std::wstring(L"not known");
    MessageBoxW(Frame(), text.c_str(), L"About Vantrel Console", MB_ICONINFORMATION | MB_OK);
}

// ---- layout and the splitter -------------------------------------------------

int ConsoleHost::PaneWidth(int frameWidth) const {
    int wanted = paneWidth_ > 0 ? paneWidth_ : std::max(kAutoPaneMinimum, pane_.Window() ? pane_.PreferredWidth() : 0);
    int widest = std::max(kMinPaneWidth, frameWidth * 2 / 3);
    return std::clamp(wanted, kMinPaneWidth, widest);
}

void ConsoleHost::LayoutContent(const RECT& area) {
    int pane = PaneWidth(area.right - area.left);
    if (pane_.Window()) MoveWindow(pane_.Window(), area.left, area.top, pane, area.bottom - area.top, TRUE);
    splitterLeft_ = area.left + pane;
    RECT rest = {std::min<LONG>(splitterLeft_ + kSplitterWidth, area.right), area.top, area.right, area.bottom};
    HostFrame::LayoutContent(rest);
}

void ConsoleHost::RememberPaneWidth() {
    ISettingsNode* section = Settings().Root().SetNamedValue(kConsoleSection, 0);
    if (section) section->Items()->SetNamedValue(kPaneWidthName, paneWidth_);
}

bool ConsoleHost::OnSplitterMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    auto onSplitter = [this](int x) { return x >= splitterLeft_ && x < splitterLeft_ + kSplitterWidth; };
    switch (message) {
    case WM_SETCURSOR: {
        POINT point = {};
        GetCursorPos(&point);
        ScreenToClient(Frame(), &point);
        if (reinterpret_cast<HWND>(wParam) != Frame() || LOWORD(lParam) != HTCLIENT || !onSplitter(point.x)) return false;
        SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
        *result = TRUE;
        return true;
    }
    case WM_LBUTTONDOWN:
        if (!onSplitter(GET_X_LPARAM(lParam))) return false;
        dragging_ = true;
        SetCapture(Frame());
        return true;
    case WM_MOUSEMOVE:
        if (!dragging_) return false;
        paneWidth_ = std::max(kMinPaneWidth, GET_X_LPARAM(lParam) - kSplitterWidth / 2);
        Layout();
        return true;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        if (!dragging_) return false;
        dragging_ = false;
        if (message == WM_LBUTTONUP) ReleaseCapture();
        RememberPaneWidth();
        return true;
    default:
        return false;
    }
}

LRESULT ConsoleHost::FrameProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (OnSplitterMessage(message, wParam, lParam, &result)) return result;
    switch (message) {
    case WM_CLOSE:
        Shutdown();  // then the frame closes as usual
        break;
    case kShowNoticeMessage:
        ShowNoticeBox();
        return 0;
    case WM_SETFOCUS: {
        ISnapIn* active = ActiveSnapIn();
        HWND target = active && active->GetWindow() && IsWindowVisible(active->GetWindow()) ? active->GetWindow() : pane_.Tree();
        if (target) SetFocus(target);
        return 0;
    }
    case WM_GETMINMAXINFO: {
        auto info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = {kMinFrameWidth, kMinFrameHeight};
        return 0;
    }
    default:
        break;
    }
    return HostFrame::FrameProc(message, wParam, lParam);
}

}  // namespace vantrel::console
