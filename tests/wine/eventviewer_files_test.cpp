// The Event Viewer's dialogs through their real windows: the event properties
// with the description and data that 308 brings, the log properties with the
// filter and favourites, and Save, Open and Clear with the managed machine's
// files, including answers that try to write where the user did not choose.
#include "framework/model/Answer.h"
#include "framework/text/Base64.h"
#include "remote/eventviewer/EventFileStore.h"
#include "remote/eventviewer/EventLogData.h"
#include "snapins/eventviewer/EventViewerIds.h"
#include "snapins/eventviewer/model/Protocol.h"
#include "tests/host/LocalFiles.h"
#include "tests/host/ToolTest.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

namespace vantrel::test {
namespace {

namespace wire = eventviewer::protocol;
namespace fs = std::filesystem;
constexpr int kListIds[] = {IDC_ELS_APPLICATION_LIST, IDC_ELS_SECURITY_LIST, IDC_ELS_SYSTEM_LIST, IDC_ELS_FILES_LIST};

remote::MachineConfig SmallLogs() {
    remote::MachineConfig config;
    config.pageSize = 50;
    config.eventLogs.application = 120;
    config.eventLogs.security = 60;
    config.eventLogs.system = 40;
    config.eventLogs.indexPageSize = 100;
    return config;
}

// A page of a dialog: its child dialog that holds the control.
HWND PageWith(HWND dialog, int controlId) {
    for (HWND child = FindWindowExW(dialog, nullptr, L"#32770", nullptr); child;
         child = FindWindowExW(dialog, child, L"#32770", nullptr))
        if (GetDlgItem(child, controlId)) return child;
    return nullptr;
}

class EventViewerFilesTest : public ToolTest {
protected:
    EventViewerFilesTest() : ToolTest(wire::kSnapInId, SmallLogs()) {}

    void SetUp() override {
        ToolTest::SetUp();
        // Answers may be changed on their way, as a hostile machine would.
        host_.AnswerWith([this](const Message& request) {
            auto answer = machine_.Answer(request);
            if (answer && spoil_) spoil_(request, *answer);
            return answer;
        }, 1);
        dialog_ = GetDlgItem(snapIn_->GetWindow(), IDD_ELS_MAIN);
        snapIn_->QuerySupported();
        WaitIdle();
        // The modeless properties dialogs stay open when they show.
        host_.OnDialog([this](HWND dialog, const CapturedDialog& captured) {
            if (captured.caption == L"Event Properties" || captured.caption == L"Properties") return 0;
            return answerDialog_ ? answerDialog_(dialog, captured) : IDCANCEL;
        });
        ActivateAndWait();
    }

    HWND List(int log = 0) const { return GetDlgItem(dialog_, kListIds[log]); }
    void ChooseTab(int log) { ::SendMessageW(GetDlgItem(dialog_, IDC_ELS_TABS), TCM_SETCURFOCUS, static_cast<WPARAM>(log), 0); }
    void Hint(int first, int last, int log = 0) {
        CacheHint(List(log), first, last);
        WaitIdle();
    }
    static HWND ThreadWindow(const std::wstring& caption) {
        struct Search {
            std::wstring caption;
            HWND found = nullptr;
        } search{caption};
        EnumThreadWindows(GetCurrentThreadId(), [](HWND window, LPARAM data) -> BOOL {
            auto s = reinterpret_cast<Search*>(data);
            if (WindowText(window) == s->caption) s->found = window;
            return s->found == nullptr;
        }, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }
    static std::string Text(const Message& message, const char* node) {
        const host::MessageNode* field = message.Root().Find(node);
        return field ? field->Text() : "<none>";
    }
    static int32_t Long(const Message& message, const char* node) {
        const host::MessageNode* field = message.Root().Find(node);
        return field ? field->AsLong() : -1;
    }
    // The Save or Open dialog answered with a place and a path.
    void ChooseFile(bool host, const std::wstring& path, int logType = 0) {
        answerDialog_ = [=](HWND dialog, const CapturedDialog&) {
            CheckRadioButton(dialog, IDC_ELS_GUEST, IDC_ELS_HOST, host ? IDC_ELS_HOST : IDC_ELS_GUEST);
            SetDlgItemTextW(dialog, IDC_ELS_PATH, path.c_str());
            ::SendDlgItemMessageW(dialog, IDC_ELS_LOG_TYPE, CB_SETCURSEL, static_cast<WPARAM>(logType), 0);
            return IDOK;
        };
    }
    // The bytes of a saved log of the machine as it is now.
    std::vector<uint8_t> SavedLogBytes(int log) const {
        remote::EventFileStore store;
        store.SaveLog("x", {log, static_cast<uint32_t>(config_.EventCount(log)), config_.seed});
        return store.Read("x", 0, static_cast<size_t>(store.Size("x")));
    }
    HWND dialog_ = nullptr;
    TemporaryFolder folder_{"vantrel-events"};
    const fs::path temp_ = folder_.Path();
    std::function<void(const Message&, Message&)> spoil_;
    std::function<int(HWND, const CapturedDialog&)> answerDialog_;
};

// ---- event properties --------------------------------------------------------------------

TEST_F(EventViewerFilesTest, EventPropertiesShowTheRowStepAndSurviveAReload) {
    Hint(0, 5);
    Select(List(), 0);
    Command(ID_ELS_EVENT_PROPERTIES);
    WaitIdle();
    HWND properties = ThreadWindow(L"Event Properties");
    ASSERT_NE(properties, nullptr);
    ASSERT_TRUE(IsWindowVisible(properties));
    HWND page = PageWith(properties, IDC_ELS_UP);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(WindowText(GetDlgItem(page, IDC_ELS_TYPE_VALUE)), ListViewText(List(), 0, 0));
    EXPECT_EQ(WindowText(GetDlgItem(page, IDC_ELS_EVENT_ID_VALUE)), ListViewText(List(), 0, 5));
    EXPECT_EQ(WindowText(GetDlgItem(page, IDC_ELS_SOURCE_VALUE)), ListViewText(List(), 0, 3));

    ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_ELS_UP, BN_CLICKED), 0);
    EXPECT_EQ(::SendMessageW(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 0) << "UP on the first row";
    ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_ELS_DOWN, BN_CLICKED), 0);
    WaitIdle();
    EXPECT_EQ(::SendMessageW(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 1);
    EXPECT_EQ(WindowText(GetDlgItem(page, IDC_ELS_EVENT_ID_VALUE)), ListViewText(List(), 1, 5));

    // A reload deletes every record the dialog could have pointed at.
    const std::wstring shownId = WindowText(GetDlgItem(page, IDC_ELS_EVENT_ID_VALUE));
    Command(ID_ELS_REFRESH);
    WaitIdle();
    EXPECT_EQ(WindowText(GetDlgItem(page, IDC_ELS_EVENT_ID_VALUE)), shownId);
    ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_ELS_COPY, BN_CLICKED), 0);  // reads only the fields

    // A pending row (details asked, not come) opens nothing new.
    Select(List(), 50);
    host_.ClearRequests();
    Command(ID_ELS_EVENT_PROPERTIES);
    EXPECT_TRUE(RequestsOf(wire::kDescriptionCommand).empty());
    EXPECT_EQ(WindowText(GetDlgItem(page, IDC_ELS_EVENT_ID_VALUE)), shownId);
}

TEST_F(EventViewerFilesTest, TheDescriptionAndDataComeOnDemandAndShowAsDumps) {
    // Record numbers run newest first; every thirteenth comes without its description.
    const int count = config_.EventCount(0);
    int row = 0;
    while ((count - row) % 13 != 0) ++row;
    std::string data = Base64Encode("\x01\x02\x03\x04", 4);
    spoil_ = [&](const Message& request, Message& answer) {
        if (request.Command() != wire::kDescriptionCommand) return;
        answer.Root().ChildNode(wire::kDescriptionNode).SetText("a\n\nb");
        answer.Root().ChildNode(wire::kDataNode).SetText(data);
    };
    Hint(row, row);
    Select(List(), row);
    host_.ClearRequests();
    Command(ID_ELS_EVENT_PROPERTIES);
    WaitIdle();
    ASSERT_EQ(RequestsOf(wire::kDescriptionCommand).size(), 1u);
    EXPECT_EQ(static_cast<uint32_t>(Long(*RequestsOf(wire::kDescriptionCommand)[0], wire::kRecordNumberNode)),
              static_cast<uint32_t>(count - row));
    HWND page = PageWith(ThreadWindow(L"Event Properties"), IDC_ELS_UP);
    EXPECT_EQ(WindowText(GetDlgItem(page, IDC_ELS_DESCRIPTION)), L"a\r\n\r\nb");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_ELS_DATA)));
    EXPECT_EQ(WindowText(GetDlgItem(page, IDC_ELS_DATA)), L"0000: 01 02 03 04 " + std::wstring(12, L' ') + L"  ....\r\n");
    ::SendMessageW(GetDlgItem(page, IDC_ELS_WORDS), BM_CLICK, 0, 0);
    EXPECT_EQ(WindowText(GetDlgItem(page, IDC_ELS_DATA)), L"0000: 04030201 ");
    LOGFONTW font = {};
    GetObjectW(reinterpret_cast<HFONT>(::SendDlgItemMessageW(page, IDC_ELS_DATA, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_STREQ(font.lfFaceName, L"Fixedsys");

    // Shown again, it is not asked for again; without data the view is off.
    data.clear();
    Select(List(), row + 13);
    Hint(row + 13, row + 13);
    Command(ID_ELS_EVENT_PROPERTIES);
    WaitIdle();
    for (int id : {IDC_ELS_DATA_LABEL, IDC_ELS_BYTES, IDC_ELS_WORDS, IDC_ELS_DATA}) EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, id))) << id;
    EXPECT_EQ(WindowText(GetDlgItem(page, IDC_ELS_DATA)), L"");
    Select(List(), row);
    Command(ID_ELS_EVENT_PROPERTIES);
    WaitIdle();
    EXPECT_EQ(RequestsOf(wire::kDescriptionCommand).size(), 2u) << "the first record keeps what 308 brought";
    EXPECT_EQ(host_.StatusText(1), L"Success");
}

// ---- log properties, filter and favourites ------------------------------------------------

TEST_F(EventViewerFilesTest, LogPropertiesSendSizeAndRetentionOnlyWhenChanged) {
    Command(ID_ELS_LOG_PROPERTIES);
    HWND properties = ThreadWindow(L"Properties");
    ASSERT_TRUE(properties && IsWindowVisible(properties));
    HWND general = PageWith(properties, IDC_ELS_MAX_SIZE);
    const std::wstring size = WindowText(GetDlgItem(general, IDC_ELS_SIZE));
    const uint64_t bytes = uint64_t(config_.EventCount(0)) * 392 + 65536;
    EXPECT_EQ(size, std::to_wstring(bytes >> 10) + L" KB (" + std::to_wstring(bytes) + L" bytes)");
    host_.ClearRequests();
    ::SendMessageW(properties, WM_COMMAND, IDOK, 0);
    WaitIdle();
    EXPECT_TRUE(RequestsOf(wire::kSetPropertiesCommand).empty()) << "nothing the user touched is rewritten";

    Command(ID_ELS_LOG_PROPERTIES);
    ::SendDlgItemMessageW(general, IDC_ELS_MAX_SIZE_SPIN, UDM_SETPOS32, 0, 512);
    SetDlgItemTextW(general, IDC_ELS_MAX_SIZE, L"512");
    ::SendMessageW(GetDlgItem(general, IDC_ELS_OVERWRITE_OLDER), BM_CLICK, 0, 0);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(general, IDC_ELS_DAYS)));
    ::SendDlgItemMessageW(general, IDC_ELS_DAYS_SPIN, UDM_SETPOS32, 0, 7);
    ::SendMessageW(properties, WM_COMMAND, IDOK, 0);
    WaitIdle();
    ASSERT_EQ(RequestsOf(wire::kSetPropertiesCommand).size(), 1u);
    const Message& sent = *RequestsOf(wire::kSetPropertiesCommand)[0];
    EXPECT_EQ(Long(sent, wire::kMaxSizeNode), 524288);
    EXPECT_EQ(Long(sent, wire::kRetentionSecondsNode), 604800);
    EXPECT_EQ(host_.StatusText(1), L"Success");

    // The machine keeps them: the page shows them next time.
    Command(ID_ELS_REFRESH);
    WaitIdle();
    Command(ID_ELS_LOG_PROPERTIES);
    EXPECT_EQ(WindowText(GetDlgItem(general, IDC_ELS_MAX_SIZE)), L"512");
    EXPECT_EQ(IsDlgButtonChecked(general, IDC_ELS_OVERWRITE_OLDER), BST_CHECKED);
    ::SendMessageW(GetDlgItem(general, IDC_ELS_NEVER_OVERWRITE), BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(general, IDC_ELS_DAYS)));
    ::SendMessageW(properties, WM_COMMAND, IDOK, 0);
    WaitIdle();
    EXPECT_EQ(Long(*RequestsOf(wire::kSetPropertiesCommand).back(), wire::kRetentionSecondsNode), -1) << "4294967295";
}

TEST_F(EventViewerFilesTest, TheFilterReloadsTheLogAndAFavouriteIsKept) {
    Command(ID_ELS_LOG_PROPERTIES);
    HWND properties = ThreadWindow(L"Properties");
    HWND filter = PageWith(properties, IDC_ELS_FAVORITES);
    ASSERT_NE(filter, nullptr);
    EXPECT_GT(::SendDlgItemMessageW(filter, IDC_ELS_FILTER_SOURCE, CB_GETCOUNT, 0, 0), 1) << "(All) and the sources";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(filter, IDC_ELS_FROM_DATE))) << "First Event";
    for (int id : {IDC_ELS_INFORMATION, IDC_ELS_WARNING, IDC_ELS_FAILURE_AUDIT, IDC_ELS_SUCCESS_AUDIT})
        CheckDlgButton(filter, id, BST_UNCHECKED);
    host_.ClearRequests();
    ::SendMessageW(properties, WM_COMMAND, IDOK, 0);
    WaitIdle();
    ASSERT_FALSE(RequestsOf(wire::kIndexCommand).empty());
    const std::string sent = Text(*RequestsOf(wire::kIndexCommand)[0], wire::kFilterNode);
    EXPECT_NE(sent.find("Types='1'"), std::string::npos) << sent;
    EXPECT_EQ(RequestsOf(wire::kIndexCommand)[0]->Root().Find(wire::kRereadNode)->AsShort(), 0);
    const int shown = std::min(30, ItemCount(List()));
    ASSERT_GT(shown, 0);
    Hint(0, shown - 1);
    for (int row = 0; row < shown; ++row) EXPECT_EQ(ListViewText(List(), row, 0), L"Error") << row;

    Command(ID_ELS_LOG_PROPERTIES);
    answerDialog_ = [](HWND dialog, const CapturedDialog& captured) {
        if (captured.caption != L"Add Favorite") return IDCANCEL;
        SetDlgItemTextW(dialog, IDC_ELS_FAVORITE_NAME, L"Only errors");
        return IDOK;
    };
    ::SendMessageW(filter, WM_COMMAND, MAKEWPARAM(IDC_ELS_ADD_FAVORITE, BN_CLICKED), 0);
    ASSERT_EQ(::SendDlgItemMessageW(filter, IDC_ELS_FAVORITES, CB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(WindowText(GetDlgItem(filter, IDC_ELS_FAVORITES)), L"Only errors");
    ::SendMessageW(properties, WM_COMMAND, IDCANCEL, 0);
    snapIn_->Deactivate();
    ISettingsNode* stored = host_.GetSnapInSettings(wire::kSnapInId)->Items()->Find(L"FavoriteFilters");
    ASSERT_NE(stored, nullptr);
    std::wstring text;
    for (int i = 0; i < stored->Items()->Count(); ++i) text.push_back(static_cast<wchar_t>(stored->Items()->At(i)->GetValue()));
    EXPECT_NE(text.find(L"<Favorites><Filter "), std::wstring::npos) << text;
    EXPECT_NE(text.find(L"Types='1'"), std::wstring::npos);
    EXPECT_NE(text.find(L"Name='Only errors'"), std::wstring::npos);
}

// ---- Save -------------------------------------------------------------------------------

TEST_F(EventViewerFilesTest, SavingToTheConsoleCopiesTheMachinesFileByteForByteThenDiscardsIt) {
    SetEnvironmentVariableW(L"VANTREL_SAVE_DIR", temp_.wstring().c_str());
    ChooseFile(true, L"%VANTREL_SAVE_DIR%\\application.evt");
    Command(ID_ELS_SAVE);
    EXPECT_EQ(host_.StatusText(1), L"Copying...");
    WaitIdle();
    ASSERT_EQ(RequestsOf(wire::kSaveCommand).size(), 1u);
    EXPECT_EQ(Text(*RequestsOf(wire::kSaveCommand)[0], wire::kFileNameToNode), (temp_ / "application.evt").string());
    const std::vector<uint8_t> expected = SavedLogBytes(0);
    ASSERT_GT(expected.size(), 16000u) << "several chunks";
    EXPECT_EQ(RequestsOf(wire::kCopyCommand).size(), (expected.size() + 7999) / 8000);
    EXPECT_EQ(FileBytes(temp_ / "application.evt"), expected);
    EXPECT_EQ(FilesIn(temp_), 1u) << "no temporary file left";
    ASSERT_EQ(RequestsOf(wire::kDiscardCommand).size(), 1u);
    EXPECT_EQ(Text(*RequestsOf(wire::kDiscardCommand)[0], wire::kFileNameNode),
              Text(*RequestsOf(wire::kCopyCommand)[0], wire::kFileNameFromNode));
    EXPECT_EQ(host_.StatusText(1), L"Success");
}

TEST_F(EventViewerFilesTest, HostileCopyAnswersLeaveNoFileAndTheTargetUntouched) {
    const fs::path target = temp_ / "kept.evt";
    const fs::path elsewhere = temp_ / "elsewhere.evt";
    std::ofstream(target, std::ios::binary) << "what the user had";
    struct Case {
        const char* what;
        std::function<void(Message&, int)> spoil;
    } cases[] = {
        {"a gap", [](Message& a, int n) { if (n == 1) a.Root().ChildNode(wire::kPackageStartNode).SetLong(8001); }},
        {"an overlap", [](Message& a, int n) { if (n == 1) a.Root().ChildNode(wire::kPackageStartNode).SetLong(4000); }},
        {"a size that changes", [](Message& a, int n) { if (n == 1) a.Root().ChildNode(wire::kFileSizeNode).SetLong(1 << 30); }},
        {"a length beyond the data", [](Message& a, int n) { if (n == 1) a.Root().ChildNode(wire::kPackageUpToNode).SetLong(16001); }},
    };
    for (const Case& c : cases) {
        int copies = 0;
        spoil_ = [&](const Message& request, Message& answer) {
            if (request.Command() != wire::kCopyCommand) return;
            // Whatever the answer names and claims, it writes only where the user chose.
            answer.Root().ChildNode(wire::kFileNameToNode).SetText(elsewhere.string());
            answer.Root().ChildNode(wire::kEventTypeNode).SetShort(3);
            c.spoil(answer, copies++);
        };
        ChooseFile(true, target.wstring());
        host_.Dialogs().clear();
        Command(ID_ELS_SAVE);
        WaitIdle();
        EXPECT_EQ(host_.StatusText(1), L"Failed") << c.what;
        ASSERT_FALSE(host_.Dialogs().empty()) << c.what;
        EXPECT_TRUE(host_.Dialogs().back().isMessageBox) << c.what;
        EXPECT_EQ(FileBytes(target), std::vector<uint8_t>({'w', 'h', 'a', 't', ' ', 't', 'h', 'e', ' ', 'u', 's', 'e', 'r', ' ', 'h', 'a', 'd'})) << c.what;
        EXPECT_EQ(FilesIn(temp_), 1u) << c.what << ": the temporary file went";
        EXPECT_FALSE(fs::exists(elsewhere)) << c.what;
    }

    // An answer to a copy nobody started writes nothing.
    auto unasked = host_.MakeAnswer(wire::kSnapInId, wire::kCopyCommand);
    unasked->Root().ChildNode(kRetValueNode).SetShort(1);
    unasked->Root().ChildNode(wire::kFileNameToNode).SetText(elsewhere.string());
    unasked->Root().ChildNode(wire::kRetentionNode).SetShort(1);
    unasked->Root().ChildNode(wire::kPackageStartNode).SetLong(0);
    unasked->Root().ChildNode(wire::kPackageUpToNode).SetLong(3);
    unasked->Root().ChildNode(wire::kFileSizeNode).SetLong(3);
    unasked->Root().ChildNode(wire::kPackageNode).SetText(Base64Encode("abc", 3));
    const int releases = host_.Releases();
    host_.Deliver(std::move(unasked));
    host_.PumpFor(20);
    EXPECT_FALSE(fs::exists(elsewhere));
    EXPECT_EQ(host_.Releases(), releases + 1);
    EXPECT_EQ(host_.BusyDepth(), 0);
}

// ---- Clear ------------------------------------------------------------------------------

TEST_F(EventViewerFilesTest, ClearAsksNamingTheLogAndClearsOnlyAfterASuccessfulSave) {
    ChooseTab(1);
    WaitIdle();
    ASSERT_GT(ItemCount(List(1)), 0);
    // Yes, then the save fails: nothing is cleared.
    spoil_ = [](const Message& request, Message& answer) {
        if (request.Command() == wire::kSaveCommand) answer.Root().ChildNode(kRetValueNode).SetShort(0);
    };
    answerDialog_ = [](HWND dialog, const CapturedDialog& captured) {
        if (captured.isMessageBox && captured.text.find(L"before clearing") != std::wstring::npos) return IDYES;
        if (captured.caption == L"Save Event Log") {
            SetDlgItemTextW(dialog, IDC_ELS_PATH, L"C:\\logs\\security.evt");
            return IDOK;
        }
        return IDOK;
    };
    host_.Dialogs().clear();
    Command(ID_ELS_CLEAR);
    WaitIdle();
    ASSERT_FALSE(host_.Dialogs().empty());
    EXPECT_EQ(host_.Dialogs()[0].text, L"Do you want to save \"Security\" before clearing?");
    EXPECT_EQ(host_.Dialogs()[0].buttons.size(), 4u) << "Yes, No, Cancel and Help";
    EXPECT_TRUE(RequestsOf(wire::kClearCommand).empty());
    EXPECT_GT(ItemCount(List(1)), 0);

    // Yes and a save that is cancelled: nothing either.
    spoil_ = nullptr;
    answerDialog_ = [](HWND, const CapturedDialog& captured) { return captured.isMessageBox ? IDYES : IDCANCEL; };
    Command(ID_ELS_CLEAR);
    WaitIdle();
    EXPECT_TRUE(RequestsOf(wire::kClearCommand).empty());

    // Yes and a save on the managed machine: saved, then cleared and reloaded.
    answerDialog_ = [](HWND dialog, const CapturedDialog& captured) {
        if (captured.isMessageBox) return IDYES;
        SetDlgItemTextW(dialog, IDC_ELS_PATH, L"C:\\logs\\security.evt");
        return IDOK;
    };
    Command(ID_ELS_CLEAR);
    WaitIdle();
    ASSERT_EQ(RequestsOf(wire::kClearCommand).size(), 1u);
    EXPECT_EQ(RequestsOf(wire::kClearCommand)[0]->Root().Find(wire::kEventTypeNode)->AsShort(), 1);
    EXPECT_EQ(Text(*RequestsOf(wire::kSaveCommand).back(), wire::kFileNameToNode), "C:\\logs\\security.evt");
    EXPECT_EQ(ItemCount(List(1)), 0) << "the machine's log is empty now";
    EXPECT_EQ(host_.StatusText(1), L"Success");
}

// ---- Open -------------------------------------------------------------------------------

TEST_F(EventViewerFilesTest, OpeningUploadsInChunksAndShowsTheSavedLogInTheFileTab) {
    // Not a log: three chunks go, then the machine says what it is.
    const fs::path plain = temp_ / "plain.bin";
    std::ofstream(plain, std::ios::binary) << std::string(20000, 'x');
    ChooseFile(true, plain.wstring());
    Command(ID_ELS_OPEN);
    WaitIdle();
    const auto uploads = RequestsOf(wire::kUploadCommand);
    ASSERT_EQ(uploads.size(), 3u);
    const std::pair<int32_t, int32_t> ranges[] = {{0, 8000}, {8000, 16000}, {16000, 20000}};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(Long(*uploads[i], wire::kPackageStartNode), ranges[i].first);
        EXPECT_EQ(Long(*uploads[i], wire::kPackageUpToNode), ranges[i].second);
        EXPECT_EQ(Long(*uploads[i], wire::kFileSizeNode), 20000);
    }
    EXPECT_EQ(host_.StatusText(1), L"Failed");
    EXPECT_EQ(::SendMessageW(GetDlgItem(dialog_, IDC_ELS_TABS), TCM_GETCURSEL, 0, 0), 3);

    // A log saved here opens with its events.
    ChooseTab(2);
    WaitIdle();
    ChooseFile(true, (temp_ / "system.evt").wstring());
    Command(ID_ELS_SAVE);
    WaitIdle();
    ChooseFile(true, (temp_ / "system.evt").wstring(), 3);
    Command(ID_ELS_OPEN);
    WaitIdle();
    EXPECT_EQ(ItemCount(List(3)), config_.EventCount(2));
    Hint(0, 3, 3);
    const uint32_t newest = static_cast<uint32_t>(config_.EventCount(2));
    const remote::SimulatedEvent expected = remote::SimulatedLog(2, config_.seed, newest).Event(newest);
    EXPECT_EQ(ListViewText(List(3), 0, 5), std::to_wstring(expected.eventId & 0xFFFF));
    EXPECT_TRUE(ButtonEnabled(ID_ELS_TB_SAVE));

    // A file that cannot be read is the console's own failure, shown as such.
    ChooseFile(true, (temp_ / "missing.evt").wstring());
    host_.Dialogs().clear();
    host_.ClearRequests();
    Command(ID_ELS_OPEN);
    WaitIdle();
    EXPECT_TRUE(RequestsOf(wire::kUploadCommand).empty());
    EXPECT_EQ(host_.StatusText(1), L"Failed");
    ASSERT_FALSE(host_.Dialogs().empty());
    EXPECT_NE(host_.Dialogs().back().text.find(L"missing.evt"), std::wstring::npos);
    EXPECT_EQ(ItemCount(List(3)), 0) << "the rows of the file before went";
}

TEST_F(EventViewerFilesTest, AnUploadAnswerThatClaimsOtherBytesFailsTheOpen) {
    const fs::path file = temp_ / "twenty.bin";
    std::ofstream(file, std::ios::binary) << std::string(20000, 'y');
    spoil_ = [](const Message& request, Message& answer) {
        if (request.Command() == wire::kUploadCommand) answer.Root().ChildNode(wire::kPackageUpToNode).SetLong(16000);
    };
    ChooseFile(true, file.wstring());
    Command(ID_ELS_OPEN);
    WaitIdle();
    EXPECT_EQ(RequestsOf(wire::kUploadCommand).size(), 1u);
    EXPECT_TRUE(RequestsOf(wire::kLogInfoCommand).size() == 1u) << "only the Application log's";
    EXPECT_EQ(host_.StatusText(1), L"Failed");

    // The file shrinks while it is sent: the read beyond what was read ahead
    // (a megabyte) fails in the answer's handler, which shows the console's
    // own error and sends nothing more.
    std::ofstream(file, std::ios::binary) << std::string((1 << 20) + 20000, 'y');
    spoil_ = [&](const Message& request, Message&) {
        if (request.Command() == wire::kUploadCommand) fs::resize_file(file, 9000);
    };
    host_.ClearRequests();
    host_.Dialogs().clear();
    Command(ID_ELS_OPEN);
    WaitIdle();
    EXPECT_EQ(RequestsOf(wire::kUploadCommand).size(), (1u << 20) / 8000) << "the chunk reaching past the first megabyte could not be read whole";
    EXPECT_EQ(host_.StatusText(1), L"Failed");
    ASSERT_FALSE(host_.Dialogs().empty());
    EXPECT_NE(host_.Dialogs().back().text.find(L"twenty.bin"), std::wstring::npos) << host_.Dialogs().back().text;
}

}  // namespace
}  // namespace vantrel::test
