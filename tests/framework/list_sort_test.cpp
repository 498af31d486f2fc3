// Sorting by column with the header arrow, and column layouts kept in the
// host's settings, on a real list view.
#include "TestListSnapIn.h"
#include "tests/host/TestHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <memory>

namespace vantrel::test {
namespace {

class ListSortTest : public testing::Test {
protected:
    void Make(int columns) {
        snapIn_ = std::make_unique<TestListSnapIn>(&host_, columns);
        ASSERT_NE(snapIn_->Create(host_.Content()), nullptr);
        list_ = snapIn_->List();
    }

    void FillSample() {
        snapIn_->Fill({{L"delta", 4, 0.5},
                       {L"Alpha", 2, 1.5},
                       {L"charlie", 2, std::nan("")},
                       {L"bravo", 9, -1.0},
                       {L"\u00c4rger", 2, 0.0}});
    }

    std::vector<std::wstring> Texts() const {
        std::vector<std::wstring> texts;
        int count = static_cast<int>(::SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) texts.push_back(ListViewText(list_, i, 0));
        return texts;
    }

    void Click(int column) {
        NMLISTVIEW click = {};
        click.iSubItem = column;
        snapIn_->SortByColumnClick(list_, &click);
    }

    // Format and image of a column as the header shows them.
    std::pair<int, int> Arrow(int column) const {
        LVCOLUMNW info = {};
        info.mask = LVCF_FMT | LVCF_IMAGE;
        ::SendMessageW(list_, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info));
        return {info.fmt & (LVCFMT_IMAGE | LVCFMT_BITMAP_ON_RIGHT), info.iImage};
    }

    ISettingsNode* Layout() { return host_.GetSnapInSettings(IDS_TEST_SNAPIN)->Items()->AddChild(L"TestList", 0); }
    ISettingsNode* StoredLayout() { return host_.GetSnapInSettings(IDS_TEST_SNAPIN)->Items()->Find(L"TestList"); }

    TestHost host_;
    std::unique_ptr<TestListSnapIn> snapIn_;
    HWND list_ = nullptr;
};

TEST_F(ListSortTest, ClickSortsAscendingAndAClickOnTheSortedColumnFlips) {
    Make(3);
    FillSample();
    int ascending = -1;
    EXPECT_EQ(snapIn_->FindSortColumn(list_, &ascending), -1);
    EXPECT_EQ(ascending, -1) << "left alone without an arrow";

    Click(0);
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L"Alpha", L"bravo", L"charlie", L"delta", L"\u00c4rger"}));
    EXPECT_EQ(Arrow(0), std::make_pair(LVCFMT_IMAGE | LVCFMT_BITMAP_ON_RIGHT, 0));
    Click(0);
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L"\u00c4rger", L"delta", L"charlie", L"bravo", L"Alpha"}));
    EXPECT_EQ(Arrow(0).second, 1);
    EXPECT_EQ(snapIn_->FindSortColumn(list_, &ascending), 0);
    EXPECT_EQ(ascending, 0);

    Click(1);  // another column: ascending, and the old arrow goes
    EXPECT_EQ(Arrow(0).first, 0);
    EXPECT_EQ(Arrow(1).second, 0);
    // Equal numbers keep the order they had (descending by name from before).
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L"\u00c4rger", L"charlie", L"Alpha", L"delta", L"bravo"}));
    Click(1);
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L"bravo", L"delta", L"\u00c4rger", L"charlie", L"Alpha"}));
}

TEST_F(ListSortTest, ComparisonHelpersFollowTheDirection) {
    Make(1);
    snapIn_->SetAscending(true);
    EXPECT_EQ(snapIn_->CompareNumbers(5, 3), 1);
    EXPECT_EQ(snapIn_->CompareNumbers(3, 5), 0);
    EXPECT_EQ(snapIn_->CompareNumbers(std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max()), 0);
    EXPECT_EQ(snapIn_->CompareDoubles(std::nan(""), 1.0), 0);
    EXPECT_EQ(snapIn_->CompareDoubles(2.0, 1.0), 1);
    EXPECT_EQ(snapIn_->CompareTexts(L"abc", L"ABD"), -1);
    EXPECT_EQ(snapIn_->CompareTexts(L"ABC", L"abc"), 0);
    EXPECT_EQ(snapIn_->CompareTexts(L"ab", L"abc"), -1);
    snapIn_->SetAscending(false);
    EXPECT_EQ(snapIn_->CompareNumbers(3, 5), 1);
    EXPECT_EQ(snapIn_->CompareDoubles(1.0, 2.0), 1);
    EXPECT_EQ(snapIn_->CompareTexts(L"abc", L"ABD"), 1);
}

TEST_F(ListSortTest, LayoutRoundTripsThroughTheStoreAndAFile) {
    Make(40);  // more positions than fit without allocating
    FillSample();
    std::vector<int> order(40);
    for (int i = 0; i < 40; ++i) order[static_cast<size_t>(i)] = 39 - i;
    ::SendMessageW(list_, LVM_SETCOLUMNORDERARRAY, 40, reinterpret_cast<LPARAM>(order.data()));
    ::SendMessageW(list_, LVM_SETCOLUMNWIDTH, 3, 177);
    Click(1);
    Click(1);
    snapIn_->SaveColumns(list_, Layout());
    size_t entries = host_.Settings().EntryCount();
    snapIn_->SaveColumns(list_, Layout());
    EXPECT_EQ(host_.Settings().EntryCount(), entries) << "saving again replaces, it does not grow";

    auto file = std::filesystem::temp_directory_path() / ("layout-" + std::to_string(GetCurrentProcessId()) + ".txt");
    std::string error;
    ASSERT_TRUE(host_.Settings().SaveToFile(file, &error)) << error;
    TestHost restarted;
    ASSERT_TRUE(restarted.Settings().LoadFromFile(file, &error)) << error;
    std::filesystem::remove(file);

    TestListSnapIn again(&restarted, 40);
    ASSERT_NE(again.Create(restarted.Content()), nullptr);
    again.Fill(snapIn_->Rows());
    again.LoadColumns(again.List(), restarted.GetSnapInSettings(IDS_TEST_SNAPIN)->Items()->Find(L"TestList"));
    std::vector<int> loaded(40);
    ::SendMessageW(again.List(), LVM_GETCOLUMNORDERARRAY, 40, reinterpret_cast<LPARAM>(loaded.data()));
    EXPECT_EQ(loaded, order);
    EXPECT_EQ(::SendMessageW(again.List(), LVM_GETCOLUMNWIDTH, 3, 0), 177);
    int ascending = -1;
    EXPECT_EQ(again.FindSortColumn(again.List(), &ascending), 1);
    EXPECT_EQ(ascending, 0);
    EXPECT_EQ(ListViewText(again.List(), 0, 0), L"bravo") << "sorted on loading";
}

TEST_F(ListSortTest, UnsortedListsStoreMinusOneAndLoadWithoutSorting) {
    Make(3);
    FillSample();
    snapIn_->SaveColumns(list_, Layout());
    ISettingsNode* sort = StoredLayout()->Items()->Find(L"SortColumn");
    ASSERT_NE(sort, nullptr);
    EXPECT_EQ(sort->GetValue(), -1);
    sort->Items()->SetNamedValue(L"SortOrder", 0);  // ignored with -1
    auto before = Texts();
    snapIn_->LoadColumns(list_, StoredLayout());
    EXPECT_EQ(Texts(), before);
    int ascending = 7;
    EXPECT_EQ(snapIn_->FindSortColumn(list_, &ascending), -1);
    EXPECT_EQ(snapIn_->CompareCalls(), 0);
    snapIn_->LoadColumns(list_, nullptr);  // nothing stored: nothing happens
    snapIn_->Resort(list_);                // no arrow: nothing happens
    EXPECT_EQ(Texts(), before);
}

// Counts the column orders a list is given.
LRESULT CALLBACK CountOrders(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR count) {
    if (message == LVM_SETCOLUMNORDERARRAY) ++*reinterpret_cast<int*>(count);
    return DefSubclassProc(window, message, wParam, lParam);
}

TEST_F(ListSortTest, DamagedLayoutsApplyOnlyWhatFitsTheList) {
    Make(4);
    FillSample();
    int ordersSent = 0;
    SetWindowSubclass(list_, &CountOrders, 1, reinterpret_cast<DWORD_PTR>(&ordersSent));
    const auto store = [&](std::vector<int> orders, std::vector<int> widths) {
        ISettingsNode* columns = Layout()->Items()->AddChild(L"Columns", 0);
        for (size_t i = 0; i < orders.size(); ++i)
            columns->Items()->AddAt(static_cast<int>(i), widths[i])->Items()->SetNamedValue(L"ColumnOrder", orders[i]);
        return columns;
    };

    // The right count, but a position twice: no permutation, not applied.
    store({0, 0, 2, 3}, {0, 90000, 50, 50});
    snapIn_->LoadColumns(list_, StoredLayout());
    EXPECT_EQ(ordersSent, 0);
    EXPECT_EQ(::SendMessageW(list_, LVM_GETCOLUMNWIDTH, 0, 0), 0) << "a column the user closed stays closed";
    EXPECT_LE(::SendMessageW(list_, LVM_GETCOLUMNWIDTH, 1, 0), 4096);
    EXPECT_EQ(::SendMessageW(list_, LVM_GETCOLUMNWIDTH, 2, 0), 50);

    // Out of range, and the wrong count with an entry beyond the list.
    store({0, 1, 2, 7}, {60, 60, 60, 60});
    snapIn_->LoadColumns(list_, StoredLayout());
    ISettingsNode* longer = store({3, 2, 1, 0}, {60, 60, 60, 60});
    longer->Items()->AddAt(17, 80)->Items()->SetNamedValue(L"ColumnOrder", 4);
    StoredLayout()->Items()->SetNamedValue(L"SortColumn", 9)->Items()->SetNamedValue(L"SortOrder", 1);
    snapIn_->LoadColumns(list_, StoredLayout());
    EXPECT_EQ(ordersSent, 0);
    int ascending = 0;
    EXPECT_EQ(snapIn_->FindSortColumn(list_, &ascending), -1) << "a sort column beyond the list is ignored";

    // A sound one is applied.
    store({3, 2, 1, 0}, {60, 60, 60, 60});
    snapIn_->LoadColumns(list_, StoredLayout());
    EXPECT_EQ(ordersSent, 1);
    RemoveWindowSubclass(list_, &CountOrders, 1);
}

TEST_F(ListSortTest, ResortAfterARefillSelectsTheFirstItem) {
    Make(2);
    FillSample();
    Click(0);
    FillSample();  // refilled in arrival order
    snapIn_->Resort(list_);
    EXPECT_EQ(Texts().front(), L"Alpha");
    EXPECT_EQ(::SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 0);
    // Parameters come back unchanged whatever the sort did with them.
    for (int i = 0; i < 5; ++i) EXPECT_EQ(snapIn_->Rows()[static_cast<size_t>(snapIn_->RowAt(i))].text, ListViewText(list_, i, 0));
}

}  // namespace
}  // namespace vantrel::test
