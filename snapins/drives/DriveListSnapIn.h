// Disk Drives: the drives of the managed machine with sizes, free space and
// file system, in four view styles, optionally grouped, with a properties
// dialog for one drive.
#pragma once

#include "framework/PagedListing.h"
#include "framework/ReportList.h"
#include "framework/SnapInBase.h"
#include "snapins/drives/model/DriveModel.h"
#include "snapins/drives/model/Protocol.h"

#include <string>

namespace vantrel {

class CDriveListSnapIn final : public CSnapInBase, private IReportSource, private IListingClient {
public:
    static constexpr int32_t kId = drives::protocol::kSnapInId;

    explicit CDriveListSnapIn(ISnapInHost* host);
    ~CDriveListSnapIn() override;

    int32_t VANTREL_CALL GetSnapInId() override { return kId; }
    HWND VANTREL_CALL Create(HWND parent) override;
    void VANTREL_CALL OnFirstActivate() override;
    void VANTREL_CALL SaveViewSettings() override;
    void VANTREL_CALL UpdateCommands() override;
    BOOL VANTREL_CALL OnContextMenuKey() override;

protected:
    void HandleAnswer(uint32_t command, IHostMessage& answer, IMessageNode& root) override;
    void OnCreateWindow() override;
    void OnCommand(UINT command) override;
    void OnToolBarDropDown(int command) override;

private:
    // IReportSource
    std::wstring CellText(LPARAM key, int modelColumn) override;
    int CompareRecords(LPARAM a, LPARAM b, int modelColumn) override;
    bool OnColumnClick(int listColumn) override;
    void OnSelectionChanged() override;
    void OnItemActivated(LPARAM key) override;
    // IListingClient
    void OnListingStarted() override;
    bool MergePage(const CXmlElement& root) override;
    void OnListingEnded(ListingEnd end) override;
    bool CanShowListing() const override { return list_.Handle() != nullptr; }

    void CreateList();

    void Refresh();
    void RequestDetails(const std::u16string& driveName);
    void OnDetailsAnswer(IHostMessage& answer, IMessageNode& root);

    void FillList();
    void BuildGroups();
    std::wstring GroupName(const drives::DriveGroup& group) const;
    void ToggleGroups();
    const drives::DriveRecord* SelectedDrive() const;
    void ShowProperties();
    void ShowPropertiesDialog(const std::u16string& driveName);
    void OnListContextMenu(CReportList& list, POINT screen) override;
    void ShowViewsDropDown();
    // Tracks a menu with its view items checked and its commands enabled.
    void ShowMenu(HMENU popup, POINT screen, UINT flags);
    void CheckViewItems(HMENU menu);

    // Item keys are record indexes, valid until the records are cleared, which
    // happens only together with the items.
    CReportList list_;
    CPagedListing listing_;
    // A machine has a few dozen volumes; a listing far beyond that is cut
    // rather than freezing the console.
    static constexpr size_t kMaxDrives = 4096;
    drives::DriveList drives_{kMaxDrives};
    drives::DriveGrouping grouping_;
    int groupColumn_ = drives::kColumnType;  // a model column
    // The drive whose details were asked for, by name.
    std::u16string detailsDrive_;
};

}  // namespace vantrel
