#include "snapins/picker/AccountPicker.h"

#include "framework/Module.h"
#include "framework/ReportList.h"
#include "framework/SortedVirtualList.h"
#include "framework/Text.h"
#include "framework/text/Base64.h"
#include "framework/text/TextCompare.h"
#include "framework/xml/Xml.h"
#include "snapins/picker/PickerIds.h"

#include <algorithm>
#include <map>
#include <iterator>

namespace vantrel {
namespace {

namespace wire = picker::protocol;
using picker::DomainAccounts;
using Listing = picker::DomainAccounts::Listing;

constexpr DWORD kListExStyle = LVS_EX_FULLROWSELECT;
constexpr int kGroupImage = 0;
constexpr int kUserImage = 1;

constexpr ReportColumn kColumns[] = {{picker::kColumnName, IDS_PICKER_USER_NAME, 100},
                                     {picker::kColumnFullName, IDS_PICKER_FULL_NAME, 100},
                                     {picker::kColumnDescription, IDS_PICKER_DESCRIPTION, 100}};

constexpr int16_t kDomainListTypes[] = {wire::kTypeMachine, wire::kTypeDomain, wire::kTypeTrusted};

// The row of the account at `index` of its domain.
CSortedVirtualList::Row RowOf(const picker::Account& account, size_t index) {
    return {static_cast<LPARAM>(index), account.group ? kGroupImage : kUserImage};
}

// One list of the dialog and the texts it shows.
class ListSource : public IReportSource {
public:
    using CellFunction = std::wstring (CAccountPickerDialog::*)(LPARAM, int);
    using CompareFunction = int (CAccountPickerDialog::*)(LPARAM, LPARAM, int);
    using ActivateFunction = void (CAccountPickerDialog::*)(LPARAM);

    ListSource(CAccountPickerDialog& dialog, CellFunction cell, CompareFunction compare, ActivateFunction activate,
               bool sortable)
        : dialog_(dialog), cell_(cell), compare_(compare), activate_(activate), sortable_(sortable) {}

    std::wstring CellText(LPARAM key, int modelColumn) override;
    int CompareRecords(LPARAM a, LPARAM b, int modelColumn) override;
    // The added list keeps the order in which accounts were added.
    bool OnColumnClick(int) override { return !sortable_; }
    void OnItemActivated(LPARAM key) override;

private:
    CAccountPickerDialog& dialog_;
    CellFunction cell_;
    CompareFunction compare_;
    ActivateFunction activate_;
    bool sortable_;
};

}  // namespace

// The dialog of one picker; it lives on the stack of CAccountPickers::Choose.
class CAccountPickerDialog {
public:
    CAccountPickerDialog(CAccountPickers& pickers, size_t maximum)
        : pickers_(pickers), maximum_(maximum),
          accountsSource_(*this, &CAccountPickerDialog::AccountText, &CAccountPickerDialog::CompareShown,
                          &CAccountPickerDialog::AddAccount, true),
          addedSource_(*this, &CAccountPickerDialog::AddedText, &CAccountPickerDialog::CompareNothing,
                       &CAccountPickerDialog::RemoveAdded, false),
          accounts_(accountsSource_, nullptr), added_(addedSource_, nullptr) {}

    INT_PTR Run(HWND parent) {
        ActivationScope scope;
        return DialogBoxParamW(ResourceInstance(), MAKEINTRESOURCEW(IDD_PICKER), parent, &DialogProc,
                               reinterpret_cast<LPARAM>(this));
    }

    // The owner is being released: end the dialog and never touch the owner again.
    void OnOwnerGone() {
        ownerGone_ = true;
        if (window_) EndDialog(window_, IDCANCEL);
    }
    bool OwnerGone() const { return ownerGone_; }

    size_t PendingCount() const { return pending_.Count(); }
    bool DomainsComplete() const { return domainAnswersOk_ >= std::size(kDomainListTypes); }
    const std::vector<picker::DomainEntry>& Domains() const { return domains_.Entries(); }
    std::unique_ptr<CXmlElement> TakeResult() { return std::move(result_); }

    // An answer of command 3: false when it belongs to none of this
    // picker's requests.
    bool TakeAnswer(IHostMessage& answer, IMessageNode& root);

    // ---- the lists' texts ----
    std::wstring AccountText(LPARAM key, int column) {
        const picker::Account* account = ShownAccount(key);
        return account ? ToWide(picker::AccountColumnText(*account, column)) : std::wstring();
    }
    int CompareShown(LPARAM a, LPARAM b, int column) {
        if (!shownAccounts_ || a < 0 || b < 0) return 0;
        return sortKeys_.Compare(*shownAccounts_, static_cast<size_t>(a), static_cast<size_t>(b), column);
    }
    std::wstring AddedText(LPARAM key, int column) {
        const Added* added = FindAdded(key);
        if (!added) return {};
        switch (column) {
        case picker::kColumnFullName:
            return ToWide(added->shown.fullName);
        case picker::kColumnDescription:
            return ToWide(added->shown.description);
        default:
            return ToWide(added->shown.name);
        }
    }
    int CompareNothing(LPARAM, LPARAM, int) { return 0; }
    void AddAccount(LPARAM key);
    void RemoveAdded(LPARAM key);

private:
    struct Added {
        LPARAM key;
        // Holds one child: the account's element with its "DomainName".
        std::unique_ptr<CXmlElement> holder;
        picker::PickedAccount shown;
    };

    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnInit();
    void OnCommand(UINT id, UINT code);
    void EnableRemove();

    // ---- domains and listings ----
    void AddDomains(const std::vector<picker::DomainEntry>& entries);
    void SelectDomain(size_t index);
    void ChooseDomain(size_t index);
    void RequestDomainLists();
    bool Send(const picker::PickerRequest& request);
    void StartListing(const std::u16string& domain);
    void KeepShownOrder();
    bool ShowKeptOrder(const DomainAccounts& accounts);
    std::vector<CSortedVirtualList::Row> RowsOf(const DomainAccounts& domain, size_t first) const;
    std::vector<CSortedVirtualList::Row> SortedRowsOf(const DomainAccounts& domain);
    const picker::Account* ShownAccount(LPARAM key) const;
    std::u16string ChosenDomain() const;

    // ---- answers ----
    bool OnDomains(IMessageNode& root, int16_t networkType);
    bool OnAccountPage(IMessageNode& root, int16_t networkType);
    void OnFailure(IHostMessage& answer, int16_t networkType);
    void EndBusyUnreadable();
    void EndChain(const picker::PickerRequest& request, Listing end);
    CSnapInBase& Owner() { return pickers_.owner_; }

    const Added* FindAdded(LPARAM key) const {
        const auto found = std::find_if(addedRows_.begin(), addedRows_.end(), [key](const Added& a) { return a.key == key; });
        return found == addedRows_.end() ? nullptr : &*found;
    }

    CAccountPickers& pickers_;
    size_t maximum_;
    HWND window_ = nullptr;
    HWND combo_ = nullptr;
    bool ownerGone_ = false;
    ListSource accountsSource_;
    ListSource addedSource_;
    CSortedVirtualList accounts_;  // 12101: keys are indexes into the shown domain's accounts
    CReportList added_;     // 12103: keys are Added::key
    picker::DomainList domains_;
    size_t domainAnswersOk_ = 0;
    picker::AccountCache cache_;
    picker::PendingRequests pending_;
    std::u16string shownDomain_;
    bool domainShown_ = false;
    const DomainAccounts* shownAccounts_ = nullptr;
    picker::AccountSortKeys sortKeys_;
    struct KeptOrder {
        std::optional<listview::SortState> sort;
        std::vector<CSortedVirtualList::Row> rows;
    };
    std::map<const DomainAccounts*, KeptOrder> keptOrders_;
    std::vector<Added> addedRows_;
    LPARAM nextAddedKey_ = 1;
    std::unique_ptr<CXmlElement> result_;
};

namespace {

std::wstring ListSource::CellText(LPARAM key, int modelColumn) { return (dialog_.*cell_)(key, modelColumn); }
int ListSource::CompareRecords(LPARAM a, LPARAM b, int modelColumn) { return (dialog_.*compare_)(a, b, modelColumn); }
void ListSource::OnItemActivated(LPARAM key) { (dialog_.*activate_)(key); }

}  // namespace

// ---- the dialog ---------------------------------------------------------------------

INT_PTR CALLBACK CAccountPickerDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    auto self = reinterpret_cast<CAccountPickerDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!self) return FALSE;
    if (message == WM_INITDIALOG) self->window_ = dialog;
    try {
        const INT_PTR result = self->OnMessage(message, wParam, lParam);
        if (message == WM_NCDESTROY) self->window_ = nullptr;
        return result;
    } catch (...) {
        return FALSE;
    }
}

INT_PTR CAccountPickerDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInit();
        return TRUE;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_NOTIFY: {
        LRESULT result = 0;
        const auto header = reinterpret_cast<const NMHDR*>(lParam);
        if (accounts_.HandleNotify(header, &result) || added_.HandleNotify(header, &result)) {
            SetWindowLongPtrW(window_, DWLP_MSGRESULT, result);
            return TRUE;
        }
        return FALSE;
    }
    case WM_SETCURSOR:
        // The wait cursor while a listing is out.
        if (!pending_.Empty() && LOWORD(lParam) == HTCLIENT) {
            SetCursor(LoadCursorW(nullptr, IDC_WAIT));
            SetWindowLongPtrW(window_, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        accounts_.List().Detach();
        added_.Detach();
        return FALSE;
    default:
        return FALSE;
    }
}

void CAccountPickerDialog::OnInit() {
    combo_ = GetDlgItem(window_, IDC_PICKER_DOMAINS);
    accounts_.List().Attach(GetDlgItem(window_, IDC_PICKER_ACCOUNTS), kListExStyle);
    accounts_.List().SetColumns(kColumns);
    accounts_.List().SetImages(LoadImageStrip(L"IDB_USERPICKER", 16, ILC_COLOR24));
    accounts_.List().LoadSortArrows();
    added_.Attach(GetDlgItem(window_, IDC_PICKER_ADDED), kListExStyle);
    added_.SetColumns(kColumns);
    added_.SetImages(LoadImageStrip(L"IDB_USERPICKER", 16, ILC_COLOR24), nullptr);
    EnableRemove();
    if (ownerGone_) {
        EndDialog(window_, IDCANCEL);
        return;
    }
    if (!pickers_.knownDomains_.empty()) {
        AddDomains(pickers_.knownDomains_);
        domainAnswersOk_ = std::size(kDomainListTypes);
    } else {
        RequestDomainLists();
    }
}

void CAccountPickerDialog::OnCommand(UINT id, UINT code) {
    if (ownerGone_ && id != IDCANCEL) return;
    switch (id) {
    case IDC_PICKER_DOMAINS:
        if (code == CBN_SELCHANGE) {
            const auto index = ::SendMessageW(combo_, CB_GETCURSEL, 0, 0);
            if (index >= 0) ChooseDomain(static_cast<size_t>(index));
        }
        break;
    case IDC_PICKER_ADD:
        if (const auto key = accounts_.SelectedKey()) AddAccount(*key);
        break;
    case IDC_PICKER_REMOVE:
        if (const auto key = added_.SelectedKey()) RemoveAdded(*key);
        break;
    case IDOK: {
        result_ = std::make_unique<CXmlElement>("Accounts");
        for (int item = 0; item < added_.ItemCount(); ++item) {
            const auto key = added_.KeyOfItem(item);
            const Added* added = key ? FindAdded(*key) : nullptr;
            if (added && added->holder->GetChildCount() == 1)
                picker::AppendResultElement(*result_, *added->holder->GetChild(0), added->shown.domain);
        }
        EndDialog(window_, IDOK);
        break;
    }
    case IDCANCEL:
        EndDialog(window_, IDCANCEL);
        break;
    default:
        break;
    }
}

void CAccountPickerDialog::EnableRemove() {
    EnableWindow(GetDlgItem(window_, IDC_PICKER_REMOVE), added_.ItemCount() > 0);
}

void CAccountPickerDialog::AddAccount(LPARAM key) {
    const picker::Account* account = ShownAccount(key);
    if (!account || !account->element || addedRows_.size() >= maximum_) return;
    Added added;
    added.key = nextAddedKey_++;
    added.holder = std::make_unique<CXmlElement>("Account");
    const CXmlElement* element = picker::AppendResultElement(*added.holder, *account->element, ChosenDomain());
    added.shown = picker::ReadPickedAccount(*element);
    const int image = added.shown.group ? kGroupImage : kUserImage;
    addedRows_.push_back(std::move(added));
    added_.Append({{addedRows_.back().key, image}});
    EnableRemove();
}

void CAccountPickerDialog::RemoveAdded(LPARAM key) {
    const int item = added_.FindItem(key);
    if (item < 0) return;
    ::SendMessageW(added_.Handle(), LVM_DELETEITEM, static_cast<WPARAM>(item), 0);
    std::erase_if(addedRows_, [key](const Added& added) { return added.key == key; });
    EnableRemove();
}

// ---- domains and listings --------------------------------------------------------------

std::u16string CAccountPickerDialog::ChosenDomain() const {
    const auto index = combo_ ? ::SendMessageW(combo_, CB_GETCURSEL, 0, 0) : CB_ERR;
    const auto& entries = domains_.Entries();
    return index >= 0 && static_cast<size_t>(index) < entries.size() ? entries[static_cast<size_t>(index)].name
                                                                       : std::u16string();
}

void CAccountPickerDialog::AddDomains(const std::vector<picker::DomainEntry>& entries) {
    const size_t before = domains_.Entries().size();
    domains_.Add(entries);
    const auto& all = domains_.Entries();
    for (size_t i = before; i < all.size(); ++i) {
        const std::wstring name = ToWide(all[i].name);
        ::SendMessageW(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    if (const auto current = domains_.TakeCurrentOnce()) SelectDomain(*current);
}

void CAccountPickerDialog::SelectDomain(size_t index) {
    ::SendMessageW(combo_, CB_SETCURSEL, index, 0);
    ChooseDomain(index);
}

const picker::Account* CAccountPickerDialog::ShownAccount(LPARAM key) const {
    // Asked for every comparison of a sort: the shown domain is kept at hand.
    const DomainAccounts* domain = shownAccounts_;
    if (!domain || key < 0 || static_cast<size_t>(key) >= domain->Accounts().size()) return nullptr;
    return &domain->Accounts()[static_cast<size_t>(key)];
}

std::vector<CSortedVirtualList::Row> CAccountPickerDialog::RowsOf(const DomainAccounts& domain, size_t first) const {
    std::vector<CSortedVirtualList::Row> rows;
    const auto& accounts = domain.Accounts();
    rows.reserve(accounts.size() - std::min(first, accounts.size()));
    for (size_t i = first; i < accounts.size(); ++i) rows.push_back(RowOf(accounts[i], i));
    return rows;
}

std::vector<CSortedVirtualList::Row> CAccountPickerDialog::SortedRowsOf(const DomainAccounts& domain) {
    // In the order the list's sort would give, counted out from the ranks of
    // the column rather than sorted by comparing.
    const auto sort = accounts_.Sort();
    const int column = sort ? accounts_.List().ModelColumn(sort->column) : -1;
    if (column < 0) return RowsOf(domain, 0);
    const auto& accounts = domain.Accounts();
    std::vector<CSortedVirtualList::Row> rows;
    rows.reserve(accounts.size());
    for (uint32_t i : sortKeys_.Order(domain, column, sort->ascending)) rows.push_back(RowOf(accounts[i], i));
    return rows;
}

void CAccountPickerDialog::ChooseDomain(size_t index) {
    const auto& entries = domains_.Entries();
    if (index >= entries.size()) return;
    const std::u16string domain = entries[index].name;
    KeepShownOrder();
    shownDomain_ = domain;
    domainShown_ = true;
    DomainAccounts& accounts = cache_.Of(domain);
    shownAccounts_ = &accounts;  // the cache's entries stay where they are while the picker lives
    if (accounts.Complete() && ShowKeptOrder(accounts)) return;
    if (accounts.Complete() || accounts.AnyRunning()) {
        // Known, or on its way: what has come so far now, the rest as it comes.
        accounts_.Fill(SortedRowsOf(accounts), CSortedVirtualList::Order::Sorted);
        return;
    }
    StartListing(domain);
}

void CAccountPickerDialog::KeepShownOrder() {
    // A complete domain keeps its rows in the order shown, so that choosing
    // it again need not sort it again.
    if (shownAccounts_ && shownAccounts_->Complete())
        keptOrders_[shownAccounts_] = {accounts_.Sort(), accounts_.TakeRows()};
    else
        accounts_.Clear();
}

bool CAccountPickerDialog::ShowKeptOrder(const DomainAccounts& accounts) {
    const auto kept = keptOrders_.find(&accounts);
    if (kept == keptOrders_.end()) return false;
    KeptOrder order = std::move(kept->second);
    keptOrders_.erase(kept);
    const auto sort = accounts_.Sort();
    const bool sameSort = order.sort.has_value() == sort.has_value() &&
                          (!sort || (order.sort->column == sort->column && order.sort->ascending == sort->ascending));
    if (!sameSort || order.rows.size() != accounts.Accounts().size()) return false;
    accounts_.Fill(std::move(order.rows), CSortedVirtualList::Order::Sorted);
    return true;
}

void CAccountPickerDialog::StartListing(const std::u16string& domain) {
    DomainAccounts& accounts = cache_.Of(domain);
    accounts.Clear();
    for (int16_t type : {wire::kTypeGroups, wire::kTypeUsers}) {
        if (!Send({type, domain, 0})) continue;
        accounts.SetListing(type, Listing::Running);
        Owner().BeginBusy(IDS_STATUS_IN_PROGRESS);
    }
}

void CAccountPickerDialog::RequestDomainLists() {
    for (int16_t type : kDomainListTypes) {
        if (Send({type, {}, 0})) Owner().BeginBusy(IDS_STATUS_IN_PROGRESS);
    }
}

bool CAccountPickerDialog::Send(const picker::PickerRequest& request) {
    if (ownerGone_) return false;
    CSnapInBase::Request message(Owner(), wire::kAccountCommand, 1);
    message.Field(wire::kNetworkTypeNode).SetShort(request.networkType);
    if (picker::IsAccountPageType(request.networkType)) {
        message.Field(wire::kStartAtNode).SetLong(static_cast<int32_t>(request.startAt));
        message.Field(wire::kDomainNameNode).SetString(EncodeUtf16Base64(request.domain).c_str());
    }
    if (!message.Send()) return false;
    pending_.Sent(request);
    return true;
}

// ---- answers ---------------------------------------------------------------------------------

bool CAccountPickerDialog::TakeAnswer(IHostMessage& answer, IMessageNode& root) {
    if (ownerGone_ || pending_.Empty()) return false;
    const int16_t networkType = root.Child(wire::kNetworkTypeNode)->GetShort();
    if (root.Child(kRetValueNode)->GetShort() != wire::kSuccess) {
        OnFailure(answer, networkType);
        return true;
    }
    if (picker::IsDomainListType(networkType)) return OnDomains(root, networkType);
    if (picker::IsAccountPageType(networkType)) return OnAccountPage(root, networkType);
    return false;
}

void CAccountPickerDialog::OnFailure(IHostMessage& answer, int16_t networkType) {
    const std::optional<picker::PickerRequest> request = pending_.TakeFailed(networkType);
    if (!request) return;
    if (picker::IsAccountPageType(request->networkType)) cache_.Of(request->domain).SetListing(request->networkType, Listing::Failed);
    Owner().EndBusy(IDS_STATUS_FAILED);
    Owner().ShowAnswerError(&answer, 0, 0);  // last: the owner may be gone after the box
}

void CAccountPickerDialog::EndBusyUnreadable() {
    Owner().EndBusy(IDS_STATUS_FAILED);
    Owner().ShowErrorId(IDS_UNREADABLE_ANSWER, 0);
}

bool CAccountPickerDialog::OnDomains(IMessageNode& root, int16_t networkType) {
    if (!pending_.TakeDomainList(networkType)) return false;
    const picker::DomainsAnswer domains = picker::ParseDomains(root.Child(wire::kDomainsNode)->GetString());
    if (domains.text != AnswerText::Parsed) {
        EndBusyUnreadable();
        return true;
    }
    ++domainAnswersOk_;
    // Busy ends first: choosing the current domain begins the listing's own.
    Owner().EndBusy(IDS_STATUS_SUCCESS);
    AddDomains(domains.entries);
    return true;
}

bool CAccountPickerDialog::OnAccountPage(IMessageNode& root, int16_t networkType) {
    const char* node = networkType == wire::kTypeGroups ? wire::kGroupsNode : wire::kUsersNode;
    picker::AccountPage page = picker::ParseAccountPage(root.Child(node)->GetString());
    if (page.text != AnswerText::Parsed) {
        // Which domain it was for cannot be read: the oldest request of its kind.
        const auto request = pending_.TakeFailed(networkType);
        if (!request) return false;
        if (picker::IsAccountPageType(request->networkType))
            cache_.Of(request->domain).SetListing(request->networkType, Listing::Failed);
        EndBusyUnreadable();
        return true;
    }
    const std::optional<picker::PickerRequest> request = pending_.TakePage(networkType, page.domain);
    if (!request) return false;  // not asked for by this picker
    int64_t next = 0;
    const PageStep step = NextPage(request->startAt, page.upTo, page.total, &next, ContinueFrom::UpTo);
    DomainAccounts& accounts = cache_.Of(request->domain);
    if (step != PageStep::Failed) {
        // Into the cache of the domain the page is for; into the list only
        // while that domain is shown.
        const size_t first = accounts.Merge(std::move(page.root));
        if (domainShown_ && EqualsNoCase(shownDomain_, request->domain)) accounts_.Append(RowsOf(accounts, first));
    }
    if (step == PageStep::Continue && Send({networkType, request->domain, next})) return true;
    EndChain(*request, step == PageStep::Done ? Listing::Done : Listing::Failed);
    return true;
}

void CAccountPickerDialog::EndChain(const picker::PickerRequest& request, Listing end) {
    DomainAccounts& accounts = cache_.Of(request.domain);
    accounts.SetListing(request.networkType, end);
    if (domainShown_ && EqualsNoCase(shownDomain_, request.domain) && !accounts.AnyRunning()) accounts_.Resort();
    Owner().EndBusy(end == Listing::Done ? IDS_STATUS_SUCCESS : IDS_STATUS_FAILED);
}

// ---- the owner's side ---------------------------------------------------------------------------

CAccountPickers::CAccountPickers(CSnapInBase& owner) : owner_(owner) {}

CAccountPickers::~CAccountPickers() {
    for (CAccountPickerDialog* dialog : open_) dialog->OnOwnerGone();
}

CAccountPickers::Result CAccountPickers::Choose(HWND parent, size_t maximum) {
    CAccountPickerDialog dialog(*this, maximum);
    open_.push_back(&dialog);
    const INT_PTR ended = dialog.Run(parent);
    // Released meanwhile: `this` is gone with the owner.
    if (dialog.OwnerGone()) return {Result::Outcome::OwnerGone, nullptr};
    std::erase(open_, &dialog);
    orphans_ += static_cast<int>(dialog.PendingCount());
    if (dialog.DomainsComplete() && !dialog.Domains().empty()) knownDomains_ = dialog.Domains();
    if (ended != IDOK) return {Result::Outcome::Canceled, nullptr};
    return {Result::Outcome::Chosen, dialog.TakeResult()};
}

void CAccountPickers::OnAnswer(IHostMessage& answer, IMessageNode& root) {
    // The newest picker first; a copy, as a picker may close inside.
    const std::vector<CAccountPickerDialog*> open = open_;
    for (auto it = open.rbegin(); it != open.rend(); ++it)
        if ((*it)->TakeAnswer(answer, root)) return;
    if (orphans_ > 0) {
        --orphans_;
        owner_.EndBusy(IDS_STATUS_CANCELED);
    }
}

}  // namespace vantrel
