// The modeless property dialog of one service (dialog 2001): General, Log On
// and Dependencies pages over a copy of the service's record. Apply hands the
// changed element to the snap-in, which sends it (602); the dialog waits,
// its buttons off, until an answer brings it up to date.
#pragma once

#include "framework/Handles.h"
#include "framework/ModelessDialog.h"
#include "host/SnapInHost.h"
#include "snapins/services/model/ServiceModel.h"

#include <memory>
#include <string>
#include <vector>

namespace vantrel {

class CServicesSnapIn;

class CServicePropertyDialog final : public CModelessDialog,
                                     public std::enable_shared_from_this<CServicePropertyDialog> {
public:
    CServicePropertyDialog(CServicesSnapIn& owner, const services::ServiceRecord& service, bool device);
    ~CServicePropertyDialog();

    // Makes and shows the window; false when it could not be made.
    bool Create(HWND owner);
    const std::u16string& Name() const { return service_.name; }
    // The service as the store holds it now (null: it has left the store).
    // While the user has unsaved edits only the status and the buttons change.
    void Refresh(const services::ServiceRecord* latest);
    // Re-checks the four service buttons (a control elsewhere may have ended).
    void UpdateServiceButtons();
    // The snap-in is going away: close without touching it.
    void CloseForOwner();

private:
    enum Page { General, LogOn, Dependencies, PageCount };

    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    INT_PTR OnPageMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnWindowGone() override;
    void OnInit();
    void CreatePages();
    void ShowPage(int index);
    void OnCommand(UINT id, UINT code);

    // ---- filling ----
    void Fill();
    void FillGeneral();
    void FillStartupCombo();
    void FillLogOn();
    void FillDependencies();
    void UpdateStatus();
    void UpdateLogOnControls();
    void UpdateDialogButtons();
    void MarkChanged();

    // ---- actions ----
    bool Apply();
    void PressServiceButton(UINT id);
    void Browse();

    // ---- dependencies ----
    void AddTreeLevel(HWND tree, HTREEITEM parent, int direction, const std::vector<std::u16string>& path);
    bool OnTreeNotify(const NMHDR* header);
    std::vector<std::u16string> PathOf(HWND tree, HTREEITEM item) const;

    HWND PageWindow(Page page) const { return pages_[page]; }

    CServicesSnapIn* owner_;
    services::ServiceRecord service_;
    bool device_;
    HWND tabs_ = nullptr;
    HWND pages_[PageCount] = {};
    UniqueImageList treeImages_;
    // Names of the services the tree items stand for, by item parameter.
    std::vector<std::u16string> treeNames_;
    bool filling_ = false;
    bool changed_ = false;
    bool waiting_ = false;  // a 602 was sent; its answer refreshes the dialog
    bool buttonsPressed_ = false;
    bool picking_ = false;
};

}  // namespace vantrel
