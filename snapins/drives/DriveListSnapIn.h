// Disk Drives: the drives of the managed machine with sizes, free space and
// file system, in four view styles, optionally grouped, with a properties
// dialog for one drive.
#pragma once

#include "framework/SnapInBase.h"
#include "snapins/drives/model/DriveModel.h"

#include <string>

namespace vantrel {

class CDriveListSnapIn final : public CSnapInBase {
public:
    static constexpr int32_t kId = 15001;
    static constexpr uint32_t kListCommand = 201;
    static constexpr uint32_t kDetailsCommand = 202;

    explicit CDriveListSnapIn(ISnapInHost* host);
    ~CDriveListSnapIn() override;

    int32_t VANTREL_CALL GetSnapInId() override { return kId; }
    HWND VANTREL_CALL Create(HWND parent) override;
    void VANTREL_CALL OnFirstActivate() override;
    void VANTREL_CALL SaveViewSettings() override;
    void VANTREL_CALL UpdateCommands() override;
    int32_t VANTREL_CALL CompareItems(int32_t item1, int32_t item2, int32_t listId) override;
    BOOL VANTREL_CALL OnContextMenuKey() override;

protected:
    void HandleAnswer(uint32_t command, IHostMessage& answer, IMessageNode& root) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateList();
    void InsertColumns();
    void LoadImages();
    void OnCommand(UINT command);
    LRESULT OnNotify(NMHDR* header);
    // The model column shown in a list column (the device platform has fewer).
    int ModelColumn(int listColumn) const;

    void Refresh();
    void RequestPage(int64_t startAt);
    void OnPageAnswer(IHostMessage& answer, IMessageNode& root);
    void RequestDetails(const std::u16string& driveName);
    void OnDetailsAnswer(IHostMessage& answer, IMessageNode& root);

    void FillList();
    void BuildGroups();
    std::wstring GroupName(const drives::DriveGroup& group) const;
    void EnableGroupView(bool on);
    void RemoveSortArrows();
    void SetViewStyle(DWORD style);
    void ToggleGroups();
    void OnColumnClick(const NMLISTVIEW* click);
    void OnSelectionChanged();
    void ShowProperties();
    void ShowPropertiesDialog(const std::u16string& driveName);
    void ShowContextMenu(POINT screen);
    void ShowViewsDropDown();
    void TrackMenu(HMENU popup, POINT screen, UINT flags);
    void CheckViewItems(HMENU menu);
    int SelectedItem() const;
    // The record behind a list item, or -1.
    int RecordOfItem(int item) const;
    bool IsDevicePlatform() const { return devicePlatform_; }
    HWND CreateWindows(HWND parent);

    HWND list_ = nullptr;
    UniqueImageList smallIcons_;
    UniqueImageList largeIcons_;
    UniqueImageList sortArrows_;
    // A machine has a few dozen volumes; a listing far beyond that is cut
    // rather than freezing the console.
    static constexpr size_t kMaxDrives = 4096;
    drives::DriveList drives_{kMaxDrives};
    // The platform the columns were made for, fixed when the window is made.
    bool devicePlatform_ = false;
    drives::DriveGrouping grouping_;
    int groupColumn_ = drives::kColumnType;  // a model column
    bool groupView_ = false;
    bool groupsSupported_ = false;
    // The StartAt of the page asked for last; the answer's own is not trusted.
    int64_t sentStartAt_ = -1;
    // The drive whose details were asked for, by name.
    std::u16string detailsDrive_;
};

}  // namespace vantrel
