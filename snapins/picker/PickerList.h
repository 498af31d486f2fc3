// The account picker's list of very many accounts: an owner-data list view (LVS_OWNERDATA)
// whose rows live here, in display order, as keys of the model. Filling,
// appending and sorting touch only this vector and the item count, so a
// hundred thousand rows take milliseconds where inserted items take seconds;
// the cell texts are asked of the model only for the rows shown.
//
// Columns, the header's sort arrow and the model (IReportSource) are those of
// CReportList; the sort order is the list's own and is not stored.
#pragma once

#include "framework/Handles.h"
#include "framework/ListView.h"
#include "framework/ReportList.h"

#include <optional>
#include <span>
#include <vector>

namespace vantrel {

class CPickerList {
public:
    struct Row {
        LPARAM key;
        int image = I_IMAGENONE;
    };

    explicit CPickerList(IReportSource& source) : source_(source) {}
    CPickerList(const CPickerList&) = delete;
    CPickerList& operator=(const CPickerList&) = delete;

    // Takes a list view made with LVS_OWNERDATA and LVS_REPORT.
    void Attach(HWND list, DWORD extendedStyle);
    void Detach() { list_ = nullptr; }
    HWND Handle() const { return list_; }

    void SetColumns(std::span<const ReportColumn> columns);
    // Small images of the rows; the list owns them from now on.
    void SetImages(HIMAGELIST small);
    void LoadSortArrows();

    // Replaces the rows and sorts them as the list is sorted, unless they come
    // in the order of the list's sort already (from TakeRows of the same sort).
    enum class Order { Unsorted, Sorted };
    void Fill(std::vector<Row> rows, Order order = Order::Unsorted);
    // Empties the list and hands its rows over in their order.
    std::vector<Row> TakeRows();
    // Adds rows after the others, unsorted until Resort.
    void Append(std::span<const Row> rows);
    void Clear();
    void Resort();
    void SortBy(int listColumn, bool ascending);
    std::optional<listview::SortState> Sort() const { return sort_; }

    int ItemCount() const { return static_cast<int>(rows_.size()); }
    std::optional<LPARAM> KeyOfItem(int item) const;
    std::optional<LPARAM> SelectedKey() const;

    // Texts and images asked for, header clicks, selection and activation.
    // True when handled; *result is then the answer.
    bool HandleNotify(const NMHDR* header, LRESULT* result);

private:
    void ShowCount();
    void OnDisplayInfo(NMLVDISPINFOW* info);
    void SelectItem(int item);

    IReportSource& source_;
    HWND list_ = nullptr;
    std::vector<ReportColumn> columns_;
    std::vector<Row> rows_;
    std::optional<listview::SortState> sort_;
    UniqueImageList images_;
    UniqueImageList sortArrows_;
    std::wstring textBuffer_;
};

}  // namespace vantrel
