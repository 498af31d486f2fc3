#include "snapins/services/PropertyDialog.h"

#include "framework/Module.h"
#include "framework/TabPages.h"
#include "framework/Text.h"
#include "framework/text/SecureWipe.h"
#include "snapins/services/LogOnControls.h"
#include "snapins/services/ServicesIds.h"
#include "snapins/services/ServicesSnapIn.h"
#include "snapins/services/model/ServiceProperties.h"

#include <iterator>

namespace vantrel {
namespace {

namespace protocol = services::protocol;
using services::DependencyDirection;

constexpr LogOnControls kLogOn = {IDC_SRV_LOCAL_SYSTEM, IDC_SRV_INTERACT,         IDC_SRV_THIS_ACCOUNT,
                                  IDC_SRV_ACCOUNT,      IDC_SRV_PASSWORD,         IDC_SRV_CONFIRM_PASSWORD,
                                  IDC_SRV_BROWSE};

constexpr UINT kPageDialogs[] = {IDD_SRV_PAGE_GENERAL, IDD_SRV_PAGE_LOG_ON, IDD_SRV_PAGE_DEPENDENCIES};
constexpr UINT kPageTitles[] = {IDS_SRV_PAGE_GENERAL, IDS_SRV_PAGE_LOG_ON, IDS_SRV_PAGE_DEPENDENCIES};
constexpr int kServiceButtons[] = {IDC_SRV_BUTTON_START, IDC_SRV_BUTTON_STOP, IDC_SRV_BUTTON_PAUSE,
                                   IDC_SRV_BUTTON_RESUME};
constexpr UINT kComboStrings[] = {IDS_SRV_STARTUP_AUTOMATIC, IDS_SRV_STARTUP_MANUAL, IDS_SRV_STARTUP_DISABLED};
constexpr UINT kStatusStrings[] = {IDS_SRV_STATE_STOPPED,  IDS_SRV_STATE_STARTING, IDS_SRV_STATE_STOPPING,
                                   IDS_SRV_STATE_STARTED,  IDS_SRV_STATE_CONTINUING, IDS_SRV_STATE_PAUSING,
                                   IDS_SRV_STATE_PAUSED,   IDS_SRV_UNKNOWN};
constexpr UINT kStartupStrings[] = {IDS_SRV_STARTUP_BOOT,   IDS_SRV_STARTUP_SYSTEM,   IDS_SRV_STARTUP_AUTOMATIC,
                                    IDS_SRV_STARTUP_MANUAL, IDS_SRV_STARTUP_DISABLED, IDS_SRV_UNKNOWN};

// A tree item's parameter that stands for no service: "<No Dependencies>".
constexpr LPARAM kNoServiceItem = -1;

DependencyDirection DirectionOf(int treeId) {
    return treeId == IDC_SRV_DEPENDS_ON_TREE ? DependencyDirection::DependsOn : DependencyDirection::Dependents;
}

void SetText(HWND dialog, int id, const std::u16string& text) { SetDlgItemTextW(dialog, id, ToWide(text).c_str()); }

}  // namespace

CServicePropertyDialog::CServicePropertyDialog(CServicesSnapIn& owner, const services::ServiceRecord& service,
                                               bool device)
    : owner_(&owner), service_(service), device_(device) {}

CServicePropertyDialog::~CServicePropertyDialog() = default;

bool CServicePropertyDialog::Create(HWND owner) { return CreateAndShow(IDD_SRV_PROPERTIES, owner); }

void CServicePropertyDialog::CloseForOwner() {
    owner_ = nullptr;
    Destroy();
}

// ---- window ---------------------------------------------------------------------------

INT_PTR CServicePropertyDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInit();
        return TRUE;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_NOTIFY: {
        const auto header = reinterpret_cast<const NMHDR*>(lParam);
        if (header && header->hwndFrom == tabs_ && header->code == TCN_SELCHANGE) {
            ShowPage(static_cast<int>(::SendMessageW(tabs_, TCM_GETCURSEL, 0, 0)));
            return TRUE;
        }
        return FALSE;
    }
    case WM_CLOSE:
        // Always possible, also while an answer is awaited: the snap-in then
        // finds no dialog to bring up to date.
        Destroy();
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR CServicePropertyDialog::OnPageMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return FALSE;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_NOTIFY:
        if (OnTreeNotify(reinterpret_cast<const NMHDR*>(lParam))) {
            SetWindowLongPtrW(page, DWLP_MSGRESULT, FALSE);  // let a tree expand
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

void CServicePropertyDialog::OnInit() {
    tabs_ = GetDlgItem(Window(), IDC_SRV_PROPERTY_TABS);
    // The device platform shows the General page only.
    AddTabs(tabs_, std::span<const UINT>(kPageTitles).first(device_ ? 1 : PageCount));
    CreatePages();
    Fill();
    ShowPage(General);
}

void CServicePropertyDialog::CreatePages() {
    const int pageCount = device_ ? 1 : PageCount;
    for (int i = 0; i < pageCount; ++i) {
        pages_[i] = CreatePage(kPageDialogs[i]);
        if (pages_[i]) PlaceOverTabs(Window(), tabs_, pages_[i]);
    }
    if (HWND combo = GetDlgItem(pages_[General], IDC_SRV_STARTUP_TYPE)) {
        for (UINT id : kComboStrings)
            ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LoadStringW(id).c_str()));
    }
    if (HWND page = pages_[Dependencies]) {
        treeImages_.reset(LoadImageStrip(L"IDB_SNAP_SRC_SERVICE", 16, ILC_COLOR24));
        for (int tree : {IDC_SRV_DEPENDS_ON_TREE, IDC_SRV_DEPENDENTS_TREE})
            ::SendDlgItemMessageW(page, tree, TVM_SETIMAGELIST, TVSIL_NORMAL,
                                  reinterpret_cast<LPARAM>(treeImages_.get()));
    }
}

void CServicePropertyDialog::ShowPage(int index) {
    for (int i = 0; i < PageCount; ++i)
        if (pages_[i]) ShowWindow(pages_[i], i == index ? SW_SHOWNA : SW_HIDE);
}

void CServicePropertyDialog::OnWindowGone() {
    for (HWND& page : pages_) page = nullptr;
    if (CServicesSnapIn* owner = owner_) {
        owner_ = nullptr;
        owner->OnPropertyDialogClosed(this);  // may delete this
    }
}

// ---- filling ----------------------------------------------------------------------------

void CServicePropertyDialog::Fill() {
    filling_ = true;
    FillGeneral();
    FillLogOn();
    FillDependencies();
    filling_ = false;
    changed_ = false;
    UpdateDialogButtons();
}

void CServicePropertyDialog::FillGeneral() {
    HWND page = pages_[General];
    if (!page) return;
    SetText(page, IDC_SRV_NAME, service_.name);
    SetText(page, IDC_SRV_PROP_DISPLAY_NAME, service_.displayName);
    SetText(page, IDC_SRV_PROP_DESCRIPTION, service_.description);
    SetText(page, IDC_SRV_PATH, service_.servicePath);
    FillStartupCombo();
    UpdateStatus();
}

void CServicePropertyDialog::FillStartupCombo() {
    HWND combo = GetDlgItem(pages_[General], IDC_SRV_STARTUP_TYPE);
    // A type without an entry of its own (boot, system) is shown by an entry
    // past the three; Apply keeps the type then.
    while (::SendMessageW(combo, CB_GETCOUNT, 0, 0) > static_cast<LRESULT>(std::size(kComboStrings)))
        ::SendMessageW(combo, CB_DELETESTRING, std::size(kComboStrings), 0);
    int selection = services::StartupSelectionOf(service_.startupType);
    if (selection < 0) {
        const std::wstring text =
            LoadStringW(kStartupStrings[static_cast<size_t>(services::StartupTextOf(service_.startupType))]);
        selection = static_cast<int>(::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
    }
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selection), 0);
}

void CServicePropertyDialog::UpdateStatus() {
    if (HWND page = pages_[General])
        SetDlgItemTextW(page, IDC_SRV_STATUS,
                        LoadStringW(kStatusStrings[static_cast<size_t>(services::StatusTextOf(service_.state))]).c_str());
    UpdateServiceButtons();
}

void CServicePropertyDialog::UpdateServiceButtons() {
    HWND page = pages_[General];
    if (!page) return;
    const bool off = waiting_ || buttonsPressed_ || !owner_ || owner_->ControlPending();
    const services::CommandStates states = services::AllowedCommands(&service_, false, off);
    const bool enabled[] = {states.start, states.stop, states.pause, states.resume};
    for (size_t i = 0; i < std::size(kServiceButtons); ++i)
        EnableWindow(GetDlgItem(page, kServiceButtons[i]), enabled[i]);
}

void CServicePropertyDialog::FillLogOn() {
    if (HWND page = pages_[LogOn]) ShowLogOn(page, kLogOn, services::LogOnOf(service_));
}

void CServicePropertyDialog::UpdateDialogButtons() {
    if (!Window()) return;
    EnableWindow(GetDlgItem(Window(), IDC_SRV_APPLY), changed_ && !waiting_);
    EnableWindow(GetDlgItem(Window(), IDOK), !waiting_);
    EnableWindow(GetDlgItem(Window(), IDCANCEL), !waiting_);
    UpdateServiceButtons();
}

void CServicePropertyDialog::MarkChanged() {
    if (filling_) return;
    changed_ = true;
    UpdateDialogButtons();
}

void CServicePropertyDialog::Refresh(const services::ServiceRecord* latest) {
    waiting_ = owner_ && owner_->ChangeInProgress(service_.name);
    buttonsPressed_ = false;
    if (latest) service_ = *latest;
    // Unsaved edits stay: only what the user cannot edit is shown anew.
    if (changed_)
        UpdateStatus();
    else
        Fill();
    UpdateDialogButtons();
}

// ---- commands ---------------------------------------------------------------------------------

void CServicePropertyDialog::OnCommand(UINT id, UINT code) {
    switch (id) {
    case IDOK:
        if (waiting_) break;
        if (!changed_ || Apply()) Destroy();
        break;
    case IDCANCEL:
        if (!waiting_) Destroy();
        break;
    case IDC_SRV_APPLY:
        if (changed_ && !waiting_) Apply();
        break;
    case IDC_SRV_BUTTON_START:
    case IDC_SRV_BUTTON_STOP:
    case IDC_SRV_BUTTON_PAUSE:
    case IDC_SRV_BUTTON_RESUME:
        if (code == BN_CLICKED) PressServiceButton(id);
        break;
    case IDC_SRV_STARTUP_TYPE:
        if (code == CBN_SELCHANGE) MarkChanged();
        break;
    case IDC_SRV_LOCAL_SYSTEM:
    case IDC_SRV_THIS_ACCOUNT:
        if (code == BN_CLICKED && pages_[LogOn]) {
            CheckRadioButton(pages_[LogOn], IDC_SRV_LOCAL_SYSTEM, IDC_SRV_THIS_ACCOUNT, static_cast<int>(id));
            EnableLogOnControls(pages_[LogOn], kLogOn);
            MarkChanged();
        }
        break;
    case IDC_SRV_INTERACT:
        if (code == BN_CLICKED) MarkChanged();
        break;
    case IDC_SRV_ACCOUNT:
    case IDC_SRV_PASSWORD:
    case IDC_SRV_CONFIRM_PASSWORD:
        if (code == EN_CHANGE) MarkChanged();
        break;
    case IDC_SRV_BROWSE:
        if (code == BN_CLICKED) Browse();
        break;
    default:
        break;
    }
}

bool CServicePropertyDialog::Apply() {
    if (!owner_ || !Window()) return false;
    // A message box below lets answers in: keep this object alive across it.
    const std::shared_ptr<CServicePropertyDialog> alive = shared_from_this();
    services::PropertyChanges changes;
    changes.startupType = services::StartupTypeOfSelection(
        static_cast<int>(::SendDlgItemMessageW(pages_[General], IDC_SRV_STARTUP_TYPE, CB_GETCURSEL, 0, 0)),
        service_.startupType);
    std::u16string password;
    if (HWND page = pages_[LogOn]) {
        changes.logOn = ReadLogOn(page, kLogOn);
        password = ControlSecret(page, IDC_SRV_PASSWORD);
        std::u16string confirmation = ControlSecret(page, IDC_SRV_CONFIRM_PASSWORD);
        const bool valid = services::PropertyLogOnValid(changes.logOn, password, confirmation);
        SecureWipe(confirmation);
        if (!valid) {
            SecureWipe(password);
            ShowDialogError(Window(), IDS_SRV_FIELDS_INCORRECT, IDS_SRV_SERVICE_MANAGER);
            return false;
        }
    } else {
        changes.logOn = services::LogOnOf(service_);  // the device platform has no Log On page
    }
    std::string text = services::ChangeRequestText(service_, changes, password);
    SecureWipe(password);
    const bool sent = owner_->SendChange(service_.name, text);
    SecureWipe(text);
    if (!sent) return false;
    changed_ = false;
    waiting_ = true;
    // The password fields are not kept once sent.
    if (HWND page = pages_[LogOn]) {
        filling_ = true;
        SetDlgItemTextW(page, IDC_SRV_PASSWORD, L"");
        SetDlgItemTextW(page, IDC_SRV_CONFIRM_PASSWORD, L"");
        filling_ = false;
    }
    UpdateDialogButtons();
    return true;
}

void CServicePropertyDialog::PressServiceButton(UINT id) {
    if (!owner_ || waiting_ || buttonsPressed_) return;
    buttonsPressed_ = true;
    UpdateServiceButtons();
    int32_t action = protocol::kActionStart;
    std::string params;
    if (id == IDC_SRV_BUTTON_START) params = WideToAnsi(ToWide(ControlText(pages_[General], IDC_SRV_START_PARAMETERS)));
    if (id == IDC_SRV_BUTTON_STOP) action = protocol::kActionStop;
    if (id == IDC_SRV_BUTTON_PAUSE) action = protocol::kActionPause;
    // The snap-in may ask about dependents first: keep this dialog alive
    // across it, and look at it again afterwards.
    const std::shared_ptr<CServicePropertyDialog> alive = shared_from_this();
    const std::u16string name = service_.name;
    owner_->ControlService(name, action, params);
    if (!Window() || !owner_) return;
    buttonsPressed_ = false;
    UpdateServiceButtons();
}

void CServicePropertyDialog::Browse() {
    if (!owner_ || !pages_[LogOn]) return;
    const std::shared_ptr<CServicePropertyDialog> alive = shared_from_this();
    const std::optional<std::u16string> account = PickAccount(owner_->Pickers(), Window(), picking_);
    // The snap-in or this window may have gone while the picker was open.
    if (!account || !owner_ || !Window()) return;
    ShowPickedAccount(pages_[LogOn], kLogOn, *account);
    MarkChanged();
}

// ---- dependencies ----------------------------------------------------------------------------------

void CServicePropertyDialog::FillDependencies() {
    HWND page = pages_[Dependencies];
    if (!page || !owner_) return;
    SetText(page, IDC_SRV_DEPENDENCIES_NAME, service_.displayName.empty() ? service_.name : service_.displayName);
    treeNames_.clear();
    for (int id : {IDC_SRV_DEPENDS_ON_TREE, IDC_SRV_DEPENDENTS_TREE}) {
        HWND tree = GetDlgItem(page, id);
        ::SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
        AddTreeLevel(tree, TVI_ROOT, id, {service_.name});
        if (::SendMessageW(tree, TVM_GETCOUNT, 0, 0) == 0) {
            std::wstring text = LoadStringW(IDS_SRV_NO_DEPENDENCIES);
            TVINSERTSTRUCTW insert = {};
            insert.hParent = TVI_ROOT;
            insert.hInsertAfter = TVI_LAST;
            insert.item.mask = TVIF_TEXT | TVIF_PARAM;
            insert.item.pszText = text.data();
            insert.item.lParam = kNoServiceItem;
            ::SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
        }
    }
}

void CServicePropertyDialog::AddTreeLevel(HWND tree, HTREEITEM parent, int direction,
                                          const std::vector<std::u16string>& path) {
    if (!owner_ || path.empty()) return;
    for (const services::DependencyItem& item :
         services::DependencyLevel(owner_->Store(), DirectionOf(direction), path.back(), path)) {
        std::wstring text = ToWide(item.shown);
        TVINSERTSTRUCTW insert = {};
        insert.hParent = parent;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        insert.item.pszText = text.data();
        insert.item.cChildren = item.expandable ? 1 : 0;
        insert.item.lParam = static_cast<LPARAM>(treeNames_.size());
        treeNames_.push_back(item.name);
        ::SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
    }
}

std::vector<std::u16string> CServicePropertyDialog::PathOf(HWND tree, HTREEITEM item) const {
    std::vector<std::u16string> path;
    for (HTREEITEM at = item; at;
         at = reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(at)))) {
        TVITEMW data = {};
        data.mask = TVIF_PARAM;
        data.hItem = at;
        if (!::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data)) || data.lParam < 0 ||
            static_cast<size_t>(data.lParam) >= treeNames_.size())
            return {};
        path.insert(path.begin(), treeNames_[static_cast<size_t>(data.lParam)]);
    }
    path.insert(path.begin(), service_.name);
    return path;
}

bool CServicePropertyDialog::OnTreeNotify(const NMHDR* header) {
    if (!header || header->code != TVN_ITEMEXPANDINGW) return false;
    const auto expanding = reinterpret_cast<const NMTREEVIEWW*>(header);
    HWND tree = header->hwndFrom;
    HTREEITEM item = expanding->itemNew.hItem;
    // Each level is built once, when it is first opened.
    if (expanding->action != TVE_EXPAND ||
        ::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)) != 0)
        return false;
    AddTreeLevel(tree, item, static_cast<int>(header->idFrom), PathOf(tree, item));
    return true;
}

}  // namespace vantrel
