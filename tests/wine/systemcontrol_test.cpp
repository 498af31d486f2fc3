// System Control through its real windows, against the simulated managed
// machine. The poll timer is stopped in every test and driven with WM_TIMER,
// so that no test waits for seconds and none sees a poll it did not ask for.
#include "framework/text/Base64.h"
#include "remote/RemoteMachine.h"
#include "remote/systemcontrol/SystemControlData.h"
#include "snapins/systemcontrol/SystemControlIds.h"
#include "snapins/systemcontrol/model/Protocol.h"
#include "tests/host/TestHost.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace vantrel::test {
namespace {

namespace wire = systemcontrol::protocol;
constexpr int32_t kSystemControl = wire::kSnapInId;
constexpr uint32_t kCapabilities = wire::kCapabilitiesCommand;
constexpr uint32_t kState = wire::kStateCommand;
constexpr uint32_t kAction = wire::kActionCommand;
constexpr UINT_PTR kPollTimer = 500;

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

// A session that stays as it is for 100 polls unless a test changes it.
remote::MachineConfig Workstation(int pollsPerPhase = 100) {
    remote::MachineConfig config;
    config.systemControl.pollsPerPhase = pollsPerPhase;
    config.systemControl.answersAway = 2;
    return config;
}

class SystemControlTest : public testing::Test {
protected:
    explicit SystemControlTest(remote::MachineConfig config = Workstation()) : machine_(config), config_(config) {}

    void SetUp() override {
        AnswerFromMachine();
        host_.SetRemotePlatform(config_.platform);
        snapIn_ = host_.Open(kSystemControl);
        ASSERT_NE(snapIn_, nullptr);
        window_ = snapIn_->GetWindow();
        ASSERT_NE(window_, nullptr);
        const bool device = config_.platform == remote::kDevicePlatform;
        form_ = GetDlgItem(window_, device ? IDD_SYS_DEVICE : IDD_SYS_GENERAL);
        ASSERT_NE(form_, nullptr);
        EXPECT_TRUE(StopPollTimer()) << "the poll runs from window creation";
    }

    void AnswerFromMachine(unsigned delayMs = 1) {
        host_.AnswerWith([this](const Message& request) { return machine_.Answer(request); }, delayMs);
    }

    // Stops the real timer; true if it was running.
    bool StopPollTimer() { return KillTimer(window_, kPollTimer) != 0; }
    void Tick() { ::SendMessageW(window_, WM_TIMER, kPollTimer, 0); }

    void ActivateAndWait() {
        host_.Activate(snapIn_);
        WaitIdle();
    }
    void WaitIdle() {
        ASSERT_TRUE(host_.PumpUntil([this] { return host_.BusyDepth() == 0 && host_.PendingAnswers() == 0; }));
        host_.PumpFor(5);
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
    void Command(int id) { ::SendMessageW(window_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    bool ButtonEnabled(int command) const {
        return ::SendMessageW(host_.ShownSnapInToolBar(), TB_ISBUTTONENABLED, static_cast<WPARAM>(command), 0) != 0;
    }
    std::vector<int> CheckedActions() const {
        std::vector<int> checked;
        for (int id = IDC_SYS_LOCK; id <= IDC_SYS_SHUTDOWN; ++id)
            if (Control(id) && Checked(id)) checked.push_back(id);
        return checked;
    }
    std::vector<int> EnabledActions() const {
        std::vector<int> enabled;
        for (int id = IDC_SYS_LOCK; id <= IDC_SYS_SHUTDOWN; ++id)
            if (Control(id) && Enabled(id)) enabled.push_back(id);
        return enabled;
    }
    bool PromptOptionsEnabled() const {
        for (int id : {IDC_SYS_TIMEOUT_LABEL, IDC_SYS_TIMEOUT, IDC_SYS_TIMEOUT_SPIN, IDC_SYS_SECONDS,
                       IDC_SYS_MESSAGE_LABEL, IDC_SYS_MESSAGE, IDC_SYS_ALLOW_CANCEL})
            if (!Enabled(id)) return false;
        return true;
    }
    bool PromptOptionsDisabled() const {
        for (int id : {IDC_SYS_TIMEOUT_LABEL, IDC_SYS_TIMEOUT, IDC_SYS_TIMEOUT_SPIN, IDC_SYS_SECONDS,
                       IDC_SYS_MESSAGE_LABEL, IDC_SYS_MESSAGE, IDC_SYS_ALLOW_CANCEL})
            if (Enabled(id)) return false;
        return true;
    }

    // A capability answer offering exactly these fields.
    std::unique_ptr<Message> Offering(std::initializer_list<const char*> fields) {
        auto answer = host_.MakeAnswer(kSystemControl, kCapabilities);
        answer->Root().ChildNode("RetValue").SetShort(1);
        for (const char* field : fields) answer->Root().ChildNode(field).SetShort(1);
        return answer;
    }
    // Answers 901 with the given fields and everything else from the machine.
    void OfferOnly(std::initializer_list<const char*> fields) {
        std::vector<const char*> offered(fields);
        host_.AnswerWith(
            [this, offered](const Message& request) -> std::unique_ptr<Message> {
                if (request.Command() != kCapabilities) return machine_.Answer(request);
                auto answer = std::make_unique<Message>(kCapabilities, kSystemControl, 0);
                answer->Root().ChildNode("RetValue").SetShort(1);
                for (const char* field : offered) answer->Root().ChildNode(field).SetShort(1);
                return answer;
            },
            1);
    }

    struct SentAction {
        int32_t action, option, timeout;
        std::u16string message;
        bool messageIsText;
    };
    SentAction LastAction() const {
        const Message* request = host_.LastRequest(kAction);
        EXPECT_NE(request, nullptr);
        if (!request) return {};
        const auto* message = request->Root().Find("Message");
        return {request->Root().Find("Action")->AsLong(), request->Root().Find("Option")->AsLong(),
                request->Root().Find("Timeout")->AsLong(), DecodeUtf16Base64(message ? message->Text() : ""),
                message && message->HasText()};
    }

    remote::RemoteMachine machine_;
    remote::MachineConfig config_;
    TestHost host_;
    ISnapIn* snapIn_ = nullptr;
    HWND window_ = nullptr;
    HWND form_ = nullptr;
};

TEST_F(SystemControlTest, FirstActivationShowsTheOfferedActionsTheStateAndTheUser) {
    // Before the first answer nothing can be chosen or sent.
    EXPECT_TRUE(EnabledActions().empty());
    EXPECT_TRUE(CheckedActions().empty());
    EXPECT_FALSE(Enabled(IDC_SYS_SEND));
    EXPECT_FALSE(Enabled(IDC_SYS_CLOSE_PROGRAMS));
    EXPECT_TRUE(PromptOptionsDisabled());
    EXPECT_EQ(Text(IDC_SYS_TIMEOUT), L"5");
    int low = -1, high = -1;
    ::SendMessageW(Control(IDC_SYS_TIMEOUT_SPIN), UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                   reinterpret_cast<LPARAM>(&high));
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 9999);
    EXPECT_EQ(::SendMessageW(Control(IDC_SYS_MESSAGE), EM_GETLIMITTEXT, 0, 0), 8192);
    EXPECT_EQ(Text(IDC_SYS_LOCK), L"&Lock computer(Windows NT, 2000, XP only)");
    EXPECT_EQ(Text(IDC_SYS_STATE_GROUP), L"Current Host State");
    EXPECT_EQ(GetDlgItem(window_, IDD_SYS_DEVICE), nullptr);

    host_.Activate(snapIn_);
    EXPECT_EQ(host_.StatusText(1), L"In progress...");
    WaitIdle();
    ASSERT_EQ(host_.Requests().size(), 2u);
    EXPECT_EQ(host_.Requests()[0]->Command(), kCapabilities);
    EXPECT_EQ(host_.Requests()[1]->Command(), kState) << "the state follows the capabilities";
    for (const auto& request : host_.Requests()) {
        EXPECT_EQ(request->ReplyFlag(), 1);
        EXPECT_EQ(request->Root().ChildCount(), 0u);
    }
    EXPECT_EQ(Text(IDC_SYS_STATE), L"Logged On");
    EXPECT_EQ(Text(IDC_SYS_USER), Wide(remote::SimulatedSystem::Users()[0]));
    EXPECT_EQ(EnabledActions(), (std::vector<int>{IDC_SYS_LOCK, IDC_SYS_LOGOFF, IDC_SYS_RESTART, IDC_SYS_SHUTDOWN}));
    EXPECT_EQ(CheckedActions(), std::vector<int>{IDC_SYS_LOCK});
    EXPECT_FALSE(Enabled(IDC_SYS_SEND)) << "only after a click on an action";
    EXPECT_TRUE(ButtonEnabled(ID_SYS_SEND)) << "the toolbar's Send: an action is checked";
    EXPECT_FALSE(Enabled(IDC_SYS_CLOSE_PROGRAMS)) << "not for a lock";
    EXPECT_EQ(host_.StatusText(1), L"Success");
    EXPECT_EQ(host_.BeginBusyCalls(), 1) << "one busy state for the capabilities and the state";
    EXPECT_EQ(host_.EndBusyCalls(), 1);
    EXPECT_EQ(host_.Releases(), host_.AnswersMade());
}

TEST_F(SystemControlTest, ToolbarMenuF5AndTheMenusOwnRefreshNumber) {
    ActivateAndWait();
    HWND toolBar = host_.ShownSnapInToolBar();
    ASSERT_NE(toolBar, nullptr);
    EXPECT_EQ(::SendMessageW(toolBar, TB_BUTTONCOUNT, 0, 0), 2);
    TBBUTTONINFOW info = {sizeof(info), TBIF_IMAGE};
    ::SendMessageW(toolBar, TB_GETBUTTONINFOW, ID_SYS_REFRESH, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.iImage, 0);
    ::SendMessageW(toolBar, TB_GETBUTTONINFOW, ID_SYS_SEND, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.iImage, 24);
    NMTTDISPINFOW tip = {};
    EXPECT_TRUE(snapIn_->OnToolTipTextW(ID_SYS_SEND, &tip));
    EXPECT_STREQ(tip.szText, L"Send command");
    EXPECT_EQ(host_.Title(), "Console - System Control");

    HMENU popup = GetSubMenu(host_.MenuBar(), GetMenuItemCount(host_.MenuBar()) - 1);
    wchar_t text[64] = {};
    GetMenuStringW(host_.MenuBar(), static_cast<UINT>(GetMenuItemCount(host_.MenuBar()) - 1), text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"System Control");
    ASSERT_EQ(GetMenuItemCount(popup), 2);
    EXPECT_EQ(GetMenuItemID(popup, 0), static_cast<UINT>(ID_SYS_REFRESH_MENU));
    GetMenuStringW(popup, 0, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"&Refresh\tF5");
    EXPECT_EQ(GetMenuItemID(popup, 1), static_cast<UINT>(ID_SYS_SEND));
    EXPECT_FALSE(GetMenuState(popup, ID_SYS_SEND, MF_BYCOMMAND) & MF_GRAYED);

    // The menu's Refresh, the toolbar's and F5 all ask again and restart the poll.
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
    PostMessageW(Control(IDC_SYS_PROMPT), WM_KEYUP, VK_F5, static_cast<LPARAM>(0xC03F0001));
    host_.PumpFor(20);
    EXPECT_EQ(host_.CountRequests(kCapabilities), 1u) << "F5";
    StopPollTimer();
    WaitIdle();

    // Busy: a second Refresh (F5 is not grayed) asks nothing more.
    AnswerFromMachine(50);
    host_.ClearRequests();
    Command(ID_SYS_REFRESH);
    Command(ID_SYS_REFRESH_MENU);
    EXPECT_FALSE(ButtonEnabled(ID_SYS_REFRESH));
    EXPECT_TRUE(GetMenuState(popup, 0, MF_BYPOSITION) & MF_GRAYED);
    WaitIdle();
    EXPECT_EQ(host_.CountRequests(kCapabilities), 1u);
}

TEST_F(SystemControlTest, OnlyLogOffAndShutDownOfferedEnablesTheirButtonsAndChecksLogOff) {
    OfferOnly({"LogOff", "ShutDown"});
    ActivateAndWait();
    EXPECT_EQ(EnabledActions(), (std::vector<int>{IDC_SYS_LOGOFF, IDC_SYS_SHUTDOWN}));
    EXPECT_EQ(CheckedActions(), std::vector<int>{IDC_SYS_LOGOFF});
    EXPECT_TRUE(Enabled(IDC_SYS_CLOSE_PROGRAMS)) << "a log off may close programs";
    Click(IDC_SYS_SHUTDOWN);
    EXPECT_EQ(CheckedActions(), std::vector<int>{IDC_SYS_SHUTDOWN});
    EXPECT_TRUE(Enabled(IDC_SYS_SEND));
    EXPECT_TRUE(Enabled(IDC_SYS_CLOSE_PROGRAMS));
}

class ServerSystemControlTest : public SystemControlTest {
protected:
    static remote::MachineConfig Server() {
        remote::MachineConfig config = Workstation();
        config.systemControl.server = true;
        return config;
    }
    ServerSystemControlTest() : SystemControlTest(Server()) {}
};

TEST_F(ServerSystemControlTest, AServerThatRefusesToLockLeavesLockDisabled) {
    ActivateAndWait();
    EXPECT_EQ(EnabledActions(), (std::vector<int>{IDC_SYS_LOGOFF, IDC_SYS_RESTART, IDC_SYS_SHUTDOWN}));
    EXPECT_EQ(CheckedActions(), std::vector<int>{IDC_SYS_LOGOFF});
}

TEST_F(SystemControlTest, TheRequestCarriesActionOptionBitsTimeOutAndMessage) {
    ActivateAndWait();
    Click(IDC_SYS_LOGOFF);
    Click(IDC_SYS_PROMPT);
    EXPECT_TRUE(PromptOptionsEnabled());
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

    // Without the prompt the time-out and the message stay home.
    Click(IDC_SYS_CLOSE_PROGRAMS);
    Click(IDC_SYS_PROMPT);
    EXPECT_TRUE(PromptOptionsDisabled());
    EXPECT_FALSE(Checked(IDC_SYS_ALLOW_CANCEL)) << "disabled, so unchecked";
    EXPECT_EQ(Text(IDC_SYS_TIMEOUT), L"30");
    Click(IDC_SYS_SEND);
    sent = LastAction();
    EXPECT_EQ(sent.option, 4);
    EXPECT_EQ(sent.timeout, 0);
    EXPECT_TRUE(sent.message.empty());
    EXPECT_TRUE(sent.messageIsText);
    WaitIdle();

    // The toolbar's Send sends the checked action as well.
    Click(IDC_SYS_RESTART);
    host_.ClearRequests();
    Command(ID_SYS_SEND);
    EXPECT_EQ(LastAction().action, 3);
    WaitIdle();
}

TEST_F(SystemControlTest, TheTimeOutIsClampedAndAMessageCutToItsLimit) {
    ActivateAndWait();
    Click(IDC_SYS_LOCK);
    Click(IDC_SYS_PROMPT);
    const std::pair<std::wstring, int32_t> cases[] = {
        {L"123456", 9999}, {L"-5", 0}, {L"abc", 5}, {L"", 5}, {L"9999", 9999}};
    for (const auto& [text, seconds] : cases) {
        SetText(IDC_SYS_TIMEOUT, text);
        Click(IDC_SYS_SEND);
        EXPECT_EQ(LastAction().timeout, seconds) << std::string(text.begin(), text.end());
        WaitIdle();
        EXPECT_EQ(host_.StatusText(1), L"Success") << "the machine takes every time-out sent";
    }
    // Text put in by a program passes the edit's limit; the request does not.
    std::wstring words;
    while (words.size() < 9000) words += L"Bitte ";
    SetText(IDC_SYS_MESSAGE, words);
    Click(IDC_SYS_SEND);
    EXPECT_EQ(LastAction().message.size(), 8192u);
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
    EXPECT_FALSE(ButtonEnabled(ID_SYS_SEND)) << "busy";
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
    SetText(IDC_SYS_MESSAGE, L"Gleich geht's los.");
    Click(IDC_SYS_ALLOW_CANCEL);
    Click(IDC_SYS_CLOSE_PROGRAMS);

    Tick();
    WaitIdle();
    EXPECT_EQ(host_.CountRequests(kState), 2u);
    EXPECT_EQ(Text(IDC_SYS_STATE), L"Computer Locked");
    EXPECT_EQ(Text(IDC_SYS_USER), Wide(remote::SimulatedSystem::Users()[0]));
    EXPECT_EQ(CheckedActions(), std::vector<int>{IDC_SYS_LOCK}) << "the first offered action again";
    EXPECT_FALSE(Checked(IDC_SYS_PROMPT));
    EXPECT_FALSE(Checked(IDC_SYS_ALLOW_CANCEL));
    EXPECT_FALSE(Checked(IDC_SYS_CLOSE_PROGRAMS));
    EXPECT_TRUE(PromptOptionsDisabled());
    EXPECT_EQ(Text(IDC_SYS_TIMEOUT), L"5");

    // The same state again changes nothing the user chose.
    Click(IDC_SYS_RESTART);
    Click(IDC_SYS_PROMPT);
    Tick();
    WaitIdle();
    EXPECT_EQ(CheckedActions(), std::vector<int>{IDC_SYS_RESTART});
    EXPECT_TRUE(Checked(IDC_SYS_PROMPT));
}

TEST_F(SystemControlTest, ACheckedActionNoLongerOfferedIsUncheckedAndNothingOfferedSendsNothing) {
    ActivateAndWait();
    Click(IDC_SYS_SHUTDOWN);
    OfferOnly({"Lock", "Restart"});
    Command(ID_SYS_REFRESH);
    StopPollTimer();
    WaitIdle();
    EXPECT_FALSE(Enabled(IDC_SYS_SHUTDOWN));
    EXPECT_EQ(CheckedActions(), std::vector<int>{IDC_SYS_LOCK});

    // Nothing offered, or only what this form has no button for.
    OfferOnly({"BackLightOff", "Suspend"});
    Command(ID_SYS_REFRESH);
    StopPollTimer();
    WaitIdle();
    EXPECT_TRUE(EnabledActions().empty());
    EXPECT_TRUE(CheckedActions().empty());
    EXPECT_FALSE(Enabled(IDC_SYS_SEND));
    EXPECT_FALSE(ButtonEnabled(ID_SYS_SEND));
    ::SendMessageW(form_, WM_COMMAND, MAKEWPARAM(IDC_SYS_SEND, BN_CLICKED),
                   reinterpret_cast<LPARAM>(Control(IDC_SYS_SEND)));
    Command(ID_SYS_SEND);
    EXPECT_EQ(host_.CountRequests(kAction), 0u);
}

TEST_F(SystemControlTest, TicksWaitForTheFirstActivationTheToolBeingShownAndTheLastAnswer) {
    Tick();
    EXPECT_TRUE(host_.Requests().empty()) << "before the first activation";

    AnswerFromMachine(40);
    host_.Activate(snapIn_);
    Tick();
    EXPECT_EQ(host_.Requests().size(), 1u) << "busy: the tick is skipped";
    WaitIdle();
    host_.ClearRequests();
    Tick();
    EXPECT_EQ(host_.CountRequests(kState), 1u) << "a tick polls the state";
    EXPECT_EQ(host_.CountRequests(kCapabilities), 0u);
    WaitIdle();

    snapIn_->Deactivate();
    host_.ClearRequests();
    Tick();
    Tick();
    EXPECT_TRUE(host_.Requests().empty()) << "another tool is shown";
    snapIn_->Activate();
    EXPECT_EQ(host_.CountRequests(kState), 1u) << "shown again: polled at once";
    EXPECT_TRUE(StopPollTimer());
    WaitIdle();
    snapIn_->Deactivate();
    snapIn_->Activate();
    EXPECT_EQ(host_.CountRequests(kState), 1u) << "no tick was missed";
}

TEST_F(SystemControlTest, AFailingMachineRaisesOneErrorBoxAndTicksWaitWhileItIsOpen) {
    ActivateAndWait();
    remote::Fault fault;
    fault.errorText = u"Der Netzwerkpfad wurde nicht gefunden.";
    machine_.InjectFault(kState, fault);
    size_t statesDuringBox = 0;
    host_.OnDialog([&](HWND, const CapturedDialog&) {
        const size_t before = host_.CountRequests(kState);
        Tick();
        statesDuringBox += host_.CountRequests(kState) - before;
        return IDOK;
    });
    Tick();
    WaitIdle();
    ASSERT_EQ(host_.Dialogs().size(), 1u);
    EXPECT_TRUE(host_.Dialogs()[0].isMessageBox);
    EXPECT_TRUE(host_.Dialogs()[0].errorIcon);
    EXPECT_EQ(host_.Dialogs()[0].caption, L"Error");
    EXPECT_EQ(host_.Dialogs()[0].text, L"Der Netzwerkpfad wurde nicht gefunden.");
    EXPECT_EQ(statesDuringBox, 0u) << "no poll while the box is open";
    EXPECT_EQ(host_.StatusText(1), L"Failed");

    for (int i = 0; i < 3; ++i) {
        Tick();
        WaitIdle();
    }
    EXPECT_EQ(host_.Dialogs().size(), 1u) << "the same failure is not shown again";
    EXPECT_EQ(host_.StatusText(1), L"Failed");

    // What the user asks for is always answered with its error.
    Command(ID_SYS_REFRESH);
    StopPollTimer();
    WaitIdle();
    EXPECT_EQ(host_.Dialogs().size(), 2u);

    // After a poll that succeeds, the next failure is shown again.
    machine_.ClearFaults();
    Tick();
    WaitIdle();
    EXPECT_EQ(host_.StatusText(1), L"Success");
    machine_.InjectFault(kState, fault);
    Tick();
    WaitIdle();
    EXPECT_EQ(host_.Dialogs().size(), 3u);
    EXPECT_EQ(host_.BusyDepth(), 0);
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
    EXPECT_TRUE(EnabledActions().empty());

    // A failure code of the system has the system's text.
    fault.retValue = 5;
    machine_.InjectFault(kCapabilities, fault);
    Command(ID_SYS_REFRESH);
    StopPollTimer();
    WaitIdle();
    ASSERT_EQ(host_.Dialogs().size(), 2u);
    EXPECT_FALSE(host_.Dialogs()[1].text.empty());
    EXPECT_EQ(host_.Dialogs()[1].text.find(L"could not be found"), std::wstring::npos) << "the system knows code 5";
}

TEST_F(SystemControlTest, ARestartTakesTheMachineAwayAndItComesBackLoggedOff) {
    ActivateAndWait();
    Click(IDC_SYS_RESTART);
    Click(IDC_SYS_SEND);
    EXPECT_EQ(LastAction().action, 3);
    WaitIdle();
    EXPECT_EQ(host_.StatusText(1), L"Success");
    EXPECT_EQ(host_.CountRequests(kCapabilities), 1u) << "the general platform asks nothing after an action";

    Tick();
    WaitIdle();
    ASSERT_EQ(host_.Dialogs().size(), 1u) << "away: the first failure is shown";
    EXPECT_EQ(host_.Dialogs()[0].text, L"The network path was not found.");
    EXPECT_EQ(Text(IDC_SYS_STATE), L"Logged On") << "what was last known stays";
    Tick();
    WaitIdle();
    EXPECT_EQ(host_.Dialogs().size(), 1u);
    EXPECT_EQ(host_.StatusText(1), L"Failed");
    Tick();
    WaitIdle();
    EXPECT_EQ(host_.StatusText(1), L"Success") << "back";
    EXPECT_EQ(Text(IDC_SYS_STATE), L"Logged Off");
    EXPECT_EQ(Text(IDC_SYS_USER), L"");
    EXPECT_EQ(CheckedActions(), std::vector<int>{IDC_SYS_LOCK});
    EXPECT_EQ(host_.BusyDepth(), 0);
    EXPECT_EQ(host_.Releases(), host_.AnswersMade());
}

TEST_F(SystemControlTest, ARefusedActionEndsFailedWithoutABox) {
    ActivateAndWait();
    Click(IDC_SYS_LOGOFF);
    Click(IDC_SYS_SEND);
    WaitIdle();
    Tick();
    WaitIdle();
    ASSERT_EQ(Text(IDC_SYS_STATE), L"Logged Off");
    Click(IDC_SYS_LOCK);
    Click(IDC_SYS_SEND);
    WaitIdle();
    EXPECT_EQ(host_.StatusText(1), L"Failed") << "nobody is logged on to lock";
    EXPECT_TRUE(host_.Dialogs().empty());
}

TEST_F(SystemControlTest, UntrustedAnswersEndIdleWithoutCrashingOrShowingNonsense) {
    ActivateAndWait();
    const std::wstring user = Text(IDC_SYS_USER);
    // Unasked, repeated and late answers are dropped.
    auto unasked = host_.MakeAnswer(kSystemControl, kAction);
    unasked->Root().ChildNode("RetValue").SetShort(1);
    host_.Deliver(std::move(unasked));
    host_.Deliver(machine_.Answer(*host_.LastRequest(kState)));
    EXPECT_EQ(host_.BusyDepth(), 0);
    EXPECT_EQ(host_.StatusText(1), L"Success");

    // A state answer without "State" cannot be read.
    remote::Fault garbage;
    garbage.kind = remote::FaultKind::Garbage;
    garbage.times = 1;
    machine_.InjectFault(kState, garbage);
    Tick();
    WaitIdle();
    ASSERT_EQ(host_.Dialogs().size(), 1u);
    EXPECT_EQ(host_.Dialogs()[0].text, L"The managed machine sent an answer that could not be read.");
    EXPECT_EQ(Text(IDC_SYS_USER), user);

    // Numbers beyond 0 and 1, a state nobody knows, a name of 100,000 characters.
    remote::Fault hostile;
    hostile.kind = remote::FaultKind::HostileNumbers;
    machine_.InjectFault(kCapabilities, hostile);
    machine_.InjectFault(kState, hostile);
    Command(ID_SYS_REFRESH);
    StopPollTimer();
    WaitIdle();
    EXPECT_EQ(EnabledActions(), (std::vector<int>{IDC_SYS_LOCK, IDC_SYS_RESTART})) << "16-bit readings of 1 only";
    EXPECT_EQ(Text(IDC_SYS_STATE), L"Logged On") << "an unknown state leaves the text";
    EXPECT_EQ(Text(IDC_SYS_USER).size(), 512u);
    EXPECT_EQ(host_.BusyDepth(), 0);

    // Capabilities that are texts offer nothing.
    machine_.ClearFaults();
    machine_.InjectFault(kCapabilities, garbage);
    Command(ID_SYS_REFRESH);
    StopPollTimer();
    WaitIdle();
    EXPECT_TRUE(CheckedActions().empty());
    EXPECT_EQ(host_.Releases(), host_.AnswersMade());
    EXPECT_EQ(host_.DoubleReleases(), 0);
}

TEST_F(SystemControlTest, AnswersAfterTheWindowHasGoneEndTheBusyStateAndShowNothing) {
    ActivateAndWait();
    AnswerFromMachine(40);
    remote::Fault fault;
    machine_.InjectFault(kState, fault);
    Tick();
    ASSERT_EQ(host_.BusyDepth(), 1);
    DestroyWindow(window_);
    ASSERT_TRUE(host_.PumpUntil([this] { return host_.PendingAnswers() == 0; }));
    EXPECT_EQ(host_.BusyDepth(), 0);
    EXPECT_TRUE(host_.Dialogs().empty());
    EXPECT_EQ(host_.Releases(), host_.AnswersMade());
}

TEST_F(SystemControlTest, AHostWithoutMessagesLeavesTheToolIdle) {
    host_.RefuseMessages(true);
    host_.Activate(snapIn_);
    Tick();
    EXPECT_EQ(host_.BusyDepth(), 0);
    EXPECT_TRUE(host_.Requests().empty());
    host_.RefuseMessages(false);
    Command(ID_SYS_REFRESH);
    WaitIdle();
    EXPECT_EQ(Text(IDC_SYS_STATE), L"Logged On");
}

class DeviceSystemControlTest : public SystemControlTest {
protected:
    static remote::MachineConfig Device() {
        remote::MachineConfig config = Workstation();
        config.platform = remote::kDevicePlatform;
        return config;
    }
    DeviceSystemControlTest() : SystemControlTest(Device()) {}
};

TEST_F(DeviceSystemControlTest, HasItsOwnFormStartsWithProgramsClosedAndPollsCapabilitiesOnly) {
    EXPECT_EQ(GetDlgItem(window_, IDD_SYS_GENERAL), nullptr);
    EXPECT_EQ(Control(IDC_SYS_STATE_GROUP), nullptr) << "no state on a device";
    EXPECT_EQ(Control(IDC_SYS_LOCK), nullptr);
    EXPECT_EQ(Text(IDC_SYS_BACKLIGHT_OFF), L"Turn display backlight off");
    EXPECT_EQ(Text(IDC_SYS_RESTART), L"Soft reset computer");
    EXPECT_TRUE(Checked(IDC_SYS_CLOSE_PROGRAMS));
    EXPECT_FALSE(Enabled(IDC_SYS_CLOSE_PROGRAMS));
    EXPECT_TRUE(PromptOptionsDisabled());
    EXPECT_TRUE(EnabledActions().empty());

    ActivateAndWait();
    EXPECT_EQ(host_.CountRequests(kState), 0u);
    EXPECT_EQ(EnabledActions(),
              (std::vector<int>{IDC_SYS_BACKLIGHT_OFF, IDC_SYS_BACKLIGHT_ON, IDC_SYS_RESTART, IDC_SYS_SUSPEND}));
    EXPECT_EQ(CheckedActions(), std::vector<int>{IDC_SYS_BACKLIGHT_OFF});
    host_.ClearRequests();
    Tick();
    WaitIdle();
    EXPECT_EQ(host_.CountRequests(kCapabilities), 1u);
    EXPECT_EQ(host_.CountRequests(kState), 0u);

    // After an action the device is asked again and the poll starts over.
    Click(IDC_SYS_BACKLIGHT_ON);
    Click(IDC_SYS_SEND);
    SentAction sent = LastAction();
    EXPECT_EQ(sent.action, 7);
    EXPECT_EQ(sent.option, 4);
    host_.ClearRequests();
    WaitIdle();
    EXPECT_EQ(host_.CountRequests(kCapabilities), 1u);
    EXPECT_TRUE(StopPollTimer());
    EXPECT_EQ(host_.StatusText(1), L"Success");
    EXPECT_TRUE(Checked(IDC_SYS_CLOSE_PROGRAMS));

    // Suspended, the device is away for a while; its polls fail quietly after the first.
    Click(IDC_SYS_SUSPEND);
    Click(IDC_SYS_SEND);
    EXPECT_EQ(LastAction().action, 5);
    WaitIdle();
    StopPollTimer();
    EXPECT_EQ(host_.Dialogs().size(), 1u) << "the 901 after the action failed";
    Tick();
    WaitIdle();
    EXPECT_EQ(host_.StatusText(1), L"Failed");
    Tick();
    WaitIdle();
    EXPECT_EQ(host_.StatusText(1), L"Success") << "back again";
    EXPECT_EQ(host_.Dialogs().size(), 1u);
}

}  // namespace
}  // namespace vantrel::test
