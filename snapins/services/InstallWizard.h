// The install wizard (dialog 2005): names, the executable (checked on the
// managed machine with command 4), the log-on account and the startup
// option, or on the device platform a prefix instead of the last two. Finish
// hands the new service's element to the snap-in, which sends it (604).
#pragma once

#include "framework/ModelessDialog.h"
#include "host/SnapInHost.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

class CServicesSnapIn;

class CInstallWizard final : public CModelessDialog, public std::enable_shared_from_this<CInstallWizard> {
public:
    CInstallWizard(CServicesSnapIn& owner, bool device);
    ~CInstallWizard();

    bool Create(HWND owner);
    void CloseForOwner();

    // The answer to a file check: `sent` is the path of the request it was
    // taken for, `named` whether the answer names that path. Only the check
    // this wizard waits for, while it is still on the executable's page,
    // moves it on.
    void OnFileChecked(const std::u16string& sent, bool named, bool exists, const std::wstring& error);

private:
    enum Page { Names, File, LogOn, Startup, Prefix, PageCount };

    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    INT_PTR OnPageMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnWindowGone() override;
    void OnInit();
    void OnCommand(UINT id, UINT code);

    Page Current() const { return order_[step_]; }
    bool OnLastPage() const { return step_ + 1 == order_.size(); }
    void ShowStep(size_t step);
    void UpdateButtons();
    // Checks the page's fields; false (after saying why) keeps the wizard there.
    bool CheckPage(Page page);
    void Next();
    void Back();
    void Finish();
    void Browse();
    void Fail(UINT textId);

    CServicesSnapIn* owner_;
    bool device_;
    std::vector<Page> order_;
    size_t step_ = 0;
    HWND pages_[PageCount] = {};
    // The path whose check is on its way: Back and Next wait for it.
    std::optional<std::u16string> checking_;
    bool picking_ = false;
};

}  // namespace vantrel
