// The Event Viewer through its real windows, against the simulated managed
// machine: the chain that fills a log, details as rows are shown, sorting,
// stopping, the other logs' tabs, the commands' states and hostile answers.
#include "framework/text/Base64.h"
#include "remote/RemoteMachine.h"
#include "remote/eventviewer/EventLogData.h"
#include "snapins/eventviewer/EventViewerIds.h"
#include "snapins/eventviewer/model/Protocol.h"
#include "tests/host/LocalFiles.h"
#include "tests/host/ToolTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace vantrel::test {
namespace {

namespace wire = eventviewer::protocol;
constexpr int32_t kId = wire::kSnapInId;
constexpr int kListIds[] = {IDC_ELS_APPLICATION_LIST, IDC_ELS_SECURITY_LIST, IDC_ELS_SYSTEM_LIST, IDC_ELS_FILES_LIST};
enum Column { kType, kDate, kTime, kSource, kCategory, kEvent, kUser, kComputer };

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

// Copies an answer into one the host counts, so that its release is seen.
void CopyNodes(const host::MessageNode& from, host::MessageNode& to) {
    for (size_t i = 0; i < from.ChildCount(); ++i) {
        const host::MessageNode& child = from.ChildAt(i);
        host::MessageNode& copy = to.ChildNode(child.Name());
        switch (child.ValueKind()) {
        case host::MessageNode::Kind::String: copy.SetText(child.Text()); break;
        case host::MessageNode::Kind::Bool: copy.SetBool(child.AsBool()); break;
        case host::MessageNode::Kind::Short: copy.SetShort(child.AsShort()); break;
        case host::MessageNode::Kind::Long: copy.SetLong(child.AsLong()); break;
        case host::MessageNode::Kind::None: break;
        }
        CopyNodes(child, copy);
    }
}

std::string Attribute(const std::string& xml, const std::string& name) {
    const size_t at = xml.find(" " + name + "='");
    if (at == std::string::npos) return "?";
    const size_t start = at + name.size() + 3;
    return xml.substr(start, xml.find('\'', start) - start);
}

class EventViewerTest : public ToolTest {
protected:
    explicit EventViewerTest(remote::MachineConfig config = Small()) : ToolTest(kId, config) {}

    static remote::MachineConfig Small() {
        remote::MachineConfig config;
        config.pageSize = 4;  // category pages
        config.eventLogs.indexPageSize = 700;
        config.eventLogs.eventPageSize = 300;
        return config;
    }

    void SetUp() override {
        ToolTest::SetUp();
        host_.AnswerWith([this](const Message& request) { return Respond(request); }, 1);
        dialog_ = GetDlgItem(snapIn_->GetWindow(), IDD_ELS_MAIN);
        ASSERT_NE(dialog_, nullptr);
        for (int i = 0; i < 4; ++i) lists_[i] = GetDlgItem(dialog_, kListIds[i]);
        snapIn_->QuerySupported();
        WaitIdle();
    }

    // Answers of held commands wait until ReleaseHeld.
    std::unique_ptr<Message> Respond(const Message& request) {
        if (held_.count(request.Command())) {
            waiting_.push_back(request.Clone());
            return nullptr;
        }
        return machine_.Answer(request);
    }
    void Hold(uint32_t command) { held_.insert(command); }
    void AnswerHeldAutomatically(uint32_t command) { held_.erase(command); }
    size_t Waiting(uint32_t command) const {
        return static_cast<size_t>(std::count_if(waiting_.begin(), waiting_.end(), [&](const auto& r) { return r->Command() == command; }));
    }
    // The machine answers the oldest request of that command now.
    void ReleaseHeld(uint32_t command) {
        auto found = std::find_if(waiting_.begin(), waiting_.end(), [&](const auto& r) { return r->Command() == command; });
        ASSERT_NE(found, waiting_.end());
        std::unique_ptr<Message> request = std::move(*found);
        waiting_.erase(found);
        host_.Deliver(Counted(*machine_.Answer(*request)));
    }
    std::unique_ptr<Message> Counted(const Message& answer) {
        auto counted = host_.MakeAnswer(kId, answer.Command());
        CopyNodes(answer.Root(), counted->Root());
        return counted;
    }

    void WaitForAnswers() {
        ASSERT_TRUE(host_.PumpUntil([this] { return host_.PendingAnswers() == 0; }));
    }

    HWND List(int log = 0) const { return lists_[log]; }
    // The console's frame stays hidden in tests: a list shows when it is not hidden itself.
    static bool Shows(HWND window) { return (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0; }
    int Rows(int log = 0) const { return ItemCount(lists_[log]); }
    std::wstring Cell(int row, int column, int log = 0) const { return ListViewText(lists_[log], row, column); }
    int Image(int row, int log = 0) const {
        LVITEMW item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        ::SendMessageW(lists_[log], LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        return item.iImage;
    }
    // What the list does before it draws rows.
    void Hint(int first, int last, int log = 0) { CacheHint(lists_[log], first, last); }
    void ClickHeader(int column, int log = 0) { ToolTest::ClickHeader(lists_[log], column); }
    void ChooseTab(int log) {
        HWND tabs = GetDlgItem(dialog_, IDC_ELS_TABS);
        ::SendMessageW(tabs, TCM_SETCURFOCUS, static_cast<WPARAM>(log), 0);
    }
    void Select(int row, int log = 0) { ToolTest::Select(lists_[log], row); }

    // The XML text of a request's node, and an attribute of it.
    static std::string Text(const Message& request, const char* node) {
        const host::MessageNode* field = request.Root().Find(node);
        return field ? field->Text() : "<none>";
    }
    static std::vector<uint32_t> RecIds(const Message& request) {
        std::vector<uint32_t> numbers;
        const std::string text = Text(request, wire::kRecordIdsNode);
        for (size_t at = text.find("RecID='"); at != std::string::npos; at = text.find("RecID='", at + 1))
            numbers.push_back(static_cast<uint32_t>(std::stoul(text.substr(at + 7))));
        return numbers;
    }
    // The record number shown in a row, asked of the machine's own order.
    remote::SimulatedEvent Expected(uint32_t recordNumber, int log = 0) const {
        return remote::SimulatedLog(log, config_.seed, static_cast<uint32_t>(config_.EventCount(log))).Event(recordNumber);
    }

    HWND dialog_ = nullptr;
    HWND lists_[4] = {};
    std::set<uint32_t> held_;
    std::vector<std::unique_ptr<Message>> waiting_;
};

TEST_F(EventViewerTest, TheFirstActivationRunsCategoriesLogInformationAndRecordNumbersForTheApplicationLog) {
    host_.Activate(snapIn_);
    EXPECT_EQ(host_.StatusText(1), L"In progress...");
    WaitIdle();

    std::vector<uint32_t> commands;
    for (const auto& request : host_.Requests())
        if (request->Command() != 0) commands.push_back(request->Command());
    // Six named categories in pages of four, the log's information, three pages of 700.
    EXPECT_EQ(commands, (std::vector<uint32_t>{301, 301, 303, 309, 309, 309}));
    const Message& categories = *RequestsOf(301)[0];
    EXPECT_EQ(Text(categories, wire::kCategoriesNode), "<Categories CatInd='0' SubCatInd='0' />");
    EXPECT_EQ(categories.Root().Find(wire::kEventTypeNode)->AsShort(), 0);
    EXPECT_EQ(categories.ReplyFlag(), 1);
    EXPECT_EQ(Attribute(Text(*RequestsOf(301)[1], wire::kCategoriesNode), "CatInd"), "6") << "where the page said";

    const auto pages = RequestsOf(309);
    const Message& first = *pages[0];
    std::vector<std::string> nodes;
    for (size_t i = 0; i < first.Root().ChildCount(); ++i) nodes.push_back(first.Root().ChildAt(i).Name());
    EXPECT_EQ(nodes, (std::vector<std::string>{"Indicies", "EventType", "FileNameTo", "Reread", "Filter", "Sort"}));
    EXPECT_EQ(Text(first, "Indicies"), "<Events StartAt='-1' />");
    EXPECT_EQ(first.Root().Find("Reread")->AsShort(), 1);
    EXPECT_EQ(Text(first, "Sort"), "") << "nothing sorted yet";
    EXPECT_EQ(Attribute(Text(*pages[1], "Indicies"), "StartAt"), "700");
    EXPECT_EQ(Attribute(Text(*pages[2], "Indicies"), "StartAt"), "1400");

    EXPECT_EQ(Rows(), 2000);
    EXPECT_EQ(host_.StatusText(1), L"Success");
    EXPECT_EQ(host_.StatusText(2), L"2000/2000");
    EXPECT_EQ(host_.BeginBusyCalls(), host_.EndBusyCalls());
    EXPECT_EQ(Cell(0, kSource), L"") << "a row without details shows nothing";
    EXPECT_EQ(Image(0), I_IMAGENONE);
    EXPECT_EQ(host_.CountRequests(310), 0u) << "nothing asked before the list draws";
    EXPECT_TRUE(Shows(List(0)));
    EXPECT_FALSE(Shows(List(1)));
    EXPECT_EQ(host_.Releases(), host_.AnswersMade());
}

TEST_F(EventViewerTest, AHintOverAHundredRowsAsksForThirtyAtATimeAndNeverForARowTwice) {
    ActivateAndWait();
    Hold(310);
    Hint(10, 140);
    ASSERT_EQ(host_.CountRequests(310), 1u);
    const Message& asked = *host_.LastRequest(310);
    std::vector<uint32_t> expected;
    for (uint32_t row = 10; row < 40; ++row) expected.push_back(2000 - row);  // newest first
    EXPECT_EQ(RecIds(asked), expected);
    EXPECT_EQ(asked.Root().Find(wire::kEventTypeNode)->AsShort(), 0);
    EXPECT_EQ(Text(asked, wire::kFileNameNode), "");
    Hint(10, 140);
    EXPECT_EQ(host_.CountRequests(310), 1u) << "pending rows are not asked again";
    EXPECT_EQ(host_.BusyDepth(), 1);

    // Each answer goes on inside the last hint: the list may not hint again.
    AnswerHeldAutomatically(310);
    ReleaseHeld(310);
    WaitIdle();
    std::set<uint32_t> all;
    for (const Message* request : RequestsOf(310))
        for (uint32_t number : RecIds(*request)) EXPECT_TRUE(all.insert(number).second) << "asked twice: " << number;
    EXPECT_EQ(all.size(), 131u);
    EXPECT_EQ(host_.CountRequests(310), 5u);
    Hint(10, 140);
    EXPECT_EQ(host_.CountRequests(310), 5u);

    const remote::SimulatedEvent event = Expected(2000 - 25);
    EXPECT_EQ(Cell(25, kSource), Wide(event.source));
    EXPECT_EQ(Cell(25, kEvent), std::to_wstring(event.eventId & 0xFFFF));
    EXPECT_EQ(Cell(25, kComputer), Wide(event.computer));
    EXPECT_EQ(Cell(25, kUser), event.user.empty() ? L"N/A" : Wide(event.user));
    EXPECT_EQ(host_.StatusText(1), L"Success");
}

TEST_F(EventViewerTest, CellsShowTypesIdsCategoriesUsersAndLocalTimesAsTheUserReadsThem) {
    // Dates need a pinned zone: the tests run with TZ=Europe/Berlin and the
    // prefix's English (United States) formats.
    TIME_ZONE_INFORMATION zone = {};
    GetTimeZoneInformation(&zone);
    ActivateAndWait();
    Hold(310);
    Hint(0, 5);
    ASSERT_EQ(host_.CountRequests(310), 1u);
    const std::vector<uint32_t> asked = RecIds(*host_.LastRequest(310));
    ASSERT_EQ(asked.size(), 6u);

    auto answer = host_.MakeAnswer(kId, 310);
    answer->Root().ChildNode("RetValue").SetShort(1);
    answer->Root().ChildNode("EventType").SetShort(0);
    answer->Root().ChildNode("FileName").SetText("");
    auto event = [](uint32_t number, const std::string& rest) {
        return "<Event RecID='" + std::to_string(number) + "' " + rest + " Source='" + EncodeUtf16Base64(u"Database Engine") +
               "' Computer='" + EncodeUtf16Base64(u"\u0426\u0415\u041d\u0422\u0420-1") + "'/>";
    };
    answer->Root().ChildNode("Events").SetText(
        "<Events>" + event(asked[0], "Type='2' ID='1073748860' CategoryID='3' DateTime='1709249400'") +
        event(asked[1], "Type='16' ID='529' CategoryID='0' DateTime='1719835200' User='" + EncodeUtf16Base64(u"MUSTER\\anna") + "'") +
        event(asked[2], "Type='4' ID='7' CategoryID='12' DateTime='-7'") +
        event(asked[3], "Type='32' ID='65535' CategoryID='1' DateTime='4294967296'") +
        event(asked[4], "Type='1' ID='1' CategoryID='0' DateTime='0'") + "</Events>");
    host_.Deliver(std::move(answer));

    EXPECT_EQ(Cell(0, kType), L"Warning");
    EXPECT_EQ(Image(0), 1);
    EXPECT_EQ(Cell(0, kEvent), L"7036") << "the low 16 bits of 1073748860";
    EXPECT_EQ(Cell(0, kCategory), L"Logging/Recovery") << "named by the log's category table";
    EXPECT_EQ(Cell(0, kUser), L"N/A");
    EXPECT_EQ(Cell(0, kComputer), L"\u0426\u0415\u041d\u0422\u0420-1");
    EXPECT_EQ(Cell(1, kType), L"Failure Audit");
    EXPECT_EQ(Image(1), 4);
    EXPECT_EQ(Cell(1, kCategory), L"None");
    EXPECT_EQ(Cell(1, kUser), L"MUSTER\\anna");
    EXPECT_EQ(Cell(2, kCategory), L"(12)");
    EXPECT_EQ(Cell(2, kDate), L"") << "a negative time shows no date";
    EXPECT_EQ(Cell(2, kTime), L"");
    EXPECT_EQ(Cell(3, kType), L"Unknown");
    EXPECT_EQ(Image(3), 0);
    EXPECT_EQ(Cell(3, kDate), L"") << "beyond 32 bits";
    EXPECT_EQ(Cell(5, kType), L"") << "asked for, not answered: unloaded again";
    if (zone.Bias == -60 && zone.DaylightBias == -60) {
        EXPECT_EQ(Cell(0, kDate), L"3/1/2024") << "23:30 UTC on 29 February is past midnight in Berlin";
        EXPECT_EQ(Cell(0, kTime), L"12:30:00 AM");
        EXPECT_EQ(Cell(1, kTime), L"2:00:00 PM") << "summer time";
        EXPECT_EQ(Cell(4, kDate), L"1/1/1970");
        EXPECT_EQ(Cell(4, kTime), L"1:00:00 AM");
    } else {
        ADD_FAILURE() << "the date checks need TZ=Europe/Berlin (the ctest environment sets it)";
    }
}

TEST_F(EventViewerTest, ASortClickWhileALogLoadsStartsAfreshAndNeverMixesTheRetrievals) {
    Hold(309);
    host_.Activate(snapIn_);
    ASSERT_TRUE(host_.PumpUntil([&] { return Waiting(309) == 1; }));
    ReleaseHeld(309);  // rows 0..699 of the unsorted log
    ASSERT_EQ(Rows(), 700);
    ASSERT_EQ(Waiting(309), 1u);

    ClickHeader(kSource);
    EXPECT_EQ(Rows(), 0) << "the old rows go at once";
    EXPECT_EQ(host_.CountRequests(309), 2u) << "one page on its way at a time";
    ReleaseHeld(309);  // the old retrieval's second page: dropped
    EXPECT_EQ(Rows(), 0);
    ASSERT_EQ(host_.CountRequests(309), 3u);
    const Message& restart = *host_.LastRequest(309);
    EXPECT_EQ(Attribute(Text(restart, "Indicies"), "StartAt"), "-1");
    EXPECT_EQ(restart.Root().Find("Reread")->AsShort(), 0) << "a new sort rereads nothing";
    const std::string sort = Text(restart, "Sort");
    EXPECT_EQ(Attribute(sort, "Column"), "3");
    EXPECT_EQ(Attribute(sort, "Order"), "1") << "the up arrow";
    EXPECT_EQ(Attribute(sort, "CategoryNotAvilable"), "None");
    EXPECT_EQ(Attribute(sort, "TypeAuditFailure"), "Failure Audit");

    AnswerHeldAutomatically(309);
    ReleaseHeld(309);
    WaitIdle();
    EXPECT_EQ(Rows(), 2000) << "no row twice, none lost";
    Hint(0, 119);
    WaitIdle();
    for (int row = 1; row < 120; ++row)
        EXPECT_LE(_wcsicmp(Cell(row, kSource).c_str(), Cell(row - 1, kSource).c_str()), 0) << "order 1: the greater first";
    EXPECT_EQ(host_.BeginBusyCalls(), host_.EndBusyCalls());
}

TEST_F(EventViewerTest, AnswersForAnotherLogAreKeptThereAndShownWhenItsTabIsChosen) {
    ActivateAndWait();
    Hold(309);
    ChooseTab(1);  // Security: categories, information, then its record numbers
    ASSERT_TRUE(host_.PumpUntil([&] { return Waiting(309) == 1; }));
    EXPECT_TRUE(Shows(List(1)));
    ChooseTab(0);
    EXPECT_TRUE(Shows(List(0)));
    const size_t pages = host_.CountRequests(309);

    // A page for the System log, which asked for none, changes nothing and
    // leaves the Security log's own page its place; so does one for log 7.
    auto stranger = host_.MakeAnswer(kId, 309);
    stranger->Root().ChildNode("RetValue").SetShort(1);
    stranger->Root().ChildNode("Indicies").SetText("<Indicies StartAt='0' UpTo='1' Total='1'><5/></Indicies>");
    stranger->Root().ChildNode("EventType").SetShort(2);
    stranger->Root().ChildNode("FileNameTo").SetText("");
    host_.Deliver(std::move(stranger));
    auto seven = host_.MakeAnswer(kId, 309);
    seven->Root().ChildNode("RetValue").SetShort(1);
    seven->Root().ChildNode("Indicies").SetText("<Indicies StartAt='0' UpTo='1' Total='1'><5/></Indicies>");
    seven->Root().ChildNode("EventType").SetShort(7);
    host_.Deliver(std::move(seven));
    EXPECT_EQ(Rows(2), 0);

    AnswerHeldAutomatically(309);
    ReleaseHeld(309);
    WaitIdle();
    EXPECT_EQ(Rows(1), 2000) << "filled while another tab is shown";
    EXPECT_EQ(Rows(0), 2000);
    const size_t after = host_.CountRequests(309);
    EXPECT_GT(after, pages);
    ChooseTab(1);
    WaitIdle();
    EXPECT_EQ(host_.CountRequests(309), after) << "a log that has rows is not loaded again";
    Hint(0, 0, 1);
    WaitIdle();
    EXPECT_EQ(Cell(0, kSource, 1), Wide(Expected(2000, 1).source));
    EXPECT_EQ(Cell(0, kCategory, 1).empty(), false);
    EXPECT_EQ(host_.Releases(), host_.AnswersMade());
}

TEST_F(EventViewerTest, StopBetweenPagesKeepsTheNextPageAndAsksForNoMore) {
    Hold(309);
    host_.Activate(snapIn_);
    ASSERT_TRUE(host_.PumpUntil([&] { return Waiting(309) == 1; }));
    ReleaseHeld(309);
    EXPECT_TRUE(ButtonEnabled(ID_ELS_TB_STOP)) << "the shown log loads";
    EXPECT_FALSE(ButtonEnabled(ID_ELS_TB_REFRESH));
    Command(ID_ELS_TB_STOP);
    EXPECT_EQ(host_.StatusText(1), L"Cancelling...");
    EXPECT_FALSE(ButtonEnabled(ID_ELS_TB_STOP)) << "stopped once";
    ReleaseHeld(309);
    EXPECT_EQ(Rows(), 1400) << "the page on its way is still added";
    EXPECT_EQ(host_.CountRequests(309), 2u);
    EXPECT_EQ(host_.StatusText(1), L"Canceled");
    EXPECT_EQ(host_.StatusText(2), L"1400/2000");
    EXPECT_EQ(host_.BusyDepth(), 0);
    EXPECT_TRUE(ButtonEnabled(ID_ELS_TB_REFRESH));
    EXPECT_FALSE(ButtonEnabled(ID_ELS_TB_STOP));

    AnswerHeldAutomatically(309);
    Command(ID_ELS_REFRESH);
    WaitIdle();
    EXPECT_EQ(Rows(), 2000) << "the next Refresh starts over";
}

TEST_F(EventViewerTest, StopWhileTheLogsInformationIsOnItsWayLoadsNoRows) {
    Hold(303);
    host_.Activate(snapIn_);
    ASSERT_TRUE(host_.PumpUntil([&] { return Waiting(303) == 1; }));
    EXPECT_TRUE(ButtonEnabled(ID_ELS_TB_STOP)) << "loading: categories and information count";
    Command(ID_ELS_TB_STOP);
    EXPECT_EQ(host_.StatusText(1), L"Cancelling...");
    ReleaseHeld(303);
    EXPECT_EQ(host_.CountRequests(309), 0u) << "stopped: no retrieval follows";
    EXPECT_EQ(host_.StatusText(1), L"Canceled");
    EXPECT_EQ(host_.BusyDepth(), 0);
    AnswerHeldAutomatically(303);
    Command(ID_ELS_REFRESH);
    WaitIdle();
    EXPECT_EQ(Rows(), 2000);
    EXPECT_EQ(host_.CountRequests(301), 2u) << "the categories came in full before the stop";
}

TEST_F(EventViewerTest, AFailedDetailsAnswerShowsItsBoxAndLetsTheRowsBeAskedAgain) {
    ActivateAndWait();
    remote::Fault fault;
    fault.errorText = u"Zugriff verweigert.";
    fault.times = 1;
    machine_.InjectFault(310, fault);
    Hint(0, 9);
    WaitIdle();
    ASSERT_EQ(host_.Dialogs().size(), 1u);
    EXPECT_EQ(host_.Dialogs()[0].text, L"Details for the selected record are unavailable.");
    EXPECT_EQ(host_.StatusText(1), L"Failed");
    EXPECT_EQ(Cell(3, kSource), L"");
    EXPECT_EQ(host_.CountRequests(310), 1u) << "a failure is not retried on its own";

    Hint(0, 9);
    WaitIdle();
    ASSERT_EQ(host_.CountRequests(310), 2u);
    EXPECT_EQ(RecIds(*RequestsOf(310)[1]), RecIds(*RequestsOf(310)[0]));
    EXPECT_EQ(Cell(3, kSource), Wide(Expected(1997).source));
    EXPECT_EQ(host_.Dialogs().size(), 1u);
}

TEST_F(EventViewerTest, TheFileTabOffersNothingThatNeedsAnOpenFile) {
    ActivateAndWait();
    EXPECT_TRUE(MenuEnabled(ID_ELS_CLEAR));
    ChooseTab(3);
    WaitIdle();
    EXPECT_TRUE(Shows(List(3)));
    for (int command : {ID_ELS_REFRESH, ID_ELS_SAVE, ID_ELS_LOG_PROPERTIES, ID_ELS_CLEAR})
        EXPECT_FALSE(MenuEnabled(command)) << command;
    EXPECT_TRUE(MenuEnabled(ID_ELS_OPEN));
    EXPECT_TRUE(MenuEnabled(ID_ELS_EVENT_PROPERTIES));
    for (int button : {ID_ELS_TB_REFRESH, ID_ELS_TB_SAVE, ID_ELS_TB_PROPERTIES, ID_ELS_TB_CLEAR, ID_ELS_TB_STOP})
        EXPECT_FALSE(ButtonEnabled(button)) << button;
    EXPECT_TRUE(ButtonEnabled(ID_ELS_TB_OPEN));
    const size_t requests = host_.Requests().size();
    Command(ID_ELS_REFRESH);  // F5 still reaches the command
    ClickHeader(kDate, 3);
    EXPECT_EQ(host_.Requests().size(), requests) << "no file, nothing to load";
}

TEST_F(EventViewerTest, ToolbarMenusAndKeysFollowTheShownLogAndTheSelection) {
    ActivateAndWait();
    HWND toolBar = host_.ShownSnapInToolBar();
    ASSERT_NE(toolBar, nullptr);
    const std::vector<std::pair<int, int>> layout = {{ID_ELS_TB_SAVE, 16}, {ID_ELS_TB_OPEN, 15}, {ID_ELS_TB_CLEAR, 17}, {0, -1},
                                                     {ID_ELS_TB_REFRESH, 0}, {ID_ELS_TB_PROPERTIES, 9}, {0, -1}, {ID_ELS_TB_STOP, 25}};
    ASSERT_EQ(::SendMessageW(toolBar, TB_BUTTONCOUNT, 0, 0), static_cast<LRESULT>(layout.size()));
    for (size_t i = 0; i < layout.size(); ++i) {
        TBBUTTON button = {};
        ::SendMessageW(toolBar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        EXPECT_EQ(button.idCommand, layout[i].first) << i;
        if (layout[i].first) {
            EXPECT_EQ(button.iBitmap, layout[i].second) << i;
        }
    }
    NMTTDISPINFOW tip = {};
    EXPECT_TRUE(snapIn_->OnToolTipTextW(ID_ELS_TB_STOP, &tip));
    EXPECT_STREQ(tip.szText, L"Stop");
    EXPECT_TRUE(ButtonEnabled(ID_ELS_TB_REFRESH) && ButtonEnabled(ID_ELS_TB_CLEAR) && ButtonEnabled(ID_ELS_TB_SAVE));
    EXPECT_FALSE(ButtonEnabled(ID_ELS_TB_STOP)) << "nothing loads";

    // The context menu: Event Properties needs a row.
    SetFocus(List());
    EXPECT_TRUE(snapIn_->OnContextMenuKey());
    ASSERT_EQ(host_.Menus().size(), 1u);
    ASSERT_NE(host_.Menus()[0].Find(L"&Event Properties"), nullptr);
    EXPECT_TRUE(host_.Menus()[0].Find(L"&Event Properties")->state & MF_GRAYED);
    EXPECT_FALSE(host_.Menus()[0].Find(L"&Refresh\tF5")->state & MF_GRAYED);
    Select(4);
    SetFocus(List());  // the menu that was open may have taken it
    EXPECT_TRUE(snapIn_->OnContextMenuKey());
    ASSERT_EQ(host_.Menus().size(), 2u);
    EXPECT_FALSE(host_.Menus()[1].Find(L"&Event Properties")->state & MF_GRAYED);
    RECT row = {};
    row.left = LVIR_BOUNDS;
    ::SendMessageW(List(), LVM_GETITEMRECT, 4, reinterpret_cast<LPARAM>(&row));
    POINT middle = {(row.left + row.right) / 2, (row.top + row.bottom) / 2};
    ClientToScreen(List(), &middle);
    EXPECT_EQ(host_.Menus()[1].window.top, middle.y) << "at the middle of the focused row";

    // F5 through the host's loop refreshes, with "Reread" 1.
    const size_t pages = host_.CountRequests(309);
    PostMessageW(List(), WM_KEYDOWN, VK_F5, 0x003F0001);
    PostMessageW(List(), WM_KEYUP, VK_F5, static_cast<LPARAM>(0xC03F0001));
    host_.PumpFor(20);
    WaitIdle();
    ASSERT_GT(host_.CountRequests(309), pages);
    EXPECT_EQ(RequestsOf(309)[pages]->Root().Find("Reread")->AsShort(), 1);

    // Ctrl+Tab moves to the next log and loads it.
    EXPECT_EQ(host_.CountRequests(303), 1u);
    MSG key = {List(), WM_KEYDOWN, VK_TAB, 0};
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    EXPECT_TRUE(snapIn_->TranslateAccelerator(&key));
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    WaitIdle();
    EXPECT_TRUE(Shows(List(1)));
    EXPECT_EQ(host_.CountRequests(303), 2u);
}

TEST_F(EventViewerTest, TheTabsAndListsStretchWithTheWindowButNeverBelowTheirFirstSize) {
    HWND tabs = GetDlgItem(dialog_, IDC_ELS_TABS);
    RECT initial = {0, 0, 281, 252};  // the dialog's size in its template
    MapDialogRect(dialog_, &initial);
    auto sizeOf = [](HWND window) {
        RECT rect = {};
        GetWindowRect(window, &rect);
        return SIZE{rect.right - rect.left, rect.bottom - rect.top};
    };
    MoveWindow(snapIn_->GetWindow(), 0, 0, initial.right + 300, initial.bottom + 200, TRUE);
    EXPECT_EQ(sizeOf(tabs).cx, initial.right + 300);
    EXPECT_EQ(sizeOf(tabs).cy, initial.bottom + 200);
    for (int log = 0; log < 4; ++log) {
        RECT list = {}, tab = {};
        GetWindowRect(List(log), &list);
        GetWindowRect(tabs, &tab);
        EXPECT_GT(list.right - list.left, initial.right) << log;
        EXPECT_TRUE(list.left >= tab.left && list.right <= tab.right && list.top > tab.top && list.bottom <= tab.bottom)
            << "inside the tab, below its row";
    }
    MoveWindow(snapIn_->GetWindow(), 0, 0, 120, 90, TRUE);
    EXPECT_EQ(sizeOf(tabs).cx, initial.right) << "the size it was made with is the least";
    EXPECT_EQ(sizeOf(tabs).cy, initial.bottom);
}

TEST_F(EventViewerTest, ThePropertyDialogsWaitHiddenAndGetTheirKeysFirst) {
    std::vector<HWND> dialogs;
    EnumThreadWindows(GetCurrentThreadId(), [](HWND window, LPARAM found) -> BOOL {
        const std::wstring caption = WindowText(window);
        if (caption == L"Event Properties" || caption == L"Properties")
            reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&dialogs));
    ASSERT_EQ(dialogs.size(), 2u);
    for (HWND dialog : dialogs) EXPECT_FALSE(IsWindowVisible(dialog));
    host_.OnDialog([](HWND, const CapturedDialog&) { return 0; });  // leave it open
    HWND properties = dialogs[0];
    ShowWindow(properties, SW_SHOWNA);
    SetFocus(GetDlgItem(properties, IDCANCEL));
    MSG escape = {GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0x00010001};
    EXPECT_TRUE(snapIn_->TranslateAccelerator(&escape)) << "a dialog message of the visible dialog";
    host_.PumpFor(10);
    EXPECT_FALSE(IsWindowVisible(properties)) << "Escape closes it, which hides it";
    EXPECT_TRUE(IsWindow(properties));
    DestroyWindow(snapIn_->GetWindow());
    EXPECT_FALSE(IsWindow(properties)) << "they go with the snap-in window";
}

TEST_F(EventViewerTest, LayoutsSortsAndFavouritesSurviveARestartOfTheConsole) {
    TemporaryFolder folder("events-layout");
    const auto file = folder.Path() / "settings.txt";
    host_.SetSettingsFile(file);
    // Favourites of an earlier session: kept as they are for the filter dialog.
    host_.LoadSettings();
    const std::u16string favorites = u"<Favorites><Filter Name='W\u00e4rme' Types='1' /></Favorites>";
    ISettingsNode* stored = host_.GetSnapInSettings(kId)->Items()->AddChild(L"FavoriteFilters", 0);
    for (size_t i = 0; i < favorites.size(); ++i) stored->Items()->AddAt(static_cast<int32_t>(i), favorites[i]);
    ActivateAndWait();
    ClickHeader(kDate);
    ClickHeader(kDate);  // down arrow: order 0
    WaitIdle();
    ::SendMessageW(List(0), LVM_SETCOLUMNWIDTH, kSource, 211);
    snapIn_->Deactivate();

    TestHost restarted;
    restarted.SetSettingsFile(file);
    remote::RemoteMachine machine(config_);
    restarted.AnswerWith([&](const Message& request) { return machine.Answer(request); }, 1);
    ISnapIn* again = restarted.Open(kId);
    HWND list = GetDlgItem(GetDlgItem(again->GetWindow(), IDD_ELS_MAIN), IDC_ELS_APPLICATION_LIST);
    again->QuerySupported();
    ASSERT_TRUE(restarted.PumpUntil([&] { return restarted.PendingAnswers() == 0; }));
    restarted.Activate(again);
    ASSERT_TRUE(restarted.PumpUntil([&] { return restarted.BusyDepth() == 0 && restarted.PendingAnswers() == 0; }));
    EXPECT_EQ(::SendMessageW(list, LVM_GETCOLUMNWIDTH, kSource, 0), 211);
    auto firstPage = std::find_if(restarted.Requests().begin(), restarted.Requests().end(),
                                  [](const auto& request) { return request->Command() == 309; });
    ASSERT_NE(firstPage, restarted.Requests().end());
    const std::string sort = Text(**firstPage, "Sort");
    EXPECT_EQ(Attribute(sort, "Column"), "1") << "the first retrieval carries the stored sort";
    EXPECT_EQ(Attribute(sort, "Order"), "0");
    again->Deactivate();
    ISettingsNode* kept = restarted.GetSnapInSettings(kId)->Items()->Find(L"FavoriteFilters");
    ASSERT_NE(kept, nullptr);
    std::u16string text;
    for (int i = 0; i < kept->Items()->Count(); ++i) text.push_back(static_cast<char16_t>(kept->Items()->At(i)->GetValue()));
    EXPECT_EQ(text, favorites);
    const std::string written = [&] {
        std::ifstream in(file);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }();
    for (const char* name : {"ApplicationList", "SecurityList", "SystemList", "FilesList", "FavoriteFilters"})
        EXPECT_NE(written.find(name), std::string::npos) << name;
}

TEST_F(EventViewerTest, FailuresShowTheAnswersTextEndBusyAndLetTheTabLoadAgain) {
    remote::Fault fault;
    fault.errorText = u"Der RPC-Server ist nicht verf\u00fcgbar.";
    fault.times = 1;
    machine_.InjectFault(301, fault);
    ActivateAndWait();
    ASSERT_EQ(host_.Dialogs().size(), 1u);
    EXPECT_EQ(host_.Dialogs()[0].text, L"Der RPC-Server ist nicht verf\u00fcgbar.") << "ErrorStr, not RetValue as a text";
    EXPECT_TRUE(host_.Dialogs()[0].errorIcon);
    EXPECT_EQ(host_.StatusText(1), L"Failed");
    EXPECT_TRUE(ButtonEnabled(ID_ELS_TB_REFRESH)) << "the log is no longer loading";
    Command(ID_ELS_REFRESH);
    WaitIdle();
    EXPECT_EQ(Rows(), 2000) << "the chain runs again";

    // A failed page without an ErrorStr: the system's text, then the code.
    remote::Fault bare;
    bare.times = 1;
    bare.skip = 1;
    machine_.InjectFault(309, bare);
    Command(ID_ELS_REFRESH);
    WaitIdle();
    ASSERT_EQ(host_.Dialogs().size(), 2u);
    EXPECT_EQ(host_.Dialogs()[1].text, L"Error description could not be found. Error code 0.");
    EXPECT_EQ(Rows(), 700) << "the page that came stays";
    Command(ID_ELS_REFRESH);
    WaitIdle();
    EXPECT_EQ(Rows(), 2000);
    EXPECT_EQ(host_.BeginBusyCalls(), host_.EndBusyCalls());
}

TEST_F(EventViewerTest, HostileAndMalformedAnswersEndCleanlyWithWhatArrived) {
    ActivateAndWait();
    for (auto kind : {remote::FaultKind::Garbage, remote::FaultKind::StuckPage, remote::FaultKind::HugeTotal,
                      remote::FaultKind::HostileNumbers}) {
        machine_.ClearFaults();
        remote::Fault fault;
        fault.kind = kind;
        fault.skip = kind == remote::FaultKind::Garbage ? 1 : 0;
        machine_.InjectFault(309, fault);
        machine_.InjectFault(310, fault);
        host_.ClearRequests();
        host_.Dialogs().clear();
        Command(ID_ELS_REFRESH);
        WaitIdle();
        EXPECT_LT(host_.CountRequests(309), 50u) << static_cast<int>(kind);
        EXPECT_EQ(host_.BusyDepth(), 0) << static_cast<int>(kind);
        EXPECT_LE(Rows(), 2000);
        if (kind == remote::FaultKind::Garbage) {
            EXPECT_EQ(Rows(), 700) << "the good page stays";
            ASSERT_EQ(host_.Dialogs().size(), 1u);
            EXPECT_EQ(host_.Dialogs()[0].text, L"The managed machine sent an answer that could not be read.");
        }
        if (kind == remote::FaultKind::StuckPage) {
            EXPECT_EQ(host_.StatusText(1), L"Failed");
        }
        if (kind == remote::FaultKind::HostileNumbers) {
            EXPECT_EQ(Rows(), 1600) << "names that are no record numbers";
        }
        Hint(0, 40);
        WaitIdle();
        EXPECT_EQ(host_.BusyDepth(), 0) << static_cast<int>(kind);
        for (int row = 0; row < std::min(Rows(), 40); ++row) EXPECT_LE(Cell(row, kEvent).size(), 5u);
    }

    // Answers nobody asked for, and the same answer twice.
    machine_.ClearFaults();
    const size_t boxes = host_.Dialogs().size();
    auto lone = host_.MakeAnswer(kId, 310);
    lone->Root().ChildNode("RetValue").SetShort(1);
    lone->Root().ChildNode("Events").SetText("<Events><Event RecID='1'/></Events>");
    host_.Deliver(std::move(lone));
    auto info = host_.MakeAnswer(kId, 303);
    info->Root().ChildNode("RetValue").SetShort(0);
    host_.Deliver(std::move(info));
    EXPECT_EQ(host_.BusyDepth(), 0);
    EXPECT_EQ(host_.Dialogs().size(), boxes) << "ignored, without a box";
    EXPECT_EQ(host_.Releases(), host_.AnswersMade());
    EXPECT_EQ(host_.DoubleReleases(), 0);
}

TEST_F(EventViewerTest, AnswersAfterTheWindowHasGoneEndTheBusyStateAndShowNothing) {
    ActivateAndWait();
    host_.AnswerWith([this](const Message& request) { return machine_.Answer(request); }, 50);
    Hint(0, 10);
    ClickHeader(kSource);  // a new retrieval besides the details
    ASSERT_EQ(host_.BusyDepth(), 2);
    ExpectQuietEndAfterTheWindowHasGone(host_, snapIn_);
}

// An empty Application log: the list stays empty and the counts say so.
class EmptyLogTest : public EventViewerTest {
protected:
    static remote::MachineConfig Empty() {
        remote::MachineConfig config = Small();
        config.eventLogs.application = 0;
        return config;
    }
    EmptyLogTest() : EventViewerTest(Empty()) {}
};

TEST_F(EmptyLogTest, ALogOfNoEventsEndsWithSuccessAndZeroCounts) {
    ActivateAndWait();
    EXPECT_EQ(Rows(), 0);
    EXPECT_EQ(host_.StatusText(1), L"Success");
    EXPECT_EQ(host_.StatusText(2), L"0/0");
    Hint(0, 10);
    EXPECT_EQ(host_.CountRequests(310), 0u);
}

// Protocol level 1: whole events in pages, sorted here after the last page.
class FullRetrievalTest : public EventViewerTest {
protected:
    static remote::MachineConfig Level1() {
        remote::MachineConfig config = Small();
        config.eventLogs.protocolLevel = 1;
        return config;
    }
    FullRetrievalTest() : EventViewerTest(Level1()) {}
    std::vector<std::wstring> Column(int column) const { return ToolTest::Column(List(), column); }
};

TEST_F(FullRetrievalTest, PagesCarryTheRetentionOfTheAnswerBeforeAndTypeSortsByItsTextInBothOrders) {
    ActivateAndWait();
    ASSERT_EQ(Rows(), 2000);
    EXPECT_EQ(host_.CountRequests(309), 0u);
    EXPECT_EQ(host_.StatusText(2), L"2000/2000");
    const auto pages = RequestsOf(302);
    ASSERT_EQ(pages.size(), 7u);
    EXPECT_EQ(pages[0]->Root().Find("Retention")->AsShort(), 1);
    for (size_t i = 1; i < pages.size(); ++i) EXPECT_NE(pages[i]->Root().Find("Retention")->AsShort(), 1) << i;
    EXPECT_FALSE(Cell(1999, kSource).empty()) << "whole events: every row has its details";
    Hint(0, 100);
    EXPECT_EQ(host_.CountRequests(310), 0u);

    ClickHeader(kType);  // up arrow: order 1, the greater text first
    WaitIdle();
    EXPECT_EQ(RequestsOf(302)[pages.size()]->Root().Find("Retention")->AsShort(), 1) << "every reload starts anew";
    std::vector<std::wstring> types = Column(kType);
    EXPECT_EQ(types.front(), L"Warning");
    EXPECT_EQ(types.back(), L"Error");
    EXPECT_TRUE(std::is_sorted(types.rbegin(), types.rend()));
    ClickHeader(kType);  // order 0
    WaitIdle();
    types = Column(kType);
    EXPECT_EQ(types.front(), L"Error");
    EXPECT_TRUE(std::is_sorted(types.begin(), types.end()));
    EXPECT_NE(std::find(types.begin(), types.end(), L"Information"), types.end());
}

}  // namespace
}  // namespace vantrel::test
