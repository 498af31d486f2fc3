// System Control through its real windows, against the simulated managed
// machine. The poll timer is stopped in every test and driven with WM_TIMER,
// so that no test waits for seconds and none sees a poll it did not ask for.
#include "framework/text/Base64.h"
#include "remote/RemoteMachine.h"
#include "remote/systemcontrol/SystemControlData.h"
#include "snapins/systemcontrol/SystemControlIds.h"
#include "snapins/systemcontrol/model/Protocol.h"
#include "tests/host/ToolTest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantrel::test {
namespace {

namespace wire = systemcontrol::protocol;
constexpr int32_t kSystemControl = wire::kSnapInId;
constexpr uint32_t kCapabilities = wire::kCapabilitiesCommand, kState = wire::kStateCommand,
                   kAction = wire::kActionCommand;
constexpr UINT_PTR kPollTimer = 500;
constexpr int kPromptOptions[] = {IDC_SYS_TIMEOUT_LABEL, IDC_SYS_TIMEOUT, IDC_SYS_TIMEOUT_SPIN, IDC_SYS_SECONDS,
                                  IDC_SYS_MESSAGE_LABEL, IDC_SYS_MESSAGE, IDC_SYS_ALLOW_CANCEL};

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

// A session that stays as it is for 100 polls unless a test says otherwise.
remote::MachineConfig Workstation(int pollsPerPhase = 100, int16_t platform = remote::kGeneralPlatform) {
    remote::MachineConfig config;
    config.platform = platform;
    config.systemControl.pollsPerPhase = pollsPerPhase;
    config.systemControl.answersAway = 2;
    return config;
}

class SystemControlTest : public ToolTest {
protected:
    explicit SystemControlTest(remote::MachineConfig config = Workstation()) : ToolTest(kSystemControl, config) {}

    void SetUp() override {
        ToolTest::SetUp();
        window_ = snapIn_->GetWindow();
        form_ = GetDlgItem(window_, config_.platform == remote::kDevicePlatform ? IDD_SYS_DEVICE : IDD_SYS_GENERAL);
        ASSERT_NE(form_, nullptr);
        EXPECT_TRUE(StopPollTimer()) << "the poll runs from window creation";
    }

    void AnswerFromMachine(unsigned delayMs = 1) {
        host_.AnswerWith([this](const Message& request) { return machine_.Answer(request); }, delayMs);
    }
    // Answers 901 offering exactly these fields, and everything else from the machine.
    void OfferOnly(std::vector<const char*> fields) {
        host_.AnswerWith(
            [this, fields](const Message& request) {
                if (request.Command() != kCapabilities) return machine_.Answer(request);
                auto answer = std::make_unique<Message>(kCapabilities, kSystemControl, 0);
                answer->Root().ChildNode("RetValue").SetShort(1);
                for (const char* field : fields) answer->Root().ChildNode(field).SetShort(1);
                return answer;
            },
            1);
    }

    // Stops the real timer; true if it was running.
    bool StopPollTimer() { return KillTimer(window_, kPollTimer) != 0; }
    void Tick() { ::SendMessageW(window_, WM_TIMER, kPollTimer, 0); }
    void Refresh() {
        Command(ID_SYS_REFRESH);
        EXPECT_TRUE(StopPollTimer()) << "Refresh starts the poll again";
        WaitIdle();
    }

    HWND Control(int id) const { return GetDlgItem(form_, id); }
    bool Enabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }
    bool Checked(int id) const { return ::SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    std::wstring Text(int id) const { return WindowText(Control(id)); }
    void SetText(int id, const std::wstring& text) { SetWindowTextW(Control(id), text.c_str()); }
    // A click as the user makes it: only on a control that can be clicked.
    void Click(int id) {
        ASSERT_TRUE(Enabled(id)) << id;
        ::SendMessageW(Control(id), BM_CLICK, 0, 0);
    }
    // The action buttons that are enabled (or checked), in id order.
    std::vector<int> Actions(bool checked) const {
        std::vector<int> ids;
        for (int id = IDC_SYS_LOCK; id <= IDC_SYS_SHUTDOWN; ++id)
            if (Control(id) && (checked ? Checked(id) : Enabled(id))) ids.push_back(id);
        return ids;
    }
    // 1: every prompt option enabled, 0: every one disabled, -1: mixed.
    int PromptOptions() const {
        int enabled = 0;
        for (int id : kPromptOptions) enabled += Enabled(id) ? 1 : 0;
        return enabled == 0 ? 0 : enabled == static_cast<int>(std::size(kPromptOptions)) ? 1 : -1;
    }

    struct SentAction {
        int32_t action = -1, option = -1, timeout = -1;
        std::u16string message;
    };
    SentAction LastAction() const {
        const Message* request = host_.LastRequest(kAction);
        if (!request || !request->Root().Find("Message") || !request->Root().Find("Message")->HasText()) return {};
        return {request->Root().Find("Action")->AsLong(), request->Root().Find("Option")->AsLong(),
                request->Root().Find("Timeout")->AsLong(), DecodeUtf16Base64(request->Root().Find("Message")->Text())};
    }

    HWND window_ = nullptr;
    HWND form_ = nullptr;
};

TEST_F(SystemControlTest, FirstActivationShowsTheOfferedActionsTheStateAndTheUser) {
    EXPECT_TRUE(Actions(false).empty()) << "nothing to choose before the first answer";
    EXPECT_FALSE(Enabled(IDC_SYS_SEND) || Enabled(IDC_SYS_CLOSE_PROGRAMS));
    EXPECT_EQ(PromptOptions(), 0);
    EXPECT_EQ(Text(IDC_SYS_TIMEOUT), L"5");
    int low = -1, high = -1;
    ::SendMessageW(Control(IDC_SYS_TIMEOUT_SPIN), UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                   reinterpret_cast<LPARAM>(&high));
    EXPECT_EQ(high - low, 9999);
    EXPECT_EQ(::SendMessageW(Control(IDC_SYS_MESSAGE), EM_GETLIMITTEXT, 0, 0), 8192);
    EXPECT_EQ(Text(IDC_SYS_LOCK), L"&Lock computer(Windows NT, 2000, XP only)");

    host_.Activate(snapIn_);
    EXPECT_EQ(host_.StatusText(1), L"In progress...");
    WaitIdle();
    ASSERT_EQ(host_.Requests().size(), 2u);
    EXPECT_EQ(host_.Requests()[0]->Command(), kCapabilities);
    EXPECT_EQ(host_.Requests()[1]->Command(), kState) << "the state follows the capabilities";
    EXPECT_EQ(Text(IDC_SYS_STATE), L"Logged On");
    EXPECT_EQ(Text(IDC_SYS_USER), Wide(remote::SimulatedSystem::Users()[0]));
    EXPECT_EQ(Actions(false), (std::vector<int>{IDC_SYS_LOCK, IDC_SYS_LOGOFF, IDC_SYS_RESTART, IDC_SYS_SHUTDOWN}));
    EXPECT_EQ(Actions(true), std::vector<int>{IDC_SYS_LOCK});
    EXPECT_FALSE(Enabled(IDC_SYS_SEND)) << "only after a click on an action";
    EXPECT_TRUE(ButtonEnabled(ID_SYS_SEND)) << "an action is checked";
    EXPECT_FALSE(Enabled(IDC_SYS_CLOSE_PROGRAMS)) << "not for a lock";
    EXPECT_EQ(host_.StatusText(1), L"Success");
    EXPECT_EQ(host_.BeginBusyCalls(), 1) << "one busy state for both requests";
    EXPECT_EQ(host_.EndBusyCalls(), 1);
}

TEST_F(SystemControlTest, ToolbarMenuAndF5RefreshAndRestartThePollButNotWhileBusy) {
    ActivateAndWait();
    HWND toolBar = host_.ShownSnapInToolBar();
    TBBUTTONINFOW info = {sizeof(info), TBIF_IMAGE};
    ::SendMessageW(toolBar, TB_GETBUTTONINFOW, ID_SYS_SEND, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.iImage, 24);
    HMENU popup = GetSubMenu(host_.MenuBar(), GetMenuItemCount(host_.MenuBar()) - 1);
    ASSERT_EQ(GetMenuItemCount(popup), 2);
    wchar_t text[64] = {};
    GetMenuStringW(popup, 0, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"&Refresh\tF5");
    EXPECT_EQ(GetMenuItemID(popup, 0), static_cast<UINT>(ID_SYS_REFRESH_MENU));
    EXPECT_EQ(GetMenuItemID(popup, 1), static_cast<UINT>(ID_SYS_SEND));

    for (int command : {ID_SYS_REFRESH_MENU, ID_SYS_REFRESH}) {
        host_.ClearRequests();
        Command(command);
        EXPECT_EQ(host_.CountRequests(kCapabilities), 1u) << command;
        EXPECT_TRUE(StopPollTimer()) << command;
        WaitIdle();
    }
    host_.ClearRequests();
    SetFocus(Control(IDC_SYS_PROMPT));
    PostMessageW(Control(IDC_SYS_PROMPT), WM_KEYDOWN, VK_F5, 0x003F0001);
    host_.PumpFor(20);
    EXPECT_EQ(host_.CountRequests(kCapabilities), 1u) << "F5";
    StopPollTimer();
    WaitIdle();

    AnswerFromMachine(50);
    host_.ClearRequests();
    Command(ID_SYS_REFRESH);
    Command(ID_SYS_REFRESH_MENU);  // F5 is not grayed while busy
    EXPECT_FALSE(ButtonEnabled(ID_SYS_REFRESH));
    EXPECT_TRUE(GetMenuState(popup, 0, MF_BYPOSITION) & MF_GRAYED);
    StopPollTimer();
    WaitIdle();
    EXPECT_EQ(host_.CountRequests(kCapabilities), 1u);
}

TEST_F(SystemControlTest, OnlyOfferedActionsCanBeChosenAndAWithdrawnOneIsUnchecked) {
    OfferOnly({"LogOff", "ShutDown"});
    ActivateAndWait();
    EXPECT_EQ(Actions(false), (std::vector<int>{IDC_SYS_LOGOFF, IDC_SYS_SHUTDOWN}));
    EXPECT_EQ(Actions(true), std::vector<int>{IDC_SYS_LOGOFF});
    EXPECT_TRUE(Enabled(IDC_SYS_CLOSE_PROGRAMS)) << "a log off may close programs";
    Click(IDC_SYS_SHUTDOWN);
    EXPECT_TRUE(Enabled(IDC_SYS_SEND));

    OfferOnly({"Lock", "LogOff"});
    Refresh();
    EXPECT_FALSE(Enabled(IDC_SYS_SHUTDOWN));
    EXPECT_EQ(Actions(true), std::vector<int>{IDC_SYS_LOCK}) << "the first offered instead of shut down";

    // Nothing offered that this form has a button for: nothing can be sent.
    OfferOnly({"BackLightOff", "Suspend"});
    Refresh();
    EXPECT_TRUE(Actions(false).empty());
    EXPECT_TRUE(Actions(true).empty());
    EXPECT_FALSE(Enabled(IDC_SYS_SEND));
    EXPECT_FALSE(ButtonEnabled(ID_SYS_SEND));
    ::SendMessageW(form_, WM_COMMAND, MAKEWPARAM(IDC_SYS_SEND, BN_CLICKED), 0);
    Command(ID_SYS_SEND);
    EXPECT_EQ(host_.CountRequests(kAction), 0u);
}

TEST_F(SystemControlTest, TheRequestCarriesTheActionItsOptionsAndAClampedTimeOut) {
    ActivateAndWait();
    Click(IDC_SYS_LOGOFF);
    Click(IDC_SYS_PROMPT);
    EXPECT_EQ(PromptOptions(), 1);
    SetText(IDC_SYS_TIMEOUT, L"30");
    SetText(IDC_SYS_MESSAGE, L"Bitte speichern Sie Ihre Arbeit \u2013 Neustart.");
    Click(IDC_SYS_ALLOW_CANCEL);
    Click(IDC_SYS_SEND);
    SentAction sent = LastAction();
    EXPECT_EQ(sent.action, 2);
    EXPECT_EQ(sent.option, 3) << "prompt and allow-cancel, programs not closed";
    EXPECT_EQ(sent.timeout, 30);
    EXPECT_EQ(Wide(sent.message), L"Bitte speichern Sie Ihre Arbeit \u2013 Neustart.");
    WaitIdle();
    EXPECT_EQ(host_.StatusText(1), L"Success");

    // Typed past the edit's limits by a program: clamped and cut.
    const std::pair<const wchar_t*, int32_t> typedTimeouts[] = {{L"123456", 9999}, {L"-5", 0}, {L"abc", 5}};
    SetText(IDC_SYS_MESSAGE, std::wstring(8200, L' '));
    for (const auto& [typed, seconds] : typedTimeouts) {
        SetText(IDC_SYS_TIMEOUT, typed);
        Click(IDC_SYS_SEND);
        EXPECT_EQ(LastAction().timeout, seconds);
        EXPECT_EQ(LastAction().message.size(), 8192u);
        WaitIdle();
    }

    // Without the prompt the time-out and the message stay home.
    Click(IDC_SYS_CLOSE_PROGRAMS);
    Click(IDC_SYS_PROMPT);
    EXPECT_EQ(PromptOptions(), 0);
    EXPECT_FALSE(Checked(IDC_SYS_ALLOW_CANCEL)) << "disabled, so unchecked";
    Click(IDC_SYS_RESTART);
    Command(ID_SYS_SEND);
    sent = LastAction();
    EXPECT_EQ(sent.action, 3);
    EXPECT_EQ(sent.option, 4);
    EXPECT_EQ(sent.timeout, 0);
    EXPECT_TRUE(sent.message.empty());
    WaitIdle();
}

TEST_F(SystemControlTest, SendIsIgnoredWhileAnActionIsOnItsWay) {
    ActivateAndWait();
    AnswerFromMachine(60);
    Click(IDC_SYS_LOGOFF);
    Click(IDC_SYS_SEND);
    Click(IDC_SYS_SEND);
    Command(ID_SYS_SEND);
    EXPECT_EQ(host_.CountRequests(kAction), 1u);
    EXPECT_EQ(host_.BusyDepth(), 1);
    WaitIdle();
    Click(IDC_SYS_SEND);
    EXPECT_EQ(host_.CountRequests(kAction), 2u) << "answered: the next Send goes";
    WaitIdle();
}

// The machine locks after two polls: the first activation's two requests.
class LockingSystemControlTest : public SystemControlTest {
protected:
    LockingSystemControlTest() : SystemControlTest(Workstation(2)) {}
};

TEST_F(LockingSystemControlTest, AStateChangeShowsTheNewStateAndResetsTheOptions) {
    ActivateAndWait();
    ASSERT_EQ(Text(IDC_SYS_STATE), L"Logged On");
    Click(IDC_SYS_SHUTDOWN);
    Click(IDC_SYS_PROMPT);
    SetText(IDC_SYS_TIMEOUT, L"30");
    Click(IDC_SYS_ALLOW_CANCEL);
    Click(IDC_SYS_CLOSE_PROGRAMS);
    Tick();
    WaitIdle();
    EXPECT_EQ(Text(IDC_SYS_STATE), L"Computer Locked");
    EXPECT_EQ(Actions(true), std::vector<int>{IDC_SYS_LOCK}) << "the first offered action again";
    EXPECT_FALSE(Checked(IDC_SYS_PROMPT) || Checked(IDC_SYS_ALLOW_CANCEL) || Checked(IDC_SYS_CLOSE_PROGRAMS));
    EXPECT_EQ(PromptOptions(), 0);
    EXPECT_EQ(Text(IDC_SYS_TIMEOUT), L"5");

    // The same state again changes nothing the user chose.
    Click(IDC_SYS_RESTART);
    Click(IDC_SYS_PROMPT);
    Tick();
    WaitIdle();
    EXPECT_EQ(Actions(true), std::vector<int>{IDC_SYS_RESTART});
    EXPECT_TRUE(Checked(IDC_SYS_PROMPT));
}

TEST_F(SystemControlTest, TicksWaitForTheFirstActivationTheToolBeingShownAndTheLastAnswer) {
    Tick();
    EXPECT_TRUE(host_.Requests().empty()) << "before the first activation";
    AnswerFromMachine(40);
    host_.Activate(snapIn_);
    Tick();
    EXPECT_EQ(host_.Requests().size(), 1u) << "busy: skipped";
    WaitIdle();
    host_.ClearRequests();
    Tick();
    EXPECT_EQ(host_.CountRequests(kState), 1u);
    EXPECT_EQ(host_.CountRequests(kCapabilities), 0u);
    WaitIdle();

    snapIn_->Deactivate();
    host_.ClearRequests();
    Tick();
    EXPECT_TRUE(host_.Requests().empty()) << "another tool is shown";
    snapIn_->Activate();
    EXPECT_EQ(host_.CountRequests(kState), 1u) << "shown again: polled at once";
    EXPECT_TRUE(StopPollTimer());
    WaitIdle();
}

TEST_F(SystemControlTest, ARestartTakesTheMachineAwayWithOneErrorBoxUntilItIsBack) {
    ActivateAndWait();
    size_t pollsWhileOpen = 0;
    host_.OnDialog([&](HWND, const CapturedDialog&) {
        const size_t before = host_.Requests().size();
        Tick();
        pollsWhileOpen += host_.Requests().size() - before;
        return IDOK;
    });
    Click(IDC_SYS_RESTART);
    Click(IDC_SYS_SEND);
    EXPECT_EQ(LastAction().action, 3);
    WaitIdle();
    EXPECT_EQ(host_.StatusText(1), L"Success");

    Tick();
    WaitIdle();
    ASSERT_EQ(host_.Dialogs().size(), 1u) << "away: the first failure is shown";
    EXPECT_TRUE(host_.Dialogs()[0].errorIcon);
    EXPECT_EQ(host_.Dialogs()[0].caption, L"Error");
    EXPECT_EQ(host_.Dialogs()[0].text, L"The network path was not found.");
    EXPECT_EQ(pollsWhileOpen, 0u) << "no poll while the box is open";
    EXPECT_EQ(Text(IDC_SYS_STATE), L"Logged On") << "what was known stays";
    Tick();
    WaitIdle();
    EXPECT_EQ(host_.StatusText(1), L"Failed");
    EXPECT_EQ(host_.Dialogs().size(), 1u) << "the same failure is not shown again";
    Tick();
    WaitIdle();
    EXPECT_EQ(host_.StatusText(1), L"Success") << "back";
    EXPECT_EQ(Text(IDC_SYS_STATE), L"Logged Off");
    EXPECT_EQ(Text(IDC_SYS_USER), L"");

    // Once it answered, the next failure is shown again.
    remote::Fault fault;
    fault.errorText = u"Der Netzwerkpfad wurde nicht gefunden.";
    machine_.InjectFault(kState, fault);
    Tick();
    WaitIdle();
    ASSERT_EQ(host_.Dialogs().size(), 2u);
    EXPECT_EQ(host_.Dialogs()[1].text, L"Der Netzwerkpfad wurde nicht gefunden.");
    EXPECT_EQ(host_.Releases(), host_.AnswersMade());
}

TEST_F(SystemControlTest, TheErrorBoxShowsTheSystemsTextForACodeOrElseTheCode) {
    remote::Fault fault;
    fault.retValue = 0;
    fault.times = 1;
    machine_.InjectFault(kCapabilities, fault);
    ActivateAndWait();
    ASSERT_EQ(host_.Dialogs().size(), 1u);
    EXPECT_EQ(host_.Dialogs()[0].text, L"Error description could not be found. Error code 0.");
    EXPECT_EQ(host_.CountRequests(kState), 0u) << "no state after failed capabilities";
    EXPECT_EQ(host_.StatusText(1), L"Failed");

    fault.retValue = 5;
    machine_.InjectFault(kCapabilities, fault);
    Refresh();
    ASSERT_EQ(host_.Dialogs().size(), 2u) << "what the user asks for always gets its error";
    EXPECT_FALSE(host_.Dialogs()[1].text.empty());
    EXPECT_EQ(host_.Dialogs()[1].text.find(L"could not be found"), std::wstring::npos);
}

TEST_F(SystemControlTest, UntrustedAnswersEndIdleWithoutCrashingOrShowingNonsense) {
    ActivateAndWait();
    const std::wstring user = Text(IDC_SYS_USER);
    auto unasked = host_.MakeAnswer(kSystemControl, kAction);
    unasked->Root().ChildNode("RetValue").SetShort(1);
    host_.Deliver(std::move(unasked));
    host_.Deliver(machine_.Answer(*host_.LastRequest(kState)));  // the same answer again
    EXPECT_EQ(host_.BusyDepth(), 0);

    remote::Fault fault;
    fault.kind = remote::FaultKind::Garbage;  // a state answer without "State"
    fault.times = 1;
    machine_.InjectFault(kState, fault);
    Tick();
    WaitIdle();
    ASSERT_EQ(host_.Dialogs().size(), 1u);
    EXPECT_EQ(host_.Dialogs()[0].text, L"The managed machine sent an answer that could not be read.");
    EXPECT_EQ(Text(IDC_SYS_USER), user);

    fault.kind = remote::FaultKind::HostileNumbers;
    machine_.InjectFault(kCapabilities, fault);
    machine_.InjectFault(kState, fault);
    Refresh();
    EXPECT_EQ(Actions(false), (std::vector<int>{IDC_SYS_LOCK, IDC_SYS_RESTART})) << "16-bit readings of 1 only";
    EXPECT_EQ(Text(IDC_SYS_STATE), L"Logged On") << "an unknown state leaves the text";
    EXPECT_EQ(Text(IDC_SYS_USER).size(), 512u);

    // An answer after the window has gone ends the busy state and shows nothing.
    AnswerFromMachine(40);
    machine_.InjectFault(kState, remote::Fault{});
    Tick();
    ASSERT_EQ(host_.BusyDepth(), 1);
    DestroyWindow(window_);
    ASSERT_TRUE(host_.PumpUntil([this] { return host_.PendingAnswers() == 0; }));
    EXPECT_EQ(host_.BusyDepth(), 0);
    EXPECT_EQ(host_.Dialogs().size(), 1u);
    EXPECT_EQ(host_.Releases(), host_.AnswersMade());
}

class DeviceSystemControlTest : public SystemControlTest {
protected:
    DeviceSystemControlTest() : SystemControlTest(Workstation(100, remote::kDevicePlatform)) {}
};

TEST_F(DeviceSystemControlTest, HasItsOwnFormStartsWithProgramsClosedAndPollsCapabilitiesOnly) {
    EXPECT_EQ(Control(IDC_SYS_STATE_GROUP), nullptr) << "no session on a device";
    EXPECT_EQ(Text(IDC_SYS_RESTART), L"Soft reset computer");
    EXPECT_TRUE(Checked(IDC_SYS_CLOSE_PROGRAMS));
    EXPECT_FALSE(Enabled(IDC_SYS_CLOSE_PROGRAMS));
    EXPECT_EQ(PromptOptions(), 0);
    EXPECT_TRUE(Actions(false).empty());

    ActivateAndWait();
    EXPECT_EQ(host_.CountRequests(kState), 0u);
    EXPECT_EQ(Actions(false),
              (std::vector<int>{IDC_SYS_BACKLIGHT_OFF, IDC_SYS_BACKLIGHT_ON, IDC_SYS_RESTART, IDC_SYS_SUSPEND}));
    EXPECT_EQ(Actions(true), std::vector<int>{IDC_SYS_BACKLIGHT_OFF});
    host_.ClearRequests();
    Tick();
    WaitIdle();
    EXPECT_EQ(host_.CountRequests(kCapabilities), 1u);
    EXPECT_EQ(host_.CountRequests(kState), 0u);

    // After an action the device is asked again and the poll starts over.
    Click(IDC_SYS_SUSPEND);
    Click(IDC_SYS_SEND);
    EXPECT_EQ(LastAction().action, 5);
    EXPECT_EQ(LastAction().option, 4);
    host_.ClearRequests();
    WaitIdle();
    EXPECT_EQ(host_.CountRequests(kCapabilities), 1u);
    EXPECT_TRUE(StopPollTimer());
    EXPECT_EQ(host_.Dialogs().size(), 1u) << "suspended: away";
    Tick();
    WaitIdle();
    EXPECT_EQ(host_.StatusText(1), L"Failed");
    Tick();
    WaitIdle();
    EXPECT_EQ(host_.StatusText(1), L"Success") << "awake again";
    EXPECT_EQ(host_.Dialogs().size(), 1u);
}

}  // namespace
}  // namespace vantrel::test
