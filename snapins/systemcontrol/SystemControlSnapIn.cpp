#include "snapins/systemcontrol/SystemControlSnapIn.h"

#include "framework/Module.h"
#include "framework/Text.h"
#include "framework/text/Base64.h"
#include "snapins/systemcontrol/SystemControlIds.h"

#include <iterator>
#include <optional>
#include <utility>

static_assert(vantrel::CSystemControlSnapIn::kId == IDS_SNAPIN_SYSTEMCONTROL);

namespace vantrel {
namespace {

using systemcontrol::Capability;
using systemcontrol::HostState;
using systemcontrol::Platform;
namespace wire = systemcontrol::protocol;

constexpr UINT_PTR kPollTimer = 500;
constexpr UINT kPollPeriodMs = 5000;

struct ActionButton {
    Capability capability;
    int control;
};
// Each action's radio button; a platform's dialog has only its own.
constexpr ActionButton kActionButtons[] = {{Capability::Lock, IDC_SYS_LOCK},
                                           {Capability::LogOff, IDC_SYS_LOGOFF},
                                           {Capability::Restart, IDC_SYS_RESTART},
                                           {Capability::ShutDown, IDC_SYS_SHUTDOWN},
                                           {Capability::BackLightOff, IDC_SYS_BACKLIGHT_OFF},
                                           {Capability::BackLightOn, IDC_SYS_BACKLIGHT_ON},
                                           {Capability::Suspend, IDC_SYS_SUSPEND}};

// The controls that go with "Prompt user".
constexpr int kPromptOptions[] = {IDC_SYS_TIMEOUT_LABEL, IDC_SYS_TIMEOUT, IDC_SYS_TIMEOUT_SPIN, IDC_SYS_SECONDS,
                                  IDC_SYS_MESSAGE_LABEL, IDC_SYS_MESSAGE, IDC_SYS_ALLOW_CANCEL};

// The text of each state, in the order of HostState (0: unknown, left as shown).
constexpr UINT kStateStrings[] = {0, IDS_SYS_LOGGED_ON, IDS_SYS_LOCKED, IDS_SYS_LOGGED_OFF};
static_assert(std::size(kStateStrings) == static_cast<size_t>(HostState::LoggedOff) + 1);

std::optional<Capability> CapabilityOfButton(int control) {
    for (const ActionButton& button : kActionButtons)
        if (button.control == control) return button.capability;
    return std::nullopt;
}

bool Succeeded(IMessageNode& root) { return root.Child(kRetValueNode)->GetShort() == wire::kSuccess; }

void CheckControl(HWND form, int control, bool checked) {
    ::SendDlgItemMessageW(form, control, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void EnableControl(HWND form, int control, bool enabled) {
    if (HWND window = GetDlgItem(form, control)) EnableWindow(window, enabled);
}

// Counts an open error box for as long as it is open.
class ErrorBoxScope {
public:
    explicit ErrorBoxScope(int& count) : count_(count) { ++count_; }
    ~ErrorBoxScope() { --count_; }
    ErrorBoxScope(const ErrorBoxScope&) = delete;
    ErrorBoxScope& operator=(const ErrorBoxScope&) = delete;

private:
    int& count_;
};

}  // namespace

CSystemControlSnapIn::~CSystemControlSnapIn() { DestroySnapInWindow(); }

// ---- window ---------------------------------------------------------------------

HWND CSystemControlSnapIn::Create(HWND parent) { return CreateWindowOnce(parent); }

void CSystemControlSnapIn::OnCreateWindow() {
    // The platform the form is made for is fixed with the window.
    platform_ = Host()->GetRemotePlatform() == wire::kDevicePlatform ? Platform::Device : Platform::General;
    form_ = systemcontrol::ActionForm(platform_);
    SetWindowContextHelpId(Window(), IDH_SYS_CONTROL);
    CreateForm();
    static const ToolBarImage kImages[] = {{ID_SYS_REFRESH, 0}, {ID_SYS_SEND, 24}};
    CreateToolBar(kImages, static_cast<int32_t>(std::size(kImages)));
    StartPollTimer();
}

void CSystemControlSnapIn::CreateForm() {
    const int dialogId = IsDevice() ? IDD_SYS_DEVICE : IDD_SYS_GENERAL;
    ActivationScope scope;
    HWND form = CreateDialogParamW(ResourceInstance(), MAKEINTRESOURCEW(dialogId), Window(), &FormProc,
                                   reinterpret_cast<LPARAM>(this));
    if (!form) return;
    SetWindowLongPtrW(form, GWLP_ID, dialogId);
    ::SendDlgItemMessageW(form, IDC_SYS_MESSAGE, EM_SETLIMITTEXT, systemcontrol::kMaxMessageLength, 0);
    ResetTimeout();
    ShowForm();
    ShowWindow(form, SW_SHOW);
    SetMainChild(form);
}

INT_PTR CALLBACK CSystemControlSnapIn::FormProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        reinterpret_cast<CSystemControlSnapIn*>(lParam)->formWindow_ = dialog;
        return FALSE;  // the snap-in window gives the focus when it is shown
    }
    auto self = reinterpret_cast<CSystemControlSnapIn*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!self) return FALSE;
    switch (message) {
    case WM_COMMAND:
        Guarded([&] { self->OnFormCommand(LOWORD(wParam), HIWORD(wParam)); });
        return TRUE;
    case WM_NCDESTROY:
        SetWindowLongPtrW(dialog, DWLP_USER, 0);
        self->formWindow_ = nullptr;
        return FALSE;
    default:
        return FALSE;
    }
}

void CSystemControlSnapIn::OnFormCommand(int control, int notification) {
    if (notification != BN_CLICKED) return;
    const bool checked = IsDlgButtonChecked(formWindow_, control) == BST_CHECKED;
    switch (control) {
    case IDC_SYS_SEND:
        SendAction();
        return;
    case IDC_SYS_PROMPT:
        form_.SetPrompt(checked);
        break;
    case IDC_SYS_ALLOW_CANCEL:
        form_.SetAllowCancel(checked);
        break;
    case IDC_SYS_CLOSE_PROGRAMS:
        form_.SetClosePrograms(checked);
        break;
    default:
        if (std::optional<Capability> capability = CapabilityOfButton(control)) {
            form_.ClickAction(*capability);
            break;
        }
        return;  // Enter and Escape of the dialog manager
    }
    ShowForm();
    if (!IsBusy()) UpdateCommands();
}

// The form's state, as the model holds it, into the controls.
void CSystemControlSnapIn::ShowForm() {
    HWND form = formWindow_;
    if (!form) return;
    for (const ActionButton& button : kActionButtons) {
        if (!GetDlgItem(form, button.control)) continue;  // not on this platform
        EnableControl(form, button.control, form_.ActionEnabled(button.capability));
        CheckControl(form, button.control, form_.CheckedAction() == button.capability);
    }
    CheckControl(form, IDC_SYS_PROMPT, form_.PromptChecked());
    for (int control : kPromptOptions) EnableControl(form, control, form_.PromptOptionsEnabled());
    CheckControl(form, IDC_SYS_ALLOW_CANCEL, form_.AllowCancelChecked());
    CheckControl(form, IDC_SYS_CLOSE_PROGRAMS, form_.CloseProgramsChecked());
    EnableControl(form, IDC_SYS_CLOSE_PROGRAMS, form_.CloseProgramsEnabled());
    EnableControl(form, IDC_SYS_SEND, form_.SendButtonEnabled());
}

void CSystemControlSnapIn::ShowHostState() {
    if (!formWindow_ || IsDevice()) return;
    const UINT stateText = kStateStrings[static_cast<size_t>(systemcontrol::StateOf(state_))];
    if (stateText != 0) SetDlgItemTextW(formWindow_, IDC_SYS_STATE, LoadStringW(stateText).c_str());
    SetDlgItemTextW(formWindow_, IDC_SYS_USER, ToWide(userName_).c_str());
}

void CSystemControlSnapIn::ResetTimeout() {
    HWND spin = formWindow_ ? GetDlgItem(formWindow_, IDC_SYS_TIMEOUT_SPIN) : nullptr;
    if (!spin) return;
    ::SendMessageW(spin, UDM_SETRANGE32, systemcontrol::kMinTimeout, systemcontrol::kMaxTimeout);
    ::SendMessageW(spin, UDM_SETPOS32, 0, systemcontrol::kDefaultTimeout);
}

std::u16string CSystemControlSnapIn::FormText(int control) const {
    HWND window = formWindow_ ? GetDlgItem(formWindow_, control) : nullptr;
    if (!window) return {};
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return std::u16string(text.begin(), text.end());
}

void CSystemControlSnapIn::UpdateForm(bool stateChanged) {
    form_.Update(supported_, stateChanged);
    if (stateChanged) ResetTimeout();
    ShowForm();
}

BOOL CSystemControlSnapIn::TranslateAccelerator(MSG* message) {
    if (CSnapInBase::TranslateAccelerator(message)) return TRUE;
    // Tab, the arrow keys and the mnemonics move through the form as in any
    // dialog.
    BOOL handled = FALSE;
    Guarded([&] {
        if (!message || !formWindow_ || message->message < WM_KEYFIRST || message->message > WM_KEYLAST) return;
        if (message->hwnd != formWindow_ && !IsChild(formWindow_, message->hwnd)) return;
        handled = IsDialogMessageW(formWindow_, message);
    });
    return handled;
}

LRESULT CSystemControlSnapIn::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kPollTimer) {
        OnPollTick();
        return 0;
    }
    return CSnapInBase::WindowProc(message, wParam, lParam);
}

// ---- commands -----------------------------------------------------------------------

void CSystemControlSnapIn::OnCommand(UINT command) {
    switch (command) {
    case ID_SYS_REFRESH:
    case ID_SYS_REFRESH_MENU:
        Refresh();
        break;
    case ID_SYS_SEND:
        SendAction();
        break;
    default:
        break;
    }
}

void CSystemControlSnapIn::UpdateCommands() {
    const bool canSend = form_.SendCommandEnabled() && !IsBusy();
    if (ToolBar()) ::SendMessageW(ToolBar(), TB_ENABLEBUTTON, ID_SYS_SEND, MAKELONG(canSend, 0));
    if (HMENU popup = SnapInMenu() ? GetSubMenu(SnapInMenu(), 0) : nullptr)
        EnableMenuItem(popup, ID_SYS_SEND, MF_BYCOMMAND | (canSend ? MF_ENABLED : MF_GRAYED));
}

void CSystemControlSnapIn::Refresh() {
    // F5 reaches here while busy too; the toolbar and the menu are grayed then.
    if (IsBusy()) return;
    StartRequest(wire::kCapabilitiesCommand, PollOrigin::User);
    StartPollTimer();
}

void CSystemControlSnapIn::SendAction() {
    // A second click while the first action is on its way sends nothing.
    if (Outstanding(wire::kActionCommand) > 0) return;
    const std::optional<systemcontrol::ActionRequest> action =
        form_.MakeRequest(FormText(IDC_SYS_TIMEOUT), FormText(IDC_SYS_MESSAGE));
    if (!action) return;
    Request request(*this, wire::kActionCommand, 1);
    request.Field(wire::kActionNode).SetLong(action->action);
    request.Field(wire::kOptionNode).SetLong(static_cast<int32_t>(action->options));
    request.Field(wire::kTimeoutNode).SetLong(action->timeout);
    request.Field(wire::kMessageNode).SetString(EncodeUtf16Base64(action->message).c_str());
    if (request.Send()) BeginBusy(IDS_STATUS_IN_PROGRESS);
}

void CSystemControlSnapIn::StartRequest(uint32_t command, PollOrigin origin) {
    if (Outstanding(command) > 0) return;  // one request of a kind at a time
    Request request(*this, command, 1);
    if (!request.Send()) return;
    pollOrigin_ = origin;
    BeginBusy(IDS_STATUS_IN_PROGRESS);
}

// ---- polling ----------------------------------------------------------------------------

void CSystemControlSnapIn::StartPollTimer() {
    if (Window()) SetTimer(Window(), kPollTimer, kPollPeriodMs, nullptr);
}

uint32_t CSystemControlSnapIn::PollCommand() const {
    return IsDevice() ? wire::kCapabilitiesCommand : wire::kStateCommand;
}

// A poll waits for the tool to be shown, for the answer before it and for
// the user to close an error box.
bool CSystemControlSnapIn::CanPoll() const { return firstActivated_ && errorBoxes_ == 0 && !IsBusy(); }

void CSystemControlSnapIn::OnPollTick() {
    if (!firstActivated_) return;
    if (!IsActive()) {
        tickMissed_ = true;
        return;
    }
    if (CanPoll()) StartRequest(PollCommand(), PollOrigin::Timer);
}

void CSystemControlSnapIn::OnActivate() {
    CSnapInBase::OnActivate();
    // Back from another tool: what was missed meanwhile is asked for at once.
    if (!std::exchange(tickMissed_, false) || !CanPoll()) return;
    StartRequest(PollCommand(), PollOrigin::Timer);
    StartPollTimer();
}

void CSystemControlSnapIn::OnFirstActivate() {
    firstActivated_ = true;
    StartRequest(wire::kCapabilitiesCommand, PollOrigin::User);
}

// ---- answers ------------------------------------------------------------------------------

void CSystemControlSnapIn::HandleAnswer(uint32_t command, IHostMessage& answer, IMessageNode& root) {
    switch (command) {
    case wire::kCapabilitiesCommand:
        OnCapabilitiesAnswer(answer, root);
        break;
    case wire::kStateCommand:
        OnStateAnswer(answer, root);
        break;
    case wire::kActionCommand:
        OnActionAnswer(root);
        break;
    default:
        CSnapInBase::HandleAnswer(command, answer, root);
        break;
    }
}

void CSystemControlSnapIn::OnCapabilitiesAnswer(IHostMessage& answer, IMessageNode& root) {
    if (!Succeeded(root)) {
        PollFailed(&answer);
        return;
    }
    supported_ =
        systemcontrol::ReadSupportedActions([&](const char* node) { return root.Child(node)->GetShort(); }, platform_);
    if (IsDevice()) {
        PollSucceeded(false);
        return;
    }
    UpdateForm(false);
    // The state follows within the same busy state.
    Request request(*this, wire::kStateCommand, 1);
    if (!request.Send()) EndBusy(IDS_STATUS_FAILED);
}

void CSystemControlSnapIn::OnStateAnswer(IHostMessage& answer, IMessageNode& root) {
    if (!Succeeded(root)) {
        PollFailed(&answer);
        return;
    }
    systemcontrol::StateAnswer state = systemcontrol::ReadStateAnswer(root.Child(wire::kUserNameNode)->GetString(),
                                                                      root.Child(wire::kStateNode)->GetString());
    if (!state.readable) {
        PollFailed(nullptr);
        return;
    }
    const bool stateChanged = state.state != state_;
    state_ = std::move(state.state);
    userName_ = std::move(state.userName);
    ShowHostState();
    PollSucceeded(stateChanged);
}

void CSystemControlSnapIn::OnActionAnswer(IMessageNode& root) {
    // The machine's own refusal is told by the status bar alone.
    EndBusy(Succeeded(root) ? IDS_STATUS_SUCCESS : IDS_STATUS_FAILED);
    if (!IsDevice()) return;
    StartRequest(wire::kCapabilitiesCommand, PollOrigin::Timer);
    StartPollTimer();
}

void CSystemControlSnapIn::PollSucceeded(bool stateChanged) {
    failureShown_ = false;
    UpdateForm(stateChanged);
    EndBusy(IDS_STATUS_SUCCESS);
}

void CSystemControlSnapIn::PollFailed(IHostMessage* answer) {
    EndBusy(IDS_STATUS_FAILED);
    // No box for a tool whose window has gone, none on top of another, and
    // a failing machine is reported once until it answers again.
    if (!Window() || errorBoxes_ > 0) return;
    if (pollOrigin_ == PollOrigin::Timer && failureShown_) return;
    failureShown_ = true;
    ErrorBoxScope open(errorBoxes_);
    if (answer)
        ShowAnswerError(answer, 0, 0);
    else
        ShowErrorId(IDS_UNREADABLE_ANSWER, 0);
}

}  // namespace vantrel
