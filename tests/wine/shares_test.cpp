// Shared Folders through its real windows, against the simulated machine and
// against answers spoiled on purpose.
#include "framework/FrameworkIds.h"
#include "framework/model/Answer.h"
#include "framework/text/Base64.h"
#include "framework/xml/Xml.h"
#include "remote/RemoteMachine.h"
#include "snapins/shares/SharesIds.h"
#include "snapins/shares/model/Protocol.h"
#include "tests/host/LocalFiles.h"
#include "tests/host/ToolTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

namespace vantrel::test {
namespace {

namespace wire = shares::protocol;
constexpr int kSharesTab = 0, kSessionsTab = 1, kFilesTab = 2;

std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

// The XML element a request carried.
std::unique_ptr<CXmlElement> Sent(const Message* request, const char* node) {
    auto element = std::make_unique<CXmlElement>();
    const auto* field = request ? request->Root().Find(node) : nullptr;
    if (field) ParseAnswer(field->Text(), *element);
    return element;
}
std::wstring SentText(const Message* request, const char* node, const char* attribute) {
    return Wide(ReadText(*Sent(request, node), attribute));
}

std::wstring ControlText(HWND dialog, int id) {
    wchar_t text[512] = {};
    GetDlgItemTextW(dialog, id, text, 512);
    return text;
}
void Click(HWND dialog, int id) { ::SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
// A window's own style says whether it shows: the test frame itself never does.
bool Shown(HWND dialog, int id) { return (GetWindowLongW(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0; }

class SharesTest : public ToolTest {
protected:
    explicit SharesTest(remote::MachineConfig config = Small()) : ToolTest(wire::kSnapInId, config) {}

    static remote::MachineConfig Small() {
        remote::MachineConfig config;
        config.pageSize = 7;
        return config;
    }

    void SetUp() override {
        ToolTest::SetUp();
        HWND dialog = GetDlgItem(snapIn_->GetWindow(), IDD_SHR_MAIN);
        tabs_ = GetDlgItem(dialog, IDC_SHR_TABS);
        shares_ = GetDlgItem(dialog, IDC_SHR_SHARES);
        sessions_ = GetDlgItem(dialog, IDC_SHR_SESSIONS);
        files_ = GetDlgItem(dialog, IDC_SHR_FILES);
        ASSERT_TRUE(tabs_ && shares_ && sessions_ && files_);
        host_.OnDialog([this](HWND dialog, const CapturedDialog& captured) {
            if (captured.isMessageBox) return captured.buttons.size() == 2 ? IDYES : IDOK;
            return drive_ ? drive_(dialog) : IDCANCEL;
        });
    }

    void ShowTab(int tab) { ChooseTab(tabs_, tab); }
    // Pumps inside a dialog until the condition holds.
    bool PumpUntil(const std::function<bool()>& condition) { return host_.PumpUntil(condition, 3000); }

    HWND tabs_ = nullptr, shares_ = nullptr, sessions_ = nullptr, files_ = nullptr;
    std::function<int(HWND)> drive_;
};

TEST_F(SharesTest, ShowsTheThreeListsWithTheirColumnsAndTexts) {
    ActivateAndWait();
    EXPECT_EQ(ItemCount(shares_), 25);
    EXPECT_EQ(ItemCount(sessions_), 40);
    EXPECT_EQ(ItemCount(files_), 300);
    EXPECT_EQ(TabText(tabs_, 2), L"  Open Files");
    EXPECT_EQ(ListViewText(shares_, FindItem(shares_, L"ADMIN$"), 2), L"Hidden Resource");
    EXPECT_EQ(ListViewText(shares_, FindItem(shares_, L"HP LaserJet 4250 (2. OG)"), 2), L"Print queue");
    EXPECT_EQ(ListViewText(shares_, FindItem(shares_, L"Проекты"), 1), L"D:\\Проекты");
    // The first session has been connected for 90061 seconds; the second is a guest.
    EXPECT_EQ(ListViewText(sessions_, 0, 5), L"25:01:01");
    EXPECT_EQ(ListViewText(sessions_, 1, 7), L"Yes");
    EXPECT_EQ(ListViewText(sessions_, 0, 7), L"No");
    EXPECT_EQ(ListViewText(files_, 0, 3), L"");  // mode 0
    for (const std::wstring& mode : Column(files_, 3))
        EXPECT_TRUE(mode.empty() || mode.starts_with(L"Read") || mode.starts_with(L"Write") || mode == L"Create");
    // By type text: "Comm device" < "Disk drive" < "Hidden Resource" < "Print queue".
    ClickHeader(shares_, 2);
    const auto types = Column(shares_, 2);
    EXPECT_TRUE(std::is_sorted(types.begin(), types.end()));
    EXPECT_EQ(types.front(), L"Comm device");
    ClickHeader(shares_, 3);
    const auto connections = Column(shares_, 3);
    EXPECT_TRUE(std::is_sorted(connections.begin(), connections.end(),
                               [](const std::wstring& a, const std::wstring& b) { return std::stoi(a) < std::stoi(b); }));
    ExpectIdleAndPaired();
}

TEST_F(SharesTest, CommandsFollowTheTabTheSelectionAndTheChain) {
    host_.AnswerWith({});  // nothing answers: the chain stays under way
    host_.Activate(snapIn_);
    host_.PumpFor(5);
    EXPECT_FALSE(MenuEnabled(ID_SHR_REFRESH));
    Command(ID_SHR_REFRESH);
    EXPECT_EQ(host_.CountRequests(wire::kSharesCommand), 1u) << "refresh while busy does nothing";
    host_.AnswerWith([this](const Message& request) { return machine_.Answer(request); }, 1);
    host_.Deliver(machine_.Answer(*host_.LastRequest(wire::kSharesCommand)));
    WaitIdle();
    EXPECT_TRUE(MenuEnabled(ID_SHR_REFRESH) && MenuEnabled(ID_SHR_ADD));
    EXPECT_FALSE(MenuEnabled(ID_SHR_REMOVE) || MenuEnabled(ID_SHR_PROPERTIES));
    Select(shares_, 3);
    EXPECT_TRUE(MenuEnabled(ID_SHR_REMOVE) && MenuEnabled(ID_SHR_PROPERTIES));
    EXPECT_TRUE(ButtonEnabled(ID_SHR_PROPERTIES));
    ShowTab(kSessionsTab);
    EXPECT_FALSE(MenuEnabled(ID_SHR_ADD) || MenuEnabled(ID_SHR_REMOVE) || MenuEnabled(ID_SHR_PROPERTIES));
    // A second refresh replaces the stores: a first page echoing "StartAt" 0 does not double them.
    Command(ID_SHR_REFRESH);
    WaitIdle();
    EXPECT_EQ(ItemCount(shares_), 25);
    EXPECT_EQ(ItemCount(files_), 300);
    ExpectIdleAndPaired();
}

TEST_F(SharesTest, AFailureInTheChainKeepsWhatArrived) {
    remote::Fault failure;
    failure.errorText = u"Der Serverdienst antwortet nicht.";
    machine_.InjectFault(wire::kFilesCommand, failure);
    ActivateAndWait();
    EXPECT_EQ(ItemCount(shares_), 25);
    EXPECT_EQ(ItemCount(sessions_), 40);
    EXPECT_EQ(ItemCount(files_), 0);
    EXPECT_EQ(Boxes(), std::vector<std::wstring>{L"Der Serverdienst antwortet nicht."});
    EXPECT_EQ(host_.StatusText(1), L"Failed");

    machine_.ClearFaults();
    remote::Fault garbage;
    garbage.kind = remote::FaultKind::Garbage;
    garbage.skip = 2;  // the third page
    machine_.InjectFault(wire::kSessionsCommand, garbage);
    Command(ID_SHR_REFRESH);
    WaitIdle();
    EXPECT_EQ(ItemCount(shares_), 25);
    EXPECT_EQ(ItemCount(sessions_), 14) << "the pages before the broken one stay";
    EXPECT_EQ(host_.CountRequests(wire::kFilesCommand), 1u) << "the chain stopped";
    ExpectIdleAndPaired();
}

TEST_F(SharesTest, APageWithAnEmptyTextEndsTheChainAsFailed) {
    host_.AnswerWith(
        [this](const Message& request) {
            auto answer = machine_.Answer(request);
            if (request.Command() == wire::kSessionsCommand) answer->Root().ChildNode(wire::kSessionsNode).SetText("");
            return answer;
        },
        1);
    ActivateAndWait();
    EXPECT_EQ(ItemCount(shares_), 25);
    EXPECT_EQ(ItemCount(sessions_), 0);
    EXPECT_EQ(host_.CountRequests(wire::kFilesCommand), 0u);
    EXPECT_EQ(host_.StatusText(1), L"Failed");
    EXPECT_EQ(Boxes().size(), 1u);
    ExpectIdleAndPaired();
}

TEST_F(SharesTest, PagesThatMakeNoSenseEndTheChain) {
    for (remote::FaultKind kind : {remote::FaultKind::StuckPage, remote::FaultKind::HugeTotal,
                                   remote::FaultKind::HostileNumbers}) {
        machine_.ClearFaults();
        remote::Fault fault;
        fault.kind = kind;
        machine_.InjectFault(wire::kSharesCommand, fault);
        machine_.InjectFault(wire::kSessionsCommand, fault);
        host_.ClearRequests();
        if (kind == remote::FaultKind::StuckPage)
            ActivateAndWait();
        else
            Command(ID_SHR_REFRESH), WaitIdle();
        EXPECT_LE(host_.CountRequests(wire::kSharesCommand), 5u);
        EXPECT_LE(ItemCount(shares_), 25);
        EXPECT_EQ(host_.BusyDepth(), 0);
    }
    EXPECT_EQ(ListViewText(shares_, 0, 3), L"0") << "a negative count reads as 0";
    // An answer nobody asked for is released and changes nothing.
    host_.Deliver(machine_.Answer(*host_.LastRequest(wire::kFilesCommand)));
    host_.PumpFor(20);
    EXPECT_EQ(ItemCount(files_), 300);
    ExpectIdleAndPaired();
}

TEST_F(SharesTest, RemoveSendsTheSelectedElementOfEachTab) {
    ActivateAndWait();
    Select(shares_, FindItem(shares_, L"Backup"));
    Command(ID_SHR_REMOVE);
    WaitIdle();
    ASSERT_FALSE(host_.Dialogs().empty());
    EXPECT_EQ(host_.Dialogs()[0].caption, L"Shared Folders");
    EXPECT_EQ(host_.Dialogs()[0].text, L"Delete this item?");
    EXPECT_EQ(SentText(host_.LastRequest(wire::kDeleteShareCommand), wire::kShareNode, wire::kAttrName), L"Backup");
    EXPECT_EQ(FindItem(shares_, L"Backup"), -1) << "refreshed after the success";

    ShowTab(kSessionsTab);
    const std::wstring computer = ListViewText(sessions_, 2, 1);
    Select(sessions_, 2);
    Command(ID_SHR_REMOVE);
    WaitIdle();
    EXPECT_EQ(SentText(host_.LastRequest(wire::kCloseSessionCommand), wire::kSessionNode, wire::kAttrComputer), computer);
    EXPECT_EQ(ItemCount(sessions_), 39);
    EXPECT_LT(ItemCount(files_), 300) << "its files closed with it";

    ShowTab(kFilesTab);
    const int files = ItemCount(files_);
    const std::wstring path = ListViewText(files_, 4, 0);
    Select(files_, 4);
    Command(ID_SHR_REMOVE);
    WaitIdle();
    EXPECT_EQ(SentText(host_.LastRequest(wire::kCloseFileCommand), wire::kFileNode, wire::kAttrName), path);
    EXPECT_EQ(ItemCount(files_), files - 1);

    // No is no.
    drive_ = nullptr;
    host_.OnDialog([](HWND, const CapturedDialog&) { return IDNO; });
    Select(files_, 0);
    Command(ID_SHR_REMOVE);
    EXPECT_EQ(host_.CountRequests(wire::kCloseFileCommand), 1u);
    ExpectIdleAndPaired();
}

TEST_F(SharesTest, WizardChecksTheFolderSuggestsTheNameAndSendsTheShare) {
    ActivateAndWait();
    std::wstring suggested, stepAfterMissingFolder;
    drive_ = [&](HWND wizard) {
        SetDlgItemTextW(wizard, IDC_SHR_PATH, L"D:\\Nirgends");
        Click(wizard, IDC_SHR_NEXT);
        PumpUntil([&] { return IsWindowEnabled(GetDlgItem(wizard, IDC_SHR_NEXT)) != 0; });
        stepAfterMissingFolder = ControlText(wizard, IDC_SHR_STEP_TITLE);
        SetDlgItemTextW(wizard, IDC_SHR_PATH, L"D:\\Archiv\\2023");
        suggested = ControlText(wizard, IDC_SHR_NAME);
        SetDlgItemTextW(wizard, IDC_SHR_DESCRIPTION, L"Jahresarchiv <2023>");
        Click(wizard, IDC_SHR_NEXT);
        PumpUntil([&] { return Shown(wizard, IDC_SHR_LIMIT_MAX); });
        Click(wizard, IDC_SHR_LIMIT_COUNT);
        SetDlgItemTextW(wizard, IDC_SHR_USERS, L"7");
        Click(wizard, IDC_SHR_NEXT);
        Click(wizard, IDC_SHR_FULL);
        Click(wizard, IDC_SHR_FINISH);
        return 0;
    };
    Command(ID_SHR_ADD);
    WaitIdle();
    EXPECT_EQ(stepAfterMissingFolder, L"Which folder do you want to share, and under what name?");
    ASSERT_GE(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0], L"The folder D:\\Nirgends cannot be shared: The system cannot find the path specified.");
    EXPECT_EQ(suggested, L"2023");
    EXPECT_EQ(host_.CountRequests(wire::kFileExistsCommand), 2u);
    const auto share = Sent(host_.LastRequest(wire::kAddShareCommand), wire::kShareNode);
    EXPECT_EQ(Wide(ReadText(*share, wire::kAttrName)), L"2023");
    EXPECT_EQ(Wide(ReadText(*share, wire::kAttrFolderPath)), L"D:\\Archiv\\2023");
    EXPECT_EQ(Wide(ReadText(*share, wire::kAttrDescription)), L"Jahresarchiv <2023>");
    EXPECT_EQ(ReadInt64(*share, wire::kAttrMaxUsers), 7);
    EXPECT_EQ(ReadInt64(*share, wire::kAttrAccess), wire::kAccessFull);
    EXPECT_GE(FindItem(shares_, L"2023"), 0) << "the new share is listed";
    ExpectIdleAndPaired();
}

TEST_F(SharesTest, AFolderCheckAnsweredAfterTheWizardClosedEndsQuietly) {
    ActivateAndWait();
    host_.AnswerWith({});
    drive_ = [&](HWND wizard) {
        SetDlgItemTextW(wizard, IDC_SHR_PATH, L"E:\\Images");
        Click(wizard, IDC_SHR_NEXT);
        return IDCANCEL;  // closes while the check is on its way
    };
    Command(ID_SHR_ADD);
    host_.PumpFor(20);
    EXPECT_EQ(host_.BusyDepth(), 1) << "the check holds the busy state it began";
    const size_t boxes = Boxes().size();
    host_.Deliver(machine_.Answer(*host_.LastRequest(wire::kFileExistsCommand)));
    host_.PumpFor(20);
    EXPECT_EQ(Boxes().size(), boxes);
    EXPECT_EQ(host_.StatusText(1), L"Canceled");
    ExpectIdleAndPaired();
}

TEST_F(SharesTest, PropertyDialogShowsTheShareAndAppliesChanges) {
    ActivateAndWait();
    std::wstring caption, name, path;
    drive_ = [&](HWND dialog) {
        wchar_t text[128] = {};
        GetWindowTextW(dialog, text, 128);
        caption = text;
        name = ControlText(dialog, IDC_SHR_NAME);
        path = ControlText(dialog, IDC_SHR_PATH);
        SetDlgItemTextW(dialog, IDC_SHR_DESCRIPTION, L"Sicherungen");
        Click(dialog, IDC_SHR_APPLY);
        return IDCANCEL;
    };
    Select(shares_, FindItem(shares_, L"Öffentlich"));
    Command(ID_SHR_PROPERTIES);
    WaitIdle();
    EXPECT_EQ(caption, L"Öffentlich Properties");
    EXPECT_EQ(name, L"Öffentlich");
    EXPECT_EQ(path, L"D:\\Öffentlich");
    const auto share = Sent(host_.LastRequest(wire::kChangeShareCommand), wire::kShareNode);
    EXPECT_EQ(Wide(ReadText(*share, wire::kAttrName)), L"Öffentlich");
    EXPECT_EQ(Wide(ReadText(*share, wire::kAttrDescription)), L"Sicherungen");
    EXPECT_EQ(ListViewText(shares_, FindItem(shares_, L"Öffentlich"), 4), L"Sicherungen");
    ExpectIdleAndPaired();
}

TEST_F(SharesTest, AnswersTwiceOrAfterTheWindowHasGoneChangeNothing) {
    ActivateAndWait();
    // The same page again: nobody asked for it.
    const Message* lastShares = host_.LastRequest(wire::kSharesCommand);
    host_.Deliver(machine_.Answer(*lastShares));
    host_.Deliver(machine_.Answer(*lastShares));
    host_.PumpFor(20);
    EXPECT_EQ(ItemCount(shares_), 25);
    // The window goes while the chain runs: the pages end it quietly.
    host_.AnswerWith([this](const Message& request) { return machine_.Answer(request); }, 30);
    Command(ID_SHR_REFRESH);
    DestroyWindow(snapIn_->GetWindow());
    ASSERT_TRUE(host_.PumpUntil([this] { return host_.PendingAnswers() == 0; }));
    EXPECT_TRUE(Boxes().empty());
    ExpectIdleAndPaired();
    snapIn_->Deactivate();
}

class ShareLevelTest : public SharesTest {
protected:
    static remote::MachineConfig ShareLevel() {
        remote::MachineConfig config = Small();
        config.shares.shareLevel = true;
        return config;
    }
    ShareLevelTest() : SharesTest(ShareLevel()) {}
};

TEST_F(ShareLevelTest, WithoutAccountsTheWizardAsksForPasswords) {
    snapIn_->QuerySupported();  // its answer carries the machine's kind of security
    ActivateAndWait();
    ASSERT_EQ(host_.Supported(), std::vector<int32_t>{wire::kSnapInId});
    bool accountsShown = true, passwordShown = false;
    std::wstring refusal;
    drive_ = [&](HWND wizard) {
        SetDlgItemTextW(wizard, IDC_SHR_PATH, L"E:\\Images");
        Click(wizard, IDC_SHR_NEXT);
        PumpUntil([&] { return Shown(wizard, IDC_SHR_LIMIT_MAX); });
        Click(wizard, IDC_SHR_NEXT);
        accountsShown = Shown(wizard, IDC_SHR_ACCOUNTS);
        passwordShown = Shown(wizard, IDC_SHR_RW_PASS);
        Click(wizard, IDC_SHR_BY_PASSWORD);
        Click(wizard, IDC_SHR_FINISH);  // no password yet: refused
        refusal = Boxes().empty() ? L"" : Boxes().back();
        SetDlgItemTextW(wizard, IDC_SHR_RO_PASS, L"lesen");
        SetDlgItemTextW(wizard, IDC_SHR_RW_PASS, L"schreib");
        Click(wizard, IDC_SHR_FINISH);
        return 0;
    };
    Command(ID_SHR_ADD);
    WaitIdle();
    EXPECT_FALSE(accountsShown);
    EXPECT_TRUE(passwordShown);
    EXPECT_EQ(refusal, L"Type a password for full access.");
    EXPECT_EQ(host_.CountRequests(wire::kAddShareCommand), 1u);
    const auto share = Sent(host_.LastRequest(wire::kAddShareCommand), wire::kShareNode);
    EXPECT_EQ(Wide(ReadText(*share, wire::kAttrName)), L"Images");
    EXPECT_EQ(ReadInt64(*share, wire::kAttrAccess), wire::kAccessByPassword);
    EXPECT_EQ(Wide(ReadText(*share, wire::kAttrRwPass)), L"schreib");
    EXPECT_EQ(Wide(ReadText(*share, wire::kAttrRoPass)), L"lesen");
    ExpectIdleAndPaired();
}

TEST_F(SharesTest, ViewSettingsSurviveARestart) {
    TemporaryFolder folder("shares-view");
    const auto file = folder.Path() / "settings.txt";
    host_.SetSettingsFile(file);
    ActivateAndWait();
    ClickHeader(sessions_, 4);
    snapIn_->Deactivate();
    TestHost restarted;
    restarted.SetSettingsFile(file);
    restarted.AnswerWith([this](const Message& request) { return machine_.Answer(request); }, 1);
    ISnapIn* again = restarted.Open(wire::kSnapInId);
    restarted.Activate(again);
    ASSERT_TRUE(restarted.PumpUntil([&] { return restarted.BusyDepth() == 0 && restarted.PendingAnswers() == 0; }));
    HWND sessions = GetDlgItem(GetDlgItem(again->GetWindow(), IDD_SHR_MAIN), IDC_SHR_SESSIONS);
    const auto opens = Column(sessions, 4);
    EXPECT_TRUE(std::is_sorted(opens.begin(), opens.end(),
                               [](const std::wstring& a, const std::wstring& b) { return std::stoi(a) < std::stoi(b); }));
}

}  // namespace
}  // namespace vantrel::test
