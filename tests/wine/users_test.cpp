// Local Users and Groups through its real windows, against the simulated
// managed machine: the two lists with their paging, menus and toolbar,
// delete, rename by label editing, set password, the create dialogs with
// their wait, and the property sheets.
#include "framework/text/Base64.h"
#include "framework/xml/Xml.h"
#include "remote/RemoteMachine.h"
#include "remote/users/UsersData.h"
#include "snapins/picker/PickerIds.h"
#include "snapins/users/UsersIds.h"
#include "snapins/users/UsersWindowMessages.h"
#include "snapins/users/model/Protocol.h"
#include "tests/host/ToolTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vantrel::test {
namespace {

namespace wire = users::protocol;
constexpr int32_t kUsers = wire::kSnapInId;


// The XML text of a request node, parsed.
std::unique_ptr<CXmlElement> RequestXml(const Message* request, const char* node) {
    auto root = std::make_unique<CXmlElement>();
    const auto* field = request ? request->Root().Find(node) : nullptr;
    CXmlOptions options;
    if (field) root->Parse(field->Text().c_str(), options);
    return root;
}

std::u16string Text(const CXmlElement& element, const char* name) { return DecodeUtf16Base64(element.GetAttribute(name)); }

// Runs once, from the message loop that is pumping when it is due (a dialog's
// wait included).
std::function<void()> g_later;
void CALLBACK RunLater(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (auto later = std::exchange(g_later, nullptr)) later();
}
void Later(unsigned ms, std::function<void()> what) {
    g_later = std::move(what);
    SetTimer(nullptr, 0, ms, RunLater);
}

// A property sheet: a dialog with a tab control of its own.
bool IsPropertySheet(HWND dialog) { return ::SendMessageW(dialog, PSM_GETTABCONTROL, 0, 0) != 0; }

class UsersTest : public ToolTest {
protected:
    static remote::MachineConfig Config(int pageSize = 7) {
        remote::MachineConfig config;
        config.pageSize = pageSize;
        return config;
    }
    explicit UsersTest(remote::MachineConfig config = Config()) : ToolTest(kUsers, config) {}

    void SetUp() override {
        ToolTest::SetUp();
        window_ = snapIn_->GetWindow();
        pane_ = GetDlgItem(window_, IDD_USR_PANE);
        ASSERT_NE(pane_, nullptr);
        users_ = GetDlgItem(pane_, IDC_USR_USERS);
        groups_ = GetDlgItem(pane_, IDC_USR_GROUPS);
        tabs_ = GetDlgItem(pane_, IDC_USR_TABS);
        ASSERT_TRUE(users_ && groups_ && tabs_);
        // Message boxes are answered with their first button unless a test says otherwise.
        host_.OnDialog([this](HWND dialog, const CapturedDialog& captured) { return OnDialog(dialog, captured); });
    }

    void AnswerFromMachine(unsigned delayMs) {
        host_.AnswerWith([this](const Message& request) { return machine_.Answer(request); }, delayMs);
    }

    // Dialogs are worked by `drive`, by caption, and property sheets by
    // `drive_`; message boxes say Yes or OK.
    std::function<int(HWND, const CapturedDialog&)> drive;
    std::function<int(HWND)> drive_;
    // A property sheet is seen before its pages and title are made: it is
    // worked from its own loop a moment later.
    static constexpr int kNoButton = 0xFFF0;
    int DriveSheetLater(HWND sheet) {
        Later(10, [this, sheet] { PostMessageW(sheet, WM_COMMAND, MAKEWPARAM(drive_(sheet), BN_CLICKED), 0); });
        return kNoButton;
    }
    int OnDialog(HWND dialog, const CapturedDialog& captured) {
        if (IsPropertySheet(dialog)) {
            ++sheets_;
            return drive_ ? DriveSheetLater(dialog) : kNoButton;
        }
        if (drive) {
            const int button = drive(dialog, captured);
            if (button != 0) return button;
        }
        return captured.isMessageBox && captured.buttons.size() == 2 ? IDYES : IDOK;
    }

    void ShowTab(int index) {
        ::SendMessageW(tabs_, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
        NMHDR change = {tabs_, IDC_USR_TABS, static_cast<UINT>(TCN_SELCHANGE)};
        ::SendMessageW(window_, WM_NOTIFY, IDC_USR_TABS, reinterpret_cast<LPARAM>(&change));
    }
    // Adds the item to the selection (the pickers' tests add to what they chose).
    static void Select(HWND list, int item) {
        LVITEMW state = {};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&state));
    }
    // Shown in its parent (the test's frame itself is never shown).
    static bool Shown(HWND window) { return (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0; }
    static int Image(HWND list, int item) {
        LVITEMW lv = {};
        lv.mask = LVIF_IMAGE;
        lv.iItem = item;
        ::SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&lv));
        return lv.iImage;
    }
    HMENU MergedPopup() const {
        return GetSubMenu(host_.MenuBar(), static_cast<UINT>(GetMenuItemCount(host_.MenuBar()) - 1));
    }
    static std::wstring MenuText(HMENU menu, UINT command) {
        wchar_t text[128] = {};
        GetMenuStringW(menu, command, text, 128, MF_BYCOMMAND);
        return text;
    }
    std::vector<int32_t> StartsOf(uint32_t command, const char* node) const {
        std::vector<int32_t> starts;
        for (const auto& request : host_.Requests()) {
            if (request->Command() != command) continue;
            starts.push_back(RequestXml(request.get(), node)->GetAttributeInt("StartAt"));
        }
        return starts;
    }
    // A hand-made answer for the snap-in.
    std::unique_ptr<Message> Answer(uint32_t command, int16_t ret = 0) {
        auto answer = host_.MakeAnswer(kUsers, command);
        answer->Root().ChildNode("RetValue").SetShort(ret);
        return answer;
    }

    size_t sheets_ = 0;  // property sheets opened
    HWND window_ = nullptr;
    HWND pane_ = nullptr;
    HWND users_ = nullptr;
    HWND groups_ = nullptr;
    HWND tabs_ = nullptr;
};

// ---- the lists -----------------------------------------------------------------------------------

TEST_F(UsersTest, TheUsersArriveInPagesFromUpToPlusOneWithTheirTextsAndImages) {
    const auto expected = remote::MakeSimulatedUsers(machine_.Config());
    ActivateAndWait();
    EXPECT_EQ(host_.Title(), "Console - Local Users and Groups");
    const auto starts = StartsOf(wire::kListUsersCommand, wire::kUsersNode);
    ASSERT_EQ(starts.size(), 6u) << "40 users in pages of 7";
    for (size_t i = 0; i < starts.size(); ++i) EXPECT_EQ(starts[i], i == 0 ? -1 : static_cast<int32_t>(7 * i));
    ASSERT_EQ(ItemCount(users_), static_cast<int>(expected.size()));
    EXPECT_EQ(host_.StatusText(1), L"Success");
    EXPECT_EQ(host_.StatusText(2), L"40/40");
    EXPECT_EQ(host_.CountRequests(wire::kListGroupsCommand), 0u) << "groups wait for their tab";

    EXPECT_EQ(ColumnHeader(users_, 0), L"Name");
    EXPECT_EQ(ColumnHeader(users_, 1), L"Full Name");
    EXPECT_EQ(ColumnHeader(users_, 2), L"Description");
    EXPECT_EQ(::SendMessageW(users_, LVM_GETCOLUMNWIDTH, 2, 0), 300);
    const int zoe = FindItem(users_, L"zo\u00eb");
    ASSERT_GE(zoe, 0);
    EXPECT_EQ(ListViewText(users_, zoe, 1), L"Zo\u00eb \u00c5ngstr\u00f6m");
    EXPECT_EQ(ListViewText(users_, zoe, 2), L"Entwicklung \u2013 Team S\u00fcd");
    EXPECT_EQ(Image(users_, zoe), 0);
    EXPECT_EQ(Image(users_, FindItem(users_, L"Guest")), 1) << "disabled";
    EXPECT_EQ(Image(users_, FindItem(users_, L"\u0142ukasz.w")), 1) << "locked out";
    EXPECT_TRUE(Shown(users_));
    EXPECT_FALSE(Shown(groups_));
    EXPECT_EQ(GetWindowContextHelpId(pane_), 701u);
    EXPECT_EQ(host_.Releases(), host_.AnswersMade());
}

TEST_F(UsersTest, TheListKeepsItsRowsUntilTheFirstAnswerOfARefresh) {
    ActivateAndWait();
    AnswerFromMachine(60);
    Command(ID_USR_REFRESH);
    EXPECT_EQ(ItemCount(users_), 40) << "asked with StartAt -1, nothing emptied yet";
    ASSERT_TRUE(host_.PumpUntil([this] { return host_.AnswersDelivered() > 0 && ItemCount(users_) < 40; }));
    EXPECT_EQ(ItemCount(users_), 7) << "the first answer emptied the list and brought its page";
    WaitIdle();
    EXPECT_EQ(ItemCount(users_), 40);

    // A refresh that fails at once leaves the rows as they were.
    remote::Fault fault;
    fault.errorText = u"Zugriff verweigert.";
    fault.times = 1;
    machine_.InjectFault(wire::kListUsersCommand, fault);
    Command(ID_USR_REFRESH);
    WaitIdle();
    EXPECT_EQ(ItemCount(users_), 40);
    EXPECT_EQ(Boxes(), std::vector<std::wstring>{L"Zugriff verweigert."});
    EXPECT_EQ(host_.StatusText(1), L"Failed");
}

TEST_F(UsersTest, TheGroupsTabListsOnceAndTheMenusToolbarAndHelpFollowTheTab) {
    ActivateAndWait();
    HMENU popup = MergedPopup();
    EXPECT_EQ(MenuText(popup, ID_USR_NEW), L"New User...\tCtrl+N");
    for (int command : {ID_USR_DELETE, ID_USR_RENAME, ID_USR_PROPERTIES, ID_USR_SET_PASSWORD})
        EXPECT_TRUE(GetMenuState(popup, static_cast<UINT>(command), MF_BYCOMMAND) & MF_GRAYED) << command;
    EXPECT_FALSE(ButtonEnabled(ID_USR_DELETE));
    EXPECT_TRUE(ButtonEnabled(ID_USR_NEW));
    EXPECT_TRUE(ButtonEnabled(ID_USR_REFRESH));
    Select(users_, 0);
    for (int command : {ID_USR_DELETE, ID_USR_RENAME, ID_USR_PROPERTIES, ID_USR_SET_PASSWORD})
        EXPECT_FALSE(GetMenuState(popup, static_cast<UINT>(command), MF_BYCOMMAND) & MF_GRAYED) << command;
    EXPECT_TRUE(ButtonEnabled(ID_USR_SET_PASSWORD));
    EXPECT_TRUE(GetMenuState(popup, ID_USR_PROPERTIES, MF_BYCOMMAND) & MF_DEFAULT);

    ShowTab(1);
    WaitIdle();
    const auto groups = remote::MakeSimulatedGroups(machine_.Config());
    EXPECT_EQ(ItemCount(groups_), static_cast<int>(groups.size()));
    EXPECT_TRUE(Shown(groups_));
    EXPECT_FALSE(Shown(users_));
    EXPECT_EQ(GetWindowContextHelpId(pane_), 702u);
    EXPECT_EQ(ColumnHeader(groups_, 1), L"Description");
    EXPECT_EQ(MenuText(popup, ID_USR_NEW), L"New Group...\tCtrl+N");
    Select(groups_, FindItem(groups_, L"Buchhaltung"));
    EXPECT_EQ(ListViewText(groups_, FindItem(groups_, L"Buchhaltung"), 1), L"Zugriff auf die Finanzbuchhaltung");
    EXPECT_TRUE(GetMenuState(popup, ID_USR_SET_PASSWORD, MF_BYCOMMAND) & MF_GRAYED) << "no passwords for groups";
    EXPECT_FALSE(ButtonEnabled(ID_USR_SET_PASSWORD));
    EXPECT_TRUE(ButtonEnabled(ID_USR_DELETE));

    // The context menu: the same commands, New without its shortcut.
    SetFocus(groups_);
    EXPECT_TRUE(snapIn_->OnContextMenuKey());
    ASSERT_EQ(host_.Menus().size(), 1u);
    const CapturedMenu& menu = host_.Menus()[0];
    ASSERT_NE(menu.Find(L"New Group..."), nullptr);
    ASSERT_NE(menu.Find(L"Set Password"), nullptr);
    EXPECT_TRUE(menu.Find(L"Set Password")->state & MF_GRAYED);
    EXPECT_FALSE(menu.Find(L"&Delete")->state & MF_GRAYED);
    EXPECT_TRUE(menu.Find(L"&Properties")->state & MF_DEFAULT);

    const size_t listings = host_.CountRequests(wire::kListGroupsCommand);
    ShowTab(0);
    ShowTab(1);
    EXPECT_EQ(host_.CountRequests(wire::kListGroupsCommand), listings) << "listed once";
    Command(ID_USR_REFRESH);
    WaitIdle();
    EXPECT_GT(host_.CountRequests(wire::kListGroupsCommand), listings) << "Refresh lists the current tab again";
    EXPECT_EQ(host_.CountRequests(wire::kListUsersCommand), 6u);
}

// ---- delete, rename, set password --------------------------------------------------------------------

TEST_F(UsersTest, DeleteAsksFirstAndRemovesTheRowOrShowsTheMachinesRefusal) {
    ActivateAndWait();
    Select(users_, FindItem(users_, L"tmp"));
    std::vector<CapturedDialog> asked;
    drive = [&](HWND, const CapturedDialog& captured) {
        asked.push_back(captured);
        return asked.size() == 1 ? IDNO : IDYES;
    };
    Command(ID_USR_DELETE);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].caption, L"Local Users and Groups");
    EXPECT_EQ(asked[0].text, L"Are you sure you want to delete the user tmp?");
    EXPECT_EQ(host_.CountRequests(wire::kDeleteUserCommand), 0u) << "No sends nothing";

    Command(ID_USR_DELETE);
    const auto request = RequestXml(host_.LastRequest(wire::kDeleteUserCommand), wire::kUserNode);
    EXPECT_EQ(Text(*request, "Name"), u"tmp");
    EXPECT_NE(request->GetAttribute("pData"), nullptr);
    WaitIdle();
    EXPECT_EQ(FindItem(users_, L"tmp"), -1);
    EXPECT_EQ(ItemCount(users_), 39);
    EXPECT_EQ(host_.StatusText(1), L"Success");

    Select(users_, FindItem(users_, L"Administrator"));
    Command(ID_USR_DELETE);
    WaitIdle();
    EXPECT_GE(FindItem(users_, L"Administrator"), 0);
    EXPECT_EQ(host_.Dialogs().back().text, L"Cannot perform this operation on built-in accounts.");
    EXPECT_TRUE(host_.Dialogs().back().errorIcon);
    EXPECT_EQ(host_.StatusText(1), L"Failed");
}

TEST_F(UsersTest, AnAnswerWithAnUnknownOrForgedRowIdChangesNothing) {
    ActivateAndWait();
    host_.AnswerWith(nullptr);
    Select(users_, FindItem(users_, L"kiosk"));
    Command(ID_USR_DELETE);
    const auto sent = RequestXml(host_.LastRequest(wire::kDeleteUserCommand), wire::kUserNode);
    const std::string id = sent->GetAttribute("pData");
    // The id of another row, and one that was never given.
    for (const std::string& forged : {std::to_string(std::stoul(id) - 1), std::string("4242424242"), std::string("-1")}) {
        auto answer = Answer(wire::kDeleteUserCommand);
        answer->Root().ChildNode(wire::kUserNode).SetText("<User pData='" + forged + "' />");
        host_.Deliver(std::move(answer));
        EXPECT_EQ(ItemCount(users_), 40) << forged;
        EXPECT_EQ(host_.BusyDepth(), 0);
        Command(ID_USR_DELETE);  // asked again, for the next forged answer
    }
    EXPECT_GE(FindItem(users_, L"kiosk"), 0);
    // The answer naming the id that was sent removes exactly that row.
    auto answer = Answer(wire::kDeleteUserCommand);
    answer->Root().ChildNode(wire::kUserNode).SetText("<User pData='" + id + "' />");
    host_.Deliver(std::move(answer));
    EXPECT_EQ(FindItem(users_, L"kiosk"), -1);
    EXPECT_EQ(ItemCount(users_), 39);
    const auto boxes = Boxes();
    EXPECT_EQ(std::count(boxes.begin(), boxes.end(), L"The managed machine sent an answer that could not be read."), 3)
        << "one for each forged answer";
}

TEST_F(UsersTest, ALabelEditRenamesThroughTheMachineAndACancelledOneSendsNothing) {
    ActivateAndWait();
    const int item = FindItem(users_, L"kiosk");
    Select(users_, item);
    Command(ID_USR_RENAME);
    HWND edit = reinterpret_cast<HWND>(::SendMessageW(users_, LVM_GETEDITCONTROL, 0, 0));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(WindowText(edit), L"kiosk");
    SetWindowTextW(edit, L"Empfang");
    ::SendMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 0);
    host_.PumpFor(10);
    EXPECT_EQ(host_.CountRequests(wire::kRenameUserCommand), 0u);
    EXPECT_EQ(ListViewText(users_, item, 0), L"kiosk");

    Command(ID_USR_RENAME);
    edit = reinterpret_cast<HWND>(::SendMessageW(users_, LVM_GETEDITCONTROL, 0, 0));
    ASSERT_NE(edit, nullptr);
    SetWindowTextW(edit, L"Empfang \u00e4");
    ::SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_EQ(host_.CountRequests(wire::kRenameUserCommand), 1u);
    const auto request = RequestXml(host_.LastRequest(wire::kRenameUserCommand), wire::kUserNode);
    EXPECT_EQ(Text(*request, "Name"), u"kiosk");
    EXPECT_EQ(Text(*request, "NewName"), u"Empfang \u00e4");
    EXPECT_NE(request->GetAttribute("pData"), nullptr);
    WaitIdle();
    EXPECT_GE(FindItem(users_, L"Empfang \u00e4"), 0);
    EXPECT_EQ(FindItem(users_, L"kiosk"), -1);

    // A name the machine refuses leaves the row as it was.
    Select(users_, FindItem(users_, L"tmp"));
    Command(ID_USR_RENAME);
    edit = reinterpret_cast<HWND>(::SendMessageW(users_, LVM_GETEDITCONTROL, 0, 0));
    ASSERT_NE(edit, nullptr);
    SetWindowTextW(edit, L"Guest");
    ::SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
    WaitIdle();
    EXPECT_GE(FindItem(users_, L"tmp"), 0);
    EXPECT_EQ(Boxes(), std::vector<std::wstring>{L"The account already exists."});
}

TEST_F(UsersTest, SetPasswordChecksTheConfirmationSendsOnceAndReportsTheChange) {
    ActivateAndWait();
    Select(users_, FindItem(users_, L"zo\u00eb"));
    int shown = 0;
    drive = [&](HWND dialog, const CapturedDialog& captured) -> int {
        if (captured.caption != L"Set Password") return 0;
        ++shown;
        SetDlgItemTextW(dialog, IDC_USR_PASSWORD, L"Neu-und-lang-1");
        SetDlgItemTextW(dialog, IDC_USR_CONFIRM_PASSWORD, L"Neu-und-lang-2");
        ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);  // differs: the box, and the dialog stays
        EXPECT_TRUE(IsWindow(dialog));
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_USR_PASSWORD));
        SetDlgItemTextW(dialog, IDC_USR_CONFIRM_PASSWORD, L"Neu-und-lang-1");
        return IDOK;
    };
    Command(ID_USR_SET_PASSWORD);
    WaitIdle();
    EXPECT_EQ(shown, 1);
    ASSERT_EQ(host_.CountRequests(wire::kSetPasswordCommand), 1u);
    const auto request = RequestXml(host_.LastRequest(wire::kSetPasswordCommand), wire::kUserNode);
    EXPECT_EQ(Text(*request, "Name"), u"zo\u00eb");
    EXPECT_EQ(Text(*request, "Password"), u"Neu-und-lang-1");
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0],
              L"The password was not correctly confirmed.  Please ensure that the password and confirmation match exactly.");
    EXPECT_EQ(boxes[1], L"The password has been changed.");
    EXPECT_EQ(host_.Dialogs().back().caption, L"Local Users and Groups");

    // The machine's policy refuses a short one, with its own words.
    drive = [&](HWND dialog, const CapturedDialog& captured) -> int {
        if (captured.caption != L"Set Password") return 0;
        SetDlgItemTextW(dialog, IDC_USR_PASSWORD, L"kurz");
        SetDlgItemTextW(dialog, IDC_USR_CONFIRM_PASSWORD, L"kurz");
        return IDOK;
    };
    Command(ID_USR_SET_PASSWORD);
    WaitIdle();
    EXPECT_NE(host_.Dialogs().back().text.find(L"password policy"), std::wstring::npos);
    EXPECT_EQ(host_.StatusText(1), L"Failed");
}

// ---- answers from an untrusted machine --------------------------------------------------------------------

TEST_F(UsersTest, MalformedRunawayAndHostileListingsEndWithoutHangingOrGarbage) {
    remote::Fault garbage;
    garbage.kind = remote::FaultKind::Garbage;
    garbage.times = 1;
    machine_.InjectFault(wire::kListUsersCommand, garbage);
    ActivateAndWait();
    EXPECT_EQ(ItemCount(users_), 0);
    EXPECT_EQ(Boxes(), std::vector<std::wstring>{L"The managed machine sent an answer that could not be read."});

    for (auto kind : {remote::FaultKind::StuckPage, remote::FaultKind::HugeTotal, remote::FaultKind::HostileNumbers}) {
        machine_.ClearFaults();
        remote::Fault fault;
        fault.kind = kind;
        fault.skip = 1;
        machine_.InjectFault(wire::kListUsersCommand, fault);
        host_.ClearRequests();
        Command(ID_USR_REFRESH);
        WaitIdle();
        EXPECT_LT(host_.CountRequests(wire::kListUsersCommand), 20u) << static_cast<int>(kind);
        EXPECT_EQ(host_.BusyDepth(), 0);
        EXPECT_GE(ItemCount(users_), 7);
        if (kind == remote::FaultKind::StuckPage) {
            EXPECT_EQ(host_.StatusText(1), L"Failed");
        }
    }
    // The same last page again, and an answer nobody asked for.
    machine_.ClearFaults();
    Command(ID_USR_REFRESH);
    WaitIdle();
    const int rows = ItemCount(users_);
    host_.Deliver(machine_.Answer(*host_.LastRequest(wire::kListUsersCommand)));
    auto stray = Answer(wire::kRenameUserCommand);
    stray->Root().ChildNode(wire::kUserNode).SetText("<User pData='1' Name='" + EncodeUtf16Base64(u"x") + "' />");
    host_.Deliver(std::move(stray));
    EXPECT_EQ(ItemCount(users_), rows);
    EXPECT_EQ(host_.BusyDepth(), 0);
    EXPECT_EQ(host_.Releases(), host_.AnswersMade());
}

TEST_F(UsersTest, AnswersAfterTheWindowHasGoneEndTheBusyStateAndShowNothing) {
    ActivateAndWait();
    AnswerFromMachine(50);
    Command(ID_USR_REFRESH);
    ASSERT_EQ(host_.BusyDepth(), 1);
    ExpectQuietEndAfterTheWindowHasGone(host_, snapIn_);
}


// ---- New User and New Group: the name rule, the check boxes, the wait ------------------------------------


void Click(HWND dialog, int id) { ::SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

void FillNewUser(HWND dialog, const wchar_t* name, const wchar_t* password, const wchar_t* confirmation) {
    SetDlgItemTextW(dialog, IDC_USR_NAME, name);
    SetDlgItemTextW(dialog, IDC_USR_FULL_NAME, L"Ren\u00e9 Berg");
    SetDlgItemTextW(dialog, IDC_USR_DESCRIPTION, L"Lager S\u00fcd");
    SetDlgItemTextW(dialog, IDC_USR_PASSWORD, password);
    SetDlgItemTextW(dialog, IDC_USR_CONFIRM_PASSWORD, confirmation);
}

TEST_F(UsersTest, NewUserRefusesBadNamesLocallyAndKeepsThePasswordBoxesApart) {
    ActivateAndWait();
    bool createWhileBlank = true, createWithDots = false;
    bool mustChecked[3] = {}, neverChecked[3] = {};
    drive = [&](HWND dialog, const CapturedDialog& captured) -> int {
        if (captured.caption != L"New User") return 0;
        SetDlgItemTextW(dialog, IDC_USR_NAME, L"   ");
        createWhileBlank = Enabled(dialog, IDOK);
        for (const wchar_t* bad : {L" .. . ", L"*admin", L"a,b"}) {
            SetDlgItemTextW(dialog, IDC_USR_NAME, bad);
            createWithDots = createWithDots || Enabled(dialog, IDOK);
            FillNewUser(dialog, bad, L"Lang-genug-1", L"Lang-genug-1");
            ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        }
        // Help for a field: the viewer is asked for the help file, and the dialog goes on.
        HELPINFO help = {sizeof(help), HELPINFO_WINDOW, IDC_USR_NAME, GetDlgItem(dialog, IDC_USR_NAME), 0, {0, 0}};
        ::SendMessageW(dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
        Click(dialog, IDC_USR_MUST_CHANGE);
        mustChecked[0] = Enabled(dialog, IDC_USR_MUST_CHANGE);
        mustChecked[1] = Enabled(dialog, IDC_USR_CANNOT_CHANGE);
        mustChecked[2] = Enabled(dialog, IDC_USR_NEVER_EXPIRES);
        Click(dialog, IDC_USR_MUST_CHANGE);
        Click(dialog, IDC_USR_NEVER_EXPIRES);
        neverChecked[0] = Enabled(dialog, IDC_USR_MUST_CHANGE);
        neverChecked[1] = Enabled(dialog, IDC_USR_CANNOT_CHANGE);
        neverChecked[2] = Enabled(dialog, IDC_USR_NEVER_EXPIRES);
        return IDCANCEL;
    };
    Command(ID_USR_NEW);
    EXPECT_FALSE(createWhileBlank) << "Create waits for a name";
    EXPECT_TRUE(createWithDots);
    EXPECT_EQ(host_.CountRequests(wire::kCreateUserCommand), 0u) << "refused locally";
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0], L"The name .. . cannot be used.  Names may not consist entirely of periods and/or spaces, or "
                        L"contain these characters:\r\n \\ / \\ [ ] : | < > + = ; , ? *");
    EXPECT_EQ(boxes[1].substr(0, 22), L"The name *admin cannot");
    EXPECT_EQ(boxes[2].substr(0, 19), L"The name a,b cannot");
    EXPECT_EQ(host_.Dialogs()[1].caption, L"Local Users and Groups");
    EXPECT_TRUE(mustChecked[0]);
    EXPECT_FALSE(mustChecked[1]) << "must change excludes cannot change";
    EXPECT_FALSE(mustChecked[2]) << "and never expires";
    EXPECT_FALSE(neverChecked[0]) << "never expires excludes must change";
    EXPECT_TRUE(neverChecked[1] && neverChecked[2]);
}

TEST_F(UsersTest, CreatingAUserWaitsForTheAnswerAddsTheRowAndClearsTheDialogForTheNext) {
    ActivateAndWait();
    AnswerFromMachine(150);
    bool nameEnabledWhileWaiting = true, closeEnabledWhileWaiting = false, stillOpen = false;
    std::wstring nameAfter, nameAfterRefusal;
    drive = [&](HWND dialog, const CapturedDialog& captured) -> int {
        if (captured.caption != L"New User") return 0;
        FillNewUser(dialog, L" ren\u00e9 ", L"Lang-genug-1", L"Lang-genug-2");
        ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);  // the confirmation differs
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_USR_PASSWORD));
        EXPECT_EQ(host_.CountRequests(wire::kCreateUserCommand), 0u);
        SetDlgItemTextW(dialog, IDC_USR_CONFIRM_PASSWORD, L"Lang-genug-1");
        Click(dialog, IDC_USR_CANNOT_CHANGE);
        Click(dialog, IDC_USR_DISABLED);
        Later(40, [&] {
            nameEnabledWhileWaiting = Enabled(dialog, IDC_USR_NAME);
            closeEnabledWhileWaiting = Enabled(dialog, IDCANCEL);
        });
        ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);  // returns when the answer is in
        stillOpen = IsWindow(dialog) && Enabled(dialog, IDC_USR_NAME);
        nameAfter = WindowText(GetDlgItem(dialog, IDC_USR_NAME));
        FillNewUser(dialog, L"Guest", L"Lang-genug-1", L"Lang-genug-1");
        ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        nameAfterRefusal = WindowText(GetDlgItem(dialog, IDC_USR_NAME));
        return IDCANCEL;
    };
    Command(ID_USR_NEW);
    EXPECT_FALSE(nameEnabledWhileWaiting) << "the fields wait with the request";
    EXPECT_TRUE(closeEnabledWhileWaiting) << "Close stays usable";
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(nameAfter, L"") << "cleared for the next user";
    EXPECT_EQ(nameAfterRefusal, L"Guest") << "a refusal keeps the fields";
    ASSERT_EQ(host_.CountRequests(wire::kCreateUserCommand), 2u);
    const auto request = RequestXml(host_.Requests()[host_.Requests().size() - 2].get(), wire::kUserNode);
    EXPECT_EQ(Text(*request, "Name"), u"ren\u00e9") << "blanks trimmed";
    EXPECT_EQ(Text(*request, "FullName"), u"Ren\u00e9 Berg");
    EXPECT_EQ(Text(*request, "Password"), u"Lang-genug-1");
    EXPECT_STREQ(request->GetAttribute("Flags"), "578") << "0x0200 + 0x0040 + 0x0002";
    EXPECT_STREQ(request->GetAttribute("PasswordExpired"), "0");
    const int row = FindItem(users_, L"ren\u00e9");
    ASSERT_GE(row, 0);
    EXPECT_EQ(ListViewText(users_, row, 2), L"Lager S\u00fcd");
    EXPECT_EQ(Image(users_, row), 1) << "created disabled";
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1], L"The account already exists.");
    EXPECT_EQ(host_.BusyDepth(), 0);
}

TEST_F(UsersTest, AWaitThatTimesOutLeavesTheDialogUsableAndTheLateAnswerAddsItsRowQuietly) {
    ActivateAndWait();
    ::SendMessageW(window_, kSetAnswerTimeoutMessage, 100, 0);
    AnswerFromMachine(700);
    bool usable = false;
    ULONGLONG waited = 0;
    drive = [&](HWND dialog, const CapturedDialog& captured) -> int {
        if (captured.caption != L"New User") return 0;
        FillNewUser(dialog, L"sp\u00e4t", L"Lang-genug-1", L"Lang-genug-1");
        const ULONGLONG start = GetTickCount64();
        ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        waited = GetTickCount64() - start;
        usable = Enabled(dialog, IDC_USR_NAME) && Enabled(dialog, IDOK);
        return IDCANCEL;
    };
    Command(ID_USR_NEW);
    EXPECT_TRUE(usable);
    EXPECT_LT(waited, 600u);
    EXPECT_EQ(host_.StatusText(1), L"Failed");
    EXPECT_EQ(host_.BusyDepth(), 0);
    ASSERT_TRUE(host_.PumpUntil([this] { return host_.PendingAnswers() == 0; }));
    host_.PumpFor(5);
    EXPECT_GE(FindItem(users_, L"sp\u00e4t"), 0) << "the user exists on the machine";
    EXPECT_EQ(host_.BusyDepth(), 0);
    EXPECT_EQ(host_.BeginBusyCalls(), host_.EndBusyCalls()) << "the late answer ends nothing twice";
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(UsersTest, ReleasingTheSnapInOrQuittingWhileADialogWaitsEndsTheWait) {
    ActivateAndWait();
    AnswerFromMachine(400);
    bool quitSeen = false;
    drive = [&](HWND dialog, const CapturedDialog& captured) -> int {
        if (captured.caption != L"New User") return 0;
        FillNewUser(dialog, L"eins", L"Lang-genug-1", L"Lang-genug-1");
        Later(30, [] { PostQuitMessage(3); });
        ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        return IDCANCEL;
    };
    Command(ID_USR_NEW);
    MSG quit = {};
    quitSeen = PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
    EXPECT_TRUE(quitSeen) << "the quit message is posted again for the loop that owns it";
    EXPECT_EQ(quit.wParam, 3u);
    EXPECT_EQ(host_.BusyDepth(), 0);
    EXPECT_EQ(host_.StatusText(1), L"Canceled");

    // Now the snap-in goes while a dialog waits.
    ULONGLONG waited = 0;
    drive = [&](HWND dialog, const CapturedDialog& captured) -> int {
        if (captured.caption != L"New User") return 0;
        FillNewUser(dialog, L"zwei", L"Lang-genug-1", L"Lang-genug-1");
        Later(30, [this] { host_.RenewList(); });
        const ULONGLONG start = GetTickCount64();
        ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        waited = GetTickCount64() - start;
        return IDCANCEL;
    };
    Command(ID_USR_NEW);
    EXPECT_LT(waited, 350u) << "the wait ended with the snap-in, not with the answer";
    EXPECT_EQ(host_.FindSnapIn(kUsers), nullptr);
    // The dialog goes with the snap-in; on a loaded machine that may take more than a few messages.
    const auto dialogShown = [] {
        for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT))
            if (WindowText(window) == L"New User") return true;
        return false;
    };
    EXPECT_TRUE(host_.PumpUntil([&] { return !dialogShown(); }, 2000)) << "the dialog has gone with the snap-in";
    ASSERT_TRUE(host_.PumpUntil([this] { return host_.PendingAnswers() == 0; }));
    EXPECT_EQ(host_.Releases(), host_.AnswersMade());
}

TEST_F(UsersTest, ANewGroupTakesItsMembersFromThePickerAndWaitsForItsAnswer) {
    ActivateAndWait();
    ShowTab(1);
    WaitIdle();
    std::vector<std::wstring> members;
    drive = [&](HWND dialog, const CapturedDialog& captured) -> int {
        if (captured.caption == L"Select Users") {
            EXPECT_TRUE(host_.PumpUntil([&] {
                return host_.PendingAnswers() == 0 && ::SendMessageW(GetDlgItem(dialog, IDC_PICKER_ACCOUNTS), LVM_GETITEMCOUNT, 0, 0) > 60;
            }));
            HWND accounts = GetDlgItem(dialog, IDC_PICKER_ACCOUNTS);
            for (const wchar_t* name : {L"zo\u00eb", L"Buchhaltung"}) {
                Select(accounts, FindItem(accounts, name));
                ::SendMessageW(dialog, WM_COMMAND, IDC_PICKER_ADD, 0);
            }
            return IDOK;
        }
        if (captured.caption != L"New Group") return 0;
        SetDlgItemTextW(dialog, IDC_USR_NAME, L"Projekt \u00c4");
        SetDlgItemTextW(dialog, IDC_USR_DESCRIPTION, L"Neu");
        EXPECT_FALSE(Enabled(dialog, IDC_USR_REMOVE_MEMBER)) << "nothing selected";
        ::SendMessageW(dialog, WM_COMMAND, IDC_USR_ADD_MEMBER, 0);
        HWND list = GetDlgItem(dialog, IDC_USR_MEMBERS);
        for (int i = 0; i < ItemCount(list); ++i) members.push_back(ListViewText(list, i, 0));
        Select(list, 1);
        EXPECT_TRUE(Enabled(dialog, IDC_USR_REMOVE_MEMBER));
        ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(ItemCount(list), 0) << "cleared after success";
        return IDCANCEL;
    };
    Command(ID_USR_NEW);
    EXPECT_EQ(members, (std::vector<std::wstring>{L"WS-KLEE07\\zo\u00eb", L"WS-KLEE07\\Buchhaltung"}));
    const auto request = RequestXml(host_.LastRequest(wire::kCreateGroupCommand), wire::kGroupNode);
    EXPECT_EQ(Text(*request, "Name"), u"Projekt \u00c4");
    ASSERT_EQ(request->GetChildCount(), 2);
    EXPECT_EQ(request->GetChild(0)->Name(), "User");
    EXPECT_EQ(Text(*request->GetChild(0), "Name"), u"WS-KLEE07\\zo\u00eb");
    EXPECT_GE(FindItem(groups_, L"Projekt \u00c4"), 0);
    EXPECT_EQ(host_.BusyDepth(), 0);
    EXPECT_EQ(host_.BeginBusyCalls(), host_.EndBusyCalls());
}

// ---- property sheets ---------------------------------------------------------------------------------------

// Properties read in pages of two groups or members.
class UsersSheetTest : public UsersTest {
protected:
    UsersSheetTest() : UsersTest(Config(2)) {}

    static HWND Page(HWND sheet, int index) {
        ::SendMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
        return reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    }
    static bool Checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }
    static std::vector<std::wstring> Names(HWND list) {
        std::vector<std::wstring> names;
        for (int i = 0; i < ItemCount(list); ++i) names.push_back(ListViewText(list, i, 0));
        return names;
    }
    void OpenProperties(HWND list, const std::wstring& name) {
        Select(list, FindItem(list, name));
        Command(ID_USR_PROPERTIES);
        WaitIdle();
    }
    size_t Sheets() const { return sheets_; }
};

TEST_F(UsersSheetTest, AUsersPagesShowEveryFieldAndTheWriteKeepsTheFlagBitsThePageDoesNotShow) {
    ActivateAndWait();
    std::wstring caption, name, fullName, localPath, drive, networkPath;
    bool locked = true, lockedEnabled = true, connect = false, localEnabled = true;
    std::vector<std::wstring> memberOf;
    drive_ = [&](HWND sheet) {
        caption = WindowText(sheet);
        HWND general = Page(sheet, 0);
        name = WindowText(GetDlgItem(general, IDC_USR_NAME));
        fullName = WindowText(GetDlgItem(general, IDC_USR_FULL_NAME));
        locked = Checked(general, IDC_USR_LOCKED_OUT);
        lockedEnabled = Enabled(general, IDC_USR_LOCKED_OUT);
        SetDlgItemTextW(general, IDC_USR_FULL_NAME, L"J\u00fcrgen M.");
        Click(general, IDC_USR_DISABLED);
        HWND memberPage = Page(sheet, 1);
        HWND list = GetDlgItem(memberPage, IDC_USR_MEMBERS);
        memberOf = Names(list);
        EXPECT_FALSE(Enabled(memberPage, IDC_USR_REMOVE_GROUP)) << "nothing selected";
        Select(list, FindItem(list, L"Users"));
        EXPECT_TRUE(Enabled(memberPage, IDC_USR_REMOVE_GROUP));
        ::SendMessageW(memberPage, WM_COMMAND, IDC_USR_REMOVE_GROUP, 0);
        HWND profile = Page(sheet, 2);
        connect = Checked(profile, IDC_USR_CONNECT);
        localEnabled = Enabled(profile, IDC_USR_LOCAL_PATH_TEXT);
        drive = WindowText(GetDlgItem(profile, IDC_USR_DRIVE));
        networkPath = WindowText(GetDlgItem(profile, IDC_USR_NETWORK_PATH));
        return IDOK;
    };
    OpenProperties(users_, L"jmassmann");
    EXPECT_EQ(StartsOf(wire::kReadUserCommand, wire::kUserNode), (std::vector<int32_t>{-1, 2})) << "UpTo + 1";
    EXPECT_EQ(caption, L"jmassmann Properties");
    EXPECT_EQ(name, L"jmassmann");
    EXPECT_EQ(fullName, L"J\u00fcrgen Ma\u00dfmann");
    EXPECT_FALSE(locked);
    EXPECT_FALSE(lockedEnabled) << "only a locked account can be unlocked";
    EXPECT_EQ(memberOf, (std::vector<std::wstring>{L"Administrators", L"Users", L"Buchhaltung"})) << "both pages";
    EXPECT_TRUE(connect);
    EXPECT_FALSE(localEnabled);
    EXPECT_EQ(drive, L"H:");
    EXPECT_EQ(networkPath, L"\\\\fs01\\home\\jmassmann");

    const Message* write = host_.LastRequest(wire::kWriteUserCommand);
    ASSERT_NE(write, nullptr);
    EXPECT_EQ(DecodeUtf16Base64(write->Root().Find(wire::kNameNode)->Text()), u"jmassmann");
    EXPECT_FALSE(write->Root().Find(wire::kRowIdNode)->Text().empty());
    const auto root = RequestXml(write, wire::kUserNode);
    ASSERT_EQ(root->GetChildCount(), 1);
    const CXmlElement& values = *root->GetChild(0);
    EXPECT_STREQ(values.GetAttribute("Flags"), "515") << "0x0201 read, the script bit kept, disabled added";
    EXPECT_EQ(Text(values, "FullName"), u"J\u00fcrgen M.");
    EXPECT_EQ(Text(values, "HomeDrive"), u"H:");
    EXPECT_EQ(Text(values, "HomeDriveUNC"), u"\\\\fs01\\home\\jmassmann");
    ASSERT_EQ(values.GetChildCount(), 2);
    EXPECT_EQ(Text(*values.GetChild(0), "Name"), u"Administrators");
    EXPECT_EQ(Text(*values.GetChild(1), "Name"), u"Buchhaltung");
    const int row = FindItem(users_, L"jmassmann");
    EXPECT_EQ(ListViewText(users_, row, 1), L"J\u00fcrgen M.");
    EXPECT_EQ(Image(users_, row), 1) << "now disabled";
    EXPECT_EQ(host_.BusyDepth(), 0);
}

TEST_F(UsersSheetTest, ALockedOutAccountCanBeUnlockedAndAPageNeverOpenedKeepsWhatWasRead) {
    ActivateAndWait();
    bool locked = false, lockedEnabled = false;
    drive_ = [&](HWND sheet) {
        HWND general = Page(sheet, 0);
        locked = Checked(general, IDC_USR_LOCKED_OUT);
        lockedEnabled = Enabled(general, IDC_USR_LOCKED_OUT);
        Click(general, IDC_USR_LOCKED_OUT);
        return IDOK;
    };
    OpenProperties(users_, L"\u0142ukasz.w");
    EXPECT_TRUE(locked && lockedEnabled);
    const auto root = RequestXml(host_.LastRequest(wire::kWriteUserCommand), wire::kUserNode);
    const CXmlElement& values = *root->GetChild(0);
    EXPECT_STREQ(values.GetAttribute("Flags"), "513");
    EXPECT_EQ(values.GetChildCount(), 2) << "the membership as read, though its page was never opened";
    EXPECT_EQ(Image(users_, FindItem(users_, L"\u0142ukasz.w")), 0);
}

TEST_F(UsersSheetTest, PropertiesAfterAFailedOrUnreadablePageDoNotOpenForEditing) {
    ActivateAndWait();
    drive_ = [&](HWND) { return IDOK; };
    remote::Fault fault;
    fault.errorText = u"Die Gruppenliste ist nicht lesbar.";
    fault.skip = 1;
    fault.times = 1;
    machine_.InjectFault(wire::kReadUserCommand, fault);
    OpenProperties(users_, L"jmassmann");
    remote::Fault garbage;
    garbage.kind = remote::FaultKind::Garbage;
    garbage.skip = 1;
    garbage.times = 1;
    machine_.InjectFault(wire::kReadUserCommand, garbage);
    OpenProperties(users_, L"jmassmann");
    EXPECT_EQ(Sheets(), 0u);
    EXPECT_EQ(host_.CountRequests(wire::kWriteUserCommand), 0u) << "nothing that could drop memberships";
    EXPECT_EQ(Boxes(), (std::vector<std::wstring>{L"Die Gruppenliste ist nicht lesbar.",
                                                   L"The managed machine sent an answer that could not be read."}));
    EXPECT_EQ(host_.StatusText(1), L"Failed");
    // Read completely, it opens.
    OpenProperties(users_, L"jmassmann");
    EXPECT_EQ(Sheets(), 1u);
}

TEST_F(UsersSheetTest, PropertiesAskedTwiceWhileTheReadIsOutReadOnce) {
    ActivateAndWait();
    AnswerFromMachine(80);
    drive_ = [&](HWND) { return IDCANCEL; };
    Select(users_, FindItem(users_, L"jmassmann"));
    Command(ID_USR_PROPERTIES);
    Command(ID_USR_PROPERTIES);
    EXPECT_EQ(host_.CountRequests(wire::kReadUserCommand), 1u);
    WaitIdle();
    EXPECT_EQ(Sheets(), 1u);
    EXPECT_EQ(host_.CountRequests(wire::kWriteUserCommand), 0u) << "Cancel writes nothing";
}

TEST_F(UsersSheetTest, AGroupsMembersComeInPagesAndTheWriteSendsTheWholeNewList) {
    ActivateAndWait();
    ShowTab(1);
    WaitIdle();
    std::vector<std::wstring> members;
    std::wstring description;
    drive_ = [&](HWND sheet) {
        HWND page = Page(sheet, 0);
        description = WindowText(GetDlgItem(page, IDC_USR_DESCRIPTION));
        HWND list = GetDlgItem(page, IDC_USR_MEMBERS);
        members = Names(list);
        Select(list, FindItem(list, L"NORDWERK\\Au\u00dfendienst"));
        ::SendMessageW(page, WM_COMMAND, IDC_USR_REMOVE_MEMBER, 0);
        ::SendMessageW(page, WM_COMMAND, IDC_USR_ADD_MEMBER, 0);  // the picker adds tmp
        SetDlgItemTextW(page, IDC_USR_DESCRIPTION, L"Jeder");
        return IDOK;
    };
    drive = [&](HWND dialog, const CapturedDialog& captured) -> int {
        if (IsPropertySheet(dialog)) return DriveSheetLater(dialog);
        if (captured.caption != L"Select Users") return 0;
        HWND accounts = GetDlgItem(dialog, IDC_PICKER_ACCOUNTS);
        EXPECT_TRUE(host_.PumpUntil([&] { return host_.BusyDepth() == 0 && FindItem(accounts, L"tmp") >= 0; }));
        Select(accounts, FindItem(accounts, L"tmp"));
        ::SendMessageW(dialog, WM_COMMAND, IDC_PICKER_ADD, 0);
        return IDOK;
    };
    OpenProperties(groups_, L"Alle Mitarbeiter");
    EXPECT_EQ(description, L"Jeder, der hier arbeitet");
    EXPECT_EQ(members, (std::vector<std::wstring>{L"WS-KLEE07\\Buchhaltung", L"WS-KLEE07\\Entwicklung S\u00fcd",
                                                  L"WS-KLEE07\\\u03b5\u03bb\u03ad\u03bd\u03b7", L"NORDWERK\\Au\u00dfendienst"}));
    EXPECT_EQ(StartsOf(wire::kReadGroupCommand, wire::kGroupNode), (std::vector<int32_t>{-1, 2}));
    const auto root = RequestXml(host_.LastRequest(wire::kWriteGroupCommand), wire::kGroupNode);
    ASSERT_EQ(root->GetChildCount(), 1);
    const CXmlElement& values = *root->GetChild(0);
    EXPECT_EQ(Text(values, "Description"), u"Jeder");
    ASSERT_EQ(values.GetChildCount(), 4);
    EXPECT_EQ(values.GetChild(0)->Name(), "GroupMember");
    EXPECT_STREQ(values.GetChild(0)->GetAttribute("SidUseName"), "4");
    EXPECT_EQ(Text(*values.GetChild(3), "Name"), u"WS-KLEE07\\tmp");
    EXPECT_STREQ(values.GetChild(3)->GetAttribute("SidUseName"), "1");
    EXPECT_EQ(ListViewText(groups_, FindItem(groups_, L"Alle Mitarbeiter"), 1), L"Jeder");
    EXPECT_EQ(host_.BusyDepth(), 0);
    EXPECT_TRUE(Boxes().empty());
}
}  // namespace
}  // namespace vantrel::test
