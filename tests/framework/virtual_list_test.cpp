// Owner-data report lists of the framework, on a snap-in of the tests' own: the
// list asks its source for each cell and picture as it shows them, names the
// rows it is about to draw, leaves sorting to the source, and keeps its layout.
#include "framework/SnapInBase.h"
#include "framework/VirtualReportList.h"
#include "tests/framework/TestIds.h"
#include "tests/host/TestHost.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace vantrel::test {
namespace {

constexpr int kListId = 4713;
constexpr ReportColumn kColumns[] = {{7, IDS_TEST_COLUMN_NAME, 120}, {3, IDS_TEST_COLUMN_SIZE, 60, LVCFMT_RIGHT}};

class VirtualSnapIn final : public CSnapInBase, private IVirtualListSource {
public:
    explicit VirtualSnapIn(ISnapInHost* host) : CSnapInBase(host), list_(*this, L"VirtualList") {}
    ~VirtualSnapIn() override { DestroySnapInWindow(); }

    int32_t VANTREL_CALL GetSnapInId() override { return IDS_TEST_SNAPIN; }
    HWND VANTREL_CALL Create(HWND parent) override {
        if (!CreateSnapInWindow(parent)) return nullptr;
        list_.Create(Window(), kListId, LVS_SHOWSELALWAYS | LVS_SINGLESEL, LVS_EX_HEADERDRAGDROP | LVS_EX_FULLROWSELECT);
        list_.SetColumns(kColumns);
        list_.LoadSortArrows();
        list_.SetImages(ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 4, 0));
        SetMainChild(list_.Handle());
        return Window();
    }
    void VANTREL_CALL SaveViewSettings() override {
        if (ISettingsNode* settings = Host()->GetSnapInSettings(IDS_TEST_SNAPIN)) list_.SaveLayout(settings->Items());
    }
    void VANTREL_CALL OnFirstActivate() override {
        if (ISettingsNode* settings = Host()->GetSnapInSettings(IDS_TEST_SNAPIN)) list_.LoadLayout(settings->Items());
    }

    CVirtualReportList& List() { return list_; }
    std::vector<std::pair<int, int>> hints;
    std::vector<listview::SortState> sorts;
    std::vector<int> activated;
    std::vector<std::pair<int, int>> cellsAsked;  // row, model column
    int selectionChanges = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_NOTIFY && lParam) {
            LRESULT result = 0;
            if (list_.HandleNotify(reinterpret_cast<NMHDR*>(lParam), &result)) return result;
        }
        return CSnapInBase::WindowProc(message, wParam, lParam);
    }

private:
    std::wstring CellText(int row, int modelColumn) override {
        cellsAsked.emplace_back(row, modelColumn);
        if (modelColumn == 7) return row == 5 ? std::wstring(2000, L'x') : L"row " + std::to_wstring(row);
        return std::to_wstring(row * 10);
    }
    int RowImage(int row) override { return row % 3; }
    void OnCacheHint(int first, int last) override { hints.emplace_back(first, last); }
    void OnSortChanged(listview::SortState sort) override { sorts.push_back(sort); }
    void OnSelectionChanged() override { ++selectionChanges; }
    void OnRowActivated(int row) override { activated.push_back(row); }

    CVirtualReportList list_;
};

class VirtualListTest : public testing::Test {
protected:
    void SetUp() override { Make(); }
    void Make() {
        host_.DetachAllSnapIns();
        snapIn_ = std::make_unique<VirtualSnapIn>(&host_);
        host_.Adopt(snapIn_.get());
        list_ = snapIn_->List().Handle();
        ASSERT_NE(list_, nullptr);
    }
    void Notify(NMHDR& header, UINT code) {
        header.hwndFrom = list_;
        header.idFrom = kListId;
        header.code = code;
        ::SendMessageW(snapIn_->GetWindow(), WM_NOTIFY, kListId, reinterpret_cast<LPARAM>(&header));
    }
    void ClickHeader(int column) {
        NMLISTVIEW click = {};
        click.iItem = -1;
        click.iSubItem = column;
        Notify(click.hdr, LVN_COLUMNCLICK);
    }
    void Hint(int from, int to) {
        NMLVCACHEHINT hint = {};
        hint.iFrom = from;
        hint.iTo = to;
        Notify(hint.hdr, LVN_ODCACHEHINT);
    }
    int Image(int row) {
        LVITEMW item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        ::SendMessageW(list_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        return item.iImage;
    }
    int ArrowColumn(bool* ascending) const {
        auto sort = listview::FindSortArrow(list_);
        if (sort) *ascending = sort->ascending;
        return sort ? sort->column : -1;
    }

    TestHost host_;
    std::unique_ptr<VirtualSnapIn> snapIn_;
    HWND list_ = nullptr;
};

TEST_F(VirtualListTest, CellsAndPicturesAreAskedOfTheSourceRowByRowAsTheyAreShown) {
    EXPECT_TRUE(GetWindowLongW(list_, GWL_STYLE) & LVS_OWNERDATA);
    snapIn_->List().SetRowCount(1'000'000);
    EXPECT_EQ(snapIn_->List().RowCount(), 1'000'000);
    snapIn_->cellsAsked.clear();
    EXPECT_EQ(ListViewText(list_, 999'999, 0), L"row 999999");
    EXPECT_EQ(ListViewText(list_, 42, 1), L"420");
    EXPECT_EQ((std::vector<std::pair<int, int>>{{999'999, 7}, {42, 3}}), snapIn_->cellsAsked)
        << "list columns map to the model's columns";
    EXPECT_EQ(ListViewText(list_, 5, 0), std::wstring(1023, L'x')) << "cut to the asker's buffer";
    EXPECT_EQ(Image(4), 1);
    EXPECT_EQ(Image(6), 0);
}

TEST_F(VirtualListTest, CacheHintsReachTheSourceWithinTheRows) {
    snapIn_->List().SetRowCount(50);
    Hint(10, 30);
    Hint(45, 80);   // past the end: cut
    Hint(-5, -1);   // nothing of the list: not passed on
    Hint(30, 10);   // backwards: not passed on
    EXPECT_EQ(snapIn_->hints, (std::vector<std::pair<int, int>>{{10, 30}, {45, 49}}));

    // The control's own hints while it draws.
    snapIn_->hints.clear();
    InvalidateRect(list_, nullptr, TRUE);
    UpdateWindow(list_);
    for (const auto& [first, last] : snapIn_->hints) {
        EXPECT_GE(first, 0);
        EXPECT_LE(last, 49);
    }
}

TEST_F(VirtualListTest, HeaderClicksMoveAndFlipTheArrowAndLeaveTheOrderToTheSource) {
    snapIn_->List().SetRowCount(3);
    ClickHeader(1);
    ClickHeader(1);
    ClickHeader(0);
    ClickHeader(7);  // no such column
    ASSERT_EQ(snapIn_->sorts.size(), 3u);
    EXPECT_EQ(snapIn_->sorts[0].column, 1);
    EXPECT_TRUE(snapIn_->sorts[0].ascending);
    EXPECT_FALSE(snapIn_->sorts[1].ascending) << "the sorted column flips";
    EXPECT_EQ(snapIn_->sorts[2].column, 0);
    EXPECT_TRUE(snapIn_->sorts[2].ascending) << "another column starts ascending";
    bool ascending = false;
    EXPECT_EQ(ArrowColumn(&ascending), 0);
    EXPECT_TRUE(ascending);
    EXPECT_EQ(ListViewText(list_, 0, 0), L"row 0") << "the list itself reorders nothing";

    snapIn_->List().SetSort(std::nullopt);
    EXPECT_EQ(ArrowColumn(&ascending), -1);
    snapIn_->List().SetSort(listview::SortState{9, true});
    EXPECT_EQ(snapIn_->List().Sort(), std::nullopt) << "an arrow only on a real column";
    EXPECT_EQ(snapIn_->sorts.size(), 3u) << "setting the arrow tells nobody";
}

TEST_F(VirtualListTest, GrowingKeepsTheSelectionAndShrinkingDropsRowsThatAreGone) {
    snapIn_->List().SetRowCount(100);
    snapIn_->List().SelectRow(60);
    const int top = static_cast<int>(::SendMessageW(list_, LVM_GETTOPINDEX, 0, 0));
    EXPECT_GT(snapIn_->selectionChanges, 0);
    snapIn_->List().SetRowCount(100'000);
    EXPECT_EQ(snapIn_->List().SelectedRow(), 60);
    EXPECT_EQ(::SendMessageW(list_, LVM_GETTOPINDEX, 0, 0), top) << "rows added below do not scroll";
    const auto visible = snapIn_->List().VisibleRows();
    ASSERT_TRUE(visible);
    EXPECT_LE(visible->first, 60);
    EXPECT_GE(visible->second, 60);

    snapIn_->List().SetRowCount(10);
    EXPECT_EQ(snapIn_->List().SelectedRow(), std::nullopt);
    snapIn_->List().SetRowCount(0);
    EXPECT_EQ(snapIn_->List().VisibleRows(), std::nullopt);
    snapIn_->List().SelectRow(3);
    EXPECT_EQ(snapIn_->List().SelectedRow(), std::nullopt) << "no rows, nothing to select";
}

TEST_F(VirtualListTest, DoubleClickAndEnterActivateARowOfTheList) {
    snapIn_->List().SetRowCount(20);
    NMITEMACTIVATE click = {};
    click.iItem = 7;
    Notify(click.hdr, NM_DBLCLK);
    click.iItem = 20;  // below the last row
    Notify(click.hdr, NM_DBLCLK);
    NMHDR enter = {};
    Notify(enter, NM_RETURN);  // nothing selected
    snapIn_->List().SelectRow(3);
    Notify(enter, NM_RETURN);
    EXPECT_EQ(snapIn_->activated, (std::vector<int>{7, 3}));
}

TEST_F(VirtualListTest, TheLayoutAndTheArrowComeBackAfterDeactivation) {
    snapIn_->Activate();
    snapIn_->List().SetRowCount(5);
    ClickHeader(1);
    ClickHeader(1);
    int order[2] = {1, 0};
    ::SendMessageW(list_, LVM_SETCOLUMNORDERARRAY, 2, reinterpret_cast<LPARAM>(order));
    ::SendMessageW(list_, LVM_SETCOLUMNWIDTH, 0, 151);
    snapIn_->Deactivate();

    Make();
    snapIn_->Activate();
    ASSERT_TRUE(snapIn_->List().Sort());
    EXPECT_EQ(snapIn_->List().Sort()->column, 1);
    EXPECT_FALSE(snapIn_->List().Sort()->ascending);
    EXPECT_TRUE(snapIn_->sorts.empty()) << "a loaded arrow is read, not announced";
    int loaded[2] = {};
    ::SendMessageW(list_, LVM_GETCOLUMNORDERARRAY, 2, reinterpret_cast<LPARAM>(loaded));
    EXPECT_EQ(loaded[0], 1);
    EXPECT_EQ(::SendMessageW(list_, LVM_GETCOLUMNWIDTH, 0, 0), 151);
}

}  // namespace
}  // namespace vantrel::test
