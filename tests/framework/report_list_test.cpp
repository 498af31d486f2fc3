// Report lists and paged listings of the framework, on a snap-in of the tests'
// own with two lists: each list sorts and keeps its layout on its own, pages
// arrive through the listing, and a listing that is restarted, cancelled or
// fed nonsense ends cleanly.
#include "framework/PagedListing.h"
#include "framework/ReportList.h"
#include "framework/SnapInBase.h"
#include "framework/xml/Xml.h"
#include "tests/framework/TestIds.h"
#include "tests/host/TestHost.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace vantrel::test {
namespace {

constexpr uint32_t kListCommand = 19050;
constexpr uint32_t kPlainCommand = 19051;  // a listing whose answers carry no "RetValue"
constexpr int kFirstListId = 4711;
constexpr int kSecondListId = 4712;

struct Item {
    std::wstring name;
    int64_t size;
};

constexpr ReportColumn kColumns[] = {{0, IDS_TEST_COLUMN_NAME, 120}, {1, IDS_TEST_COLUMN_SIZE, 60, LVCFMT_RIGHT}};

const ListingWire kWire = {kListCommand, "Items", "Items", "Items", ContinueFrom::UpTo, SuccessValue::One, true};

class PagedSnapIn final : public CSnapInBase, private IReportSource, private IListingClient {
public:
    explicit PagedSnapIn(ISnapInHost* host, const ListingWire& wire = kWire)
        : CSnapInBase(host), first_(*this, L"FirstList"), second_(*this, L"SecondList"), listing_(*this, *this, wire),
          plain_(*this, *this,
                 {kPlainCommand, "Items", "Items", "Items", ContinueFrom::UpTo, SuccessValue::One, true, StartAtForm::Signed, 0,
                  false}) {
        RegisterReportList(first_);
        RegisterReportList(second_);
    }
    ~PagedSnapIn() override { DestroySnapInWindow(); }

    int32_t VANTREL_CALL GetSnapInId() override { return IDS_TEST_SNAPIN; }
    HWND VANTREL_CALL Create(HWND parent) override {
        if (!CreateSnapInWindow(parent)) return nullptr;
        for (CReportList* list : {&first_, &second_}) {
            list->Create(Window(), list == &first_ ? kFirstListId : kSecondListId, LVS_REPORT | LVS_SHOWSELALWAYS,
                         LVS_EX_HEADERDRAGDROP);
            list->SetColumns(kColumns);
            list->LoadSortArrows();
        }
        MoveWindow(first_.Handle(), 0, 0, 300, 200, FALSE);
        MoveWindow(second_.Handle(), 0, 200, 300, 200, FALSE);
        return Window();
    }
    void VANTREL_CALL OnFirstActivate() override {
        if (ISettingsNode* settings = Host()->GetSnapInSettings(IDS_TEST_SNAPIN)) {
            first_.LoadLayout(settings->Items());
            second_.LoadLayout(settings->Items());
        }
    }
    void VANTREL_CALL SaveViewSettings() override {
        if (ISettingsNode* settings = Host()->GetSnapInSettings(IDS_TEST_SNAPIN)) {
            first_.SaveLayout(settings->Items());
            second_.SaveLayout(settings->Items());
        }
    }

    CReportList& First() { return first_; }
    CReportList& Second() { return second_; }
    CPagedListing& Listing() { return listing_; }
    CPagedListing& Plain() { return plain_; }
    const std::vector<Item>& Items() const { return items_; }
    int Ends(ListingEnd end) const { return ends_[static_cast<int>(end)]; }
    int busyWhenEnded = -1;
    // Adds records and appends their rows to the first list.
    void AppendItems(const std::vector<Item>& items) {
        std::vector<CReportList::Row> rows;
        for (const Item& item : items) {
            rows.push_back({static_cast<LPARAM>(items_.size())});
            items_.push_back(item);
        }
        first_.Append(rows);
    }

protected:
    void HandleAnswer(uint32_t command, IHostMessage& answer, IMessageNode& root) override {
        if (command == kListCommand) listing_.OnAnswer(answer, root);
        if (command == kPlainCommand) plain_.OnAnswer(answer, root);
    }

private:
    std::wstring CellText(LPARAM key, int modelColumn) override {
        if (key < 0 || static_cast<size_t>(key) >= items_.size()) return {};
        const Item& item = items_[static_cast<size_t>(key)];
        return modelColumn == 0 ? item.name : std::to_wstring(item.size);
    }
    int CompareRecords(LPARAM a, LPARAM b, int modelColumn) override {
        const Item& x = items_[static_cast<size_t>(a)];
        const Item& y = items_[static_cast<size_t>(b)];
        if (modelColumn == 1) return x.size < y.size ? -1 : x.size > y.size ? 1 : 0;
        return x.name.compare(y.name);
    }
    // Each request carries the token of the answer before it.
    void AddRequestFields(CSnapInBase::Request& request, int64_t startAt) override {
        request.Field("Token").SetLong(startAt < 0 ? 1 : token_);
    }
    void ReadAnswerFields(IMessageNode& root) override { token_ = root.Child("Token")->GetLong(); }
    void OnListingStarted() override {
        first_.Clear();
        second_.Clear();
        items_.clear();
    }
    bool MergePage(const CXmlElement& root) override {
        for (int i = 0; i < root.GetChildCount(); ++i) {
            const CXmlElement& child = *root.GetChild(i);
            const char* name = child.GetAttribute("Name");
            if (!name) return false;
            items_.push_back({std::wstring(name, name + strlen(name)), child.GetAttributeInt("Size")});
        }
        return true;
    }
    void OnListingEnded(ListingEnd end) override {
        ++ends_[static_cast<int>(end)];
        busyWhenEnded = BusyCount();
        std::vector<CReportList::Row> rows;
        for (size_t i = 0; i < items_.size(); ++i) rows.push_back({static_cast<LPARAM>(i)});
        first_.Fill(rows);
        second_.Fill(rows);
    }
    bool CanShowListing() const override { return first_.Handle() != nullptr; }

    CReportList first_;
    CReportList second_;
    CPagedListing listing_;
    CPagedListing plain_;
    std::vector<Item> items_;
    int32_t token_ = 0;
    int ends_[3] = {};
};

class ReportListTest : public testing::Test {
protected:
    void SetUp() override { Make(); }
    void Make(const ListingWire& wire = kWire) {
        host_.DetachAllSnapIns();
        snapIn_ = std::make_unique<PagedSnapIn>(&host_, wire);
        host_.Adopt(snapIn_.get());
    }

    // One page: entries [first, first + names.size()) of a list of `total`.
    std::unique_ptr<Message> Page(std::vector<std::string> names, int64_t upTo, int64_t total, int16_t ret = 1) {
        CXmlElement root("Items");
        root.AddAttribute("UpTo", std::to_string(upTo));
        root.AddAttribute("Total", std::to_string(total));
        for (size_t i = 0; i < names.size(); ++i) {
            CXmlElement* item = root.AddChild("Item");
            item->AddAttribute("Name", names[i]);
            item->AddAttribute("Size", std::to_string(10 * (names.size() - i)));
        }
        CXmlOptions options;
        return Answer(root.ToText(options), ret);
    }
    std::unique_ptr<Message> Answer(const std::string& text, int16_t ret = 1) {
        auto answer = host_.MakeAnswer(IDS_TEST_SNAPIN, kListCommand);
        answer->Root().ChildNode("RetValue").SetShort(ret);
        answer->Root().ChildNode("Items").SetText(text);
        return answer;
    }
    // The StartAt of every page request so far.
    std::vector<std::string> StartsAsked() const {
        std::vector<std::string> starts;
        for (const auto& request : host_.Requests()) {
            if (request->Command() != kListCommand) continue;
            CXmlElement element;
            CXmlOptions options;
            element.Parse(request->Root().Find("Items")->Text().c_str(), options);
            starts.emplace_back(element.GetAttribute("StartAt") ? element.GetAttribute("StartAt") : "?");
        }
        return starts;
    }
    std::vector<std::wstring> Column(HWND list, int column) const {
        std::vector<std::wstring> texts;
        const int count = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) texts.push_back(ListViewText(list, i, column));
        return texts;
    }
    void ClickHeader(CReportList& list, int column) {
        NMLISTVIEW click = {};
        click.hdr.hwndFrom = list.Handle();
        click.hdr.idFrom = static_cast<UINT_PTR>(list.ControlId());
        click.hdr.code = LVN_COLUMNCLICK;
        click.iItem = -1;
        click.iSubItem = column;
        ::SendMessageW(snapIn_->GetWindow(), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
    }
    void ListFive() {
        snapIn_->Listing().Start();
        host_.Deliver(Page({"delta", "alpha", "echo", "charlie", "bravo"}, 5, 5));
    }

    TestHost host_;
    std::unique_ptr<PagedSnapIn> snapIn_;
};

TEST_F(ReportListTest, PagesArriveFromTheStartAtSentAndTheListingEndsWithTheCounts) {
    snapIn_->Listing().Start();
    EXPECT_EQ(host_.BusyDepth(), 1);
    host_.Deliver(Page({"a", "b"}, 2, 5));
    EXPECT_EQ(host_.StatusText(2), L"2/5");
    host_.Deliver(Page({"c", "d"}, 4, 5));
    host_.Deliver(Page({"e"}, 5, 5));
    EXPECT_EQ(StartsAsked(), (std::vector<std::string>{"-1", "2", "4"}));
    EXPECT_EQ(host_.BusyDepth(), 0);
    EXPECT_EQ(host_.StatusText(1), L"Success");
    EXPECT_EQ(host_.StatusText(2), L"5/5");
    EXPECT_EQ(Column(snapIn_->First().Handle(), 0), (std::vector<std::wstring>{L"a", L"b", L"c", L"d", L"e"}));
    EXPECT_EQ(Column(snapIn_->Second().Handle(), 1), (std::vector<std::wstring>{L"20", L"10", L"20", L"10", L"10"}));
    EXPECT_EQ(snapIn_->Ends(ListingEnd::Done), 1);
}

TEST_F(ReportListTest, EachListSortsAndKeepsItsLayoutOnItsOwn) {
    ListFive();
    ClickHeader(snapIn_->First(), 0);
    ClickHeader(snapIn_->Second(), 1);
    ClickHeader(snapIn_->Second(), 1);  // the second click flips
    EXPECT_EQ(Column(snapIn_->First().Handle(), 0),
              (std::vector<std::wstring>{L"alpha", L"bravo", L"charlie", L"delta", L"echo"}));
    EXPECT_EQ(Column(snapIn_->Second().Handle(), 1), (std::vector<std::wstring>{L"50", L"40", L"30", L"20", L"10"}));
    EXPECT_EQ(snapIn_->First().Sort()->column, 0);
    EXPECT_TRUE(snapIn_->First().Sort()->ascending);
    EXPECT_FALSE(snapIn_->Second().Sort()->ascending);
    ::SendMessageW(snapIn_->Second().Handle(), LVM_SETCOLUMNWIDTH, 0, 77);

    // The host's own CompareItems reaches the right list.
    EXPECT_GT(snapIn_->CompareItems(1, 0, kFirstListId), 0);
    EXPECT_GT(snapIn_->CompareItems(1, 0, kSecondListId), 0);
    EXPECT_EQ(snapIn_->CompareItems(1, 0, 9999), 0);

    snapIn_->Activate();
    snapIn_->Deactivate();  // saves both layouts
    Make();
    snapIn_->Activate();
    ListFive();
    EXPECT_EQ(Column(snapIn_->First().Handle(), 0),
              (std::vector<std::wstring>{L"alpha", L"bravo", L"charlie", L"delta", L"echo"}));
    EXPECT_EQ(Column(snapIn_->Second().Handle(), 0),
              (std::vector<std::wstring>{L"delta", L"alpha", L"echo", L"charlie", L"bravo"}));
    EXPECT_EQ(::SendMessageW(snapIn_->Second().Handle(), LVM_GETCOLUMNWIDTH, 0, 0), 77);
    EXPECT_NE(::SendMessageW(snapIn_->First().Handle(), LVM_GETCOLUMNWIDTH, 0, 0), 77);
}

TEST_F(ReportListTest, ARefillKeepsTheSelectedRecordSelected) {
    ListFive();
    snapIn_->First().Select(4);  // "bravo"
    ASSERT_EQ(snapIn_->First().SelectedKey(), 4);
    snapIn_->Listing().Start();
    host_.Deliver(Page({"bravo", "zulu", "delta", "alpha", "echo"}, 5, 5));
    // The same record is selected again, though its key and place are new.
    EXPECT_EQ(snapIn_->First().SelectedKey(), 0);
    ClickHeader(snapIn_->First(), 0);
    const int item = static_cast<int>(::SendMessageW(snapIn_->First().Handle(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    EXPECT_EQ(ListViewText(snapIn_->First().Handle(), item, 0), L"bravo");
    // A record that has gone leaves nothing selected in an unsorted list.
    snapIn_->First().RemoveSort();
    snapIn_->Listing().Start();
    host_.Deliver(Page({"zulu"}, 1, 1));
    EXPECT_EQ(snapIn_->First().SelectedKey(), std::nullopt);
}

TEST_F(ReportListTest, AppendedRowsFollowTheItemsAndBringTheClearedSelectionBack) {
    ListFive();
    ClickHeader(snapIn_->First(), 0);
    snapIn_->First().Select(4);  // "bravo"
    snapIn_->First().Clear();
    snapIn_->First().Append({{0}, {1}});
    EXPECT_EQ(Column(snapIn_->First().Handle(), 0), (std::vector<std::wstring>{L"delta", L"alpha"})) << "unsorted";
    EXPECT_EQ(snapIn_->First().SelectedKey(), std::nullopt);
    snapIn_->First().Append({{4}, {3}});
    EXPECT_EQ(Column(snapIn_->First().Handle(), 0), (std::vector<std::wstring>{L"delta", L"alpha", L"bravo", L"charlie"}));
    EXPECT_EQ(snapIn_->First().SelectedKey(), 4) << "selected again when it arrived";
    snapIn_->First().Resort();
    EXPECT_EQ(Column(snapIn_->First().Handle(), 0), (std::vector<std::wstring>{L"alpha", L"bravo", L"charlie", L"delta"}));
    EXPECT_EQ(snapIn_->First().SelectedKey(), 4);
}

TEST_F(ReportListTest, APageThatDoesNotAdvanceEndsTheListingFailedWithWhatArrived) {
    snapIn_->Listing().Start();
    host_.Deliver(Page({"a", "b"}, 2, 6));
    host_.Deliver(Page({"c"}, 2, 6));  // asked from 2, answered "up to 2"
    EXPECT_EQ(StartsAsked(), (std::vector<std::string>{"-1", "2"}));
    EXPECT_EQ(host_.BusyDepth(), 0);
    EXPECT_EQ(host_.StatusText(1), L"Failed");
    EXPECT_EQ(Column(snapIn_->First().Handle(), 0), (std::vector<std::wstring>{L"a", L"b", L"c"}));
    EXPECT_TRUE(host_.Dialogs().empty());

    // A "Total" of 4294967295 with pages that stop short: asked until the
    // answers stop advancing, never sized from the total.
    snapIn_->Listing().Start();
    host_.Deliver(Page({"a"}, 1, 4294967295LL));
    host_.Deliver(Page({}, 1, 4294967295LL));
    EXPECT_EQ(host_.StatusText(1), L"Failed");
    EXPECT_EQ(host_.BusyDepth(), 0);
}

TEST_F(ReportListTest, ALatePageOfAnOldListingNeverLandsInTheNewOne) {
    snapIn_->Listing().Start();
    snapIn_->Listing().Start();  // a refresh while the first page is on its way
    EXPECT_EQ(host_.CountRequests(kListCommand), 1u) << "one page request at a time";
    host_.Deliver(Page({"old1", "old2"}, 2, 4));
    EXPECT_EQ(StartsAsked(), (std::vector<std::string>{"-1", "-1"}));
    EXPECT_EQ(host_.BusyDepth(), 1);
    host_.Deliver(Page({"new"}, 1, 1));
    EXPECT_EQ(Column(snapIn_->First().Handle(), 0), std::vector<std::wstring>{L"new"});
    EXPECT_EQ(host_.BusyDepth(), 0);
    EXPECT_EQ(host_.BeginBusyCalls(), host_.EndBusyCalls());

    // Cancelled: the page on its way is dropped and the listing ends.
    snapIn_->Listing().Start();
    snapIn_->Listing().Cancel();
    EXPECT_EQ(host_.StatusText(1), L"Cancelling...");
    host_.Deliver(Page({"late"}, 1, 1));
    EXPECT_EQ(host_.StatusText(1), L"Canceled");
    EXPECT_EQ(snapIn_->Ends(ListingEnd::Canceled), 1);
    EXPECT_TRUE(snapIn_->Items().empty());
    EXPECT_EQ(host_.BusyDepth(), 0);
    host_.Deliver(Page({"twice"}, 1, 1));  // nobody asked
    EXPECT_TRUE(snapIn_->Items().empty());
    EXPECT_EQ(host_.Releases(), host_.AnswersMade());
}

TEST_F(ReportListTest, FailuresAndUnreadablePagesShowOneBoxAfterTheListWasUpdated) {
    int busyInBox = -1;
    host_.OnDialog([&](HWND, const CapturedDialog&) {
        busyInBox = host_.BusyDepth();
        return IDOK;
    });
    snapIn_->Listing().Start();
    host_.Deliver(Page({"kept"}, 1, 3));
    auto failure = Answer("", 0);
    failure->Root().ChildNode("ErrorStr").SetText("RABlAG4AaQBlAGQA");  // "Denied"
    host_.Deliver(std::move(failure));
    ASSERT_EQ(host_.Dialogs().size(), 1u);
    EXPECT_EQ(host_.Dialogs()[0].text, L"Denied");
    EXPECT_EQ(busyInBox, 0) << "busy ends before the box";
    EXPECT_EQ(snapIn_->busyWhenEnded, 1) << "the list is updated before busy ends";
    EXPECT_EQ(Column(snapIn_->First().Handle(), 0), std::vector<std::wstring>{L"kept"});

    const char* unreadable[] = {"", "   ", "<Items UpTo='1' Total='1'><Item Name='x'", "<Items><Item/></Items>"};
    for (const char* text : unreadable) {
        host_.Dialogs().clear();
        snapIn_->Listing().Start();
        host_.Deliver(Answer(text));
        EXPECT_EQ(host_.StatusText(1), L"Failed") << text;
        EXPECT_EQ(host_.BusyDepth(), 0) << text;
        ASSERT_EQ(host_.Dialogs().size(), 1u) << text;
        EXPECT_EQ(host_.Dialogs()[0].text, L"The managed machine sent an answer that could not be read.");
    }
}

TEST_F(ReportListTest, AWireOfUnsignedStartsAndItsOwnFailureTextIsFollowed) {
    ListingWire wire = kWire;
    wire.startAtForm = StartAtForm::Unsigned32;
    wire.failureMessageId = IDS_TEST_LIST_FAILED;
    Make(wire);
    snapIn_->Listing().Start();
    host_.Deliver(Page({"a", "b"}, 2, 3));
    auto failure = Answer("", 0);
    failure->Root().ChildNode("ErrorStr").SetText("RABlAG4AaQBlAGQA");  // "Denied"
    host_.Deliver(std::move(failure));
    EXPECT_EQ(StartsAsked(), (std::vector<std::string>{"4294967295", "2"})) << "the first page asked from -1";
    ASSERT_EQ(host_.Dialogs().size(), 1u);
    EXPECT_EQ(host_.Dialogs()[0].text, L"The list could not be read. Denied");
    EXPECT_EQ(Column(snapIn_->First().Handle(), 0), (std::vector<std::wstring>{L"a", L"b"}));
}

TEST_F(ReportListTest, AStoppedListingStillMergesThePageOnItsWayAndEndsCanceledWithItsCounts) {
    snapIn_->Listing().StopAfterPage();  // nothing runs: nothing to stop
    EXPECT_FALSE(snapIn_->Listing().Stopping());
    snapIn_->Listing().Start();
    host_.Deliver(Page({"a", "b"}, 2, 6));
    snapIn_->Listing().StopAfterPage();
    EXPECT_TRUE(snapIn_->Listing().Stopping());
    EXPECT_EQ(host_.StatusText(1), L"Cancelling...");
    host_.Deliver(Page({"c", "d"}, 4, 6));
    EXPECT_EQ(StartsAsked(), (std::vector<std::string>{"-1", "2"})) << "nothing asked after the stop";
    EXPECT_EQ(Column(snapIn_->First().Handle(), 0), (std::vector<std::wstring>{L"a", L"b", L"c", L"d"}));
    EXPECT_EQ(host_.StatusText(1), L"Canceled");
    EXPECT_EQ(host_.StatusText(2), L"4/6");
    EXPECT_EQ(snapIn_->Ends(ListingEnd::Canceled), 1);
    EXPECT_EQ(host_.BusyDepth(), 0);

    // A restart after a stop runs in full.
    snapIn_->Listing().Start();
    snapIn_->Listing().StopAfterPage();
    snapIn_->Listing().Start();
    host_.Deliver(Page({"old"}, 1, 2));
    host_.Deliver(Page({"x"}, 1, 2));
    host_.Deliver(Page({"y"}, 2, 2));
    EXPECT_EQ(Column(snapIn_->First().Handle(), 0), (std::vector<std::wstring>{L"x", L"y"}));
    EXPECT_EQ(host_.StatusText(1), L"Success");
}

TEST_F(ReportListTest, RequestFieldsFollowTheElementAndCarryWhatTheLastAnswerSaid) {
    snapIn_->Listing().Start();
    auto page = Page({"a"}, 1, 2);
    page->Root().ChildNode("Token").SetLong(77);
    host_.Deliver(std::move(page));
    ASSERT_EQ(host_.Requests().size(), 2u);
    for (const auto& request : host_.Requests()) {
        ASSERT_EQ(request->Root().ChildCount(), 2u);
        EXPECT_EQ(request->Root().ChildAt(0).Name(), "Items");
        EXPECT_EQ(request->Root().ChildAt(1).Name(), "Token");
    }
    EXPECT_EQ(host_.Requests()[0]->Root().Find("Token")->AsLong(), 1);
    EXPECT_EQ(host_.Requests()[1]->Root().Find("Token")->AsLong(), 77);
}

TEST_F(ReportListTest, AListingWithoutRetValueFailsOnlyWithoutAReadablePage) {
    auto plainPage = [&](std::vector<std::string> names, int64_t upTo, int64_t total) {
        auto answer = Page(std::move(names), upTo, total, 0);  // whatever "RetValue" says
        answer->SetCommand(kPlainCommand);
        return answer;
    };
    snapIn_->Plain().Start();
    host_.Deliver(plainPage({"a"}, 1, 2));
    host_.Deliver(plainPage({"b"}, 2, 2));
    EXPECT_EQ(host_.StatusText(1), L"Success");
    EXPECT_EQ(snapIn_->Items().size(), 2u);

    snapIn_->Plain().Start();
    auto refused = host_.MakeAnswer(IDS_TEST_SNAPIN, kPlainCommand);
    refused->Root().ChildNode("ErrorStr").SetText("RABlAG4AaQBlAGQA");  // "Denied"
    host_.Deliver(std::move(refused));
    ASSERT_EQ(host_.Dialogs().size(), 1u);
    EXPECT_EQ(host_.Dialogs()[0].text, L"Denied");
    snapIn_->Plain().Start();
    host_.Deliver(host_.MakeAnswer(IDS_TEST_SNAPIN, kPlainCommand));
    ASSERT_EQ(host_.Dialogs().size(), 2u);
    EXPECT_EQ(host_.Dialogs()[1].text, L"The managed machine sent an answer that could not be read.");
    EXPECT_EQ(host_.BusyDepth(), 0);
}

TEST_F(ReportListTest, PagesForAWindowThatHasGoneEndTheListingQuietly) {
    snapIn_->Listing().Start();
    DestroyWindow(snapIn_->GetWindow());
    host_.Deliver(Page({"a"}, 1, 2));
    EXPECT_EQ(host_.BusyDepth(), 0);
    EXPECT_EQ(host_.StatusText(1), L"Canceled");
    EXPECT_TRUE(host_.Dialogs().empty());
    EXPECT_EQ(host_.CountRequests(kListCommand), 1u);
}

}  // namespace
}  // namespace vantrel::test

namespace vantrel::test {
namespace {

TEST_F(ReportListTest, AppendedRowsFollowTheItemsUnsortedUntilTheListIsSortedAgain) {
    ListFive();
    CReportList& list = snapIn_->First();
    ClickHeader(list, 0);
    list.Select(2);  // "echo"
    snapIn_->AppendItems({{L"aardvark", 1}, {L"zulu", 2}});
    EXPECT_EQ(Column(list.Handle(), 0),
              (std::vector<std::wstring>{L"alpha", L"bravo", L"charlie", L"delta", L"echo", L"aardvark", L"zulu"}));
    EXPECT_EQ(list.SelectedKey(), 2) << "the selection stays where it was";
    list.Resort();
    EXPECT_EQ(Column(list.Handle(), 0),
              (std::vector<std::wstring>{L"aardvark", L"alpha", L"bravo", L"charlie", L"delta", L"echo", L"zulu"}));
    EXPECT_EQ(list.SelectedKey(), 2);
}

}  // namespace
}  // namespace vantrel::test
