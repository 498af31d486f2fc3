// Services through its real windows, against the simulated managed machine.
#include "framework/text/Base64.h"
#include "remote/RemoteMachine.h"
#include "remote/services/ServicesData.h"
#include "framework/xml/Xml.h"
#include "snapins/picker/PickerIds.h"
#include "snapins/services/ServicesIds.h"
#include "snapins/services/model/Protocol.h"
#include "tests/host/LocalFiles.h"
#include "tests/host/ToolTest.h"
#include "tests/host/TreeView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

namespace vantrel::test {
namespace {

constexpr int32_t kServices = services::protocol::kSnapInId;
constexpr int kMainDialog = IDD_SRV_MAIN, kPane = IDD_SRV_DESCRIPTION, kTabs = IDC_SRV_TABS, kList = IDC_SRV_LIST;
constexpr int kRefresh = ID_SRV_REFRESH, kAdd = ID_SRV_ADD, kRemove = ID_SRV_REMOVE, kStart = ID_SRV_START,
              kStop = ID_SRV_STOP, kPause = ID_SRV_PAUSE, kResume = ID_SRV_RESUME, kRestart = ID_SRV_RESTART,
              kProperties = ID_SRV_PROPERTIES;
constexpr int kDisplayName = IDC_SRV_DISPLAY_NAME, kDescriptionLabel = IDC_SRV_DESCRIPTION_LABEL,
              kDescriptionText = IDC_SRV_DESCRIPTION_TEXT, kLinkStart = IDC_SRV_LINK_START, kLinkStop = IDC_SRV_LINK_STOP,
              kLinkPause = IDC_SRV_LINK_PAUSE, kLinkResume = IDC_SRV_LINK_RESUME, kLinkRestart = IDC_SRV_LINK_RESTART,
              kSelectHint = IDC_SRV_SELECT_HINT;
constexpr int kDependentsText = IDC_SRV_DEPENDENTS_TEXT, kDependentsList = IDC_SRV_DEPENDENTS_LIST;
using services::protocol::kControlCommand;
using services::protocol::kListCommand;
using services::protocol::kRemoveCommand;
using services::protocol::kServiceCommand;

// A 603 or 605 as it went out.
struct SentControl {
    std::u16string name;
    std::string action;
    bool operator==(const SentControl&) const = default;
};

class ServicesTest : public ToolTest {
protected:
    explicit ServicesTest(remote::MachineConfig config = Small()) : ToolTest(kServices, config) {}

    static remote::MachineConfig Small() {
        remote::MachineConfig config;
        config.pageSize = 50;
        return config;
    }

    void SetUp() override {
        ToolTest::SetUp();
        FindControls();
    }

    void OpenSnapIn() {
        snapIn_ = host_.Open(kServices);
        ASSERT_NE(snapIn_, nullptr);
        FindControls();
    }

    void FindControls() {
        dialog_ = GetDlgItem(snapIn_->GetWindow(), kMainDialog);
        list_ = GetDlgItem(dialog_, kList);
        pane_ = GetDlgItem(dialog_, kPane);
        tabs_ = GetDlgItem(dialog_, kTabs);
        ASSERT_NE(list_, nullptr);
        ASSERT_NE(pane_, nullptr);
        ASSERT_NE(tabs_, nullptr);
    }

    // Delivers only the answers that `answered` lets through; the others are
    // made at once, as the machine then was, and wait in held_.
    void HoldAnswers(std::function<bool(const Message&)> answered) {
        host_.AnswerWith(
            [this, answered](const Message& request) -> std::unique_ptr<Message> {
                auto answer = machine_.Answer(request);
                if (answered(request)) return answer;
                held_.push_back(std::move(answer));
                return nullptr;
            },
            1);
    }
    void DeliverHeld() {
        auto held = std::move(held_);
        for (auto& answer : held) host_.Deliver(std::move(answer));
    }

    int ItemCount() const { return ToolTest::ItemCount(list_); }
    int FindItem(const std::wstring& displayName) const { return ToolTest::FindItem(list_, displayName); }
    int Row(const std::wstring& displayName) const {
        int item = FindItem(displayName);
        EXPECT_GE(item, 0) << std::string(displayName.begin(), displayName.end());
        return item;
    }
    void Select(int item) { ToolTest::Select(list_, item); }
    void SelectService(const std::wstring& displayName) { Select(Row(displayName)); }
    HWND PaneItem(int id) const { return GetDlgItem(pane_, id); }
    // The test frame itself is never shown: a window's own style says whether it shows.
    static bool Visible(HWND window) { return (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0; }
    bool Shown(int paneControl) const { return Visible(PaneItem(paneControl)); }
    RECT PlaceOf(HWND window) const {
        RECT rect = {};
        GetWindowRect(window, &rect);
        MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
    void ClickLink(int id) {
        HWND link = PaneItem(id);
        ::SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 3));
        ::SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 3));
    }
    std::wstring StartButtonTip() {
        NMTTDISPINFOW tip = {};
        snapIn_->OnToolTipTextW(kStart, &tip);
        return tip.szText;
    }

    std::vector<SentControl> Sent(uint32_t command) const {
        std::vector<SentControl> sent;
        for (const auto& request : host_.Requests()) {
            if (request->Command() != command) continue;
            const auto* name = request->Root().Find("ServiceName");
            const auto* action = request->Root().Find("Action");
            sent.push_back({DecodeUtf16Base64(name ? name->Text() : std::string()), action ? action->Text() : ""});
        }
        return sent;
    }
    std::vector<int64_t> StartAts() const {
        std::vector<int64_t> starts;
        for (const auto& request : host_.Requests()) {
            if (request->Command() != services::protocol::kListCommand) continue;
            const auto* body = request->Root().Find("Services");
            std::string text = body ? body->Text() : "";
            size_t at = text.find("StartAt='");
            starts.push_back(at == std::string::npos ? -99 : std::stoll(text.substr(at + 9)));
        }
        return starts;
    }
    std::vector<std::wstring> Column(int column) const { return ToolTest::Column(list_, column); }

    HWND dialog_ = nullptr;
    HWND list_ = nullptr;
    HWND pane_ = nullptr;
    HWND tabs_ = nullptr;
    std::vector<std::unique_ptr<Message>> held_;
};

TEST_F(ServicesTest, ListsEveryServiceInPagesWithProgressAndShowsItsTexts) {
    const auto expected = remote::MakeSimulatedServices(config_);
    ASSERT_EQ(expected.size(), 180u);
    HoldAnswers([](const Message&) { return false; });
    host_.Activate(snapIn_);
    for (int page = 0; page < 3; ++page) {
        ASSERT_EQ(held_.size(), 1u);
        DeliverHeld();
        EXPECT_EQ(host_.StatusText(1), L"In progress...");
        EXPECT_EQ(host_.StatusText(2), std::to_wstring(50 * (page + 1)) + L"/180");
        EXPECT_EQ(ItemCount(), 0) << "the list is filled once every page is there";
        EXPECT_FALSE(ButtonEnabled(kRefresh));
    }
    DeliverHeld();
    EXPECT_EQ(StartAts(), (std::vector<int64_t>{-1, 50, 100, 150}));
    EXPECT_EQ(ItemCount(), 180);
    EXPECT_EQ(host_.StatusText(1), L"Success");
    EXPECT_EQ(host_.StatusText(2), L"180/180");
    ExpectIdleAndPaired();

    ASSERT_EQ(ColumnCount(list_), 5);
    const wchar_t* titles[] = {L"Name", L"Description", L"Status", L"Startup Type", L"Log On As"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(ColumnHeader(list_, i), titles[i]);
    const DWORD exStyle = static_cast<DWORD>(::SendMessageW(list_, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    EXPECT_TRUE(exStyle & LVS_EX_FULLROWSELECT);
    EXPECT_TRUE(exStyle & LVS_EX_GRIDLINES);
    EXPECT_NE(::SendMessageW(list_, LVM_GETIMAGELIST, LVSIL_SMALL, 0), 0) << "the service icon";

    int spooler = Row(L"Print Spooler");
    EXPECT_EQ(ListViewText(list_, spooler, 1), L"Loads files to memory for later printing.");
    EXPECT_EQ(ListViewText(list_, spooler, 2), L"Started");
    EXPECT_EQ(ListViewText(list_, spooler, 3), L"Automatic");
    EXPECT_EQ(ListViewText(list_, spooler, 4), L"LocalSystem");
    int scanner = Row(L"Bilderfassung \u2013 Scanner und Kameras");
    EXPECT_EQ(ListViewText(list_, scanner, 2), L"Paused");
    EXPECT_EQ(ListViewText(list_, scanner, 3), L"Manual");
    int disk = Row(L"Disk Driver");
    EXPECT_EQ(ListViewText(list_, disk, 3), L"Boot");
    EXPECT_EQ(ListViewText(list_, disk, 4), L"");
    const std::pair<const wchar_t*, const wchar_t*> states[] = {{L"Indexing Service", L"Starting"},
                                                                {L"Synchronisation des m\u00e9dias", L"Stopping"},
                                                                {L"Alerter", L"Stopped"}};
    for (const auto& [name, state] : states) EXPECT_EQ(ListViewText(list_, Row(name), 2), state);
    EXPECT_EQ(ListViewText(list_, Row(L"Alerter"), 3), L"Disabled");
    EXPECT_EQ(ListViewText(list_, Row(L"Ntfs"), 3), L"System");
}

TEST_F(ServicesTest, TheSelectedServiceDecidesMenuToolbarAndLinks) {
    ActivateAndWait();
    // Nothing selected: only Add and Refresh.
    for (int command : {kRemove, kStart, kStop, kPause, kResume, kRestart, kProperties})
        EXPECT_FALSE(MenuEnabled(command)) << command;
    EXPECT_TRUE(MenuEnabled(kAdd));
    EXPECT_TRUE(MenuEnabled(kRefresh));
    for (int button : {kRemove, kStart, kStop, kPause, kRestart}) EXPECT_FALSE(ButtonEnabled(button)) << button;
    EXPECT_TRUE(Shown(kSelectHint));
    for (int link : {kLinkStart, kLinkStop, kLinkPause, kLinkResume, kLinkRestart, kDescriptionLabel})
        EXPECT_FALSE(Shown(link)) << link;

    struct Case {
        const wchar_t* service;
        bool start, stop, pause, resume, restart, startButton;
        const wchar_t* startTip;
    };
    const Case cases[] = {
        // The console's own host, running and accepting everything: it may never be stopped from here.
        {L"Kelvo Host for NT Service", false, false, false, false, false, false, L"Start"},
        {L"Bilderfassung \u2013 Scanner und Kameras", false, true, false, true, true, true, L"Resume"},
        {L"Alerter", false, false, false, false, false, false, L"Start"},  // stopped and disabled
        {L"Background Intelligent Transfer Service", true, false, false, false, false, true, L"Start"},
        {L"Task Scheduler", false, true, true, false, true, false, L"Start"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.service, c.service + wcslen(c.service)));
        SelectService(c.service);
        EXPECT_TRUE(MenuEnabled(kRemove));
        EXPECT_TRUE(MenuEnabled(kProperties));
        EXPECT_TRUE(ButtonEnabled(kRemove));
        EXPECT_EQ(MenuEnabled(kStart), c.start);
        EXPECT_EQ(MenuEnabled(kStop), c.stop);
        EXPECT_EQ(MenuEnabled(kPause), c.pause);
        EXPECT_EQ(MenuEnabled(kResume), c.resume);
        EXPECT_EQ(MenuEnabled(kRestart), c.restart);
        EXPECT_EQ(ButtonEnabled(kStart), c.startButton);
        EXPECT_EQ(ButtonEnabled(kStop), c.stop);
        EXPECT_EQ(ButtonEnabled(kPause), c.pause);
        EXPECT_EQ(ButtonEnabled(kRestart), c.restart);
        EXPECT_EQ(StartButtonTip(), c.startTip);
        EXPECT_EQ(Shown(kLinkStart), c.start);
        EXPECT_EQ(Shown(kLinkStop), c.stop);
        EXPECT_EQ(Shown(kLinkPause), c.pause);
        EXPECT_EQ(Shown(kLinkResume), c.resume);
        EXPECT_EQ(Shown(kLinkRestart), c.restart);
        EXPECT_FALSE(Shown(kSelectHint));
    }

    // The context menu and the commands themselves follow the same rules.
    SelectService(L"Kelvo Host for NT Service");
    SetFocus(list_);
    EXPECT_TRUE(snapIn_->OnContextMenuKey());
    ASSERT_EQ(host_.Menus().size(), 1u);
    const CapturedMenu& menu = host_.Menus()[0];
    ASSERT_NE(menu.Find(L"St&op"), nullptr);
    EXPECT_TRUE(menu.Find(L"St&op")->state & MF_GRAYED);
    EXPECT_TRUE(menu.Find(L"R&estart")->state & MF_GRAYED);
    EXPECT_FALSE(menu.Find(L"&Refresh\tF5")->state & MF_GRAYED);
    EXPECT_FALSE(menu.Find(L"&Properties")->state & MF_GRAYED);
    for (int command : {kStop, kPause, kRestart, kResume}) Command(command);
    SelectService(L"Alerter");
    Command(kStart);
    EXPECT_EQ(host_.CountRequests(kControlCommand), 0u) << "disabled commands send nothing, whoever asks";
}

TEST_F(ServicesTest, ResumingAPausedServiceSendsActionThreeAndShowsItsNewState) {
    ActivateAndWait();
    const std::wstring scanner = L"Bilderfassung \u2013 Scanner und Kameras";
    SelectService(scanner);
    host_.ClearRequests();
    Command(kStart);  // the toolbar's Start resumes
    const Message* control = host_.LastRequest(kControlCommand);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->Root().Find("ServiceName")->Text(), EncodeUtf16Base64(u"stisvc"));
    EXPECT_EQ(control->Root().Find("Action")->Text(), "3");
    ASSERT_NE(control->Root().Find("Params"), nullptr);
    EXPECT_EQ(control->Root().Find("Params")->Text(), "");
    EXPECT_EQ(host_.BusyDepth(), 1);
    EXPECT_FALSE(Shown(kLinkResume)) << "no links while the control is on its way";
    WaitIdle();
    EXPECT_EQ(Sent(kServiceCommand), (std::vector<SentControl>{{u"stisvc", ""}}));
    EXPECT_EQ(ListViewText(list_, Row(scanner), 2), L"Continuing");
    EXPECT_EQ(host_.StatusText(1), L"Success");
    EXPECT_EQ(::SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), Row(scanner));
    ExpectIdleAndPaired();

    // The menu's Resume does the same, once the service is paused again.
    Command(kRefresh);
    WaitIdle();
    SelectService(L"Task Scheduler");
    Command(kPause);
    WaitIdle();
    Command(kRefresh);  // the machine has settled by now
    WaitIdle();
    SelectService(L"Task Scheduler");
    ASSERT_EQ(ListViewText(list_, Row(L"Task Scheduler"), 2), L"Paused");
    Command(kResume);
    WaitIdle();
    EXPECT_EQ(Sent(kControlCommand), (std::vector<SentControl>{{u"stisvc", "3"}, {u"Schedule", "2"}, {u"Schedule", "3"}}));
    ExpectIdleAndPaired();
}

TEST_F(ServicesTest, StoppingAServiceWithRunningDependentsAsksAndStopsThemFirst) {
    ActivateAndWait();
    SelectService(L"Network Core Services");
    std::vector<std::wstring> listed;
    host_.OnDialog([&](HWND dialog, const CapturedDialog&) {
        HWND list = GetDlgItem(dialog, kDependentsList);
        listed.clear();
        for (int i = 0; i < ::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0); ++i) listed.push_back(ListViewText(list, i, 0));
        return IDNO;
    });
    host_.ClearRequests();
    Command(kStop);
    ASSERT_EQ(host_.Dialogs().size(), 1u);
    const CapturedDialog& asked = host_.Dialogs()[0];
    EXPECT_EQ(asked.caption, L" Stop Oteher Services");
    EXPECT_EQ(asked.controlTexts.at(kDependentsText), L"When Network Core Services stops, these services will also stop.");
    // Each dependent after its own running dependents; the diamond's top once.
    const std::vector<std::wstring> order = {L"Network Publishing", L"Network Share Publisher",
                                             L"Network Browse Publisher"};
    EXPECT_EQ(listed, order);
    EXPECT_TRUE(host_.Requests().empty()) << "No sends nothing";
    EXPECT_EQ(host_.BusyDepth(), 0);
    // The console's own host depends on TCP/IP, but is never among what a stop stops.
    SelectService(L"TCP/IP Protocol Driver");
    Command(kStop);
    ASSERT_EQ(host_.Dialogs().size(), 2u);
    EXPECT_NE(std::find(listed.begin(), listed.end(), L"DHCP Client"), listed.end());
    EXPECT_EQ(std::find(listed.begin(), listed.end(), L"Kelvo Host for NT Service"), listed.end());
    SelectService(L"Network Core Services");

    host_.OnDialog([](HWND, const CapturedDialog&) { return IDYES; });
    Command(kRestart);
    WaitIdle();
    EXPECT_EQ(Sent(kControlCommand), (std::vector<SentControl>{{u"NetPublish", "1"},
                                                   {u"NetShare", "1"},
                                                   {u"NetBrowse", "1"},
                                                   {u"NetCore", "1001"}}));
    EXPECT_EQ(host_.CountRequests(kServiceCommand), 4u);
    for (const wchar_t* name : {L"Network Publishing", L"Network Share Publisher", L"Network Browse Publisher"})
        EXPECT_NE(ListViewText(list_, Row(name), 2), L"Started") << "stopping or already stopped";
    EXPECT_NE(ListViewText(list_, Row(L"Network Core Services"), 2), L"Stopped") << "restarting or restarted";
    ExpectIdleAndPaired();

    // A service without running dependents is stopped without asking.
    SelectService(L"Task Scheduler");
    Command(kStop);
    WaitIdle();
    EXPECT_EQ(host_.Dialogs().size(), 3u);
    EXPECT_EQ(Sent(kControlCommand).back(), (SentControl{u"Schedule", "1"}));
}

TEST_F(ServicesTest, RemoveAsksWithHelpAndRefreshesTheListAfterwards) {
    ActivateAndWait();
    SelectService(L"Background Intelligent Transfer Service");
    host_.OnDialog([](HWND, const CapturedDialog&) { return IDNO; });
    SetFocus(list_);
    MSG del = {list_, WM_KEYDOWN, VK_DELETE, 0};
    EXPECT_TRUE(snapIn_->TranslateAccelerator(&del)) << "Del is Remove";
    ASSERT_EQ(host_.Dialogs().size(), 1u);
    const CapturedDialog& box = host_.Dialogs()[0];
    EXPECT_EQ(box.caption, L"Service Manager");
    EXPECT_EQ(box.text, L"Delete this service?");
    ASSERT_EQ(box.buttons.size(), 3u);
    EXPECT_EQ(box.buttons[0], L"&Yes");
    EXPECT_EQ(box.buttons[1], L"&No");
    EXPECT_NE(box.buttons[2].find(L"Help"), std::wstring::npos);
    EXPECT_EQ(host_.CountRequests(kRemoveCommand), 0u);

    host_.OnDialog([](HWND, const CapturedDialog&) { return IDYES; });
    host_.ClearRequests();
    Command(kRemove);
    WaitIdle();
    EXPECT_EQ(Sent(kRemoveCommand), (std::vector<SentControl>{{u"BITS", ""}}));
    EXPECT_EQ(StartAts(), (std::vector<int64_t>{-1, 50, 100, 150})) << "a full refresh follows";
    EXPECT_EQ(ItemCount(), 179);
    EXPECT_EQ(FindItem(L"Background Intelligent Transfer Service"), -1);
    EXPECT_EQ(host_.StatusText(1), L"Success");

    // The machine refuses: the error is shown and the list stays as it was.
    SelectService(L"Fax");
    Command(kRemove);
    WaitIdle();
    ASSERT_EQ(host_.Dialogs().size(), 4u);
    EXPECT_EQ(host_.Dialogs()[3].caption, L"Error");
    EXPECT_EQ(host_.Dialogs()[3].text, L"Access is denied.");
    EXPECT_TRUE(host_.Dialogs()[3].errorIcon);
    EXPECT_EQ(host_.StatusText(1), L"Failed");
    EXPECT_EQ(ItemCount(), 179);
    ExpectIdleAndPaired();
}

TEST_F(ServicesTest, ThePaneShowsTheSelectedServiceAndItsLinksStackedFromTheTop) {
    ActivateAndWait();
    SelectService(L"Task Scheduler");  // running, accepts stop and pause
    EXPECT_EQ(WindowText(PaneItem(kDisplayName)), L"Task Scheduler");
    EXPECT_EQ(WindowText(PaneItem(kDescriptionText)).rfind(L"Enables a user to configure", 0), 0u);
    EXPECT_EQ(WindowText(PaneItem(kDescriptionLabel)), L"Description:");
    auto font = reinterpret_cast<HFONT>(::SendMessageW(PaneItem(kDisplayName), WM_GETFONT, 0, 0));
    LOGFONTW bold = {};
    ASSERT_TRUE(GetObjectW(font, sizeof(bold), &bold));
    EXPECT_EQ(bold.lfWeight, 700);

    // Stop, Pause, Restart in that order from the top, the description under them.
    const RECT name = PlaceOf(PaneItem(kDisplayName));
    const RECT stop = PlaceOf(PaneItem(kLinkStop));
    const RECT pause = PlaceOf(PaneItem(kLinkPause));
    const RECT restart = PlaceOf(PaneItem(kLinkRestart));
    const RECT label = PlaceOf(PaneItem(kDescriptionLabel));
    const RECT text = PlaceOf(PaneItem(kDescriptionText));
    EXPECT_GE(stop.top, name.bottom);
    EXPECT_GE(pause.top, stop.bottom);
    EXPECT_GE(restart.top, pause.bottom);
    EXPECT_LT(restart.top - stop.top, 3 * (stop.bottom - stop.top) + 10) << "no gaps where links are hidden";
    EXPECT_GE(label.top, restart.bottom);
    EXPECT_GE(text.top, label.bottom);
    EXPECT_EQ(WindowText(PaneItem(kLinkStop)), L"Stop");

    // With fewer links the description moves up.
    SelectService(L"Alerter");
    EXPECT_FALSE(Shown(kLinkStop));
    EXPECT_LT(PlaceOf(PaneItem(kDescriptionLabel)).top, stop.top + 2);
    EXPECT_EQ(WindowText(PaneItem(kDescriptionText)), L"Notifies selected users and computers of administrative alerts.");

    // Each link has a tooltip of its own.
    bool tipFound = false;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM found) -> BOOL {
            wchar_t className[64] = {};
            GetClassNameW(window, className, 64);
            if (wcscmp(className, L"tooltips_class32") != 0) return TRUE;
            TTTOOLINFOW tool = {};
            tool.cbSize = sizeof(tool);
            for (int i = 0; ::SendMessageW(window, TTM_ENUMTOOLSW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&tool)); ++i) {
                wchar_t text[128] = {};
                TTTOOLINFOW query = tool;
                query.lpszText = text;
                ::SendMessageW(window, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&query));
                if (GetDlgCtrlID(reinterpret_cast<HWND>(tool.uId)) == kLinkPause && wcscmp(text, L"Pause service.") == 0)
                    *reinterpret_cast<bool*>(found) = true;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&tipFound));
    EXPECT_TRUE(tipFound);

    // A click on a link is the menu's command.
    SelectService(L"Task Scheduler");
    host_.ClearRequests();
    ClickLink(kLinkPause);
    WaitIdle();
    EXPECT_EQ(Sent(kControlCommand), (std::vector<SentControl>{{u"Schedule", "2"}}));
    EXPECT_EQ(ListViewText(list_, Row(L"Task Scheduler"), 2), L"Pausing");

    Select(-1);
    EXPECT_TRUE(Shown(kSelectHint));
    EXPECT_EQ(WindowText(PaneItem(kSelectHint)), L"Select an item to view its description.");
    EXPECT_FALSE(Shown(kDisplayName));
    EXPECT_FALSE(Shown(kDescriptionText));
}

// The colours of the links come from the user's browser settings: the link
// part of the label is painted and its pixels are looked at.
class ServicesLinkColourTest : public ServicesTest {
protected:
    static constexpr wchar_t kKey[] = L"Software\\Microsoft\\Internet Explorer\\Settings";

    void TearDown() override {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"Anchor Color");
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"Anchor Color Visited");
    }
    static void SetColour(const char* name, const char* text) {
        if (!text) {
            RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\Settings", name);
            return;
        }
        RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\Settings", name, REG_SZ, text,
                        static_cast<DWORD>(strlen(text) + 1));
    }
    // Reopens the tool, so that it reads the settings again, with a running service selected.
    void Reopen() {
        host_.RenewList();
        OpenSnapIn();
        ActivateAndWait();
        SelectService(L"Task Scheduler");
    }
    bool Painted(int link, COLORREF colour) {
        HWND label = PaneItem(link);
        RECT client = {};
        GetClientRect(label, &client);
        const auto pixels = PrintedClient(label, client.right, client.bottom, 0);
        const uint32_t wanted = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
        return std::find(pixels.begin(), pixels.end(), wanted) != pixels.end();
    }
};

TEST_F(ServicesLinkColourTest, AreReadFromTheUsersSettingsAndAMissingOrDamagedValueKeepsTheDefault) {
    const COLORREF blue = RGB(0, 0, 255), purple = RGB(128, 0, 128);
    SetColour("Anchor Color", "12,34,56");
    SetColour("Anchor Color Visited", "200, 10, 20");
    Reopen();
    EXPECT_TRUE(Painted(kLinkStop, RGB(12, 34, 56)));
    EXPECT_FALSE(Painted(kLinkStop, blue));
    HoldAnswers([](const Message&) { return false; });  // the click's control stays on its way
    ClickLink(kLinkStop);
    EXPECT_TRUE(Painted(kLinkStop, RGB(200, 10, 20))) << "a clicked link is drawn as visited";
    host_.AnswerWith([this](const Message& request) { return machine_.Answer(request); }, 1);
    DeliverHeld();
    WaitIdle();
    const char* damaged[] = {"300,0,0", "1,2", "100,100,100,1", "red", nullptr};
    for (const char* value : damaged) {
        SCOPED_TRACE(value ? value : "(missing)");
        SetColour("Anchor Color", value);
        SetColour("Anchor Color Visited", value);
        Reopen();
        EXPECT_TRUE(Painted(kLinkStop, blue));
        EXPECT_FALSE(Painted(kLinkStop, RGB(12, 34, 56)));
    }
    ClickLink(kLinkStop);
    EXPECT_TRUE(Painted(kLinkStop, purple));
    // A value of another type is no colour either.
    const DWORD number = 0x00FF00;
    RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"Anchor Color", REG_DWORD, &number, sizeof(number));
    Reopen();
    EXPECT_TRUE(Painted(kLinkRestart, blue));
}

TEST_F(ServicesTest, TabsSwitchTheViewsAndTheChoiceSurvivesARestart) {
    TemporaryFolder folder("services-view");
    const auto file = folder.Path() / "settings.txt";
    host_.SetSettingsFile(file);
    ActivateAndWait();
    ASSERT_EQ(::SendMessageW(tabs_, TCM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(TabText(tabs_, 0), L"Extended");
    EXPECT_EQ(TabText(tabs_, 1), L"Standard");
    EXPECT_EQ(::SendMessageW(tabs_, TCM_GETCURSEL, 0, 0), 0);

    const RECT extendedList = PlaceOf(list_);
    const RECT pane = PlaceOf(pane_);
    EXPECT_TRUE(Visible(pane_));
    EXPECT_EQ(pane.right - pane.left, 200);
    EXPECT_EQ(extendedList.left, 200);
    EXPECT_GE(extendedList.top, PlaceOf(tabs_).bottom);

    ::SendMessageW(tabs_, TCM_SETCURFOCUS, 1, 0);  // as a click or Ctrl+Tab does
    const RECT standardList = PlaceOf(list_);
    EXPECT_FALSE(Visible(pane_));
    EXPECT_EQ(standardList.left, 0);
    EXPECT_EQ(standardList.right - standardList.left, extendedList.right - extendedList.left + 200);
    ::SendMessageW(tabs_, TCM_SETCURFOCUS, 1, 0);
    EXPECT_EQ(PlaceOf(list_).left, 0) << "the mode already shown stays";

    // Sort by Status, descending; the sort survives a refresh.
    ClickHeader(list_, 2);
    ClickHeader(list_, 2);
    Command(kRefresh);
    WaitIdle();
    auto status = Column(2);
    EXPECT_EQ(status.front(), L"Paused");
    EXPECT_EQ(status.back(), L"Stopped");

    snapIn_->Deactivate();
    EXPECT_EQ(host_.GetSnapInSettings(kServices)->Items()->GetNamedValue(L"ExtendedView"), 0);

    TestHost restarted;
    restarted.SetSettingsFile(file);
    restarted.AnswerWith([this](const Message& request) { return machine_.Answer(request); }, 1);
    ISnapIn* again = restarted.Open(kServices);
    HWND dialog = GetDlgItem(again->GetWindow(), kMainDialog);
    restarted.Activate(again);
    ASSERT_TRUE(restarted.PumpUntil([&] { return restarted.BusyDepth() == 0 && restarted.PendingAnswers() == 0; }));
    EXPECT_EQ(::SendMessageW(GetDlgItem(dialog, kTabs), TCM_GETCURSEL, 0, 0), 1);
    EXPECT_FALSE(Visible(GetDlgItem(dialog, kPane)));
    EXPECT_EQ(PlaceOf(GetDlgItem(dialog, kList)).left, 0);
    EXPECT_EQ(SortArrow(GetDlgItem(dialog, kList), 2), 1) << "descending";
    EXPECT_EQ(ListViewText(GetDlgItem(dialog, kList), 0, 2), L"Paused");
}

TEST_F(ServicesTest, UnreadableAndRunawayListingsEndWithoutHangingOrShowingGarbage) {
    remote::Fault garbage;
    garbage.kind = remote::FaultKind::Garbage;
    garbage.skip = 1;
    garbage.times = 1;
    machine_.InjectFault(kListCommand, garbage);
    ActivateAndWait();
    ASSERT_EQ(host_.Dialogs().size(), 1u);
    EXPECT_EQ(host_.Dialogs()[0].text, L"The managed machine sent an answer that could not be read.");
    EXPECT_EQ(ItemCount(), 50) << "the first page stays";
    EXPECT_EQ(host_.StatusText(1), L"Failed");
    ExpectIdleAndPaired();

    // A page without its "Services" text cannot move the listing on.
    host_.AnswerWith(
        [this](const Message& request) {
            auto answer = machine_.Answer(request);
            if (request.Command() == kListCommand) answer->Root().ChildNode("Services").ClearValue();
            return answer;
        },
        1);
    Command(kRefresh);
    WaitIdle();
    EXPECT_EQ(host_.StatusText(1), L"Failed");
    EXPECT_EQ(host_.CountRequests(kListCommand), 3u);
    host_.AnswerWith([this](const Message& request) { return machine_.Answer(request); }, 1);

    for (auto kind : {remote::FaultKind::StuckPage, remote::FaultKind::HugeTotal, remote::FaultKind::HostileNumbers}) {
        SCOPED_TRACE(static_cast<int>(kind));
        machine_.ClearFaults();
        remote::Fault fault;
        fault.kind = kind;
        machine_.InjectFault(kListCommand, fault);
        host_.ClearRequests();
        Command(kRefresh);
        WaitIdle();
        EXPECT_LT(host_.CountRequests(kListCommand), 10u);
        EXPECT_GT(ItemCount(), 0);
        EXPECT_EQ(host_.BusyDepth(), 0);
    }
    // Hostile numbers: nothing to start, pause or resume, and the texts say Unknown.
    for (int i = 0; i < ItemCount(); ++i) {
        EXPECT_EQ(ListViewText(list_, i, 2), L"Unknown");
        Select(i);
        EXPECT_FALSE(ButtonEnabled(kStart));
        EXPECT_FALSE(ButtonEnabled(kPause));
    }
    EXPECT_EQ(host_.Releases(), host_.AnswersMade());
}

TEST_F(ServicesTest, StatesOutsideTheTableShowUnknown) {
    host_.AnswerWith(
        [this](const Message& request) {
            auto answer = machine_.Answer(request);
            if (request.Command() != kListCommand) return answer;
            std::string page = "<Services StartAt='-1' UpTo='3' Total='3'>";
            for (const char* state : {"0", "8", "4"})
                page += "<Service Name='" + EncodeUtf16Base64(u"S" + std::u16string(1, state[0])) + "' DisplayName='" +
                        EncodeUtf16Base64(u"State " + std::u16string(1, state[0])) + "' State='" + state +
                        "' StartupType='" + state + "' AcceptedControls='3'/>";
            answer->Root().ChildNode("Services").SetText(page + "</Services>");
            return answer;
        },
        1);
    ActivateAndWait();
    ASSERT_EQ(ItemCount(), 3);
    EXPECT_EQ(ListViewText(list_, Row(L"State 0"), 2), L"Unknown");
    EXPECT_EQ(ListViewText(list_, Row(L"State 8"), 2), L"Unknown");
    EXPECT_EQ(ListViewText(list_, Row(L"State 8"), 3), L"Unknown");
    EXPECT_EQ(ListViewText(list_, Row(L"State 4"), 2), L"Started");
    EXPECT_EQ(ListViewText(list_, Row(L"State 4"), 3), L"Disabled");
    SelectService(L"State 8");
    EXPECT_FALSE(ButtonEnabled(kStart));
    EXPECT_TRUE(ButtonEnabled(kStop));
    EXPECT_FALSE(ButtonEnabled(kPause));
}

TEST_F(ServicesTest, AnswersNobodyAskedForOrAskedTwiceChangeNothing) {
    ActivateAndWait();
    const int items = ItemCount();
    host_.Deliver(machine_.Answer(*host_.LastRequest(kListCommand)));  // the last page again
    auto update = host_.MakeAnswer(kServices, kServiceCommand);
    update->Root().ChildNode("RetValue").SetShort(1);
    update->Root().ChildNode("Service").SetText("<Service Name='" + EncodeUtf16Base64(u"Spooler") + "' State='1'/>");
    host_.Deliver(std::move(update));
    auto control = host_.MakeAnswer(kServices, kControlCommand);
    control->Root().ChildNode("RetValue").SetShort(1);
    host_.Deliver(std::move(control));
    EXPECT_EQ(ItemCount(), items);
    EXPECT_EQ(ListViewText(list_, Row(L"Print Spooler"), 2), L"Started");
    EXPECT_EQ(host_.CountRequests(kServiceCommand), 0u);
    EXPECT_TRUE(host_.Dialogs().empty());
    ExpectIdleAndPaired();
}

TEST_F(ServicesTest, FailuresInTheMiddleOfAStopEndEveryBusyStateAndKeepTheRest) {
    ActivateAndWait();
    // The second of four stops is refused; the others go on.
    remote::Fault refusal;
    refusal.errorText = u"Der Dienst kann zurzeit keine Steuermeldungen annehmen.";
    refusal.skip = 1;
    refusal.times = 1;
    machine_.InjectFault(kControlCommand, refusal);
    host_.OnDialog([](HWND, const CapturedDialog&) { return IDYES; });
    SelectService(L"Network Core Services");
    Command(kStop);
    WaitIdle();
    // Network Core Services itself is then refused too, as its dependent still runs.
    ASSERT_EQ(host_.Dialogs().size(), 3u);
    std::vector<std::wstring> errors = {host_.Dialogs()[1].text, host_.Dialogs()[2].text};
    std::sort(errors.begin(), errors.end());
    EXPECT_EQ(errors[0], L"A stop control has been sent to a service that other running services are dependent on.");
    EXPECT_EQ(errors[1], L"Der Dienst kann zurzeit keine Steuermeldungen annehmen.");
    EXPECT_EQ(host_.CountRequests(kServiceCommand), 2u);
    EXPECT_EQ(ListViewText(list_, Row(L"Network Share Publisher"), 2), L"Started");
    EXPECT_NE(ListViewText(list_, Row(L"Network Publishing"), 2), L"Started");
    ExpectIdleAndPaired();

    // An update that names another service, or cannot be read, is a failure.
    using Spoil = void (*)(Message&);
    const std::pair<Spoil, const wchar_t*> cases[] = {
        {[](Message& answer) {
             answer.Root().ChildNode("Service").SetText("<Service Name='" + EncodeUtf16Base64(u"Dhcp") + "' State='1'/>");
         },
         L"Task Scheduler"},
        {[](Message& answer) { answer.Root().ChildNode("Service").SetText("<Service Name='"); }, L"DNS Client"},
    };
    for (const auto& [spoil, service] : cases) {
        host_.AnswerWith(
            [this, spoil = spoil](const Message& request) {
                auto answer = machine_.Answer(request);
                if (request.Command() == kServiceCommand) spoil(*answer);
                return answer;
            },
            1);
        SelectService(service);
        Command(kStop);
        WaitIdle();
        EXPECT_EQ(host_.CountRequests(kServiceCommand), 3u + (service == cases[1].second));
        EXPECT_EQ(host_.Dialogs().back().text, L"The managed machine sent an answer that could not be read.");
        EXPECT_EQ(host_.StatusText(1), L"Failed");
        EXPECT_EQ(ListViewText(list_, Row(L"DHCP Client"), 2), L"Started");
        EXPECT_EQ(ListViewText(list_, Row(service), 2), L"Started") << "nothing was read";
        ExpectIdleAndPaired();
    }
}

TEST_F(ServicesTest, AnUpdateAfterARefreshFindsItsServiceByNameAndControlsWaitForIt) {
    ActivateAndWait();
    HoldAnswers([](const Message& request) { return request.Command() != kServiceCommand; });
    SelectService(L"DNS Client");
    Command(kStop);
    ASSERT_TRUE(host_.PumpUntil([this] { return held_.size() == 1; }));
    // Should the console end the busy state, a refill may come meanwhile: the
    // controls stay off until the update has arrived.
    snapIn_->EndBusy(2010);
    Command(kRefresh);
    WaitIdle();
    SelectService(L"DNS Client");
    ASSERT_EQ(ListViewText(list_, Row(L"DNS Client"), 2), L"Stopped") << "the refill shows it stopped";
    EXPECT_FALSE(ButtonEnabled(kStart));
    EXPECT_FALSE(MenuEnabled(kStart));
    EXPECT_FALSE(Shown(kLinkStart));
    EXPECT_TRUE(ButtonEnabled(kRefresh));
    EXPECT_TRUE(MenuEnabled(kRemove));
    Command(kStart);
    EXPECT_EQ(host_.CountRequests(kControlCommand), 1u);

    DeliverHeld();
    EXPECT_EQ(ListViewText(list_, Row(L"DNS Client"), 2), L"Stopping") << "the refilled list's item";
    EXPECT_EQ(host_.BusyDepth(), 0);

    // An update for a service that has left the list still ends busy.
    SelectService(L"Task Scheduler");
    Command(kPause);
    ASSERT_TRUE(host_.PumpUntil([this] { return held_.size() == 1; }));
    snapIn_->EndBusy(2010);
    machine_.InjectFault(kListCommand, remote::Fault{.kind = remote::FaultKind::Garbage, .skip = 1, .times = 1});
    Command(kRefresh);
    WaitIdle();
    ASSERT_EQ(FindItem(L"Task Scheduler"), -1) << "only the first page arrived";
    const int items = ItemCount();
    const size_t dialogs = host_.Dialogs().size();
    DeliverHeld();
    EXPECT_EQ(host_.BusyDepth(), 0);
    EXPECT_EQ(ItemCount(), items);
    EXPECT_EQ(host_.Dialogs().size(), dialogs);
    EXPECT_TRUE(ButtonEnabled(kRefresh)) << "nothing is awaited any more";
}

TEST_F(ServicesTest, AnswersAfterTheWindowHasGoneEndTheBusyStateAndShowNothing) {
    ActivateAndWait();
    SelectService(L"Task Scheduler");
    host_.AnswerWith([this](const Message& request) { return machine_.Answer(request); }, 50);
    Command(kStop);
    ASSERT_EQ(host_.BusyDepth(), 1);
    ExpectQuietEndAfterTheWindowHasGone(host_, snapIn_);
    snapIn_->Deactivate();
}

class DeviceServicesTest : public ServicesTest {
protected:
    static remote::MachineConfig Device() {
        remote::MachineConfig config = Small();
        config.platform = remote::kDevicePlatform;
        return config;
    }
    DeviceServicesTest() : ServicesTest(Device()) {}
};

TEST_F(DeviceServicesTest, ShowsNameDescriptionAndStatusOnly) {
    ActivateAndWait();
    EXPECT_EQ(ColumnCount(list_), 3);
    EXPECT_EQ(ListViewText(list_, Row(L"Print Spooler"), 2), L"Started");
}


// ---- the property dialog and the install wizard ---------------------------------------------

using services::protocol::kChangeCommand;
using services::protocol::kFileExistsCommand;
using services::protocol::kInstallCommand;

// A control anywhere below a window (the pages are dialogs of their own).
HWND Below(HWND root, int id) {
    struct Search {
        int id;
        HWND found;
    } search{id, nullptr};
    EnumChildWindows(
        root,
        [](HWND window, LPARAM parameter) -> BOOL {
            auto* search = reinterpret_cast<Search*>(parameter);
            if (GetDlgCtrlID(window) != search->id || !IsWindowVisible(GetParent(window))) return TRUE;
            search->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

class ServiceDialogsTest : public ServicesTest {
protected:
    explicit ServiceDialogsTest(remote::MachineConfig config = Small()) : ServicesTest(config) {}

    void SetUp() override {
        ServicesTest::SetUp();
        // The dialog and the wizard stay open; pickers are worked by pick_;
        // message boxes are answered with OK.
        host_.OnDialog([this](HWND dialog, const CapturedDialog& captured) {
            if (captured.caption == L"Properties" || captured.caption == L"Service Installation") {
                opened_ = dialog;
                return 0;
            }
            if (captured.caption == L"Select Users") return pick_ ? pick_(dialog) : IDCANCEL;
            return IDOK;
        });
        ActivateAndWait();
    }

    HWND OpenProperties(const std::wstring& service) {
        opened_ = nullptr;
        SelectService(service);
        Command(kProperties);
        EXPECT_TRUE(host_.PumpUntil([this] { return opened_ != nullptr; }));
        return opened_;
    }
    HWND OpenWizard() {
        opened_ = nullptr;
        Command(kAdd);
        EXPECT_TRUE(host_.PumpUntil([this] { return opened_ != nullptr; }));
        return opened_;
    }
    // The tab's page shown, as a click on the tab does.
    static void ShowTab(HWND dialog, int index) { ChooseTab(GetDlgItem(dialog, IDC_SRV_PROPERTY_TABS), index); }
    // A click as the control reports it, whether it is enabled or not.
    static void Press(HWND dialog, int id) {
        HWND control = Below(dialog, id);
        HWND parent = control ? GetParent(control) : dialog;
        ::SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
    }
    static void SetText(HWND dialog, int id, const wchar_t* text) { SetWindowTextW(Below(dialog, id), text); }
    static std::wstring Text(HWND dialog, int id) { return WindowText(Below(dialog, id)); }
    static bool Enabled(HWND dialog, int id) { return IsWindowEnabled(Below(dialog, id)) != FALSE; }
    static bool Checked(HWND dialog, int id) {
        return ::SendMessageW(Below(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    static void ChooseStartup(HWND dialog, int entry) {
        HWND combo = Below(dialog, IDC_SRV_STARTUP_TYPE);
        ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
        ::SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(IDC_SRV_STARTUP_TYPE, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(combo));
    }
    // The "Service" element of the last request of a command.
    std::unique_ptr<CXmlElement> SentService(uint32_t command) const {
        const Message* request = host_.LastRequest(command);
        if (!request || !request->Root().Find("Service")) return nullptr;
        auto element = std::make_unique<CXmlElement>();
        CXmlOptions options;
        element->Parse(request->Root().Find("Service")->Text().c_str(), options);
        return element;
    }
    static std::u16string Decoded(const CXmlElement& element, const char* name) {
        const char* value = element.GetAttribute(name);
        return value ? DecodeUtf16Base64(value) : u"(missing)";
    }
    static std::string Plain(const CXmlElement& element, const char* name) {
        const char* value = element.GetAttribute(name);
        return value ? value : "(missing)";
    }
    // Captions with the texts.
    std::vector<std::wstring> Boxes() {
        std::vector<std::wstring> texts;
        for (const auto& dialog : host_.Dialogs())
            if (dialog.isMessageBox) texts.push_back(dialog.caption + L": " + dialog.text);
        return texts;
    }
    // The texts of a tree's items below `parent`, expanding it first.
    static std::vector<std::wstring> TreeLevel(HWND tree, HTREEITEM parent) {
        if (parent != TVI_ROOT) ::SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parent));
        std::vector<std::wstring> texts;
        HTREEITEM item = parent == TVI_ROOT
                             ? reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0))
                             : reinterpret_cast<HTREEITEM>(
                                   ::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(parent)));
        for (; item; item = reinterpret_cast<HTREEITEM>(
                         ::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
            wchar_t text[128] = {};
            TVITEMW data = {};
            data.mask = TVIF_TEXT | TVIF_CHILDREN;
            data.hItem = item;
            data.pszText = text;
            data.cchTextMax = 128;
            ::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
            texts.push_back(std::wstring(text) + (data.cChildren ? L"+" : L""));
        }
        return texts;
    }

    HWND opened_ = nullptr;
    std::function<int(HWND)> pick_;
};

TEST_F(ServiceDialogsTest, PropertiesShowTheServiceAndApplySendsItsElementOnceEncoded) {
    HWND dialog = OpenProperties(L"Print Spooler");
    ASSERT_NE(dialog, nullptr);
    HWND tabs = GetDlgItem(dialog, IDC_SRV_PROPERTY_TABS);
    ASSERT_EQ(::SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(Text(dialog, IDC_SRV_NAME), L"Spooler");
    EXPECT_EQ(Text(dialog, IDC_SRV_PROP_DISPLAY_NAME), L"Print Spooler");
    EXPECT_EQ(Text(dialog, IDC_SRV_PATH), L"C:\\WINDOWS\\system32\\spoolsv.exe");
    EXPECT_EQ(Text(dialog, IDC_SRV_STATUS), L"Started");
    EXPECT_EQ(Text(dialog, IDC_SRV_STARTUP_TYPE), L"Automatic");
    EXPECT_FALSE(Enabled(dialog, IDC_SRV_BUTTON_START));
    EXPECT_TRUE(Enabled(dialog, IDC_SRV_BUTTON_STOP));
    EXPECT_FALSE(Enabled(dialog, IDC_SRV_BUTTON_PAUSE));
    EXPECT_FALSE(Enabled(dialog, IDC_SRV_BUTTON_RESUME));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_SRV_APPLY)));
    ShowTab(dialog, 1);
    // Local system with bit 0x100 of ServiceType: interaction checked.
    EXPECT_TRUE(Checked(dialog, IDC_SRV_LOCAL_SYSTEM));
    EXPECT_TRUE(Checked(dialog, IDC_SRV_INTERACT));
    EXPECT_FALSE(Enabled(dialog, IDC_SRV_ACCOUNT));

    // Opening it again brings the same dialog forward.
    opened_ = nullptr;
    Command(kProperties);
    host_.PumpFor(60);
    EXPECT_EQ(opened_, nullptr);

    ShowTab(dialog, 0);
    ChooseStartup(dialog, 1);  // Manual
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_SRV_APPLY)));
    HoldAnswers([](const Message& request) { return request.Command() != kChangeCommand; });
    host_.ClearRequests();
    Press(dialog, IDC_SRV_APPLY);
    ASSERT_EQ(host_.CountRequests(kChangeCommand), 1u);
    auto sent = SentService(kChangeCommand);
    ASSERT_NE(sent, nullptr);
    EXPECT_EQ(sent->Name(), "Service");
    EXPECT_EQ(Plain(*sent, "Name"), EncodeUtf16Base64(u"Spooler"));
    EXPECT_EQ(Decoded(*sent, "DisplayName"), u"Print Spooler");
    EXPECT_EQ(Decoded(*sent, "Description"), u"Loads files to memory for later printing.");
    EXPECT_EQ(Decoded(*sent, "ServicePath"), u"C:\\WINDOWS\\system32\\spoolsv.exe");
    EXPECT_EQ(Decoded(*sent, "StartName"), u"LocalSystem");
    EXPECT_EQ(Plain(*sent, "StartupType"), "3");
    EXPECT_EQ(Plain(*sent, "SysAccount"), "1");
    EXPECT_EQ(Plain(*sent, "AllowInteract"), "1");
    EXPECT_EQ(Plain(*sent, "PSW"), "") << "Base64 of nothing";
    // Waiting for the answer: nothing can be pressed but the close box.
    for (int id : {IDC_SRV_APPLY, IDOK, IDCANCEL}) EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, id))) << id;
    EXPECT_FALSE(Enabled(dialog, IDC_SRV_BUTTON_STOP));
    EXPECT_EQ(host_.BusyDepth(), 1);

    host_.AnswerWith([this](const Message& request) { return machine_.Answer(request); }, 1);
    DeliverHeld();
    WaitIdle();
    EXPECT_EQ(Sent(kServiceCommand), (std::vector<SentControl>{{u"Spooler", ""}}));
    EXPECT_EQ(ListViewText(list_, Row(L"Print Spooler"), 3), L"Manual");
    EXPECT_EQ(Text(dialog, IDC_SRV_STARTUP_TYPE), L"Manual");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_SRV_APPLY)));
    EXPECT_TRUE(Enabled(dialog, IDC_SRV_BUTTON_STOP));

    // The second Apply encodes the element as the first did, never twice.
    ChooseStartup(dialog, 2);
    Press(dialog, IDOK);
    WaitIdle();
    sent = SentService(kChangeCommand);
    EXPECT_EQ(Plain(*sent, "Name"), EncodeUtf16Base64(u"Spooler"));
    EXPECT_EQ(Decoded(*sent, "DisplayName"), u"Print Spooler");
    EXPECT_EQ(Plain(*sent, "StartupType"), "4");
    EXPECT_FALSE(IsWindow(dialog)) << "OK closes it";
    EXPECT_EQ(ListViewText(list_, Row(L"Print Spooler"), 3), L"Disabled");
    EXPECT_TRUE(Boxes().empty());
    ExpectIdleAndPaired();
}

TEST_F(ServiceDialogsTest, ABootServiceKeepsItsStartupTypeAndNamedAccountsAreChecked) {
    HWND dialog = OpenProperties(L"Disk Driver");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Text(dialog, IDC_SRV_STARTUP_TYPE), L"Boot") << "the type's text, not an empty selection";
    ShowTab(dialog, 1);
    Press(dialog, IDC_SRV_INTERACT);  // any change enables Apply
    Press(dialog, IDC_SRV_APPLY);
    WaitIdle();
    EXPECT_EQ(Plain(*SentService(kChangeCommand), "StartupType"), "0");
    EXPECT_EQ(ListViewText(list_, Row(L"Disk Driver"), 3), L"Boot");
    Press(dialog, IDCANCEL);
    EXPECT_FALSE(IsWindow(dialog));

    // A named account: the account must be given and the confirmation match.
    dialog = OpenProperties(L"DNS Client");
    ShowTab(dialog, 1);
    EXPECT_TRUE(Checked(dialog, IDC_SRV_THIS_ACCOUNT));
    EXPECT_EQ(Text(dialog, IDC_SRV_ACCOUNT), L"NT AUTHORITY\\NetworkService");
    EXPECT_TRUE(Enabled(dialog, IDC_SRV_BROWSE));
    EXPECT_FALSE(Enabled(dialog, IDC_SRV_INTERACT));
    host_.ClearRequests();
    SetText(dialog, IDC_SRV_PASSWORD, L"eins");
    SetText(dialog, IDC_SRV_CONFIRM_PASSWORD, L"zwei");
    Press(dialog, IDC_SRV_APPLY);
    SetText(dialog, IDC_SRV_CONFIRM_PASSWORD, L"eins");
    SetText(dialog, IDC_SRV_ACCOUNT, L"");
    Press(dialog, IDOK);
    EXPECT_EQ(host_.CountRequests(kChangeCommand), 0u);
    EXPECT_TRUE(IsWindow(dialog));
    EXPECT_EQ(Boxes(), (std::vector<std::wstring>{L"Service Manager: Not all fields are filled correctly",
                                                  L"Service Manager: Not all fields are filled correctly"}));
    EXPECT_TRUE(host_.Dialogs().back().errorIcon);
    // An empty password equal to an empty confirmation is accepted.
    SetText(dialog, IDC_SRV_ACCOUNT, L"KONTOR\\dns");
    SetText(dialog, IDC_SRV_PASSWORD, L"");
    SetText(dialog, IDC_SRV_CONFIRM_PASSWORD, L"");
    Press(dialog, IDC_SRV_APPLY);
    WaitIdle();
    auto sent = SentService(kChangeCommand);
    ASSERT_NE(sent, nullptr);
    EXPECT_EQ(Decoded(*sent, "StartName"), u"KONTOR\\dns");
    EXPECT_EQ(Plain(*sent, "SysAccount"), "0");
    EXPECT_EQ(Plain(*sent, "AllowInteract"), "0");
    EXPECT_EQ(ListViewText(list_, Row(L"DNS Client"), 4), L"KONTOR\\dns");
    // The running service's new account takes effect only after a restart.
    EXPECT_EQ(Boxes().back(),
              L"Service Manager: The new logon name will not take effect until you stop and restart the service");
    // A password travels as Base64 of UTF-16.
    SetText(dialog, IDC_SRV_PASSWORD, L"gr\u00fcn");
    SetText(dialog, IDC_SRV_CONFIRM_PASSWORD, L"gr\u00fcn");
    Press(dialog, IDC_SRV_APPLY);
    WaitIdle();
    EXPECT_EQ(Plain(*SentService(kChangeCommand), "PSW"), EncodeUtf16Base64(u"gr\u00fcn"));
    EXPECT_EQ(Text(dialog, IDC_SRV_PASSWORD), L"") << "not kept once sent";
    ExpectIdleAndPaired();
}

TEST_F(ServiceDialogsTest, ARefreshWhileTheUserEditsKeepsTheEditsAndTheButtonsControlTheService) {
    HWND dialog = OpenProperties(L"Task Scheduler");
    ChooseStartup(dialog, 2);  // Disabled, not applied
    ShowTab(dialog, 1);
    Press(dialog, IDC_SRV_THIS_ACCOUNT);
    SetText(dialog, IDC_SRV_ACCOUNT, L"KONTOR\\plan");
    ShowTab(dialog, 0);
    EXPECT_TRUE(Enabled(dialog, IDC_SRV_BUTTON_PAUSE));
    host_.ClearRequests();
    Press(dialog, IDC_SRV_BUTTON_PAUSE);
    EXPECT_FALSE(Enabled(dialog, IDC_SRV_BUTTON_STOP)) << "all four wait for the control";
    WaitIdle();
    EXPECT_EQ(Sent(kControlCommand), (std::vector<SentControl>{{u"Schedule", "2"}}));
    EXPECT_EQ(Text(dialog, IDC_SRV_STATUS), L"Pausing");
    EXPECT_EQ(Text(dialog, IDC_SRV_STARTUP_TYPE), L"Disabled") << "the edit stays";
    ShowTab(dialog, 1);
    EXPECT_EQ(Text(dialog, IDC_SRV_ACCOUNT), L"KONTOR\\plan");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_SRV_APPLY)));
    // A full refresh keeps them too.
    Command(kRefresh);
    WaitIdle();
    EXPECT_EQ(Text(dialog, IDC_SRV_ACCOUNT), L"KONTOR\\plan");
    Press(dialog, IDCANCEL);

    // Start passes the start parameters.
    dialog = OpenProperties(L"Background Intelligent Transfer Service");
    SetText(dialog, IDC_SRV_START_PARAMETERS, L"/fast -v");
    Press(dialog, IDC_SRV_BUTTON_START);
    WaitIdle();
    const Message* start = host_.LastRequest(kControlCommand);
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(start->Root().Find("Action")->Text(), "3");
    EXPECT_EQ(start->Root().Find("Params")->Text(), "/fast -v");
    EXPECT_EQ(Text(dialog, IDC_SRV_STATUS), L"Starting");
    ExpectIdleAndPaired();
}

TEST_F(ServiceDialogsTest, BrowseFillsTheAccountFromThePicker) {
    HWND dialog = OpenProperties(L"Print Spooler");
    ShowTab(dialog, 1);
    pick_ = [this](HWND picker) {
        HWND accounts = GetDlgItem(picker, IDC_PICKER_ACCOUNTS);
        EXPECT_TRUE(host_.PumpUntil(
            [&] { return host_.BusyDepth() == 0 && ToolTest::FindItem(accounts, L"zo\u00eb") >= 0; }));
        ToolTest::Select(accounts, ToolTest::FindItem(accounts, L"zo\u00eb"));
        ::SendMessageW(picker, WM_COMMAND, IDC_PICKER_ADD, 0);
        ToolTest::Select(accounts, ToolTest::FindItem(accounts, L"Buchhaltung"));
        ::SendMessageW(picker, WM_COMMAND, IDC_PICKER_ADD, 0);  // one account at most
        EXPECT_EQ(ToolTest::ItemCount(GetDlgItem(picker, IDC_PICKER_ADDED)), 1);
        return IDOK;
    };
    Press(dialog, IDC_SRV_THIS_ACCOUNT);
    Press(dialog, IDC_SRV_BROWSE);
    EXPECT_EQ(Text(dialog, IDC_SRV_ACCOUNT), L"WS-KLEE07\\zo\u00eb");
    EXPECT_TRUE(Checked(dialog, IDC_SRV_THIS_ACCOUNT));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_SRV_APPLY)));
    // Cancelled, the picker changes nothing.
    pick_ = nullptr;
    Press(dialog, IDC_SRV_BROWSE);
    EXPECT_EQ(Text(dialog, IDC_SRV_ACCOUNT), L"WS-KLEE07\\zo\u00eb");
    WaitIdle();
    ExpectIdleAndPaired();
}

TEST_F(ServiceDialogsTest, DependenciesShowBothTreesAndACycleEnds) {
    HWND dialog = OpenProperties(L"Sync Agent");
    ShowTab(dialog, 2);
    EXPECT_EQ(Text(dialog, IDC_SRV_DEPENDENCIES_NAME), L"Sync Agent");
    HWND dependents = Below(dialog, IDC_SRV_DEPENDENTS_TREE);
    HWND dependsOn = Below(dialog, IDC_SRV_DEPENDS_ON_TREE);
    EXPECT_EQ(TreeLevel(dependents, TVI_ROOT), (std::vector<std::wstring>{L"Sync Broker+"}));
    EXPECT_EQ(TreeLevel(dependents, TreeRoot(dependents)), (std::vector<std::wstring>{L"Sync Agent"}))
        << "the service itself is on the path: not expanded again";
    EXPECT_EQ(TreeLevel(dependsOn, TVI_ROOT), (std::vector<std::wstring>{L"Sync Broker+"}));
    Press(dialog, IDCANCEL);

    // The diamond: both of its sides lead to the same service.
    dialog = OpenProperties(L"Network Core Services");
    ShowTab(dialog, 2);
    dependents = Below(dialog, IDC_SRV_DEPENDENTS_TREE);
    EXPECT_EQ(TreeLevel(dependents, TVI_ROOT),
              (std::vector<std::wstring>{L"Network Share Publisher+", L"Network Browse Publisher+"}));
    EXPECT_EQ(TreeLevel(dependents, TreeRoot(dependents)), (std::vector<std::wstring>{L"Network Publishing"}));
    EXPECT_EQ(TreeLevel(Below(dialog, IDC_SRV_DEPENDS_ON_TREE), TVI_ROOT),
              (std::vector<std::wstring>{L"TCP/IP Protocol Driver"}));
    EXPECT_NE(::SendMessageW(dependents, TVM_GETIMAGELIST, TVSIL_NORMAL, 0), 0) << "the service icons";
    Press(dialog, IDCANCEL);

    dialog = OpenProperties(L"Network Publishing");
    ShowTab(dialog, 2);
    EXPECT_EQ(TreeLevel(Below(dialog, IDC_SRV_DEPENDENTS_TREE), TVI_ROOT),
              (std::vector<std::wstring>{L"<No Dependencies>"}));
    dependsOn = Below(dialog, IDC_SRV_DEPENDS_ON_TREE);
    EXPECT_EQ(TreeLevel(dependsOn, TreeRoot(dependsOn)), (std::vector<std::wstring>{L"Network Core Services+"}));
}

TEST_F(ServiceDialogsTest, TheWizardChecksEveryPageAndInstallsTheService) {
    HWND wizard = OpenWizard();
    ASSERT_NE(wizard, nullptr);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(wizard, IDC_SRV_WIZARD_BACK)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(wizard, IDC_SRV_WIZARD_FINISH)));
    Press(wizard, IDC_SRV_WIZARD_NEXT);
    SetText(wizard, IDC_SRV_WIZARD_NAME, L"NlBackup");
    Press(wizard, IDC_SRV_WIZARD_NEXT);
    SetText(wizard, IDC_SRV_WIZARD_DISPLAY_NAME, L"Nordlicht Sicherung \u00e5");
    Press(wizard, IDC_SRV_WIZARD_NEXT);
    ASSERT_NE(Below(wizard, IDC_SRV_WIZARD_FILE), nullptr) << "the executable's page";
    host_.ClearRequests();
    Press(wizard, IDC_SRV_WIZARD_NEXT);
    EXPECT_EQ(host_.CountRequests(kFileExistsCommand), 0u);
    // A missing executable keeps the wizard on its page.
    SetText(wizard, IDC_SRV_WIZARD_FILE, L"C:\\Program Files\\Nordlicht Backup\\fehlt.exe");
    Press(wizard, IDC_SRV_WIZARD_NEXT);
    WaitIdle();
    ASSERT_EQ(host_.CountRequests(kFileExistsCommand), 1u);
    EXPECT_EQ(host_.LastRequest(kFileExistsCommand)->Root().Find("FileName")->Text(),
              EncodeUtf16Base64(u"C:\\Program Files\\Nordlicht Backup\\fehlt.exe"));
    EXPECT_NE(Below(wizard, IDC_SRV_WIZARD_FILE), nullptr);
    SetText(wizard, IDC_SRV_WIZARD_FILE, L"C:\\Program Files\\Nordlicht Backup\\nlbackup.exe");
    Press(wizard, IDC_SRV_WIZARD_NEXT);
    WaitIdle();
    ASSERT_NE(Below(wizard, IDC_SRV_WIZARD_ACCOUNT), nullptr) << "on to the log-on page";
    Press(wizard, IDC_SRV_WIZARD_THIS_ACCOUNT);
    Press(wizard, IDC_SRV_WIZARD_NEXT);
    SetText(wizard, IDC_SRV_WIZARD_ACCOUNT, L".\\sicherung");
    Press(wizard, IDC_SRV_WIZARD_NEXT);
    SetText(wizard, IDC_SRV_WIZARD_PASSWORD, L"ge'heim<");
    Press(wizard, IDC_SRV_WIZARD_NEXT);
    SetText(wizard, IDC_SRV_WIZARD_CONFIRM, L"ge'heim<");
    Press(wizard, IDC_SRV_WIZARD_NEXT);
    ASSERT_NE(Below(wizard, IDC_SRV_WIZARD_AUTOMATIC), nullptr) << "on to the startup page";
    EXPECT_TRUE(Checked(wizard, IDC_SRV_WIZARD_AUTOMATIC));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(wizard, IDC_SRV_WIZARD_FINISH)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(wizard, IDC_SRV_WIZARD_NEXT)));
    EXPECT_EQ(Boxes(), (std::vector<std::wstring>{
                           L"Service Installation Wizard: The Field \"Service Name\" is not allowed to be empty",
                           L"Service Installation Wizard: The Field \"Display Name\" is not allowed to be empty",
                           L"Service Installation Wizard: The Field \"File Location\" is not allowed to be empty",
                           L"Service Manager: The system cannot find the file specified.",
                           L"Service Installation Wizard: The Field \"Account Name\" is not allowed to be empty",
                           L"Service Installation Wizard: The Field \"Password\" is not allowed to be empty",
                           L"Service Installation Wizard: The Field \"Confirm Password\" and \"Password\" must be equal"}));
    EXPECT_TRUE(host_.Dialogs().back().errorIcon);

    CheckRadioButton(GetParent(Below(wizard, IDC_SRV_WIZARD_MANUAL)), IDC_SRV_WIZARD_AUTOMATIC,
                     IDC_SRV_WIZARD_DISABLED, IDC_SRV_WIZARD_MANUAL);
    CheckDlgButton(GetParent(Below(wizard, IDC_SRV_WIZARD_START_AFTER)), IDC_SRV_WIZARD_START_AFTER, BST_CHECKED);
    host_.ClearRequests();
    Press(wizard, IDC_SRV_WIZARD_FINISH);
    EXPECT_FALSE(IsWindow(wizard));
    auto sent = SentService(kInstallCommand);
    ASSERT_NE(sent, nullptr);
    EXPECT_EQ(Plain(*sent, "Name"), EncodeUtf16Base64(u"NlBackup"));
    EXPECT_EQ(Decoded(*sent, "DisplayName"), u"Nordlicht Sicherung \u00e5");
    EXPECT_EQ(Decoded(*sent, "ServicePath"), u"C:\\Program Files\\Nordlicht Backup\\nlbackup.exe");
    EXPECT_EQ(Decoded(*sent, "StartName"), u".\\sicherung");
    EXPECT_EQ(Plain(*sent, "StartupType"), "3");
    EXPECT_EQ(Plain(*sent, "SysAccount"), "0");
    EXPECT_EQ(Plain(*sent, "StartAfterInstall"), "1");
    EXPECT_EQ(Plain(*sent, "PSW"), "ge'heim<") << "the password travels plain";
    EXPECT_EQ(sent->GetAttribute("Description"), nullptr);
    WaitIdle();
    EXPECT_EQ(StartAts(), (std::vector<int64_t>{-1, 50, 100, 150})) << "a full refresh follows";
    EXPECT_GE(FindItem(L"Nordlicht Sicherung \u00e5"), 0);

    // An existing name is refused by the machine and shown.
    wizard = OpenWizard();
    SetText(wizard, IDC_SRV_WIZARD_NAME, L"spooler");
    SetText(wizard, IDC_SRV_WIZARD_DISPLAY_NAME, L"Noch ein Spooler");
    Press(wizard, IDC_SRV_WIZARD_NEXT);
    SetText(wizard, IDC_SRV_WIZARD_FILE, L"C:\\WINDOWS\\system32\\notepad.exe");
    Press(wizard, IDC_SRV_WIZARD_NEXT);
    WaitIdle();
    Press(wizard, IDC_SRV_WIZARD_NEXT);  // the local system account
    Press(wizard, IDC_SRV_WIZARD_FINISH);
    WaitIdle();
    EXPECT_EQ(Plain(*SentService(kInstallCommand), "AllowInteract"), "0");
    EXPECT_EQ(SentService(kInstallCommand)->GetAttribute("PSW"), nullptr);
    EXPECT_EQ(Boxes().back(), L"Error: The specified service already exists.");
    EXPECT_EQ(host_.StatusText(1), L"Failed");
    ExpectIdleAndPaired();
}

TEST_F(ServiceDialogsTest, FileChecksWaitForTheirOwnAnswer) {
    HWND wizard = OpenWizard();
    SetText(wizard, IDC_SRV_WIZARD_NAME, L"A");
    SetText(wizard, IDC_SRV_WIZARD_DISPLAY_NAME, L"A");
    Press(wizard, IDC_SRV_WIZARD_NEXT);
    HoldAnswers([](const Message& request) { return request.Command() != kFileExistsCommand; });
    SetText(wizard, IDC_SRV_WIZARD_FILE, L"C:\\WINDOWS\\system32\\notepad.exe");
    Press(wizard, IDC_SRV_WIZARD_NEXT);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(wizard, IDC_SRV_WIZARD_BACK)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(wizard, IDC_SRV_WIZARD_NEXT)));
    Press(wizard, IDC_SRV_WIZARD_NEXT);  // a double Next
    Press(wizard, IDC_SRV_WIZARD_BACK);  // Back while the check is out
    EXPECT_EQ(host_.CountRequests(kFileExistsCommand), 1u);
    ASSERT_NE(Below(wizard, IDC_SRV_WIZARD_FILE), nullptr);

    // Closed and opened again (should the console end the busy state that
    // keeps Add off): the old answer comes late and moves nothing.
    Press(wizard, IDCANCEL);
    EXPECT_FALSE(IsWindow(wizard));
    snapIn_->EndBusy(2010);
    wizard = OpenWizard();
    ASSERT_NE(wizard, nullptr);
    SetText(wizard, IDC_SRV_WIZARD_NAME, L"B");
    SetText(wizard, IDC_SRV_WIZARD_DISPLAY_NAME, L"B");
    Press(wizard, IDC_SRV_WIZARD_NEXT);
    SetText(wizard, IDC_SRV_WIZARD_FILE, L"C:\\nowhere\\b.exe");
    Press(wizard, IDC_SRV_WIZARD_NEXT);
    ASSERT_EQ(held_.size(), 2u);
    auto late = std::move(held_[0]);
    auto own = std::move(held_[1]);
    held_.clear();
    const size_t boxes = Boxes().size();
    host_.Deliver(std::move(late));  // says notepad.exe exists
    EXPECT_NE(Below(wizard, IDC_SRV_WIZARD_FILE), nullptr) << "still on the executable's page";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(wizard, IDC_SRV_WIZARD_NEXT))) << "still waiting";
    host_.Deliver(std::move(own));
    EXPECT_NE(Below(wizard, IDC_SRV_WIZARD_FILE), nullptr);
    EXPECT_EQ(Boxes().size(), boxes + 1) << "missing";
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(wizard, IDC_SRV_WIZARD_BACK)));
    // An answer that names another file than the one asked for moves nothing.
    host_.AnswerWith(
        [this](const Message& request) {
            auto answer = machine_.Answer(request);
            if (request.Command() == kFileExistsCommand)
                answer->Root().ChildNode("FileName").SetText(EncodeUtf16Base64(u"C:\\WINDOWS\\system32\\notepad.exe"));
            return answer;
        },
        1);
    SetText(wizard, IDC_SRV_WIZARD_FILE, L"C:\\nowhere\\c.exe");
    Press(wizard, IDC_SRV_WIZARD_NEXT);
    WaitIdle();
    EXPECT_NE(Below(wizard, IDC_SRV_WIZARD_FILE), nullptr);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(wizard, IDC_SRV_WIZARD_NEXT)));
    EXPECT_EQ(host_.BusyDepth(), 0);
    EXPECT_EQ(host_.Releases(), host_.AnswersMade());
}

TEST_F(ServiceDialogsTest, UntrustedAnswersAndClosedDialogs) {
    // A refused change shows the error and gives the dialog its buttons back.
    HWND dialog = OpenProperties(L"Alerter");
    machine_.InjectFault(kChangeCommand, remote::Fault{.errorText = u"Zugriff verweigert."});
    ChooseStartup(dialog, 1);
    Press(dialog, IDC_SRV_APPLY);
    WaitIdle();
    EXPECT_EQ(Boxes().back(), L"Error: Zugriff verweigert.");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
    EXPECT_EQ(host_.CountRequests(kServiceCommand), 0u);
    machine_.ClearFaults();

    // Closed while its change is on its way: the answers still end the busy state.
    HoldAnswers([](const Message&) { return false; });
    ChooseStartup(dialog, 2);
    Press(dialog, IDC_SRV_APPLY);
    SendMessageW(dialog, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(dialog));
    host_.AnswerWith([this](const Message& request) { return machine_.Answer(request); }, 1);
    DeliverHeld();
    WaitIdle();
    EXPECT_EQ(host_.CountRequests(kServiceCommand), 1u);

    // A change answer that cannot be read still updates the service that was changed.
    dialog = OpenProperties(L"Alerter");
    machine_.InjectFault(kChangeCommand, remote::Fault{.kind = remote::FaultKind::Garbage, .times = 1});
    ChooseStartup(dialog, 0);
    Press(dialog, IDC_SRV_APPLY);
    WaitIdle();
    EXPECT_EQ(Sent(kServiceCommand).back(), (SentControl{u"Alerter", ""}));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));

    // Answers nobody asked for change nothing.
    const size_t boxes = Boxes().size();
    for (uint32_t command : {kChangeCommand, kInstallCommand, kFileExistsCommand}) {
        auto answer = host_.MakeAnswer(kServices, command);
        answer->Root().ChildNode("RetValue").SetShort(1);
        answer->Root().ChildNode("FileExist").SetShort(1);
        host_.Deliver(std::move(answer));
    }
    EXPECT_EQ(Boxes().size(), boxes);
    // The snap-in's window goes with its dialogs.
    opened_ = nullptr;
    HWND wizard = OpenWizard();
    DestroyWindow(snapIn_->GetWindow());
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_FALSE(IsWindow(wizard));
    ExpectIdleAndPaired();
    snapIn_->Deactivate();
}

class DeviceServiceDialogsTest : public ServiceDialogsTest {
protected:
    static remote::MachineConfig Device() {
        remote::MachineConfig config = Small();
        config.platform = remote::kDevicePlatform;
        return config;
    }
    DeviceServiceDialogsTest() : ServiceDialogsTest(Device()) {}
};

TEST_F(DeviceServiceDialogsTest, PropertiesHaveTheGeneralPageOnlyAndTheWizardAsksForAPrefix) {
    HWND dialog = OpenProperties(L"Print Spooler");
    EXPECT_EQ(::SendMessageW(GetDlgItem(dialog, IDC_SRV_PROPERTY_TABS), TCM_GETITEMCOUNT, 0, 0), 1);
    ChooseStartup(dialog, 1);
    Press(dialog, IDOK);
    WaitIdle();
    EXPECT_EQ(Plain(*SentService(kChangeCommand), "SysAccount"), "1");
    EXPECT_EQ(ListViewText(list_, Row(L"Print Spooler"), 2), L"Started");

    HWND wizard = OpenWizard();
    SetText(wizard, IDC_SRV_WIZARD_NAME, L"Wx");
    SetText(wizard, IDC_SRV_WIZARD_DISPLAY_NAME, L"Wetter");
    Press(wizard, IDC_SRV_WIZARD_NEXT);
    SetText(wizard, IDC_SRV_WIZARD_FILE, L"C:\\WINDOWS\\system32\\notepad.exe");
    Press(wizard, IDC_SRV_WIZARD_NEXT);
    WaitIdle();
    ASSERT_NE(Below(wizard, IDC_SRV_WIZARD_PREFIX), nullptr);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(wizard, IDC_SRV_WIZARD_FINISH)));
    host_.ClearRequests();
    for (const wchar_t* prefix : {L"W1", L"W123"}) {
        SetText(wizard, IDC_SRV_WIZARD_PREFIX, prefix);
        Press(wizard, IDC_SRV_WIZARD_FINISH);
    }
    EXPECT_EQ(host_.CountRequests(kInstallCommand), 0u);
    EXPECT_EQ(Boxes().back(), L"Service Installation Wizard: The Field \"Service Prefix\" must consist of 3 letters");
    SetText(wizard, IDC_SRV_WIZARD_PREFIX, L"W12");
    Press(wizard, IDC_SRV_WIZARD_FINISH);
    WaitIdle();
    auto sent = SentService(kInstallCommand);
    ASSERT_NE(sent, nullptr);
    EXPECT_EQ(Plain(*sent, "Prefix"), EncodeUtf16Base64(u"W12"));
    EXPECT_EQ(sent->GetAttribute("SysAccount"), nullptr);
    EXPECT_GE(FindItem(L"Wetter"), 0);
    ExpectIdleAndPaired();
}

}  // namespace
}  // namespace vantrel::test
