// Task Manager through its real windows, against the simulated managed
// machine and against answers made by hand.
#include "framework/FrameworkIds.h"
#include "framework/text/Base64.h"
#include "framework/xml/Xml.h"
#include "remote/RemoteMachine.h"
#include "snapins/taskmanager/TaskManagerIds.h"
#include "snapins/taskmanager/model/Protocol.h"
#include "tests/host/LocalFiles.h"
#include "tests/host/ToolTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace vantrel::test {
namespace {

namespace wire = taskmanager::protocol;
constexpr int32_t kTaskManager = wire::kSnapInId;
constexpr uint32_t kApplications = wire::kApplicationsCommand, kProcesses = wire::kProcessesCommand,
                   kThreads = wire::kThreadsCommand, kNewTask = wire::kNewTaskCommand,
                   kEndTask = wire::kEndTaskCommand, kEndProcess = wire::kEndProcessCommand;
constexpr int kApplicationsTab = 0, kProcessesTab = 1;

std::string Name(std::u16string_view text) { return EncodeUtf16Base64(text); }

// The user's separators, pinned for one test and put back afterwards.
class PinnedLocale {
public:
    PinnedLocale(const wchar_t* thousands, const wchar_t* time) {
        GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, thousands_, 8);
        GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, time_, 8);
        pinned_ = SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, thousands) &&
                  SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, time);
        wchar_t check[8] = {};
        GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, check, 8);
        pinned_ = pinned_ && wcscmp(check, thousands) == 0;
    }
    ~PinnedLocale() {
        SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, thousands_);
        SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, time_);
    }
    bool Pinned() const { return pinned_; }

private:
    wchar_t thousands_[8] = {};
    wchar_t time_[8] = {};
    bool pinned_ = false;
};

class TaskManagerTest : public ToolTest {
protected:
    explicit TaskManagerTest(remote::MachineConfig config = Small()) : ToolTest(kTaskManager, config) {}

    static remote::MachineConfig Small() {
        remote::MachineConfig config;
        config.pageSize = 7;
        return config;
    }

    void SetUp() override {
        ASSERT_TRUE(locale_.Pinned()) << "the test needs \",\" and \":\" as the user's separators";
        ToolTest::SetUp();
        FindControls();
    }

    void Open(TestHost& host) {
        snapIn_ = host.Open(kTaskManager);
        ASSERT_NE(snapIn_, nullptr);
        FindControls();
    }
    void FindControls() {
        HWND window = snapIn_->GetWindow();
        tabs_ = Descendant(window, IDC_TM_TABS);
        applications_ = Descendant(window, IDC_TM_APPLICATIONS);
        processes_ = Descendant(window, IDC_TM_PROCESSES);
        threads_ = Descendant(window, IDC_TM_THREADS);
        page_ = Descendant(window, IDC_TM_PROCESSES_PAGE);
        ASSERT_TRUE(tabs_ && applications_ && processes_ && threads_ && page_);
    }

    // Answers made by hand only.
    void AnswerNothing() { host_.AnswerWith({}); }

    static int Selected(HWND list) {
        return static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    }
    void ShowTab(int tab) { ChooseTab(tabs_, tab); }
    std::wstring MenuText(int command) const {
        wchar_t text[64] = {};
        GetMenuStringW(GetSubMenu(host_.MenuBar(), GetMenuItemCount(host_.MenuBar()) - 1), static_cast<UINT>(command),
                       text, 64, MF_BYCOMMAND);
        return text;
    }
    bool MenuGrayed(int command) const { return !MenuEnabled(command); }
    std::wstring ToolTip(int command) const {
        NMTTDISPINFOW tip = {};
        snapIn_->OnToolTipTextW(static_cast<UINT>(command), &tip);
        return tip.szText;
    }

    // The "StartAt" of every list request so far, in order, with its command.
    std::vector<std::pair<uint32_t, std::string>> ListRequests() const {
        std::vector<std::pair<uint32_t, std::string>> starts;
        for (const auto& request : host_.Requests()) {
            const char* node = request->Command() == kApplications ? wire::kApplicationsNode
                               : request->Command() == kProcesses  ? wire::kProcessesNode
                               : request->Command() == kThreads    ? wire::kThreadsNode
                                                                   : nullptr;
            if (!node) continue;
            CXmlElement element;
            CXmlOptions options;
            element.Parse(request->Root().Find(node)->Text().c_str(), options);
            const char* start = element.GetAttribute("StartAt");
            starts.emplace_back(request->Command(), start ? start : "?");
        }
        return starts;
    }
    // A hand-made list answer.
    std::unique_ptr<Message> ListAnswer(uint32_t command, const std::string& xml, int32_t retValue = 0) {
        const char* node = command == kApplications ? wire::kApplicationsNode
                           : command == kProcesses  ? wire::kProcessesNode
                                                    : wire::kThreadsNode;
        auto answer = host_.MakeAnswer(kTaskManager, command);
        answer->Root().ChildNode("RetValue").SetLong(retValue);
        answer->Root().ChildNode(node).SetText(xml);
        return answer;
    }
    // The ends of a chain of hand-made answers: one page each.
    void DeliverChain(const std::string& applications, const std::string& processes, const std::string& threads) {
        host_.Deliver(ListAnswer(kApplications, applications));
        host_.Deliver(ListAnswer(kProcesses, processes));
        host_.Deliver(ListAnswer(kThreads, threads));
    }
    std::wstring Item(HWND list, const std::wstring& name, int column) {
        const int item = FindItem(list, name);
        return item < 0 ? L"<" + name + L" missing>" : ListViewText(list, item, column);
    }

    PinnedLocale locale_{L",", L":"};
    HWND tabs_ = nullptr, applications_ = nullptr, processes_ = nullptr, threads_ = nullptr, page_ = nullptr;
};

TEST_F(TaskManagerTest, TheFirstActivationRunsApplicationsProcessesAndThreadsInPagesAndShowsTheStatusLine) {
    host_.Activate(snapIn_);
    EXPECT_EQ(host_.StatusText(1), L"In progress...");
    EXPECT_FALSE(ButtonEnabled(ID_TM_REFRESH));
    WaitIdle();

    const auto requests = ListRequests();
    ASSERT_GE(requests.size(), 3u);
    EXPECT_EQ(requests[0], std::make_pair(kApplications, std::string("4294967295"))) << "-1 written as %lu";
    EXPECT_EQ(requests[1], std::make_pair(kApplications, std::string("7")));
    const auto firstOf = [&](uint32_t command) {
        return std::find_if(requests.begin(), requests.end(), [&](const auto& r) { return r.first == command; });
    };
    ASSERT_NE(firstOf(kProcesses), requests.end());
    EXPECT_EQ(firstOf(kProcesses)->second, "4294967295");
    EXPECT_EQ(firstOf(kThreads)->second, "4294967295");
    EXPECT_LT(firstOf(kApplications), firstOf(kProcesses));
    EXPECT_LT(firstOf(kProcesses), firstOf(kThreads));

    EXPECT_EQ(ItemCount(applications_), 12);
    EXPECT_EQ(ItemCount(processes_), 80);
    const std::wstring status = host_.StatusText(0);
    EXPECT_EQ(status.rfind(L"Processes: 80 / CPU Usage ", 0), 0u) << std::string(status.begin(), status.end());
    EXPECT_EQ(status.back(), L'%');
    EXPECT_EQ(host_.StatusText(1), L"Success");
    EXPECT_EQ(host_.StatusText(2), L"80/80");
    EXPECT_EQ(host_.BeginBusyCalls(), host_.EndBusyCalls());
    EXPECT_EQ(host_.Releases(), host_.AnswersMade());

    EXPECT_EQ(Item(processes_, L"System Idle Process", 1), L"0");
    EXPECT_EQ(Item(processes_, L"smss.exe", 7), L"1,024 K");
    EXPECT_EQ(Item(applications_, L"Calculator", 1), L"Running");
    EXPECT_EQ(Item(applications_, L"Setup - Installing components", 1), L"Not Responding");
    EXPECT_EQ(Item(applications_, L"Report.docx - Editor (Not Responding)", 1), L"Ghost");
    LVITEMW image = {};
    image.mask = LVIF_IMAGE;
    image.iItem = FindItem(applications_, L"Setup - Installing components");
    ::SendMessageW(applications_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&image));
    EXPECT_EQ(image.iImage, 2) << "the Not Responding picture";
}

TEST_F(TaskManagerTest, ColumnsCarryTheirTitlesOnTheGeneralPlatform) {
    const std::vector<std::wstring> processColumns = {L"Image Name",  L"PID",       L"CPU Usage", L"Time",
                                                      L"Kernel Time", L"User Time", L"Threads",   L"Mem Usage"};
    for (size_t i = 0; i < processColumns.size(); ++i) EXPECT_EQ(ColumnHeader(processes_, static_cast<int>(i)), processColumns[i]);
    const std::vector<std::wstring> threadColumns = {L"ID", L"Time", L"Kernel Time", L"User Time", L"Priority"};
    for (size_t i = 0; i < threadColumns.size(); ++i) EXPECT_EQ(ColumnHeader(threads_, static_cast<int>(i)), threadColumns[i]);
    EXPECT_EQ(ColumnHeader(applications_, 0), L"Task");
    EXPECT_EQ(ColumnHeader(applications_, 1), L"Status");
    EXPECT_EQ(::SendMessageW(applications_, LVM_GETCOLUMNWIDTH, 0, 0), 400);
}

TEST_F(TaskManagerTest, EveryCellFormatFromHandMadeAnswers) {
    AnswerNothing();
    host_.Activate(snapIn_);
    // 1 h 2 min 3.456 s, a quarter in the kernel: 9308640000 and 27925920000 units.
    DeliverChain("<Applications StartAt='0' UpTo='2' Total='2'>"
                 "<Application HWND='66000' Name='" + Name(u"Editor \u00e4") + "' AppState='0'/>"
                 "<Application HWND='66002' Name='" + Name(u"Strange") + "' AppState='9'/></Applications>",
                 "<Processes CPUUsage='12.9' StartAt='0' UpTo='3' Total='3'>"
                 "<Process ProcessID='0' Name='' CPUUsage='7.6' WksSetLo='1048576'/>"
                 "<Process ProcessID='1234' Name='" + Name(u"busy.exe") + "' CPUUsage='12' KeTimeHi='2' "
                 "KeTimeLo='718705408' UsrTimeHi='6' UsrTimeLo='2156116224' WksSetHi='1' WksSetLo='0'/>"
                 "<Process ProcessID='4294967295' Name='" + Name(u"max.exe") + "'/></Processes>",
                 "<Threads StartAt='0' UpTo='3' Total='3'><Process ProcessID='1234'>"
                 "<Thread ThreadID='77' KeTimeLo='10000' UsrTimeLo='30000' Priority='13'/></Process></Threads>");
    EXPECT_EQ(host_.BusyDepth(), 0);
    EXPECT_EQ(Item(applications_, L"Editor \u00e4", 1), L"Running");
    EXPECT_EQ(Item(applications_, L"Strange", 1), L"Unknown");

    EXPECT_EQ(Item(processes_, L"System Idle Process", 2), L"08") << "7.6 rounds";
    EXPECT_EQ(Item(processes_, L"System Idle Process", 3), L"00:00:00.000");
    EXPECT_EQ(Item(processes_, L"System Idle Process", 4), L"00");
    EXPECT_EQ(Item(processes_, L"System Idle Process", 5), L"100");
    EXPECT_EQ(Item(processes_, L"System Idle Process", 6), L"0");
    EXPECT_EQ(Item(processes_, L"System Idle Process", 7), L"1,024 K");
    EXPECT_EQ(Item(processes_, L"busy.exe", 1), L"1234");
    EXPECT_EQ(Item(processes_, L"busy.exe", 2), L"12");
    EXPECT_EQ(Item(processes_, L"busy.exe", 3), L"01:02:03.456");
    EXPECT_EQ(Item(processes_, L"busy.exe", 4), L"25");
    EXPECT_EQ(Item(processes_, L"busy.exe", 5), L"75");
    EXPECT_EQ(Item(processes_, L"busy.exe", 6), L"1");
    EXPECT_EQ(Item(processes_, L"busy.exe", 7), L"4,194,304 K");
    EXPECT_EQ(Item(processes_, L"max.exe", 1), L"4294967295");
    EXPECT_EQ(host_.StatusText(0), L"Processes: 3 / CPU Usage 12%") << "12.9 truncated";

    Select(processes_, FindItem(processes_, L"busy.exe"));
    ASSERT_EQ(ItemCount(threads_), 1);
    EXPECT_EQ(Column(threads_, 0), std::vector<std::wstring>{L"77"});
    EXPECT_EQ(ListViewText(threads_, 0, 1), L"00:00:00.004");
    EXPECT_EQ(ListViewText(threads_, 0, 2), L"25");
    EXPECT_EQ(ListViewText(threads_, 0, 3), L"75");
    EXPECT_EQ(ListViewText(threads_, 0, 4), L"13");
}

TEST_F(TaskManagerTest, TheViewTakesItsSeparatorsFromTheUsersLocale) {
    PinnedLocale other(L".", L"-");
    if (!other.Pinned()) GTEST_SKIP() << "the user's separators cannot be changed here";
    AnswerNothing();
    host_.Activate(snapIn_);
    DeliverChain("<Applications UpTo='0' Total='0'/>",
                 "<Processes CPUUsage='1' UpTo='1' Total='1'><Process ProcessID='8' Name='" + Name(u"a.exe") +
                     "' KeTimeLo='36000000' WksSetLo='1073741824'/></Processes>",
                 "<Threads UpTo='1' Total='1'/>");
    EXPECT_EQ(Item(processes_, L"a.exe", 7), L"1.048.576 K");
    EXPECT_EQ(Item(processes_, L"a.exe", 3), L"00-00-03.600");
}

TEST_F(TaskManagerTest, APageWithUpToAtTotalEndsItsListAndStartsTheNextWhileTheSentStartAtDecidesPaging) {
    AnswerNothing();
    host_.Activate(snapIn_);
    host_.Deliver(ListAnswer(kApplications, "<Applications StartAt='0' UpTo='1' Total='1'>"
                                            "<Application HWND='5' Name='" + Name(u"One") + "'/></Applications>"));
    ASSERT_EQ(ListRequests().back(), std::make_pair(kProcesses, std::string("4294967295")));
    EXPECT_EQ(host_.BusyDepth(), 1);
    // The answer claims to start at 0 and reach 2 of 5: the next page is asked from 2.
    host_.Deliver(ListAnswer(kProcesses, "<Processes StartAt='0' UpTo='2' Total='5'>"
                                         "<Process ProcessID='8'/><Process ProcessID='12'/></Processes>"));
    EXPECT_EQ(ListRequests().back(), std::make_pair(kProcesses, std::string("2")));
    EXPECT_EQ(host_.StatusText(2), L"2/5");
    EXPECT_EQ(ItemCount(processes_), 2) << "items are added as the pages arrive";
    // This one lies about its StartAt; from the 2 that was sent it did not advance.
    host_.Deliver(ListAnswer(kProcesses, "<Processes StartAt='4294967295' UpTo='2' Total='5'>"
                                         "<Process ProcessID='16'/></Processes>"));
    EXPECT_EQ(host_.StatusText(1), L"Failed");
    EXPECT_EQ(host_.BusyDepth(), 0);
    EXPECT_EQ(host_.CountRequests(kThreads), 0u) << "the chain stops";
    EXPECT_EQ(ItemCount(processes_), 3) << "what arrived stays";
}

TEST_F(TaskManagerTest, ThreadsThatArriveWithTheirProcessAndAgainAreShownOnceAndThoseOfUnknownProcessesAreDropped) {
    AnswerNothing();
    host_.Activate(snapIn_);
    DeliverChain("<Applications UpTo='0' Total='0'/>",
                 "<Processes UpTo='2' Total='2'><Process ProcessID='8' Name='" + Name(u"a.exe") + "'>"
                 "<Thread ThreadID='100'/><Thread ThreadID='104'/></Process>"
                 "<Process ProcessID='12' Name='" + Name(u"b.exe") + "'/></Processes>",
                 "<Threads UpTo='3' Total='3'><Process ProcessID='8'><Thread ThreadID='104'/><Thread ThreadID='108'/>"
                 "</Process><Process ProcessID='12'><Thread ThreadID='200'/></Process>"
                 "<Process ProcessID='999'><Thread ThreadID='300'/></Process></Threads>");
    EXPECT_EQ(Item(processes_, L"a.exe", 6), L"3");
    EXPECT_EQ(Item(processes_, L"b.exe", 6), L"1");
    Select(processes_, FindItem(processes_, L"a.exe"));
    EXPECT_EQ(Column(threads_, 0), (std::vector<std::wstring>{L"100", L"104", L"108"}));
    Select(processes_, FindItem(processes_, L"b.exe"));
    EXPECT_EQ(Column(threads_, 0), std::vector<std::wstring>{L"200"}) << "the threads list follows the selection";
}

TEST_F(TaskManagerTest, HostileNumbersAreClampedAndFormattedWithoutHarm) {
    AnswerNothing();
    host_.Activate(snapIn_);
    DeliverChain("<Applications UpTo='1' Total='1'><Application HWND='-1' AppState='-7' Name='" + Name(u"x") +
                     "'/></Applications>",
                 "<Processes CPUUsage='1e308' UpTo='4' Total='4'>"
                 "<Process ProcessID='8' Name='" + Name(u"huge.exe") + "' CPUUsage='1e308' KeTimeHi='4294967295' "
                 "KeTimeLo='4294967295' UsrTimeHi='4294967295' UsrTimeLo='4294967295' WksSetHi='4294967295' "
                 "WksSetLo='4294967295'/>"
                 "<Process ProcessID='12' Name='" + Name(u"nan.exe") + "' CPUUsage='nan' KeTimeHi='-1'/>"
                 "<Process ProcessID='16' Name='" + Name(u"negative.exe") + "' CPUUsage='-42.5'/>"
                 "<Process ProcessID='20' Name='" + Name(u"overflow.exe") + "' KeTimeHi='4294967295' "
                 "UsrTimeLo='1'/></Processes>",
                 "<Threads UpTo='4' Total='4'/>");
    EXPECT_EQ(Item(processes_, L"huge.exe", 2), L"100");
    EXPECT_EQ(Item(processes_, L"huge.exe", 3), L"512409557:36:10.955");
    EXPECT_EQ(Item(processes_, L"huge.exe", 4), L"50");
    EXPECT_EQ(Item(processes_, L"huge.exe", 7), L"18,014,398,509,481,983 K");
    EXPECT_EQ(Item(processes_, L"nan.exe", 2), L"00");
    EXPECT_EQ(Item(processes_, L"negative.exe", 2), L"00");
    EXPECT_EQ(Item(processes_, L"overflow.exe", 4), L"99") << "kernel * 100 beyond 64 bits";
    EXPECT_EQ(host_.StatusText(0), L"Processes: 4 / CPU Usage 100%");
    EXPECT_EQ(Item(applications_, L"x", 1), L"Unknown");
    EXPECT_EQ(host_.BusyDepth(), 0);

    // The machine's own nonsense, through a whole refresh.
    host_.AnswerWith([this](const Message& request) { return machine_.Answer(request); }, 1);
    for (uint32_t command : {kApplications, kProcesses, kThreads}) {
        remote::Fault fault;
        fault.kind = remote::FaultKind::HostileNumbers;
        machine_.InjectFault(command, fault);
    }
    Command(ID_TM_REFRESH);
    WaitIdle();
    EXPECT_EQ(ItemCount(processes_), 80);
    for (const std::wstring& cpu : Column(processes_, 2)) EXPECT_LE(std::stoi(cpu), 100);
    for (const std::wstring& kernel : Column(processes_, 4)) EXPECT_LE(std::stoi(kernel), 100);
    EXPECT_EQ(host_.Releases(), host_.AnswersMade());
}

TEST_F(TaskManagerTest, EndTaskFollowsTheTabInTextTooltipAndEnabling) {
    ActivateAndWait();
    EXPECT_EQ(MenuText(ID_TM_END_TASK), L"&End Task");
    EXPECT_EQ(ToolTip(ID_TM_END_TASK), L"End Task");
    EXPECT_EQ(ToolTip(ID_TM_NEW_TASK), L"Create task");
    EXPECT_EQ(ToolTip(ID_TM_REFRESH), L"Refresh");
    EXPECT_FALSE(ButtonEnabled(ID_TM_END_TASK)) << "nothing selected";
    EXPECT_TRUE(MenuGrayed(ID_TM_END_TASK));
    EXPECT_TRUE(ButtonEnabled(ID_TM_NEW_TASK));
    Select(applications_, 0);
    EXPECT_TRUE(ButtonEnabled(ID_TM_END_TASK));
    EXPECT_FALSE(MenuGrayed(ID_TM_END_TASK));

    ShowTab(kProcessesTab);
    EXPECT_TRUE(GetWindowLongW(page_, GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(GetWindowLongW(applications_, GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(MenuText(ID_TM_END_TASK), L"&End Process");
    EXPECT_EQ(ToolTip(ID_TM_END_TASK), L"End Process");
    EXPECT_FALSE(ButtonEnabled(ID_TM_END_TASK)) << "no process selected";
    Select(processes_, 3);
    EXPECT_TRUE(ButtonEnabled(ID_TM_END_TASK));

    // Busy, everything is grayed; the tab still names the command.
    snapIn_->BeginBusy(IDS_STATUS_IN_PROGRESS);
    ShowTab(kApplicationsTab);
    EXPECT_EQ(MenuText(ID_TM_END_TASK), L"&End Task");
    EXPECT_FALSE(ButtonEnabled(ID_TM_END_TASK));
    EXPECT_TRUE(MenuGrayed(ID_TM_END_TASK));
    snapIn_->EndBusy(IDS_STATUS_SUCCESS);
    EXPECT_TRUE(ButtonEnabled(ID_TM_END_TASK));
}

TEST_F(TaskManagerTest, EndProcessAsksFirstAndEndsTheProcessChosenEvenIfARefreshRunsUnderTheBox) {
    ActivateAndWait();
    ShowTab(kProcessesTab);
    const int chosen = FindItem(processes_, L"notepad.exe");
    ASSERT_GE(chosen, 0);
    const std::wstring chosenId = ListViewText(processes_, chosen, 1);
    Select(processes_, chosen);
    host_.ClearRequests();

    CapturedDialog box;
    host_.OnDialog([&](HWND, const CapturedDialog& dialog) {
        box = dialog;
        // Under the box the lists are refreshed and another process is selected.
        Command(ID_TM_REFRESH);
        host_.PumpUntil([this] { return host_.BusyDepth() == 0 && host_.PendingAnswers() == 0; });
        Select(processes_, FindItem(processes_, L"explorer.exe"));
        return IDYES;
    });
    Command(ID_TM_END_TASK);
    WaitIdle();
    EXPECT_EQ(box.caption, L"End Process");
    EXPECT_EQ(box.text, L"Are you sure you want to end this process?");
    EXPECT_EQ(box.buttons, (std::vector<std::wstring>{L"&Yes", L"&No", L"Help"}));
    EXPECT_GT(host_.CountRequests(kApplications), 0u) << "the refresh ran under the box";
    const Message* request = host_.LastRequest(kEndProcess);
    ASSERT_NE(request, nullptr);
    EXPECT_EQ(std::to_wstring(static_cast<uint32_t>(request->Root().Find("ProcessID")->AsLong())), chosenId);
    EXPECT_EQ(FindItem(processes_, chosenId, 1), -1) << "gone after the refresh that followed";
    EXPECT_GE(FindItem(processes_, L"explorer.exe"), 0);
    EXPECT_EQ(host_.StatusText(1), L"Success");

    // No: nothing is sent.
    host_.OnDialog([](HWND, const CapturedDialog&) { return IDNO; });
    Select(processes_, FindItem(processes_, L"calc.exe"));
    Command(ID_TM_END_TASK);
    EXPECT_EQ(host_.CountRequests(kEndProcess), 1u);
}

TEST_F(TaskManagerTest, ACommandAnsweredWhileARefreshRunsRefreshesOnceThatOneHasEnded) {
    ActivateAndWait();
    ShowTab(kProcessesTab);
    Select(processes_, FindItem(processes_, L"notepad.exe"));
    host_.AnswerWith([this](const Message& request) { return machine_.Answer(request); }, 5);
    host_.OnDialog([this](HWND, const CapturedDialog&) {
        Command(ID_TM_REFRESH);  // still running when the answer to End Process comes
        return IDYES;
    });
    host_.ClearRequests();
    Command(ID_TM_END_TASK);
    WaitIdle();
    const auto starts = ListRequests();
    const auto firstPages = std::count(starts.begin(), starts.end(), std::make_pair(kApplications, std::string("4294967295")));
    EXPECT_EQ(firstPages, 2) << "the refresh under the box, then one after the command";
    EXPECT_EQ(host_.CountRequests(kEndProcess), 1u);
    EXPECT_EQ(FindItem(processes_, L"notepad.exe"), -1);
    EXPECT_EQ(ItemCount(processes_), 79);
    EXPECT_EQ(host_.BeginBusyCalls(), host_.EndBusyCalls());
}

TEST_F(TaskManagerTest, RetValueIsReadAsALongAndOnlyZeroSucceeds) {
    AnswerNothing();
    host_.Activate(snapIn_);
    host_.Deliver(ListAnswer(kApplications, "<Applications UpTo='1' Total='1'><Application HWND='5'/></Applications>",
                             0x10000));
    ASSERT_EQ(host_.Dialogs().size(), 1u) << "65536 is no success, though its low half is 0";
    EXPECT_EQ(host_.Dialogs()[0].text.rfind(L"Information request failed. ", 0), 0u);
    EXPECT_EQ(host_.StatusText(1), L"Failed");
    EXPECT_EQ(host_.CountRequests(kProcesses), 0u);
    EXPECT_EQ(host_.BusyDepth(), 0);
}

TEST_F(TaskManagerTest, EndTaskEndsTheApplicationAndRefusalsShowTheirTexts) {
    ActivateAndWait();
    const int calculator = FindItem(applications_, L"Calculator");
    ASSERT_GE(calculator, 0);
    Select(applications_, calculator);
    CapturedDialog box;
    host_.OnDialog([&](HWND, const CapturedDialog& dialog) {
        box = dialog;
        return IDYES;
    });
    Command(ID_TM_END_TASK);
    WaitIdle();
    EXPECT_EQ(box.caption, L"End Application");
    EXPECT_EQ(box.text, L"Are you sure you want to end this application?");
    ASSERT_NE(host_.LastRequest(kEndTask), nullptr);
    EXPECT_NE(host_.LastRequest(kEndTask)->Root().Find("HWND")->AsLong(), 0);
    EXPECT_EQ(FindItem(applications_, L"Calculator"), -1);
    EXPECT_EQ(FindItem(processes_, L"calc.exe"), -1) << "its program went with it";

    // A protected process is refused: one error box with the machine's text.
    ShowTab(kProcessesTab);
    Select(processes_, FindItem(processes_, L"System"));
    std::vector<CapturedDialog> boxes;
    host_.OnDialog([&](HWND, const CapturedDialog& dialog) {
        boxes.push_back(dialog);
        return IDYES;
    });
    const size_t refreshes = host_.CountRequests(kApplications);
    Command(ID_TM_END_TASK);
    WaitIdle();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, L"End process command failed. Access is denied.");
    EXPECT_EQ(boxes[1].caption, L"Error");
    EXPECT_TRUE(boxes[1].errorIcon);
    EXPECT_EQ(host_.StatusText(1), L"Failed");
    EXPECT_EQ(host_.CountRequests(kApplications), refreshes) << "no refresh after a failure";
    EXPECT_GE(FindItem(processes_, L"System"), 0);
}

TEST_F(TaskManagerTest, NewTaskStartsAProgramAndKeepsTheRunHistoryByItsRules) {
    ActivateAndWait();
    std::vector<std::wstring> offered;
    int okEnabled = -1;
    const auto run = [&](const std::wstring& command) {
        host_.OnDialog([&, command](HWND dialog, const CapturedDialog& captured) {
            if (captured.isMessageBox) return IDOK;
            HWND combo = GetDlgItem(dialog, IDC_TM_COMMAND);
            okEnabled = IsWindowEnabled(GetDlgItem(dialog, IDOK));
            offered.clear();
            const int count = static_cast<int>(::SendMessageW(combo, CB_GETCOUNT, 0, 0));
            for (int i = 0; i < count; ++i) {
                wchar_t text[300] = {};
                ::SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
                offered.push_back(text);
            }
            SetWindowTextW(combo, command.c_str());
            return IDOK;
        });
        Command(ID_TM_NEW_TASK);
        WaitIdle();
    };
    run(L"mspaint.exe \"C:\\Bilder\\\u00dcbersicht.bmp\"");
    EXPECT_EQ(host_.Dialogs().back().caption, L"Create New Task");
    EXPECT_EQ(okEnabled, 0) << "an empty field runs nothing";
    const Message* request = host_.LastRequest(kNewTask);
    ASSERT_NE(request, nullptr);
    EXPECT_EQ(request->Root().Find("Command")->Text(), EncodeUtf16Base64(u"mspaint.exe \"C:\\Bilder\\\u00dcbersicht.bmp\""));
    EXPECT_GE(FindItem(processes_, L"mspaint.exe"), 0) << "the refresh after it shows the new process";
    EXPECT_GE(FindItem(applications_, L"Untitled - Paint"), 0);

    run(L"no-such-program.exe");
    EXPECT_EQ(host_.Dialogs().back().text, L"Start task command failed. The system cannot find the file specified.");

    // Ten more: the eleventh distinct command drops the oldest; a repeat moves to the end.
    for (int i = 0; i < 10; ++i) run(L"calc.exe /" + std::to_wstring(i));
    run(L"calc.exe /3");
    run(L"regedit");
    const auto stored = [this] {
        std::vector<std::wstring> names;
        const host::SettingsEntry* list = host_.Settings().FindSnapInSection(kTaskManager)->FindEntry(L"RunHistory");
        for (size_t i = 0; list && i < list->ChildCount(); ++i) names.push_back(list->ChildAt(i).Name());
        return names;
    };
    std::vector<std::wstring> expected;
    for (int i : {1, 2, 4, 5, 6, 7, 8, 9}) expected.push_back(L"calc.exe /" + std::to_wstring(i));
    expected.push_back(L"calc.exe /3");
    expected.push_back(L"regedit");
    EXPECT_EQ(stored(), expected);
    run(L"calc.exe /9");
    EXPECT_EQ(offered.size(), 10u) << "the combo box lists the history";
    EXPECT_EQ(offered.back(), L"regedit");

    // Cancel sends nothing and remembers nothing.
    const size_t sent = host_.CountRequests(kNewTask);
    host_.OnDialog([](HWND dialog, const CapturedDialog&) {
        SetDlgItemTextW(dialog, IDC_TM_COMMAND, L"cancelled.exe");
        return IDCANCEL;
    });
    Command(ID_TM_NEW_TASK);
    EXPECT_EQ(host_.CountRequests(kNewTask), sent);
    EXPECT_EQ(stored().back(), L"calc.exe /9");
}

TEST_F(TaskManagerTest, TheRunHistoryIsLookedUpAgainAfterTheDialog) {
    ActivateAndWait();
    host_.OnDialog([this](HWND dialog, const CapturedDialog& captured) {
        if (captured.isMessageBox) return IDOK;
        // While the dialog is open the store's list is replaced.
        ISettingsNode* section = host_.GetSnapInSettings(kTaskManager);
        section->Items()->RemoveNamed(L"RunHistory");
        section->Items()->AddChild(L"RunHistory", 0);
        SetDlgItemTextW(dialog, IDC_TM_COMMAND, L"notepad");
        return IDOK;
    });
    Command(ID_TM_NEW_TASK);
    Command(ID_TM_NEW_TASK);  // busy: the accelerator's way in is refused
    WaitIdle();
    const host::SettingsEntry* list = host_.Settings().FindSnapInSection(kTaskManager)->FindEntry(L"RunHistory");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->ChildCount(), 1u);
    EXPECT_EQ(list->ChildAt(0).Name(), L"notepad");
    EXPECT_EQ(host_.CountRequests(kNewTask), 1u);
}

TEST_F(TaskManagerTest, ContextMenuAndKeysCheckSelectionAndBusyState) {
    ActivateAndWait();
    SetFocus(applications_);
    EXPECT_TRUE(snapIn_->OnContextMenuKey());
    ASSERT_EQ(host_.Menus().size(), 1u);
    const CapturedMenu& menu = host_.Menus()[0];
    ASSERT_NE(menu.Find(L"&End Task"), nullptr);
    EXPECT_TRUE(menu.Find(L"&End Task")->state & MF_GRAYED);
    EXPECT_NE(menu.Find(L"&New Task (Run...)"), nullptr);
    EXPECT_NE(menu.Find(L"&Refresh\tF5"), nullptr);

    // A command that comes without a selection, or while busy, does nothing.
    Command(ID_TM_END_TASK);
    EXPECT_TRUE(host_.Dialogs().empty());
    Select(applications_, 0);
    snapIn_->BeginBusy(IDS_STATUS_IN_PROGRESS);
    Command(ID_TM_END_TASK);
    Command(ID_TM_NEW_TASK);
    const size_t listings = host_.CountRequests(kApplications);
    Command(ID_TM_REFRESH);
    EXPECT_TRUE(host_.Dialogs().empty());
    EXPECT_EQ(host_.CountRequests(kApplications), listings);
    snapIn_->EndBusy(IDS_STATUS_SUCCESS);

    // F5 through the console's loop.
    SetFocus(processes_);
    PostMessageW(processes_, WM_KEYDOWN, VK_F5, 0x003F0001);
    PostMessageW(processes_, WM_KEYUP, VK_F5, static_cast<LPARAM>(0xC03F0001));
    host_.PumpFor(20);
    EXPECT_GT(host_.CountRequests(kApplications), listings);
    WaitIdle();
}

TEST_F(TaskManagerTest, TheThreadsListFollowsTheSelectedProcessAndKeepsItAcrossARefresh) {
    ActivateAndWait();
    ShowTab(kProcessesTab);
    const int system = FindItem(processes_, L"System");
    Select(processes_, system);
    EXPECT_EQ(std::to_wstring(ItemCount(threads_)), ListViewText(processes_, system, 6));
    const int explorer = FindItem(processes_, L"explorer.exe");
    Select(processes_, explorer);
    EXPECT_EQ(std::to_wstring(ItemCount(threads_)), ListViewText(processes_, explorer, 6));
    const std::wstring firstThread = ListViewText(threads_, 0, 0);

    Command(ID_TM_REFRESH);
    WaitIdle();
    ASSERT_GE(Selected(processes_), 0);
    EXPECT_EQ(ListViewText(processes_, Selected(processes_), 0), L"explorer.exe") << "the same process stays selected";
    EXPECT_EQ(ListViewText(threads_, 0, 0), firstThread);
}

TEST_F(TaskManagerTest, TheSplitterIsClampedAndItsPositionSurvivesARestart) {
    TemporaryFolder folder("taskmanager");
    const auto file = folder.Path() / "settings.txt";
    host_.SetSettingsFile(file);
    host_.LoadSettings();
    host_.GetSnapInSettings(kTaskManager)->Items()->SetNamedValue(L"SplitterPos", 3);
    ActivateAndWait();
    ShowTab(kProcessesTab);
    RECT upper = {};
    GetClientRect(processes_, &upper);
    EXPECT_EQ(upper.bottom, 2 * GetSystemMetrics(SM_CYEDGE)) << "a stored position below the least is clamped";

    // Dragged with the mouse to 120.
    const int bar = 2 * GetSystemMetrics(SM_CYEDGE);
    ::SendMessageW(page_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, bar + 1));
    ::SendMessageW(page_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, 121));
    ::SendMessageW(page_, WM_LBUTTONUP, 0, MAKELPARAM(10, 121));
    GetClientRect(processes_, &upper);
    EXPECT_EQ(upper.bottom, 120);
    RECT lower = {};
    GetWindowRect(threads_, &lower);
    MapWindowPoints(nullptr, page_, reinterpret_cast<POINT*>(&lower), 2);
    EXPECT_EQ(lower.top, 120 + GetSystemMetrics(SM_CYFRAME));
    snapIn_->Deactivate();
    EXPECT_EQ(host_.Settings().FindSnapInSection(kTaskManager)->FindEntry(L"SplitterPos")->Value(), 120);

    TestHost restarted;
    restarted.SetSettingsFile(file);
    restarted.AnswerWith([this](const Message& request) { return machine_.Answer(request); }, 1);
    Open(restarted);
    restarted.Activate(snapIn_);
    ASSERT_TRUE(restarted.PumpUntil([&] { return restarted.BusyDepth() == 0 && restarted.PendingAnswers() == 0; }));
    GetClientRect(processes_, &upper);
    EXPECT_EQ(upper.bottom, 120);
}

TEST_F(TaskManagerTest, AFailureInTheMiddleOfTheChainShowsOneErrorAndKeepsWhatArrived) {
    remote::Fault fault;
    fault.errorText = u"Der Zugriff wurde verweigert.";
    fault.skip = 2;
    fault.times = 1;
    machine_.InjectFault(kProcesses, fault);
    ActivateAndWait();
    ASSERT_EQ(host_.Dialogs().size(), 1u);
    EXPECT_EQ(host_.Dialogs()[0].text, L"Information request failed. Der Zugriff wurde verweigert.");
    EXPECT_EQ(host_.Dialogs()[0].caption, L"Error");
    EXPECT_EQ(ItemCount(applications_), 12);
    EXPECT_EQ(ItemCount(processes_), 14) << "two pages arrived";
    EXPECT_EQ(host_.CountRequests(kThreads), 0u);
    EXPECT_EQ(host_.StatusText(1), L"Failed");
    EXPECT_EQ(host_.BusyDepth(), 0);
    EXPECT_TRUE(ButtonEnabled(ID_TM_REFRESH));

    // Unreadable, stuck and endless listings end too.
    for (auto kind : {remote::FaultKind::Garbage, remote::FaultKind::StuckPage, remote::FaultKind::HugeTotal}) {
        machine_.ClearFaults();
        remote::Fault spoiled;
        spoiled.kind = kind;
        machine_.InjectFault(kThreads, spoiled);
        host_.ClearRequests();
        host_.Dialogs().clear();
        Command(ID_TM_REFRESH);
        WaitIdle();
        EXPECT_LT(host_.CountRequests(kThreads), 30u) << static_cast<int>(kind);
        EXPECT_EQ(host_.BusyDepth(), 0);
        EXPECT_EQ(ItemCount(processes_), 80);
        if (kind == remote::FaultKind::Garbage) {
            ASSERT_EQ(host_.Dialogs().size(), 1u);
            EXPECT_EQ(host_.Dialogs()[0].text, L"The managed machine sent an answer that could not be read.");
        }
    }
    EXPECT_EQ(host_.Releases(), host_.AnswersMade());
}

TEST_F(TaskManagerTest, AnswersNobodyAskedForTwiceOrAfterTheWindowHasGoneChangeNothing) {
    ActivateAndWait();
    const int processes = ItemCount(processes_);
    host_.Deliver(machine_.Answer(*host_.LastRequest(kProcesses)));  // the last page again
    host_.Deliver(ListAnswer(kThreads, "<Threads UpTo='1' Total='1'/>"));
    auto stray = host_.MakeAnswer(kTaskManager, kEndProcess);
    stray->Root().ChildNode("RetValue").SetLong(0);
    host_.Deliver(std::move(stray));
    EXPECT_EQ(ItemCount(processes_), processes);
    EXPECT_EQ(host_.BusyDepth(), 0);
    EXPECT_TRUE(host_.Dialogs().empty());

    host_.AnswerWith([this](const Message& request) { return machine_.Answer(request); }, 30);
    Command(ID_TM_REFRESH);
    ExpectQuietEndAfterTheWindowHasGone(host_, snapIn_);
    snapIn_->Deactivate();
}

class DeviceTaskManagerTest : public TaskManagerTest {
protected:
    static remote::MachineConfig Device() {
        remote::MachineConfig config = Small();
        config.platform = remote::kDevicePlatform;
        return config;
    }
    DeviceTaskManagerTest() : TaskManagerTest(Device()) {}
};

TEST_F(DeviceTaskManagerTest, ProcessesShowSevenColumnsWithoutMemUsage) {
    ActivateAndWait();
    EXPECT_EQ(ColumnCount(processes_), 7);
    EXPECT_EQ(ColumnHeader(processes_, 6), L"Threads");
    EXPECT_EQ(ItemCount(processes_), 80);
}

}  // namespace
}  // namespace vantrel::test
