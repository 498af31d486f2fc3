// A report list of a snap-in: a list view whose items stand for records of the
// snap-in's model. The list owns its columns (made from a table), its image
// lists, its own sort state and its layout in the host's settings; items
// carry a stable key of the model (never a pointer), and the texts of the
// cells are asked of the model when they are shown.
//
// A snap-in with several lists has one CReportList each; they sort and are
// stored independently.
#pragma once

#include "framework/Handles.h"
#include "framework/ListView.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vantrel {

// What the list needs of its model. Keys are the model's stable identities of
// records; a key that no longer names a record gives an empty text and
// compares equal.
class IReportSource {
public:
    virtual std::wstring CellText(LPARAM key, int modelColumn) = 0;
    // Ascending order of two records by a model column: below 0, 0 or above 0.
    virtual int CompareRecords(LPARAM a, LPARAM b, int modelColumn) = 0;
    // A header click. True when the source has dealt with it (for example by
    // grouping); otherwise the list sorts by the column.
    virtual bool OnColumnClick(int /*listColumn*/) { return false; }
    // The selection has changed (also when it became empty).
    virtual void OnSelectionChanged() {}
    // Double click or Enter on an item.
    virtual void OnItemActivated(LPARAM /*key*/) {}
    // What identifies a record across listings, where keys may be given anew
    // (a name). Empty: the text of the first column.
    virtual std::wstring RecordIdentity(LPARAM /*key*/) { return {}; }

protected:
    ~IReportSource() = default;
};

class CReportList {
public:
    struct Row {
        LPARAM key;
        int image = I_IMAGENONE;
        int group = I_GROUPIDNONE;
    };

    // `settingsName` names the list's layout in the snap-in's settings.
    CReportList(IReportSource& source, const wchar_t* settingsName);
    CReportList(const CReportList&) = delete;
    CReportList& operator=(const CReportList&) = delete;

    // Makes the list view as a child of `parent`, visible and empty.
    bool Create(HWND parent, int controlId, DWORD style, DWORD extendedStyle);
    // Takes a list view that a dialog made.
    void Attach(HWND list, DWORD extendedStyle);
    // The list view is gone with its parent; forget it.
    void Detach() { list_ = nullptr; }

    HWND Handle() const { return list_; }
    int ControlId() const { return list_ ? GetDlgCtrlID(list_) : 0; }

    // Replaces the columns; widths are scaled for the screen.
    void SetColumns(std::span<const ReportColumn> columns);
    // The model column shown in a list column, or -1.
    int ModelColumn(int listColumn) const;
    // Small and large images of the items; the list owns them from now on.
    void SetImages(HIMAGELIST small, HIMAGELIST large);
    // The 8x8 up and down arrows of the header.
    void LoadSortArrows();

    // View style: LVS_ICON, LVS_SMALLICON, LVS_LIST or LVS_REPORT.
    void SetViewStyle(DWORD style);
    DWORD ViewStyle() const;

    // Groups, where the list view can really show them (not every
    // implementation of the common controls can). Rows name their group by
    // its position in `names`.
    bool SupportsGroups() const { return groupsSupported_; }
    void SetGroups(const std::vector<std::wstring>& names);
    void ShowGroups(bool on);
    bool GroupsShown() const { return groupsShown_; }

    // Replaces every item by the rows, in order, then sorts them again as they
    // were sorted. The record selected before (by its identity, also across a
    // Clear) is selected again when it is still there.
    void Fill(const std::vector<Row>& rows);
    // Adds the rows after the last item, unsorted: lists that show a listing
    // while its pages arrive. Resort() puts them in order at the end. The
    // record selected when the list was cleared is selected again when it
    // comes back.
    void Append(const std::vector<Row>& rows);
    // Removes every item; call it before the records go.
    void Clear();
    // Redraws the items of these keys (their texts changed in the model).
    void RefreshKey(LPARAM key);

    int ItemCount() const;
    std::optional<LPARAM> SelectedKey() const;
    std::vector<LPARAM> SelectedKeys() const;
    std::optional<LPARAM> KeyOfItem(int item) const;
    int FindItem(LPARAM key) const;
    void Select(LPARAM key);

    // Sorting: the arrow in the header is the state.
    std::optional<listview::SortState> Sort() const { return sort_; }
    void SortBy(int listColumn, bool ascending);
    void RemoveSort();
    // Sorts again by the current sort (after a change of the records).
    void Resort();
    // Order of the items at two positions by the current sort, direction
    // included (above 0: the first belongs after the second).
    int CompareItemsAt(int item1, int item2);

    // The notifications of the list: texts, header clicks, selection,
    // activation. True when handled; *result is then the answer.
    bool HandleNotify(const NMHDR* header, LRESULT* result);

    // Where a context menu opens: for the mouse (WM_CONTEXTMENU with a
    // position) the mouse; from the keyboard under the focused item, or the
    // list's corner without one. In screen coordinates.
    POINT ContextMenuPoint(LPARAM contextMenuPosition) const;

    // The layout below the snap-in's settings: an entry named after the list.
    void SaveLayout(ISettingsList* section) const;
    void LoadLayout(ISettingsList* section);

private:
    void OnDisplayInfo(NMLVDISPINFOW* info);
    void OnColumnClick(int listColumn);
    int CompareKeys(LPARAM a, LPARAM b, int modelColumn) const;
    std::wstring IdentityOf(LPARAM key);

    IReportSource& source_;
    std::wstring settingsName_;
    HWND list_ = nullptr;
    std::vector<ReportColumn> columns_;
    std::optional<listview::SortState> sort_;
    UniqueImageList smallImages_;
    UniqueImageList largeImages_;
    UniqueImageList sortArrows_;
    std::wstring textBuffer_;  // the text last handed to the list view
    bool groupsSupported_ = false;
    bool groupsShown_ = false;
    // The record selected when the items were cleared.
    std::optional<std::wstring> keptSelection_;
};

}  // namespace vantrel
