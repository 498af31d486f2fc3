// Services: the services of the managed machine in one list, in an Extended
// view with a description pane or a Standard view without; start, stop,
// pause, resume, restart and remove them.
#pragma once

#include "framework/PagedListing.h"
#include "framework/ReportList.h"
#include "framework/SnapInBase.h"
#include "snapins/picker/AccountPicker.h"
#include "snapins/services/DescriptionPane.h"
#include "snapins/services/InstallWizard.h"
#include "snapins/services/PropertyDialog.h"
#include "snapins/services/model/Protocol.h"
#include "snapins/services/model/ServiceCommands.h"
#include "snapins/services/model/ServiceModel.h"

#include <memory>
#include <string>
#include <vector>

namespace vantrel {

class CServicesSnapIn final : public CSnapInBase, private IReportSource, private IListingClient {
public:
    static constexpr int32_t kId = services::protocol::kSnapInId;

    explicit CServicesSnapIn(ISnapInHost* host);
    ~CServicesSnapIn() override;

    int32_t VANTREL_CALL GetSnapInId() override { return kId; }
    HWND VANTREL_CALL Create(HWND parent) override;
    void VANTREL_CALL OnFirstActivate() override;
    void VANTREL_CALL SaveViewSettings() override;
    void VANTREL_CALL BeginBusy(uint32_t textId) override;
    void VANTREL_CALL UpdateCommands() override;
    BOOL VANTREL_CALL OnContextMenuKey() override;
    BOOL VANTREL_CALL OnToolTipTextA(UINT id, NMTTDISPINFOA* info) override;
    BOOL VANTREL_CALL OnToolTipTextW(UINT id, NMTTDISPINFOW* info) override;
    BOOL VANTREL_CALL TranslateAccelerator(MSG* message) override;

    // ---- for the property dialogs and the install wizard ----
    const services::ServiceStore& Store() const { return store_; }
    CAccountPickers& Pickers() { return pickers_; }
    // A control (603) or the update after it (606) is on its way.
    bool ControlPending() const;
    // Controls a service as the menu does, asking first about running
    // dependents of a stop; `params` are the start parameters.
    void ControlService(const std::u16string& name, int32_t action, const std::string& params);
    // 602 and 604 with an element's text; 4 for a path. False when nothing was sent.
    bool SendChange(const std::u16string& name, const std::string& text);
    bool SendInstall(const std::string& text);
    bool CheckFile(const std::u16string& path);
    // A change (602) of the service, or the update that follows it, is on its way.
    bool ChangeInProgress(std::u16string_view name) const;
    void OnPropertyDialogClosed(CServicePropertyDialog* dialog);
    void OnWizardClosed(CInstallWizard* wizard);

protected:
    void HandleAnswer(uint32_t command, IHostMessage& answer, IMessageNode& root) override;
    void OnCreateWindow() override;
    void OnCommand(UINT command) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    enum class View { Extended, Standard };

    // IReportSource
    std::wstring CellText(LPARAM key, int modelColumn) override;
    int CompareRecords(LPARAM a, LPARAM b, int modelColumn) override;
    void OnSelectionChanged() override;
    void OnItemActivated(LPARAM key) override;
    std::wstring RecordIdentity(LPARAM key) override;
    // IListingClient
    void OnListingStarted() override;
    bool MergePage(const CXmlElement& root) override;
    void OnListingEnded(ListingEnd end) override;
    bool CanShowListing() const override { return list_.Handle() != nullptr; }

    // ---- window ----
    void CreateList();
    void LayoutMainDialog() override;
    void SelectView(View view);
    void ShowView(View view);

    // ---- commands ----
    services::CommandStates CurrentStates() const;
    const services::ServiceRecord* SelectedService() const;
    void ApplyStates(HMENU menu, const services::CommandStates& states) const;
    void OnListContextMenu(CReportList& list, POINT screen) override;
    template <typename Info, typename Char>
    BOOL StartButtonToolTip(Info* info, Char* buffer, size_t capacity);

    void Refresh();
    void ControlSelected(int32_t action);
    void RemoveSelected();
    void OpenProperties();
    void OpenWizard();
    bool Send(const services::ServiceRequest& request);
    bool SendServiceText(uint32_t command, const std::string& text);
    bool SendControl(const std::u16string& name, int32_t action, const std::string& params = {});
    bool RequestUpdate(const std::u16string& name);

    // ---- answers ----
    void OnControlAnswer(IHostMessage& answer, IMessageNode& root);
    void OnUpdateAnswer(IHostMessage& answer, IMessageNode& root);
    void OnRemoveAnswer(IHostMessage& answer, IMessageNode& root);
    void OnChangeAnswer(IHostMessage& answer, IMessageNode& root);
    void OnInstallAnswer(IHostMessage& answer, IMessageNode& root);
    void OnFileAnswer(IHostMessage& answer, IMessageNode& root);
    void FillList();

    // ---- open dialogs ----
    CServicePropertyDialog* PropertyDialogOf(std::u16string_view name) const;
    bool PropertyDialogOpen(std::u16string_view name) const { return PropertyDialogOf(name) != nullptr; }
    // Brings the open dialogs, or the one of a service, up to date from the store.
    void RefreshPropertyDialogs();
    void RefreshPropertyDialog(std::u16string_view name);
    void CloseDialogs();
    void EndChange(std::u16string_view name);

    // Items carry the store's ServiceIds; the store and the items are cleared together.
    CReportList list_;
    CPagedListing listing_;
    services::ServiceStore store_;
    // Names of the controls (603) and updates (606) on their way, oldest first.
    services::PendingNames controls_;
    services::PendingNames updates_;
    // Changes (602) and file checks (4) on their way, oldest first.
    services::PendingNames changes_;
    services::PendingNames fileChecks_;
    // Services whose change chain (602, then 606) has not ended.
    std::vector<std::u16string> changing_;
    // The open property dialogs, one per service, and the install wizard.
    std::vector<std::shared_ptr<CServicePropertyDialog>> propertyDialogs_;
    std::shared_ptr<CInstallWizard> wizard_;
    CServiceDescriptionPane pane_;
    // The account pickers it opens; answers of command 3 go to them.
    CAccountPickers pickers_;
    HWND dialog_ = nullptr;  // dialog 2000, filling the snap-in window
    HWND tabs_ = nullptr;
    View view_ = View::Extended;
};

}  // namespace vantrel
