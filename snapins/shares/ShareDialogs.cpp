#include "snapins/shares/ShareDialogs.h"

#include "framework/Module.h"
#include "framework/SnapInBase.h"
#include "framework/TabPages.h"
#include "framework/Text.h"
#include "framework/text/SecureWipe.h"
#include "framework/xml/Xml.h"
#include "snapins/picker/AccountPicker.h"
#include "snapins/shares/SharesIds.h"
#include "snapins/shares/model/Protocol.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <span>

namespace vantrel {
namespace {

using shares::Access;
using shares::PermissionPage;
using shares::ShareSettings;

constexpr size_t kMaxPickedAccounts = 100;

// The controls of each part of the dialogs; a part not shown is hidden.
constexpr int kFolderControls[] = {IDC_SHR_COMPUTER_LABEL, IDC_SHR_COMPUTER,   IDC_SHR_PATH_LABEL,
                                   IDC_SHR_PATH,           IDC_SHR_PATH_STATE, IDC_SHR_NAME_LABEL,
                                   IDC_SHR_NAME,           IDC_SHR_DESCRIPTION_LABEL, IDC_SHR_DESCRIPTION};
constexpr int kGeneralControls[] = {IDC_SHR_NAME_LABEL,        IDC_SHR_NAME,        IDC_SHR_PATH_LABEL,
                                    IDC_SHR_PATH,              IDC_SHR_DESCRIPTION_LABEL, IDC_SHR_DESCRIPTION,
                                    IDC_SHR_LIMIT_GROUP,       IDC_SHR_LIMIT_MAX,   IDC_SHR_LIMIT_COUNT,
                                    IDC_SHR_USERS,             IDC_SHR_USERS_SPIN};
constexpr int kLimitControls[] = {IDC_SHR_LIMIT_GROUP, IDC_SHR_LIMIT_MAX, IDC_SHR_LIMIT_COUNT, IDC_SHR_USERS,
                                  IDC_SHR_USERS_SPIN};
constexpr int kAccountControls[] = {IDC_SHR_PERMISSIONS_GROUP, IDC_SHR_READ_ONLY,     IDC_SHR_FULL,
                                    IDC_SHR_CUSTOM,            IDC_SHR_ACCOUNTS,      IDC_SHR_ADD_ACCOUNT,
                                    IDC_SHR_REMOVE_ACCOUNT,    IDC_SHR_ACCOUNTS_FULL};
constexpr int kPasswordControls[] = {IDC_SHR_PERMISSIONS_GROUP, IDC_SHR_READ_ONLY, IDC_SHR_FULL,
                                     IDC_SHR_BY_PASSWORD,       IDC_SHR_RO_PASS_LABEL, IDC_SHR_RO_PASS,
                                     IDC_SHR_RW_PASS_LABEL,     IDC_SHR_RW_PASS};

void ShowOnly(HWND dialog, std::initializer_list<std::span<const int>> shown) {
    for (auto group : {std::span<const int>(kFolderControls), std::span<const int>(kGeneralControls),
                       std::span<const int>(kAccountControls), std::span<const int>(kPasswordControls)})
        for (int id : group)
            if (HWND control = GetDlgItem(dialog, id)) ShowWindow(control, SW_HIDE);
    for (auto group : shown)
        for (int id : group)
            if (HWND control = GetDlgItem(dialog, id)) ShowWindow(control, SW_SHOW);
}

std::u16string ItemText(HWND dialog, int id, size_t limit) {
    std::wstring buffer(limit + 1, L'\0');
    const int length = GetDlgItemTextW(dialog, id, buffer.data(), static_cast<int>(buffer.size()));
    std::u16string text(buffer.begin(), buffer.begin() + std::max(length, 0));
    SecureWipe(buffer);  // it may have held a password
    return text;
}

void SetItemText(HWND dialog, int id, std::u16string_view text) {
    SetDlgItemTextW(dialog, id, std::wstring(text.begin(), text.end()).c_str());
}

void Limit(HWND dialog, int id, size_t characters) {
    ::SendMessageW(GetDlgItem(dialog, id), EM_LIMITTEXT, characters, 0);
}

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

int ShowBox(HWND dialog, const std::wstring& text, UINT captionId, UINT style) {
    const std::wstring caption = LoadStringW(captionId);
    ActivationScope scope;
    return MessageBoxW(dialog, text.c_str(), caption.c_str(), style);
}

// ---- the user limit and the permissions, shared by both dialogs ----------------------------

class CShareFields {
public:
    CShareFields(IShareDialogHost& host, std::weak_ptr<bool> alive)
        : host_(host), alive_(std::move(alive)), page_(shares::PermissionPageFor(host.Security())) {}

    std::span<const int> PermissionControls() const {
        return page_ == PermissionPage::Accounts ? std::span<const int>(kAccountControls)
                                                 : std::span<const int>(kPasswordControls);
    }

    void Load(HWND dialog, const ShareSettings& settings) {
        Limit(dialog, IDC_SHR_DESCRIPTION, shares::kMaxDescription);
        Limit(dialog, IDC_SHR_USERS, 8);
        Limit(dialog, IDC_SHR_RO_PASS, shares::kMaxPassword);
        Limit(dialog, IDC_SHR_RW_PASS, shares::kMaxPassword);
        ::SendMessageW(GetDlgItem(dialog, IDC_SHR_USERS_SPIN), UDM_SETRANGE32, 1, shares::kMaxUserLimit);
        SetItemText(dialog, IDC_SHR_DESCRIPTION, settings.description);
        CheckRadioButton(dialog, IDC_SHR_LIMIT_MAX, IDC_SHR_LIMIT_COUNT,
                         settings.maxUsers ? IDC_SHR_LIMIT_COUNT : IDC_SHR_LIMIT_MAX);
        SetDlgItemInt(dialog, IDC_SHR_USERS, settings.maxUsers.value_or(10), FALSE);
        Access access = settings.access;
        // A share made under the other kind of security shows as read-only.
        if (page_ == PermissionPage::Accounts && access == Access::ByPassword) access = Access::ReadOnly;
        if (page_ == PermissionPage::Passwords && access == Access::Custom) access = Access::ReadOnly;
        const int radio = access == Access::Full         ? IDC_SHR_FULL
                          : access == Access::Custom     ? IDC_SHR_CUSTOM
                          : access == Access::ByPassword ? IDC_SHR_BY_PASSWORD
                                                         : IDC_SHR_READ_ONLY;
        for (int id : {IDC_SHR_READ_ONLY, IDC_SHR_FULL, IDC_SHR_CUSTOM, IDC_SHR_BY_PASSWORD})
            CheckDlgButton(dialog, id, id == radio ? BST_CHECKED : BST_UNCHECKED);
        bool full = false;
        for (const shares::AccountRight& right : settings.accounts) {
            AddAccount(dialog, right.account);
            full = full || right.full;
        }
        CheckDlgButton(dialog, IDC_SHR_ACCOUNTS_FULL, full ? BST_CHECKED : BST_UNCHECKED);
        UpdateEnabling(dialog);
    }

    void UpdateEnabling(HWND dialog) const {
        const bool count = Checked(dialog, IDC_SHR_LIMIT_COUNT);
        EnableWindow(GetDlgItem(dialog, IDC_SHR_USERS), count);
        EnableWindow(GetDlgItem(dialog, IDC_SHR_USERS_SPIN), count);
        const bool custom = Checked(dialog, IDC_SHR_CUSTOM);
        for (int id : {IDC_SHR_ACCOUNTS, IDC_SHR_ADD_ACCOUNT, IDC_SHR_ACCOUNTS_FULL})
            EnableWindow(GetDlgItem(dialog, id), custom);
        const bool selected = ::SendDlgItemMessageW(dialog, IDC_SHR_ACCOUNTS, LB_GETCURSEL, 0, 0) != LB_ERR;
        EnableWindow(GetDlgItem(dialog, IDC_SHR_REMOVE_ACCOUNT), custom && selected);
        const bool byPassword = Checked(dialog, IDC_SHR_BY_PASSWORD);
        for (int id : {IDC_SHR_RO_PASS, IDC_SHR_RW_PASS}) EnableWindow(GetDlgItem(dialog, id), byPassword);
    }

    // True when the command was one of the fields'.
    bool OnCommand(HWND dialog, int id, int code) {
        switch (id) {
        case IDC_SHR_ADD_ACCOUNT:
            PickAccounts(dialog);
            break;
        case IDC_SHR_REMOVE_ACCOUNT: {
            const LRESULT item = ::SendDlgItemMessageW(dialog, IDC_SHR_ACCOUNTS, LB_GETCURSEL, 0, 0);
            if (item != LB_ERR) ::SendDlgItemMessageW(dialog, IDC_SHR_ACCOUNTS, LB_DELETESTRING, item, 0);
            break;
        }
        case IDC_SHR_ACCOUNTS:
            if (code != LBN_SELCHANGE) return true;
            break;
        case IDC_SHR_LIMIT_MAX:
        case IDC_SHR_LIMIT_COUNT:
        case IDC_SHR_READ_ONLY:
        case IDC_SHR_FULL:
        case IDC_SHR_CUSTOM:
        case IDC_SHR_BY_PASSWORD:
        case IDC_SHR_ACCOUNTS_FULL:
            break;
        default:
            return false;
        }
        UpdateEnabling(dialog);
        return true;
    }

    // The user limit; 0 and a box when it is out of range.
    UINT ReadLimit(HWND dialog, ShareSettings& settings) const {
        settings.maxUsers.reset();
        if (!Checked(dialog, IDC_SHR_LIMIT_COUNT)) return 0;
        BOOL read = FALSE;
        const UINT users = GetDlgItemInt(dialog, IDC_SHR_USERS, &read, FALSE);
        if (!read || users < 1 || users > shares::kMaxUserLimit) return IDS_SHR_USERS_RANGE;
        settings.maxUsers = users;
        return 0;
    }

    // The description and the permissions; the id of what is wrong, or 0.
    UINT ReadPermissions(HWND dialog, ShareSettings& settings) const {
        settings.description = ItemText(dialog, IDC_SHR_DESCRIPTION, shares::kMaxDescription);
        settings.accounts.clear();
        if (Checked(dialog, IDC_SHR_FULL)) {
            settings.access = Access::Full;
        } else if (page_ == PermissionPage::Accounts && Checked(dialog, IDC_SHR_CUSTOM)) {
            settings.access = Access::Custom;
            const bool full = Checked(dialog, IDC_SHR_ACCOUNTS_FULL);
            for (const std::u16string& account : Accounts(dialog)) settings.accounts.push_back({account, full});
            if (settings.accounts.empty()) return IDS_SHR_NO_ACCOUNTS;
        } else if (page_ == PermissionPage::Passwords && Checked(dialog, IDC_SHR_BY_PASSWORD)) {
            settings.access = Access::ByPassword;
            settings.readPassword = ItemText(dialog, IDC_SHR_RO_PASS, shares::kMaxPassword);
            settings.writePassword = ItemText(dialog, IDC_SHR_RW_PASS, shares::kMaxPassword);
            if (settings.writePassword.empty()) return IDS_SHR_PASSWORD_MISSING;
        } else {
            settings.access = Access::ReadOnly;
        }
        return 0;
    }

private:
    static std::vector<std::u16string> Accounts(HWND dialog) {
        std::vector<std::u16string> accounts;
        const LRESULT count = ::SendDlgItemMessageW(dialog, IDC_SHR_ACCOUNTS, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            const LRESULT length = ::SendDlgItemMessageW(dialog, IDC_SHR_ACCOUNTS, LB_GETTEXTLEN, i, 0);
            if (length <= 0) continue;
            std::wstring text(static_cast<size_t>(length) + 1, L'\0');
            ::SendDlgItemMessageW(dialog, IDC_SHR_ACCOUNTS, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
            text.resize(wcslen(text.c_str()));
            accounts.emplace_back(text.begin(), text.end());
        }
        return accounts;
    }

    static void AddAccount(HWND dialog, const std::u16string& account) {
        const std::wstring text(account.begin(), account.end());
        if (text.empty()) return;
        if (::SendDlgItemMessageW(dialog, IDC_SHR_ACCOUNTS, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                  reinterpret_cast<LPARAM>(text.c_str())) == LB_ERR)
            ::SendDlgItemMessageW(dialog, IDC_SHR_ACCOUNTS, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }

    void PickAccounts(HWND dialog) {
        if (alive_.expired()) return;
        const CAccountPickers::Result picked = host_.Pickers().Choose(dialog, kMaxPickedAccounts);
        if (picked.outcome != CAccountPickers::Result::Outcome::Chosen || alive_.expired() || !IsWindow(dialog)) return;
        for (int i = 0; i < picked.accounts->GetChildCount(); ++i)
            AddAccount(dialog, picker::ReadPickedAccount(*picked.accounts->GetChild(i)).QualifiedName());
    }

    IShareDialogHost& host_;
    std::weak_ptr<bool> alive_;
    PermissionPage page_;
};

void WipePasswords(ShareSettings& settings) {
    SecureWipe(settings.readPassword);
    SecureWipe(settings.writePassword);
}

// ---- the Share a Folder Wizard ---------------------------------------------------------------

class CShareWizard final : public IFolderCheckClient {
public:
    enum Step { kFolder, kLimit, kPermissions };

    CShareWizard(IShareDialogHost& host, std::weak_ptr<bool> alive, std::wstring computer)
        : host_(host), alive_(alive), computer_(std::move(computer)), fields_(host, alive) {}
    ~CShareWizard() { StopWaiting(); }

    void Run(HWND parent) {
        ActivationScope scope;
        DialogBoxParamW(ResourceInstance(), MAKEINTRESOURCEW(IDD_SHR_WIZARD), parent, &Proc,
                        reinterpret_cast<LPARAM>(this));
    }

    void OnFolderChecked(bool exists, const std::wstring& path, const std::wstring& error) override {
        checking_ = false;
        if (!dialog_) return;
        EnableButtons();
        if (exists) {
            SetDlgItemTextW(dialog_, IDC_SHR_PATH_STATE, LoadStringW(IDS_SHR_PATH_FOUND).c_str());
            ShowStep(kLimit);
            return;
        }
        SetDlgItemTextW(dialog_, IDC_SHR_PATH_STATE, L"");
        const std::wstring shown = path.empty() ? std::wstring(checkedPath_.begin(), checkedPath_.end()) : path;
        std::wstring text = ReplaceFirst(LoadStringW(IDS_SHR_PATH_NOT_FOUND), L"%1", shown);
        ShowBox(dialog_, ReplaceFirst(std::move(text), L"%2", error), IDS_SHR_WIZARD_TITLE, MB_OK | MB_ICONERROR);
    }

private:
    static INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        auto self = reinterpret_cast<CShareWizard*>(GetWindowLongPtrW(dialog, DWLP_USER));
        if (!self) return FALSE;
        INT_PTR result = FALSE;
        CSnapInBase::Guarded([&] { result = self->Handle(dialog, message, wParam); });
        return result;
    }

    INT_PTR Handle(HWND dialog, UINT message, WPARAM wParam) {
        switch (message) {
        case WM_INITDIALOG:
            dialog_ = dialog;
            Init();
            return TRUE;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        case WM_DESTROY:
            StopWaiting();
            dialog_ = nullptr;
            return FALSE;
        default:
            return FALSE;
        }
    }

    void Init() {
        SetDlgItemTextW(dialog_, IDC_SHR_COMPUTER, computer_.c_str());
        Limit(dialog_, IDC_SHR_PATH, shares::kMaxFolderPath);
        Limit(dialog_, IDC_SHR_NAME, shares::kMaxShareName);
        fields_.Load(dialog_, ShareSettings{});
        ShowStep(kFolder);
    }

    void OnCommand(int id, int code) {
        switch (id) {
        case IDC_SHR_PATH:
            // The name follows the folder until the user types one of their own.
            if (code == EN_CHANGE && !nameTyped_) {
                settingName_ = true;
                SetItemText(dialog_, IDC_SHR_NAME, shares::DefaultShareName(ItemText(dialog_, IDC_SHR_PATH, shares::kMaxFolderPath)));
                settingName_ = false;
            }
            break;
        case IDC_SHR_NAME:
            if (code == EN_CHANGE && !settingName_) nameTyped_ = true;
            break;
        case IDC_SHR_BACK:
            if (!checking_ && step_ > kFolder) ShowStep(static_cast<Step>(step_ - 1));
            break;
        case IDC_SHR_NEXT:
            if (!checking_) Next();
            break;
        case IDC_SHR_FINISH:
            if (!checking_ && step_ == kPermissions) Finish();
            break;
        case IDCANCEL:
            EndDialog(dialog_, IDCANCEL);
            break;
        default:
            fields_.OnCommand(dialog_, id, code);
            break;
        }
    }

    void ShowStep(Step step) {
        step_ = step;
        static constexpr UINT kTitles[] = {IDS_SHR_STEP_FOLDER, IDS_SHR_STEP_LIMIT, IDS_SHR_STEP_PERMISSIONS};
        SetDlgItemTextW(dialog_, IDC_SHR_STEP_TITLE, LoadStringW(kTitles[step]).c_str());
        if (step == kFolder) ShowOnly(dialog_, {kFolderControls});
        if (step == kLimit) ShowOnly(dialog_, {kLimitControls});
        if (step == kPermissions) ShowOnly(dialog_, {fields_.PermissionControls()});
        EnableButtons();
        const int next = step == kPermissions ? IDC_SHR_FINISH : IDC_SHR_NEXT;
        ::SendMessageW(dialog_, DM_SETDEFID, next, 0);
    }

    void EnableButtons() {
        EnableWindow(GetDlgItem(dialog_, IDC_SHR_BACK), !checking_ && step_ > kFolder);
        EnableWindow(GetDlgItem(dialog_, IDC_SHR_NEXT), !checking_ && step_ < kPermissions);
        EnableWindow(GetDlgItem(dialog_, IDC_SHR_FINISH), !checking_ && step_ == kPermissions);
    }

    bool Refuse(UINT messageId) {
        if (messageId == 0) return false;
        ShowBox(dialog_, LoadStringW(messageId), IDS_SHR_WIZARD_TITLE, MB_OK | MB_ICONEXCLAMATION);
        return true;
    }

    void Next() {
        if (step_ == kLimit) {
            ShareSettings limit;
            if (!Refuse(fields_.ReadLimit(dialog_, limit))) ShowStep(kPermissions);
            return;
        }
        const std::u16string path = ItemText(dialog_, IDC_SHR_PATH, shares::kMaxFolderPath);
        const std::u16string name = ItemText(dialog_, IDC_SHR_NAME, shares::kMaxShareName);
        if (Refuse(path.empty() ? IDS_SHR_PATH_MISSING : !shares::IsLocalFolderPath(path) ? IDS_SHR_PATH_NOT_LOCAL : 0))
            return;
        const shares::NameCheck check = shares::CheckShareName(name);
        if (Refuse(check == shares::NameCheck::Empty     ? IDS_SHR_NAME_MISSING
                   : check == shares::NameCheck::Invalid ? IDS_SHR_NAME_INVALID
                                                         : 0))
            return;
        // The machine says whether the folder is there before the wizard goes on.
        if (alive_.expired() || !host_.CheckFolder(path, *this)) return;
        checking_ = true;
        checkedPath_ = path;
        SetDlgItemTextW(dialog_, IDC_SHR_PATH_STATE, LoadStringW(IDS_SHR_PATH_CHECKING).c_str());
        EnableButtons();
    }

    void Finish() {
        ShareSettings settings;
        settings.folderPath = ItemText(dialog_, IDC_SHR_PATH, shares::kMaxFolderPath);
        settings.name = ItemText(dialog_, IDC_SHR_NAME, shares::kMaxShareName);
        if (Refuse(fields_.ReadLimit(dialog_, settings)) || Refuse(fields_.ReadPermissions(dialog_, settings))) {
            WipePasswords(settings);
            return;
        }
        std::string element = shares::NewShareElement(settings);
        WipePasswords(settings);
        const bool sent = !alive_.expired() && host_.SendShare(shares::protocol::kAddShareCommand, element);
        SecureWipe(element);
        if (sent || alive_.expired()) EndDialog(dialog_, IDOK);
    }

    void StopWaiting() {
        if (checking_ && !alive_.expired()) host_.ForgetFolderCheck(*this);
        checking_ = false;
    }

    IShareDialogHost& host_;
    std::weak_ptr<bool> alive_;
    std::wstring computer_;
    CShareFields fields_;
    HWND dialog_ = nullptr;
    Step step_ = kFolder;
    bool checking_ = false;
    bool nameTyped_ = false;
    bool settingName_ = false;
    std::u16string checkedPath_;
};

// ---- the share property dialog -----------------------------------------------------------------

class CSharePropertiesDialog {
public:
    CSharePropertiesDialog(IShareDialogHost& host, std::weak_ptr<bool> alive, std::string element)
        : host_(host), alive_(alive), element_(std::move(element)), fields_(host, alive) {}

    void Run(HWND parent) {
        ActivationScope scope;
        DialogBoxParamW(ResourceInstance(), MAKEINTRESOURCEW(IDD_SHR_PROPERTIES), parent, &Proc,
                        reinterpret_cast<LPARAM>(this));
    }

private:
    static INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        auto self = reinterpret_cast<CSharePropertiesDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
        if (!self) return FALSE;
        INT_PTR result = FALSE;
        CSnapInBase::Guarded([&] { result = self->Handle(dialog, message, wParam, lParam); });
        return result;
    }

    INT_PTR Handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
        case WM_INITDIALOG:
            dialog_ = dialog;
            Init();
            return TRUE;
        case WM_NOTIFY: {
            auto header = reinterpret_cast<const NMHDR*>(lParam);
            if (header && header->idFrom == IDC_SHR_PAGE_TABS && header->code == TCN_SELCHANGE) ShowPage();
            return TRUE;
        }
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        default:
            return FALSE;
        }
    }

    void Init() {
        const ShareSettings settings = shares::ReadShareSettings(element_);
        const std::wstring name(settings.name.begin(), settings.name.end());
        SetWindowTextW(dialog_, ReplaceFirst(LoadStringW(IDS_SHR_PROPERTIES_TITLE), L"%1", name).c_str());
        SetItemText(dialog_, IDC_SHR_NAME, settings.name);
        SetItemText(dialog_, IDC_SHR_PATH, settings.folderPath);
        fields_.Load(dialog_, settings);
        HWND tabs = GetDlgItem(dialog_, IDC_SHR_PAGE_TABS);
        AddTabs(tabs, {IDS_SHR_PAGE_GENERAL, IDS_SHR_PAGE_PERMISSIONS});
        // The tab control lies under the pages' controls.
        SetWindowPos(tabs, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        ShowPage();
        changed_ = false;
        EnableWindow(GetDlgItem(dialog_, IDC_SHR_APPLY), FALSE);
    }

    void ShowPage() {
        const auto page = ::SendDlgItemMessageW(dialog_, IDC_SHR_PAGE_TABS, TCM_GETCURSEL, 0, 0);
        if (page == 1)
            ShowOnly(dialog_, {fields_.PermissionControls()});
        else
            ShowOnly(dialog_, {kGeneralControls});
    }

    void OnCommand(int id, int code) {
        switch (id) {
        case IDOK:
            if (!changed_ || Apply()) EndDialog(dialog_, IDOK);
            return;
        case IDCANCEL:
            EndDialog(dialog_, IDCANCEL);
            return;
        case IDC_SHR_APPLY:
            if (changed_) Apply();
            return;
        case IDC_SHR_DESCRIPTION:
        case IDC_SHR_USERS:
        case IDC_SHR_RO_PASS:
        case IDC_SHR_RW_PASS:
            if (code == EN_CHANGE) MarkChanged();
            return;
        default:
            if (fields_.OnCommand(dialog_, id, code) && (code == BN_CLICKED || id == IDC_SHR_ADD_ACCOUNT)) MarkChanged();
            return;
        }
    }

    void MarkChanged() {
        changed_ = true;
        EnableWindow(GetDlgItem(dialog_, IDC_SHR_APPLY), TRUE);
    }

    bool Apply() {
        ShareSettings settings;
        UINT problem = fields_.ReadLimit(dialog_, settings);
        if (problem == 0) problem = fields_.ReadPermissions(dialog_, settings);
        if (problem != 0) {
            WipePasswords(settings);
            ShowBox(dialog_, LoadStringW(problem), IDS_SHR_CAPTION, MB_OK | MB_ICONEXCLAMATION);
            return false;
        }
        std::string element = shares::ChangedShareElement(element_, settings);
        WipePasswords(settings);
        const bool sent = !element.empty() && !alive_.expired() &&
                          host_.SendShare(shares::protocol::kChangeShareCommand, element);
        SecureWipe(element);
        if (!sent) return alive_.expired();
        changed_ = false;
        EnableWindow(GetDlgItem(dialog_, IDC_SHR_APPLY), FALSE);
        return true;
    }

    IShareDialogHost& host_;
    std::weak_ptr<bool> alive_;
    std::string element_;
    CShareFields fields_;
    HWND dialog_ = nullptr;
    bool changed_ = false;
};

}  // namespace

void RunShareWizard(IShareDialogHost& host, std::weak_ptr<bool> alive, HWND parent, const std::wstring& computer) {
    CShareWizard wizard(host, std::move(alive), computer);
    wizard.Run(parent);
}

void RunShareProperties(IShareDialogHost& host, std::weak_ptr<bool> alive, HWND parent, const std::string& element) {
    CSharePropertiesDialog dialog(host, std::move(alive), element);
    dialog.Run(parent);
}

}  // namespace vantrel
