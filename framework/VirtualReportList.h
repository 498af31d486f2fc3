// A report list for lists too long to hold as items: an owner-data list view
// (LVS_OWNERDATA) that knows only how many rows there are and asks its source
// for the text and picture of each row when it draws it.
//
// Like CReportList it owns its columns (made from a table), its image lists,
// its sort arrow and its layout in the host's settings. It does not sort: a
// header click moves or flips the arrow and tells the source, which orders its
// rows itself (locally or by asking the managed machine). Before drawing, the
// list names the rows it is about to show (the cache hint), so that the source
// can fetch what it lacks.
#pragma once

#include "framework/Handles.h"
#include "framework/ListView.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vantrel {

class IVirtualListSource {
public:
    // The text of a cell; rows are positions 0 .. row count - 1.
    virtual std::wstring CellText(int row, int modelColumn) = 0;
    // The row's picture in the small image list, or I_IMAGENONE.
    virtual int RowImage(int /*row*/) { return I_IMAGENONE; }
    // The list is about to draw the rows first..last (both included).
    virtual void OnCacheHint(int /*first*/, int /*last*/) {}
    // The user chose a sort in the header; the arrow shows it already.
    virtual void OnSortChanged(listview::SortState /*sort*/) {}
    // The selection has changed (also when it became empty).
    virtual void OnSelectionChanged() {}
    // Double click or Enter on a row.
    virtual void OnRowActivated(int /*row*/) {}

protected:
    ~IVirtualListSource() = default;
};

class CVirtualReportList {
public:
    // `settingsName` names the list's layout in the snap-in's settings.
    CVirtualReportList(IVirtualListSource& source, const wchar_t* settingsName);
    CVirtualReportList(const CVirtualReportList&) = delete;
    CVirtualReportList& operator=(const CVirtualReportList&) = delete;

    // Makes the list view (report view, owner data) as a child of `parent`.
    bool Create(HWND parent, int controlId, DWORD style, DWORD extendedStyle);
    // Takes a list view that a dialog made; it must have LVS_OWNERDATA.
    void Attach(HWND list, DWORD extendedStyle);
    void Detach() { list_ = nullptr; }

    HWND Handle() const { return list_; }
    int ControlId() const { return list_ ? GetDlgCtrlID(list_) : 0; }
    const std::wstring& SettingsName() const { return settingsName_; }

    void SetColumns(std::span<const ReportColumn> columns);
    // The model column shown in a list column, or -1.
    int ModelColumn(int listColumn) const;
    // The small images of the rows; the list owns them from now on.
    void SetImages(HIMAGELIST small);
    // The 8x8 up and down arrows of the header.
    void LoadSortArrows();

    // The number of rows. Growing keeps the scroll position and the selection;
    // shrinking drops the selection of rows that are gone.
    void SetRowCount(int count);
    int RowCount() const;
    // Draws these rows again (their texts changed in the source).
    void RedrawRows(int first, int last);

    std::optional<int> SelectedRow() const;
    // Selects and focuses one row and scrolls it into view; -1 selects none.
    void SelectRow(int row);
    // The rows the list shows at the moment: first and last, both included.
    std::optional<std::pair<int, int>> VisibleRows() const;

    // The arrow in the header is the state.
    std::optional<listview::SortState> Sort() const { return sort_; }
    // Shows (or, with nothing, removes) the arrow; the source is not told.
    void SetSort(std::optional<listview::SortState> sort);

    // The notifications of the list: texts and pictures, cache hints, header
    // clicks, selection, activation. True when handled; *result is the answer.
    bool HandleNotify(const NMHDR* header, LRESULT* result);

    POINT ContextMenuPoint(LPARAM contextMenuPosition) const;

    // The layout below the snap-in's settings: an entry named after the list.
    // Loading shows the stored arrow; the caller reads it with Sort().
    void SaveLayout(ISettingsList* section) const;
    void LoadLayout(ISettingsList* section);

private:
    void OnDisplayInfo(NMLVDISPINFOW* info);
    void OnColumnClick(int listColumn);
    void NoteSelection(int first, int last, UINT oldState, UINT newState);

    IVirtualListSource& source_;
    std::wstring settingsName_;
    HWND list_ = nullptr;
    std::vector<ReportColumn> columns_;
    std::optional<listview::SortState> sort_;
    UniqueImageList smallImages_;
    UniqueImageList sortArrows_;
    // The row last seen selected. Asking the control for "the next selected
    // item" walks every row of an owner-data list in some implementations,
    // which a million rows make slow; the notifications say it for free.
    int selectedRow_ = -1;
};

}  // namespace vantrel
