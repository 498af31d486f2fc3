#include "snapins/services/InstallWizard.h"

#include "framework/Module.h"
#include "framework/Text.h"
#include "framework/text/SecureWipe.h"
#include "snapins/services/LogOnControls.h"
#include "snapins/services/ServicesIds.h"
#include "snapins/services/ServicesSnapIn.h"
#include "snapins/services/model/Protocol.h"
#include "snapins/services/model/ServiceProperties.h"

#include <algorithm>
#include <iterator>

namespace vantrel {
namespace {

namespace protocol = services::protocol;

constexpr LogOnControls kLogOn = {IDC_SRV_WIZARD_LOCAL_SYSTEM, IDC_SRV_WIZARD_INTERACT, IDC_SRV_WIZARD_THIS_ACCOUNT,
                                  IDC_SRV_WIZARD_ACCOUNT,      IDC_SRV_WIZARD_PASSWORD, IDC_SRV_WIZARD_CONFIRM,
                                  IDC_SRV_BROWSE};

constexpr UINT kPageDialogs[] = {IDD_SRV_WIZARD_NAMES, IDD_SRV_WIZARD_FILE, IDD_SRV_WIZARD_LOG_ON,
                                 IDD_SRV_WIZARD_STARTUP, IDD_SRV_WIZARD_PREFIX};

constexpr int kStartupButtons[] = {IDC_SRV_WIZARD_AUTOMATIC, IDC_SRV_WIZARD_MANUAL, IDC_SRV_WIZARD_DISABLED};
constexpr int32_t kStartupTypes[] = {protocol::kStartupAutomatic, protocol::kStartupManual,
                                     protocol::kStartupDisabled};

}  // namespace

CInstallWizard::CInstallWizard(CServicesSnapIn& owner, bool device) : owner_(&owner), device_(device) {
    order_ = device ? std::vector<Page>{Names, File, Prefix} : std::vector<Page>{Names, File, LogOn, Startup};
}

CInstallWizard::~CInstallWizard() = default;

bool CInstallWizard::Create(HWND owner) { return CreateAndShow(IDD_SRV_WIZARD, owner); }

void CInstallWizard::CloseForOwner() {
    owner_ = nullptr;
    Destroy();
}

// ---- window -----------------------------------------------------------------------------

INT_PTR CInstallWizard::OnPageMessage(HWND, UINT message, WPARAM wParam, LPARAM) {
    if (message != WM_COMMAND) return FALSE;
    OnCommand(LOWORD(wParam), HIWORD(wParam));
    return TRUE;
}

INT_PTR CInstallWizard::OnMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        OnInit();
        return TRUE;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_CLOSE:
        Destroy();
        return TRUE;
    default:
        return FALSE;
    }
}

void CInstallWizard::OnInit() {
    RECT frame = {};
    GetWindowRect(GetDlgItem(Window(), IDC_SRV_WIZARD_FRAME), &frame);
    MapWindowPoints(nullptr, Window(), reinterpret_cast<POINT*>(&frame), 2);
    for (Page page : order_) {
        pages_[page] = CreatePage(kPageDialogs[page]);
        if (pages_[page])
            SetWindowPos(pages_[page], HWND_TOP, frame.left, frame.top, frame.right - frame.left,
                         frame.bottom - frame.top, SWP_NOACTIVATE);
    }
    if (HWND page = pages_[LogOn]) ShowLogOn(page, kLogOn, services::LogOn{});
    if (HWND page = pages_[Startup]) CheckDlgButton(page, IDC_SRV_WIZARD_AUTOMATIC, BST_CHECKED);
    ShowStep(0);
}

void CInstallWizard::OnWindowGone() {
    for (HWND& page : pages_) page = nullptr;
    if (CServicesSnapIn* owner = owner_) {
        owner_ = nullptr;
        owner->OnWizardClosed(this);  // may delete this
    }
}

void CInstallWizard::ShowStep(size_t step) {
    step_ = std::min(step, order_.size() - 1);
    for (Page page : order_)
        if (pages_[page]) ShowWindow(pages_[page], page == Current() ? SW_SHOWNA : SW_HIDE);
    UpdateButtons();
}

void CInstallWizard::UpdateButtons() {
    const bool checking = checking_.has_value();
    EnableWindow(GetDlgItem(Window(), IDC_SRV_WIZARD_BACK), step_ > 0 && !checking);
    EnableWindow(GetDlgItem(Window(), IDC_SRV_WIZARD_NEXT), !OnLastPage() && !checking);
    EnableWindow(GetDlgItem(Window(), IDC_SRV_WIZARD_FINISH), OnLastPage() && !checking);
}

// ---- commands -------------------------------------------------------------------------------

void CInstallWizard::OnCommand(UINT id, UINT code) {
    switch (id) {
    case IDC_SRV_WIZARD_NEXT:
        Next();
        break;
    case IDC_SRV_WIZARD_BACK:
        Back();
        break;
    case IDC_SRV_WIZARD_FINISH:
        Finish();
        break;
    case IDCANCEL:
        Destroy();
        break;
    case IDC_SRV_WIZARD_LOCAL_SYSTEM:
    case IDC_SRV_WIZARD_THIS_ACCOUNT:
        if (code == BN_CLICKED && pages_[LogOn]) {
            CheckRadioButton(pages_[LogOn], IDC_SRV_WIZARD_LOCAL_SYSTEM, IDC_SRV_WIZARD_THIS_ACCOUNT,
                             static_cast<int>(id));
            EnableLogOnControls(pages_[LogOn], kLogOn);
        }
        break;
    case IDC_SRV_BROWSE:
        if (code == BN_CLICKED) Browse();
        break;
    default:
        break;
    }
}

void CInstallWizard::Fail(UINT textId) { ShowDialogError(Window(), textId, IDS_SRV_WIZARD_CAPTION); }

bool CInstallWizard::CheckPage(Page page) {
    HWND window = pages_[page];
    switch (page) {
    case Names:
        switch (services::CheckNames(ControlText(window, IDC_SRV_WIZARD_NAME),
                                     ControlText(window, IDC_SRV_WIZARD_DISPLAY_NAME))) {
        case services::NamesProblem::EmptyName:
            Fail(IDS_SRV_EMPTY_SERVICE_NAME);
            return false;
        case services::NamesProblem::EmptyDisplayName:
            Fail(IDS_SRV_EMPTY_DISPLAY_NAME);
            return false;
        default:
            return true;
        }
    case LogOn: {
        std::u16string password = ControlSecret(window, IDC_SRV_WIZARD_PASSWORD);
        std::u16string confirmation = ControlSecret(window, IDC_SRV_WIZARD_CONFIRM);
        const auto problem = services::CheckWizardLogOn(ReadLogOn(window, kLogOn), password, confirmation);
        SecureWipe(password);
        SecureWipe(confirmation);
        const UINT texts[] = {0, IDS_SRV_EMPTY_ACCOUNT_NAME, IDS_SRV_EMPTY_PASSWORD, IDS_SRV_PASSWORDS_DIFFER};
        if (problem == services::WizardLogOnProblem::None) return true;
        Fail(texts[static_cast<size_t>(problem)]);
        return false;
    }
    case Prefix:
        if (services::PrefixValid(ControlText(window, IDC_SRV_WIZARD_PREFIX))) return true;
        Fail(IDS_SRV_PREFIX_LENGTH);
        return false;
    default:
        return true;
    }
}

void CInstallWizard::Next() {
    // A double Next, or Next while a check is out, does nothing.
    if (!owner_ || checking_ || OnLastPage()) return;
    const std::shared_ptr<CInstallWizard> alive = shared_from_this();
    if (Current() == File) {
        const std::u16string path = ControlText(pages_[File], IDC_SRV_WIZARD_FILE);
        if (path.empty()) {
            Fail(IDS_SRV_EMPTY_FILE_LOCATION);
            return;
        }
        // The answer moves the wizard on.
        if (owner_->CheckFile(path)) {
            checking_ = path;
            UpdateButtons();
        }
        return;
    }
    if (CheckPage(Current()) && Window()) ShowStep(step_ + 1);
}

void CInstallWizard::Back() {
    if (checking_ || step_ == 0) return;
    ShowStep(step_ - 1);
}

void CInstallWizard::OnFileChecked(const std::u16string& sent, bool named, bool exists, const std::wstring& error) {
    if (!Window() || !checking_ || !services::SamePath(*checking_, sent)) return;  // another wizard's or path's
    checking_.reset();
    UpdateButtons();
    if (Current() != File || !named) return;
    if (exists) {
        ShowStep(step_ + 1);
        return;
    }
    ShowDialogError(Window(), error, IDS_SRV_SERVICE_MANAGER);
}

void CInstallWizard::Finish() {
    if (!owner_ || checking_ || !OnLastPage()) return;
    const std::shared_ptr<CInstallWizard> alive = shared_from_this();
    if (!CheckPage(Current()) || !Window() || !owner_) return;
    services::InstallChoices choices;
    choices.name = ControlText(pages_[Names], IDC_SRV_WIZARD_NAME);
    choices.displayName = ControlText(pages_[Names], IDC_SRV_WIZARD_DISPLAY_NAME);
    choices.servicePath = ControlText(pages_[File], IDC_SRV_WIZARD_FILE);
    choices.device = device_;
    std::string password;
    if (device_) {
        choices.prefix = ControlText(pages_[Prefix], IDC_SRV_WIZARD_PREFIX);
    } else {
        choices.logOn = ReadLogOn(pages_[LogOn], kLogOn);
        if (!choices.logOn.localSystem) {
            std::u16string secret = ControlSecret(pages_[LogOn], IDC_SRV_WIZARD_PASSWORD);
            std::wstring wide(secret.begin(), secret.end());
            password = WideToAnsi(wide);
            SecureWipe(wide);
            SecureWipe(secret);
        }
        for (size_t i = 0; i < std::size(kStartupButtons); ++i)
            if (IsDlgButtonChecked(pages_[Startup], kStartupButtons[i]) == BST_CHECKED) choices.startupType = kStartupTypes[i];
        choices.startAfterInstall = IsDlgButtonChecked(pages_[Startup], IDC_SRV_WIZARD_START_AFTER) == BST_CHECKED;
    }
    std::string text = services::InstallRequestText(choices, password);
    SecureWipe(password);
    const bool sent = owner_->SendInstall(text);
    SecureWipe(text);
    if (sent) Destroy();
}

void CInstallWizard::Browse() {
    if (!owner_ || !pages_[LogOn]) return;
    const std::shared_ptr<CInstallWizard> alive = shared_from_this();
    const std::optional<std::u16string> account = PickAccount(owner_->Pickers(), Window(), picking_);
    if (account && owner_ && Window()) ShowPickedAccount(pages_[LogOn], kLogOn, *account);
}

}  // namespace vantrel
