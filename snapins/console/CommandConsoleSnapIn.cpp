#include "snapins/console/CommandConsoleSnapIn.h"

#include "framework/Module.h"
#include "framework/Text.h"
#include "snapins/console/ConsoleIds.h"

#include <iterator>

static_assert(vantrel::CCommandConsoleSnapIn::kId == IDS_SNAPIN_CONSOLE);

namespace vantrel {
namespace {

namespace protocol = console::protocol;
using console::KeyAction;

constexpr DWORD kHelpContext = 680;
constexpr int kRestartImage = 22;

bool Down(const BYTE* keys, int key) { return (keys[key] & 0x80) != 0; }
bool Toggled(const BYTE* keys, int key) { return (keys[key] & 0x01) != 0; }

// The console's control-key bits. A state that knows only the generic Ctrl or
// Alt (as synthesized input may) counts as the left one.
console::KeyModifiers ModifiersOf(const BYTE* keys) {
    console::KeyModifiers modifiers;
    modifiers.rightAlt = Down(keys, VK_RMENU);
    modifiers.leftAlt = Down(keys, VK_LMENU) || (Down(keys, VK_MENU) && !modifiers.rightAlt);
    modifiers.rightCtrl = Down(keys, VK_RCONTROL);
    modifiers.leftCtrl = Down(keys, VK_LCONTROL) || (Down(keys, VK_CONTROL) && !modifiers.rightCtrl);
    modifiers.shift = Down(keys, VK_SHIFT);
    modifiers.numLock = Toggled(keys, VK_NUMLOCK);
    modifiers.scrollLock = Toggled(keys, VK_SCROLL);
    modifiers.capsLock = Toggled(keys, VK_CAPITAL);
    return modifiers;
}

// The ANSI character the key gives with this keyboard state; 0 for none.
uint8_t CharacterOf(UINT virtualKey, LPARAM lParam, const BYTE* keys) {
    WORD character = 0;
    const UINT scanCode = (static_cast<UINT>(lParam) >> 16) & 0xFF;
    return ToAscii(virtualKey, scanCode, keys, &character, 0) == 1 ? static_cast<uint8_t>(character) : 0;
}

console::ScreenAnswer ReadScreenAnswer(IMessageNode& root) {
    console::ScreenAnswer fields;
    fields.width = root.Child(protocol::kScreenWidthNode)->GetLong();
    fields.height = root.Child(protocol::kScreenHeightNode)->GetLong();
    const char* buffer = root.Child(protocol::kScreenBufferNode)->GetString();
    fields.buffer = buffer ? std::string_view(buffer) : std::string_view();
    fields.offset = root.Child(protocol::kOffsetNode)->GetLong();
    fields.cursorX = root.Child(protocol::kCursorXNode)->GetLong();
    fields.cursorY = root.Child(protocol::kCursorYNode)->GetLong();
    fields.cursorSize = root.Child(protocol::kCursorSizeNode)->GetLong();
    fields.cursorVisible = root.Child(protocol::kCursorVisibleNode)->GetBool() != 0;
    fields.sizeRestricted = root.Child(protocol::kSizeRestrictedNode)->GetBool() != 0;
    return fields;
}

bool Succeeded(IMessageNode& root) { return root.Child(kRetValueNode)->GetLong() == protocol::kSuccess; }

}  // namespace

CCommandConsoleSnapIn::CCommandConsoleSnapIn(ISnapInHost* host) : CSnapInBase(host), terminal_(*this, screen_) {}

CCommandConsoleSnapIn::~CCommandConsoleSnapIn() { DestroySnapInWindow(); }

// ---- window ---------------------------------------------------------------------

HWND CCommandConsoleSnapIn::Create(HWND parent) { return CreateWindowOnce(parent); }

void CCommandConsoleSnapIn::OnCreateWindow() {
    SetWindowContextHelpId(Window(), kHelpContext);
    if (terminal_.Create(Window(), IDC_CON_TERMINAL)) SetMainChild(terminal_.Handle());
    static const ToolBarImage kImages[] = {{ID_CON_RESTART, kRestartImage}};
    CreateToolBar(kImages, static_cast<int32_t>(std::size(kImages)));
}

void CCommandConsoleSnapIn::OnCommand(UINT command) {
    if (command == ID_CON_RESTART) Restart();
}

LRESULT CCommandConsoleSnapIn::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (wParam == kChildTimer) {
            OnChildTimer();
            return 0;
        }
        if (wParam == kScreenTimer) {
            if (reading_) PollScreen();
            return 0;
        }
        break;
    case WM_MOUSEACTIVATE:
        // A click into the active tool types into the console.
        if (IsActive() && terminal_.Handle()) SetFocus(terminal_.Handle());
        return MA_ACTIVATE;
    case WM_DESTROY:
        StopChildCheck();
        KillTimer(Window(), kScreenTimer);
        readScheduled_ = false;
        break;
    default:
        break;
    }
    return CSnapInBase::WindowProc(message, wParam, lParam);
}

void CCommandConsoleSnapIn::OnFirstActivate() { Restart(); }

void CCommandConsoleSnapIn::HandleAnswer(uint32_t command, IHostMessage& answer, IMessageNode& root) {
    switch (command) {
    case protocol::kSupportedCommand:
        OnSupportedAnswer(answer, root);
        break;
    case protocol::kStartCommand:
        OnStartAnswer(answer, root);
        break;
    case protocol::kStopCommand:
        OnStopAnswer(answer, root);
        break;
    case protocol::kKeyCommand:
        OnKeyAnswer(answer, root);
        break;
    case protocol::kScreenCommand:
        OnScreenAnswer(answer, root);
        break;
    case protocol::kChildCommand:
        OnChildAnswer(answer, root);
        break;
    default:
        break;
    }
}

void CCommandConsoleSnapIn::ShowFailure(IHostMessage& answer, uint32_t messageId) {
    if (Window()) ShowAnswerError(&answer, messageId, 0);
}

void CCommandConsoleSnapIn::ShowFailureText(const std::wstring& text) {
    if (Window()) ShowErrorText(text, 0);
}

// ---- start and restart ----------------------------------------------------------

void CCommandConsoleSnapIn::Restart() {
    if (IsBusy()) return;  // a start is on its way
    if (impersonate_ && !AskStartupInformation(Window(), record_)) {
        if (!terminal_.Enabled()) ShowStopped();
        return;
    }
    SendStart();
}

void CCommandConsoleSnapIn::SendStart() {
    terminal_.Disable(LoadStringW(IDS_CON_RESTARTING));
    StopChildCheck();
    Request request(*this, protocol::kStartCommand, 1);
    request.Field(protocol::kUseHostNode).SetBool(record_.useHostAccount ? 1 : 0);
    SetAccountFields(request);
    request.Field(protocol::kLoadProfileNode).SetBool(record_.loadProfile ? 1 : 0);
    const int checksBefore = Outstanding(protocol::kChildCommand);
    if (!request.Send()) {
        ShowStopped();
        return;
    }
    staleChildAnswers_ = checksBefore;
    BeginBusy(IDS_STATUS_IN_PROGRESS);
}

// The host's account needs no names and no password: none are sent then.
void CCommandConsoleSnapIn::SetAccountFields(Request& request) const {
    if (record_.useHostAccount) {
        for (const char* node : {protocol::kDomainNode, protocol::kLoginNode, protocol::kPasswordNode})
            request.Field(node).SetString("");
        return;
    }
    request.Field(protocol::kDomainNode).SetString(EncodeWideText(record_.domain).c_str());
    request.Field(protocol::kLoginNode).SetString(EncodeWideText(record_.login).c_str());
    std::string password = record_.password.Reveal().ToBase64();
    request.Field(protocol::kPasswordNode).SetString(password.c_str());
    WipeText(password);
}

void CCommandConsoleSnapIn::OnStartAnswer(IHostMessage& answer, IMessageNode& root) {
    if (!Succeeded(root)) {
        EndBusy(IDS_STATUS_FAILED);
        ShowStopped();
        ShowFailure(answer, IDS_CON_RESTART_FAILED);
        return;
    }
    EndBusy(IDS_STATUS_SUCCESS);
    terminal_.Enable();
    FocusAfterStart();
    StartChildCheck();
    // After a failed read nothing polls any more: a started console gets its screen again.
    PollScreen();
}

// The terminal takes the focus in the active tool; an inactive one hands back
// a focus it still holds, and takes it from nobody.
void CCommandConsoleSnapIn::FocusAfterStart() {
    HWND window = Window();
    if (!window) return;
    if (IsActive()) {
        if (terminal_.Handle()) SetFocus(terminal_.Handle());
        return;
    }
    HWND focus = GetFocus();
    if (focus && (focus == window || IsChild(window, focus))) SetFocus(GetAncestor(window, GA_ROOT));
}

void CCommandConsoleSnapIn::OnStopAnswer(IHostMessage& answer, IMessageNode& root) {
    if (Succeeded(root)) {
        EndBusy(IDS_STATUS_SUCCESS);
        return;
    }
    EndBusy(IDS_STATUS_FAILED);
    ShowFailure(answer, IDS_CON_STOP_FAILED);
}

void CCommandConsoleSnapIn::ShowStopped() { terminal_.Disable(LoadStringW(IDS_CON_RESTART_HINT)); }

// ---- screen ------------------------------------------------------------------------

void CCommandConsoleSnapIn::OnSupportedAnswer(IHostMessage& answer, IMessageNode& root) {
    CSnapInBase::HandleAnswer(protocol::kSupportedCommand, answer, root);
    if (!root.Child(kSupportedNode)->GetBool()) return;
    impersonate_ = root.Child(protocol::kImpersonateNode)->GetBool() != 0;
    PollScreen();
}

// Reads the screen now. One read at a time: a second loop would double the
// traffic for nothing.
void CCommandConsoleSnapIn::PollScreen() {
    reading_ = true;
    if (readScheduled_) {
        readScheduled_ = false;
        if (Window()) KillTimer(Window(), kScreenTimer);
    }
    if (Outstanding(protocol::kScreenCommand) > 0) return;
    Request request(*this, protocol::kScreenCommand, 1);
    request.Send();
}

// A complete screen is followed by the next after a pause, so that an idle
// console does not keep the machine and the network busy (and a host that
// answers at once is not held in an endless loop).
void CCommandConsoleSnapIn::ReadScreenAfterPause() {
    if (!Window() || readScheduled_) return;  // without a window there is nothing to show
    readScheduled_ = SetTimer(Window(), kScreenTimer, kScreenPauseMs, nullptr) != 0;
}

void CCommandConsoleSnapIn::StopReading() {
    reading_ = false;
    readScheduled_ = false;
    if (Window()) KillTimer(Window(), kScreenTimer);
}

void CCommandConsoleSnapIn::OnScreenAnswer(IHostMessage& answer, IMessageNode& root) {
    if (!Succeeded(root)) {
        StopReading();
        ShowFailure(answer, IDS_CON_READ_FAILED);
        return;
    }
    const console::ScreenUpdate update = screen_.Apply(ReadScreenAnswer(root));
    if (!update.Accepted()) {
        // Sizes or offsets that cannot be: nothing was taken, and reading stops.
        StopReading();
        SetStatusPart(1, LoadStringW(IDS_STATUS_FAILED));
        ShowFailureText(FormatMessageString(LoadStringW(IDS_CON_READ_FAILED), LoadStringW(IDS_UNREADABLE_ANSWER)));
        return;
    }
    terminal_.OnScreenChanged(update);
    // The pieces of a screen follow one another at once while they move on.
    if (update.outcome == console::PieceOutcome::Stored && update.advanced)
        PollScreen();
    else
        ReadScreenAfterPause();
    // Every answer of a restricted console says so; the user hears it once.
    if (update.restrictedNow)
        ShowFailureText(FormatMessageNumbers(LoadStringW(IDS_CON_SIZE_RESTRICTED),
                                             static_cast<unsigned long>(screen_.Width()),
                                             static_cast<unsigned long>(screen_.Height())));
}

// ---- child process --------------------------------------------------------------------

void CCommandConsoleSnapIn::StartChildCheck() {
    if (Window()) SetTimer(Window(), kChildTimer, kChildCheckMs, nullptr);
}

void CCommandConsoleSnapIn::StopChildCheck() {
    if (Window()) KillTimer(Window(), kChildTimer);
}

void CCommandConsoleSnapIn::OnChildTimer() {
    if (!terminal_.Enabled()) {
        StopChildCheck();
        return;
    }
    // One check at a time, and none while the last one's error is on screen.
    if (Outstanding(protocol::kChildCommand) > 0 || childErrorShown_) return;
    Request request(*this, protocol::kChildCommand, 1);
    request.Send();
}

void CCommandConsoleSnapIn::OnChildAnswer(IHostMessage& answer, IMessageNode& root) {
    if (staleChildAnswers_ > 0) {
        --staleChildAnswers_;
        return;
    }
    if (!Succeeded(root)) {
        childErrorShown_ = true;
        ShowFailure(answer, IDS_CON_CHECK_FAILED);
        childErrorShown_ = false;
        return;
    }
    if (!terminal_.Enabled() || root.Child(protocol::kChildRunningNode)->GetBool()) return;
    StopChildCheck();
    ShowStopped();
    const int32_t exitCode = root.Child(protocol::kChildExitCodeNode)->GetLong();
    if (exitCode != 0) ShowChildExitCode(exitCode);
}

void CCommandConsoleSnapIn::ShowChildExitCode(int32_t exitCode) {
    const auto code = static_cast<DWORD>(exitCode);
    std::wstring reason = SystemErrorText(code);
    if (reason.empty()) reason = FormatMessageNumber(LoadStringW(IDS_ERROR_UNKNOWN), code);
    childErrorShown_ = true;
    ShowFailureText(FormatMessageString(LoadStringW(IDS_CON_CHECK_FAILED), reason));
    childErrorShown_ = false;
}

// ---- keys ------------------------------------------------------------------------------

BOOL CCommandConsoleSnapIn::TranslateAccelerator(MSG* message) {
    // What the base takes (Ctrl+Tab, tooltips) comes first.
    if (CSnapInBase::TranslateAccelerator(message)) return TRUE;
    BOOL handled = FALSE;
    Guarded([&] {
        handled = message && terminal_.Handle() && message->hwnd == terminal_.Handle() && OnTerminalKey(*message);
    });
    return handled;
}

bool CCommandConsoleSnapIn::OnTerminalKey(const MSG& message) {
    const bool control = GetKeyState(VK_CONTROL) < 0;
    switch (console::ClassifyKey(message.message, LOWORD(message.wParam), control, capture_, terminal_.Enabled())) {
    case KeyAction::Forward:
        SendKeyEvent(KeyEventOf(message));
        return true;
    case KeyAction::Swallow:
        return true;
    case KeyAction::ToggleCapture:
        if (terminal_.Enabled()) SendKeyEvent(console::ControlReleaseEvent(KeyEventOf(message).modifiers));
        SetCapture(!capture_);
        return true;
    default:
        return false;
    }
}

console::KeyEvent CCommandConsoleSnapIn::KeyEventOf(const MSG& message) const {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    console::KeyEvent event;
    event.message = message.message;
    event.virtualKey = LOWORD(message.wParam);
    event.modifiers = console::ModifierBits(ModifiersOf(keys));
    event.character = CharacterOf(event.virtualKey, message.lParam, keys);
    event.lParam = static_cast<uint32_t>(message.lParam);
    return event;
}

void CCommandConsoleSnapIn::SendKeyEvent(const console::KeyEvent& event) {
    Request request(*this, protocol::kKeyCommand, 1);
    request.Field(protocol::kKeyEventsNode).SetString(console::KeyEventsXml(event).c_str());
    if (request.Send()) BeginBusy(IDS_STATUS_IN_PROGRESS);
}

void CCommandConsoleSnapIn::OnKeyAnswer(IHostMessage& answer, IMessageNode& root) {
    if (Succeeded(root)) {
        EndBusy(IDS_STATUS_SUCCESS);
        // What the key did is on the screen now: no need to wait for the pause.
        if (reading_) PollScreen();
        return;
    }
    EndBusy(IDS_STATUS_FAILED);
    ShowFailure(answer, IDS_CON_WRITE_FAILED);
}

void CCommandConsoleSnapIn::OnTerminalFocus(bool gained) {
    if (gained) SetCapture(true);
}

void CCommandConsoleSnapIn::SetCapture(bool on) {
    capture_ = on;
    if (on)
        SetStatusId(IDS_CON_RELEASE_KEYBOARD);
    else
        SetStatusText("");
}

}  // namespace vantrel
