// An owner-data report list whose rows are keys of an ordinary report source,
// kept here in display order. Filling, appending and sorting touch only this
// vector and the item count, so a hundred thousand rows take milliseconds
// where inserted items take seconds; the cell texts are asked of the source
// only for the rows shown.
//
// The list itself (columns, images, the header's arrow, selection and
// notifications) is a CVirtualReportList; this adds the keys and the sort.
#pragma once

#include "framework/ReportList.h"
#include "framework/VirtualReportList.h"

#include <optional>
#include <span>
#include <vector>

namespace vantrel {

class CSortedVirtualList : private IVirtualListSource {
public:
    struct Row {
        LPARAM key;
        int image = I_IMAGENONE;
    };

    // `settingsName` names the list's layout in the snap-in's settings (may be null).
    CSortedVirtualList(IReportSource& source, const wchar_t* settingsName) : source_(source), list_(*this, settingsName) {}

    CVirtualReportList& List() { return list_; }
    HWND Handle() const { return list_.Handle(); }

    // Replaces the rows and sorts them as the list is sorted, unless they come
    // in the order of the list's sort already (from TakeRows of the same sort).
    enum class Order { Unsorted, Sorted };
    void Fill(std::vector<Row> rows, Order order = Order::Unsorted);
    // Empties the list and hands its rows over in their order.
    std::vector<Row> TakeRows();
    // Adds rows after the others, unsorted until Resort.
    void Append(std::span<const Row> rows);
    void Clear() { Fill({}); }
    void Resort();
    void SortBy(int listColumn, bool ascending);
    std::optional<listview::SortState> Sort() const { return list_.Sort(); }

    int ItemCount() const { return static_cast<int>(rows_.size()); }
    std::optional<LPARAM> KeyOfItem(int item) const;
    std::optional<LPARAM> SelectedKey() const;

    bool HandleNotify(const NMHDR* header, LRESULT* result) { return list_.HandleNotify(header, result); }

private:
    std::wstring CellText(int row, int modelColumn) override;
    int RowImage(int row) override;
    void OnSortChanged(listview::SortState sort) override;
    void OnSelectionChanged() override { source_.OnSelectionChanged(); }
    void OnRowActivated(int row) override;

    void ShowCount();
    void SortRows(listview::SortState sort);

    IReportSource& source_;
    CVirtualReportList list_;
    std::vector<Row> rows_;
};

}  // namespace vantrel
