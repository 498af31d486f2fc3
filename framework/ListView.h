// Report list views: the sort arrow in the header, sorting by rank, and the
// layout of the columns (widths, display order, sort column) kept in the
// host's settings. Used by CSnapInBase's own sort state and by CReportList.
#pragma once

#include "host/SnapInHost.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// One column of a report list: what the model calls it, its header string, its
// width at 96 dots per inch and its format.
struct ReportColumn {
    int modelColumn;
    UINT headerId;
    int width;
    int format = LVCFMT_LEFT;
};

}  // namespace vantrel

namespace vantrel::listview {

struct SortState {
    int column = 0;
    bool ascending = true;
};

int ColumnCount(HWND list);
int ItemCount(HWND list);
int SelectedItem(HWND list);
LPARAM ItemParam(HWND list, int item);
// Selects and focuses one item (and only it) and scrolls it into view.
void SelectItem(HWND list, int item);

// The column that shows the arrow, or nothing.
std::optional<SortState> FindSortArrow(HWND list);
// Shows the arrow on one column and takes it from every other.
void DrawSortArrow(HWND list, SortState sort);
void RemoveSortArrow(HWND list);

// Reorders the items: `before(a, b)` says whether the item whose parameter is
// a belongs before the one whose parameter is b; equal items keep their order.
// The order is decided on the list as it is and then applied in one pass; item
// parameters are never rewritten when they are all different, so handlers of
// item changes never see anything but the items' own parameters.
void SortByParams(HWND list, const std::function<bool(LPARAM, LPARAM)>& before);
// The same for a comparison that needs item positions (CSnapInBase's
// CompareItems): positions are those of the list before the sort.
void SortByPositions(HWND list, const std::function<bool(int, int)>& before);

// Layout below a settings entry: "Columns" with one entry per column (index =
// column, value = width) holding "ColumnOrder", and "SortColumn" (-1 for none)
// holding "SortOrder".
void SaveLayout(HWND list, ISettingsNode* layout);
// Applies widths and order as far as they fit the list's real columns, and
// returns the stored sort, if any, for the caller to apply.
std::optional<SortState> LoadLayout(HWND list, ISettingsNode* layout);

// Replaces the list's columns by the table's, widths scaled for the screen.
void InsertColumns(HWND list, std::span<const ReportColumn> columns);

// Where a context menu of the list opens, in screen coordinates: for the mouse
// (WM_CONTEXTMENU with a position) the mouse; from the keyboard (-1) under the
// focused item, or the list's corner without one.
POINT ContextMenuPoint(HWND list, LPARAM contextMenuPosition);

// Copies a cell text into the list's buffer, cut to its size.
void CopyCellText(const std::wstring& text, wchar_t* buffer, int capacity);

// A length in pixels at 96 dots per inch, scaled to the screen the window is on.
int ScaleForDpi(HWND window, int pixels);

}  // namespace vantrel::listview
