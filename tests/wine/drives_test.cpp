// Disk Drives through its real windows, against the simulated managed machine.
#include "framework/text/Base64.h"
#include "remote/drives/DrivesData.h"
#include "remote/RemoteMachine.h"
#include "snapins/drives/DrivesIds.h"
#include "snapins/drives/model/Protocol.h"
#include "tests/host/LocalFiles.h"
#include "tests/host/ToolTest.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vantrel::test {
namespace {

constexpr int32_t kDrives = drives::protocol::kSnapInId;
constexpr uint32_t kListCommand = drives::protocol::kListCommand;
constexpr uint32_t kDetailsCommand = drives::protocol::kDetailsCommand;
constexpr int kRefresh = ID_DDS_REFRESH, kViews = ID_DDS_VIEWS, kProperties = ID_DDS_PROPERTIES,
              kShowGroups = ID_DDS_SHOW_GROUPS, kRefreshMenu = ID_DDS_REFRESH_MENU;

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

class DrivesTest : public ToolTest {
protected:
    explicit DrivesTest(remote::MachineConfig config = Small()) : ToolTest(kDrives, config) {}

    static remote::MachineConfig Small() {
        remote::MachineConfig config;
        config.pageSize = 3;
        return config;
    }

    void SetUp() override {
        ToolTest::SetUp();
        list_ = GetDlgItem(snapIn_->GetWindow(), IDC_DDS_LIST);
        ASSERT_NE(list_, nullptr);
    }

    int ItemCount() const { return ToolTest::ItemCount(list_); }
    int FindItem(const std::wstring& name) const { return ToolTest::FindItem(list_, name); }
    void Select(int item) { ToolTest::Select(list_, item); }
    void ClickHeader(int column) { ToolTest::ClickHeader(list_, column); }
    std::vector<std::wstring> Column(int column) const { return ToolTest::Column(list_, column); }
    int ArrowColumn(bool* ascending) const {
        for (int i = 0; i < ColumnCount(list_); ++i) {
            if (SortArrow(list_, i) < 0) continue;
            *ascending = SortArrow(list_, i) == 0;
            return i;
        }
        return -1;
    }
    bool GroupView() const { return ::SendMessageW(list_, LVM_ISGROUPVIEWENABLED, 0, 0) != 0; }
    // Whether this system's list views can show groups at all (Wine's cannot).
    static bool ListViewsShowGroups() {
        HWND probe = CreateWindowExW(0, WC_LISTVIEWW, nullptr, WS_POPUP | LVS_REPORT, 0, 0, 10, 10, nullptr, nullptr,
                                     nullptr, nullptr);
        ::SendMessageW(probe, LVM_ENABLEGROUPVIEW, TRUE, 0);
        bool shows = ::SendMessageW(probe, LVM_ISGROUPVIEWENABLED, 0, 0) != 0;
        DestroyWindow(probe);
        return shows;
    }
    std::vector<int64_t> StartAts() const {
        std::vector<int64_t> starts;
        for (const auto& request : host_.Requests()) {
            if (request->Command() != kListCommand) continue;
            const auto* body = request->Root().Find("DiskDrives");
            std::string text = body ? body->Text() : "";
            size_t at = text.find("StartAt='");
            starts.push_back(at == std::string::npos ? -99 : std::stoll(text.substr(at + 9)));
        }
        return starts;
    }

    HWND list_ = nullptr;
};

TEST_F(DrivesTest, FirstActivationListsEveryDriveInPagesAndEndsWithTheCounts) {
    auto expected = remote::MakeSimulatedDrives(config_);
    ASSERT_GT(expected.size(), 6u);
    host_.Activate(snapIn_);
    EXPECT_EQ(host_.StatusText(1), L"In progress...");
    EXPECT_FALSE(ButtonEnabled(kRefresh)) << "busy: the toolbar is disabled";
    WaitIdle();

    std::vector<int64_t> starts = StartAts();
    ASSERT_GE(starts.size(), 3u);
    EXPECT_EQ(starts[0], -1);
    for (size_t i = 1; i < starts.size(); ++i) EXPECT_EQ(starts[i], static_cast<int64_t>(3 * i)) << "StartAt = UpTo";
    EXPECT_EQ(ItemCount(), static_cast<int>(expected.size()));
    std::wstring count = std::to_wstring(expected.size());
    EXPECT_EQ(host_.StatusText(1), L"Success");
    EXPECT_EQ(host_.StatusText(2), count + L"/" + count);
    EXPECT_EQ(host_.BeginBusyCalls(), host_.EndBusyCalls());
    EXPECT_EQ(host_.Releases(), host_.AnswersMade());

    int c = FindItem(Wide(expected[1].displayName));
    ASSERT_GE(c, 0);
    EXPECT_EQ(ListViewText(list_, c, 1), Wide(expected[1].typeText));
    EXPECT_EQ(ListViewText(list_, c, 4), Wide(expected[1].fileSystem));
    EXPECT_FALSE(ListViewText(list_, c, 2).empty());
    EXPECT_NE(ListViewText(list_, c, 6).find(L'%'), std::wstring::npos);
    EXPECT_EQ(GroupView(), ListViewsShowGroups()) << "filling builds the groups, which shows them where possible";
}

TEST_F(DrivesTest, ToolbarMenuAndTitleMergeIntoTheConsoleAndFollowBusyState) {
    ActivateAndWait();
    HWND toolBar = host_.ShownSnapInToolBar();
    ASSERT_NE(toolBar, nullptr);
    EXPECT_TRUE(ButtonEnabled(kRefresh));
    EXPECT_FALSE(ButtonEnabled(kProperties)) << "nothing selected";
    TBBUTTONINFOW info = {sizeof(info), TBIF_STYLE | TBIF_IMAGE};
    ::SendMessageW(toolBar, TB_GETBUTTONINFOW, kViews, reinterpret_cast<LPARAM>(&info));
    EXPECT_TRUE(info.fsStyle & BTNS_WHOLEDROPDOWN);
    EXPECT_EQ(info.iImage, 4);
    ::SendMessageW(toolBar, TB_GETBUTTONINFOW, kProperties, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.iImage, 9);

    int menus = GetMenuItemCount(host_.MenuBar());
    wchar_t name[64] = {};
    GetMenuStringW(host_.MenuBar(), static_cast<UINT>(menus - 1), name, 64, MF_BYPOSITION);
    EXPECT_STREQ(name, L"Disk Drives");
    EXPECT_EQ(::SendMessageW(host_.ConsoleToolBar(), TB_BUTTONCOUNT, 0, 0), host::HostFrame::kConsoleButtons + 1);
    EXPECT_EQ(host_.Title(), "Console - Disk Drives");

    // Two begins and one end keep everything disabled; the second end enables
    // the buttons, and the commands' own rules apply again.
    Select(0);
    EXPECT_TRUE(ButtonEnabled(kProperties));
    snapIn_->BeginBusy(2012);
    snapIn_->BeginBusy(2012);
    HMENU popup = GetSubMenu(host_.MenuBar(), static_cast<UINT>(menus - 1));
    EXPECT_TRUE(GetMenuState(popup, 0, MF_BYPOSITION) & MF_GRAYED);
    snapIn_->EndBusy(2010);
    EXPECT_FALSE(ButtonEnabled(kRefresh));
    EXPECT_FALSE(ButtonEnabled(kProperties));
    ::SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                   reinterpret_cast<LPARAM>(&(const LVITEMW&)LVITEMW{.stateMask = LVIS_SELECTED}));
    snapIn_->EndBusy(2010);
    EXPECT_TRUE(ButtonEnabled(kRefresh));
    EXPECT_FALSE(ButtonEnabled(kProperties)) << "UpdateCommands ran: no selection, no Properties";
    EXPECT_FALSE(GetMenuState(popup, 0, MF_BYPOSITION) & MF_GRAYED);

    NMTTDISPINFOW tip = {};
    EXPECT_TRUE(snapIn_->OnToolTipTextW(kRefresh, &tip));
    EXPECT_STREQ(tip.szText, L"Refresh");

    snapIn_->Deactivate();
    EXPECT_EQ(GetMenuItemCount(host_.MenuBar()), menus - 1);
    EXPECT_EQ(::SendMessageW(host_.ConsoleToolBar(), TB_BUTTONCOUNT, 0, 0), host::HostFrame::kConsoleButtons);
}

TEST_F(DrivesTest, HeaderClickRegroupsInGroupViewAndSortsOtherwise) {
    ActivateAndWait();
    if (ListViewsShowGroups()) {
        ASSERT_TRUE(GroupView());
        int typeGroups = static_cast<int>(::SendMessageW(list_, LVM_GETGROUPCOUNT, 0, 0));
        ClickHeader(4);  // File System
        EXPECT_TRUE(GroupView());
        EXPECT_NE(::SendMessageW(list_, LVM_GETGROUPCOUNT, 0, 0), typeGroups);
        bool ascending = false;
        EXPECT_EQ(ArrowColumn(&ascending), -1) << "regrouping does not sort";
        EXPECT_TRUE(MenuState(kShowGroups) & MF_CHECKED);
        Command(kShowGroups);
        EXPECT_FALSE(GroupView());
    } else {
        // Where list views cannot group, the command is offered grayed and
        // does nothing, and header clicks sort.
        EXPECT_TRUE(MenuState(kShowGroups) & MF_GRAYED);
        Command(kShowGroups);
        EXPECT_FALSE(GroupView());
    }
    EXPECT_FALSE(MenuState(kShowGroups) & MF_CHECKED);

    bool ascending = false;
    ClickHeader(0);
    ASSERT_EQ(ArrowColumn(&ascending), 0);
    EXPECT_TRUE(ascending);
    auto names = Column(0);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
        return _wcsicmp(a.c_str(), b.c_str()) < 0;
    }));
    ClickHeader(0);
    EXPECT_EQ(ArrowColumn(&ascending), 0);
    EXPECT_FALSE(ascending);
    auto reversed = Column(0);
    EXPECT_EQ(std::vector<std::wstring>(names.rbegin(), names.rend()), reversed);
    ClickHeader(2);
    EXPECT_EQ(ArrowColumn(&ascending), 2);
    EXPECT_TRUE(ascending) << "another column starts ascending";
    auto sizes = Column(2);

    Command(kRefreshMenu);
    WaitIdle();
    EXPECT_EQ(GroupView(), ListViewsShowGroups()) << "after Refresh the list is in groups again";
    if (!ListViewsShowGroups()) {
        EXPECT_EQ(Column(2), sizes) << "refilled in the same order";
    }
}

TEST_F(DrivesTest, PropertiesAskForDetailsOnceAndShowThemInTheDialog) {
    ActivateAndWait();
    auto expected = remote::MakeSimulatedDrives(config_);
    const auto& system = expected[1];
    int item = FindItem(Wide(system.displayName));
    ASSERT_GE(item, 0);
    Select(item);
    CapturedDialog shown;
    host_.OnDialog([&](HWND, const CapturedDialog& dialog) {
        shown = dialog;
        return IDOK;
    });
    Command(kProperties);
    const Message* request = host_.LastRequest(kDetailsCommand);
    ASSERT_NE(request, nullptr);
    EXPECT_EQ(request->Root().Find("DriveName")->Text(), EncodeUtf16Base64(system.driveName));
    WaitIdle();
    ASSERT_EQ(host_.Dialogs().size(), 1u);
    EXPECT_EQ(shown.caption, Wide(system.volumeName) + L" Properties");
    EXPECT_EQ(shown.controlTexts[IDC_DDS_DRIVE_LETTER], Wide(system.driveName));
    EXPECT_EQ(shown.controlTexts[IDC_DDS_FILE_SYSTEM], Wide(system.fileSystem));
    EXPECT_EQ(shown.controlTexts[IDC_DDS_SIZE_BYTES], std::to_wstring(system.sizeBytes));
    EXPECT_EQ(shown.controlTexts[IDC_DDS_FREE_BYTES], std::to_wstring(system.freeBytes));
    EXPECT_EQ(shown.controlTexts[IDC_DDS_BYTES_SECTOR], std::to_wstring(system.bytesPerSector));
    wchar_t serial[16];
    swprintf(serial, 16, L"%04X-%04X", system.serialNumber >> 16, system.serialNumber & 0xFFFF);
    EXPECT_EQ(shown.controlTexts[IDC_DDS_SERIAL], serial);
    EXPECT_EQ(shown.checked[IDC_DDS_FLAG_UNICODE], (system.fileSystemFlags & 0x4) != 0);
    EXPECT_EQ(shown.checked[IDC_DDS_FLAG_ACLS], (system.fileSystemFlags & 0x8) != 0);
    EXPECT_EQ(shown.checked[IDC_DDS_FLAG_STREAMS], (system.fileSystemFlags & 0x40000) != 0);

    // The details are known now: no second request.
    Select(FindItem(Wide(system.displayName)));
    Command(kProperties);
    EXPECT_EQ(host_.CountRequests(kDetailsCommand), 1u);
    EXPECT_EQ(host_.Dialogs().size(), 2u);
}

TEST_F(DrivesTest, AFailedDetailsAnswerShowsOneErrorWithItsTextAndNoDialog) {
    ActivateAndWait();
    remote::Fault fault;
    fault.errorText = u"Das Ger\u00e4t ist nicht bereit.";
    fault.times = 1;
    machine_.InjectFault(kDetailsCommand, fault);
    Select(0);
    Command(kProperties);
    WaitIdle();
    ASSERT_EQ(host_.Dialogs().size(), 1u) << "the error, and no properties dialog";
    EXPECT_TRUE(host_.Dialogs()[0].isMessageBox);
    EXPECT_EQ(host_.Dialogs()[0].text, L"Das Ger\u00e4t ist nicht bereit.");
    EXPECT_EQ(host_.StatusText(1), L"Failed");
    EXPECT_TRUE(ButtonEnabled(kProperties));
    // Asked again, the details come and the dialog opens.
    Command(kProperties);
    WaitIdle();
    ASSERT_EQ(host_.Dialogs().size(), 2u);
    EXPECT_FALSE(host_.Dialogs()[1].isMessageBox);
}

TEST_F(DrivesTest, KeysAndToolbarClicksReachTheToolThroughTheConsolesLoop) {
    ActivateAndWait();
    SetFocus(list_);
    ASSERT_EQ(GetFocus(), list_);
    const size_t listings = host_.CountRequests(kListCommand);
    PostMessageW(list_, WM_KEYDOWN, VK_F5, 0x003F0001);
    PostMessageW(list_, WM_KEYUP, VK_F5, static_cast<LPARAM>(0xC03F0001));
    host_.PumpFor(20);
    EXPECT_GT(host_.CountRequests(kListCommand), listings) << "F5 refreshes";
    WaitIdle();

    Select(0);
    host_.OnDialog([](HWND, const CapturedDialog&) { return IDOK; });
    PostMessageW(list_, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    host_.PumpFor(20);
    WaitIdle();
    EXPECT_EQ(host_.CountRequests(kDetailsCommand), 1u) << "Enter opens the properties";
    ASSERT_EQ(host_.Dialogs().size(), 1u);

    // A click on the toolbar's Refresh button.
    HWND toolBar = host_.ShownSnapInToolBar();
    RECT button = {};
    ASSERT_TRUE(::SendMessageW(toolBar, TB_GETRECT, kRefresh, reinterpret_cast<LPARAM>(&button)));
    const LPARAM at = MAKELPARAM((button.left + button.right) / 2, (button.top + button.bottom) / 2);
    const size_t before = host_.CountRequests(kListCommand);
    PostMessageW(toolBar, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(toolBar, WM_LBUTTONUP, 0, at);
    host_.PumpFor(20);
    EXPECT_GT(host_.CountRequests(kListCommand), before) << "the button refreshes";
    WaitIdle();
}

TEST_F(DrivesTest, AFailedPageShowsOneErrorAndKeepsWhatArrived) {
    remote::Fault fault;
    fault.errorText = u"Die Laufwerke k\u00f6nnen nicht gelesen werden.";
    fault.skip = 1;
    machine_.InjectFault(kListCommand, fault);
    ActivateAndWait();
    ASSERT_EQ(host_.Dialogs().size(), 1u);
    EXPECT_EQ(host_.Dialogs()[0].caption, L"Error");
    EXPECT_EQ(host_.Dialogs()[0].text, L"Die Laufwerke k\u00f6nnen nicht gelesen werden.");
    EXPECT_TRUE(host_.Dialogs()[0].errorIcon);
    EXPECT_EQ(ItemCount(), 3) << "the first page stays";
    EXPECT_EQ(host_.StatusText(1), L"Failed");
    EXPECT_EQ(host_.BusyDepth(), 0);
    EXPECT_TRUE(ButtonEnabled(kRefresh));
}

TEST_F(DrivesTest, MalformedAndRunawayListingsEndWithoutHangingOrAddingGarbage) {
    remote::Fault garbage;
    garbage.kind = remote::FaultKind::Garbage;
    garbage.times = 1;
    machine_.InjectFault(kListCommand, garbage);
    ActivateAndWait();
    EXPECT_EQ(ItemCount(), 0);
    ASSERT_EQ(host_.Dialogs().size(), 1u);
    EXPECT_EQ(host_.Dialogs()[0].text, L"The managed machine sent an answer that could not be read.");
    EXPECT_EQ(host_.BusyDepth(), 0);

    for (auto kind : {remote::FaultKind::StuckPage, remote::FaultKind::HugeTotal, remote::FaultKind::HostileNumbers}) {
        machine_.ClearFaults();
        remote::Fault fault;
        fault.kind = kind;
        machine_.InjectFault(kListCommand, fault);
        host_.ClearRequests();
        Command(kRefresh);
        WaitIdle();
        EXPECT_LT(host_.CountRequests(kListCommand), 10u) << static_cast<int>(kind);
        EXPECT_EQ(host_.BusyDepth(), 0);
        if (kind == remote::FaultKind::StuckPage) {
            EXPECT_EQ(host_.StatusText(1), L"Failed") << "a listing that stops advancing";
            EXPECT_EQ(ItemCount(), 3) << "what arrived stays";
        }
        for (int i = 0; i < ItemCount(); ++i) {
            for (int column : {6, 7}) {
                std::wstring percent = ListViewText(list_, i, column);
                EXPECT_EQ(percent.find(L'-'), std::wstring::npos) << percent;
                if (!percent.empty()) {
                    EXPECT_LE(std::stoi(percent), 100) << percent;
                }
            }
        }
    }
    EXPECT_EQ(host_.Releases(), host_.AnswersMade());
}

TEST_F(DrivesTest, LateDuplicateAndRefreshWhileBusyChangeNothing) {
    ActivateAndWait();
    int items = ItemCount();
    size_t requests = host_.CountRequests(kListCommand);
    host_.Deliver(machine_.Answer(*host_.LastRequest(kListCommand)));  // the last page again
    EXPECT_EQ(ItemCount(), items);
    EXPECT_EQ(host_.BusyDepth(), 0);

    Command(kRefresh);
    Command(kRefresh);  // ignored: a listing is running
    WaitIdle();
    EXPECT_EQ(host_.CountRequests(kListCommand), requests * 2);
    EXPECT_EQ(ItemCount(), items);
}

TEST_F(DrivesTest, ViewSettingsSurviveDeactivationAndARestartOfTheConsole) {
    TemporaryFolder folder("drives-layout");
    const auto file = folder.Path() / "settings.txt";
    host_.SetSettingsFile(file);
    ActivateAndWait();
    Command(kShowGroups);
    int order[8] = {1, 0, 2, 3, 4, 5, 6, 7};
    ::SendMessageW(list_, LVM_SETCOLUMNORDERARRAY, 8, reinterpret_cast<LPARAM>(order));
    ::SendMessageW(list_, LVM_SETCOLUMNWIDTH, 0, 222);
    ClickHeader(2);
    ClickHeader(2);  // descending
    snapIn_->Deactivate();
    snapIn_->Activate();
    bool ascending = true;
    EXPECT_EQ(ArrowColumn(&ascending), 2);

    TestHost restarted;
    restarted.SetSettingsFile(file);
    restarted.AnswerWith([this](const Message& request) { return machine_.Answer(request); }, 1);
    ISnapIn* again = restarted.Open(kDrives);
    HWND list = GetDlgItem(again->GetWindow(), IDC_DDS_LIST);
    restarted.Activate(again);
    ASSERT_TRUE(restarted.PumpUntil([&] { return restarted.BusyDepth() == 0 && restarted.PendingAnswers() == 0; }));
    int loaded[8] = {};
    ::SendMessageW(list, LVM_GETCOLUMNORDERARRAY, 8, reinterpret_cast<LPARAM>(loaded));
    EXPECT_EQ(std::vector<int>(loaded, loaded + 8), std::vector<int>(order, order + 8));
    EXPECT_EQ(::SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), 222);
    EXPECT_EQ(SortArrow(list, 2), 1) << "descending";
}

TEST_F(DrivesTest, ContextMenusAndTheViewsDropDownShowTheCommandsStates) {
    ActivateAndWait();
    EXPECT_TRUE(snapIn_->OnContextMenuKey());
    EXPECT_TRUE(host_.Menus().empty()) << "no selection, no menu";

    Select(0);
    EXPECT_TRUE(snapIn_->OnContextMenuKey());
    ASSERT_EQ(host_.Menus().size(), 1u);
    const CapturedMenu& context = host_.Menus()[0];
    ASSERT_NE(context.Find(L"&Refresh"), nullptr) << "the context menu has no shortcut text";
    ASSERT_NE(context.Find(L"&Properties"), nullptr);
    EXPECT_FALSE(context.Find(L"&Properties")->state & MF_GRAYED);
    ASSERT_NE(context.Find(L"&View"), nullptr);

    // The drop-down shows the View submenu under the button, Details checked.
    NMTOOLBARW drop = {};
    drop.hdr.hwndFrom = host_.ShownSnapInToolBar();
    drop.hdr.code = TBN_DROPDOWN;
    drop.iItem = kViews;
    ::SendMessageW(snapIn_->GetWindow(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&drop));
    ASSERT_EQ(host_.Menus().size(), 2u);
    const CapturedMenu& views = host_.Menus()[1];
    ASSERT_NE(views.Find(L"&Details"), nullptr);
    EXPECT_TRUE(views.Find(L"&Details")->state & MF_CHECKED);
    EXPECT_FALSE(views.Find(L"Large &Icons")->state & MF_CHECKED);
    RECT button = {};
    ::SendMessageW(host_.ShownSnapInToolBar(), TB_GETRECT, kViews, reinterpret_cast<LPARAM>(&button));
    POINT corner = {button.left, button.bottom};
    ClientToScreen(host_.ShownSnapInToolBar(), &corner);
    EXPECT_EQ(views.window.left, corner.x);
    EXPECT_EQ(views.window.top, corner.y);

    Command(1110);  // List
    EXPECT_EQ(GetWindowLongW(list_, GWL_STYLE) & LVS_TYPEMASK, LVS_LIST);
    ::SendMessageW(snapIn_->GetWindow(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&drop));
    ASSERT_EQ(host_.Menus().size(), 3u);
    EXPECT_TRUE(host_.Menus()[2].Find(L"&List")->state & MF_CHECKED);
    EXPECT_FALSE(host_.Menus()[2].Find(L"&Details")->state & MF_CHECKED);
}

TEST_F(DrivesTest, AHostWithoutMessagesLeavesTheToolIdleAndUsable) {
    host_.RefuseMessages(true);
    host_.Activate(snapIn_);
    EXPECT_EQ(host_.BusyDepth(), 0) << "nothing was sent, so nothing is awaited";
    EXPECT_TRUE(host_.Requests().empty());
    host_.RefuseMessages(false);
    Command(kRefresh);
    WaitIdle();
    EXPECT_GT(ItemCount(), 0);
}

TEST_F(DrivesTest, AnswersAfterTheWindowHasGoneEndTheBusyStateAndShowNothing) {
    ActivateAndWait();
    Select(0);
    host_.AnswerWith([this](const Message& request) { return machine_.Answer(request); }, 50);
    Command(kProperties);
    ASSERT_EQ(host_.BusyDepth(), 1);
    ExpectQuietEndAfterTheWindowHasGone(host_, snapIn_);
    snapIn_->Deactivate();  // and the stored layout is left alone
}

class DeviceDrivesTest : public DrivesTest {
protected:
    static remote::MachineConfig Device() {
        remote::MachineConfig config = Small();
        config.platform = remote::kDevicePlatform;
        return config;
    }
    DeviceDrivesTest() : DrivesTest(Device()) {}
};

TEST_F(DeviceDrivesTest, ShowsSevenColumnsWithoutTheFileSystem) {
    ActivateAndWait();
    ASSERT_EQ(ColumnCount(list_), 7);
    EXPECT_EQ(ColumnHeader(list_, 4), L"Total Used");
    EXPECT_GT(ItemCount(), 0);
}

TEST_F(DrivesTest, DialogsOfTheModuleUseCommonControlsSix) {
    ActivateAndWait();
    Select(0);
    std::wstring checkBoxModule;
    host_.OnDialog([&](HWND dialog, const CapturedDialog&) {
        checkBoxModule = WindowProcModule(GetDlgItem(dialog, 1028));
        return IDOK;
    });
    Command(kProperties);
    WaitIdle();
    // Without the module's manifest the check boxes would be user32's buttons.
    EXPECT_NE(checkBoxModule.find(L"comctl32"), std::wstring::npos)
        << std::string(checkBoxModule.begin(), checkBoxModule.end());
}

}  // namespace
}  // namespace vantrel::test
