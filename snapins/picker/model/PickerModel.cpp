#include "snapins/picker/model/PickerModel.h"

#include <algorithm>

#include "framework/text/Base64.h"
#include "framework/text/TextCompare.h"
#include "framework/xml/Xml.h"

namespace vantrel::picker {

namespace wire = protocol;

bool IsDomainListType(int16_t networkType) {
    return networkType == wire::kTypeMachine || networkType == wire::kTypeDomain || networkType == wire::kTypeTrusted;
}

bool IsAccountPageType(int16_t networkType) {
    return networkType == wire::kTypeGroups || networkType == wire::kTypeUsers;
}

// ---- domains ---------------------------------------------------------------------

DomainsAnswer ParseDomains(const char* xmlText) {
    DomainsAnswer answer;
    CXmlElement root;
    answer.text = ParseAnswer(xmlText, root);
    if (answer.text != AnswerText::Parsed) return answer;
    for (int i = 0; i < root.GetChildCount() && answer.entries.size() < DomainList::kMaxDomains; ++i) {
        const CXmlElement& element = *root.GetChild(i);
        DomainEntry entry;
        entry.name = ReadText(element, wire::kAttrDomainName);
        if (entry.name.empty()) continue;
        entry.local = ReadBool(element, wire::kAttrDomainLocal);
        entry.current = ReadBool(element, wire::kAttrCurrentDomain);
        answer.entries.push_back(std::move(entry));
    }
    return answer;
}

size_t DomainList::Add(const std::vector<DomainEntry>& entries) {
    size_t added = 0;
    for (const DomainEntry& entry : entries) {
        if (entries_.size() >= kMaxDomains) break;
        if (entry.name.empty() || IndexOf(entry.name)) continue;
        entries_.push_back(entry);
        ++added;
    }
    return added;
}

std::optional<size_t> DomainList::IndexOf(std::u16string_view name) const {
    for (size_t i = 0; i < entries_.size(); ++i)
        if (EqualsNoCase(entries_[i].name, name)) return i;
    return std::nullopt;
}

std::optional<size_t> DomainList::TakeCurrentOnce() {
    if (currentTaken_) return std::nullopt;
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].current) {
            currentTaken_ = true;
            return i;
        }
    }
    return std::nullopt;
}

// ---- accounts ----------------------------------------------------------------------

Account ReadAccount(const CXmlElement& element) {
    Account account;
    account.element = &element;
    account.group = element.Name() == wire::kGroupElement;
    account.name = ReadText(element, account.group ? wire::kAttrGroupName : wire::kAttrUserName);
    account.fullName = ReadText(element, account.group ? wire::kAttrGroupFullName : wire::kAttrUserFullName);
    account.description = ReadText(element, account.group ? wire::kAttrGroupDescription : wire::kAttrUserDescription);
    return account;
}

const std::u16string& AccountColumnText(const Account& account, int column) {
    switch (column) {
    case kColumnFullName:
        return account.fullName;
    case kColumnDescription:
        return account.description;
    default:
        return account.name;
    }
}

int CompareAccounts(const Account& a, const Account& b, int column) {
    const int order = CompareNoCase(AccountColumnText(a, column), AccountColumnText(b, column));
    return order != 0 || column == kColumnName ? order : CompareNoCase(a.name, b.name);
}

AccountPage ParseAccountPage(const char* xmlText) {
    AccountPage page;
    page.root = std::make_unique<CXmlElement>();
    page.text = ParseAnswer(xmlText, *page.root);
    if (page.text != AnswerText::Parsed) {
        page.root.reset();
        return page;
    }
    page.domain = ReadText(*page.root, wire::kAttrDomainName);
    page.upTo = ReadInt64(*page.root, kUpToAttribute);
    page.total = ReadInt64(*page.root, kTotalAttribute);
    return page;
}

void DomainAccounts::SetListing(int16_t networkType, Listing state) {
    if (networkType == wire::kTypeGroups) groups_ = state;
    if (networkType == wire::kTypeUsers) users_ = state;
}

size_t DomainAccounts::Merge(std::unique_ptr<CXmlElement> page, size_t cap) {
    const size_t first = accounts_.size();
    if (!page) return first;
    for (int i = 0; i < page->GetChildCount() && ListHasRoom(accounts_.size(), cap); ++i) {
        Account account = ReadAccount(*page->GetChild(i));
        if (!account.name.empty()) accounts_.push_back(std::move(account));
    }
    // The accounts point into the page: it stays as long as they do.
    if (accounts_.size() > first) pages_.push_back(std::move(page));
    return first;
}

void DomainAccounts::Clear() {
    ++generation_;
    accounts_.clear();
    pages_.clear();
    groups_ = users_ = Listing::NotAsked;
}

const std::vector<std::u16string>& AccountSortKeys::Keys(const DomainAccounts& domain, int column) {
    if (domain_ != &domain || generation_ != domain.Generation()) {
        for (auto& keys : keys_) keys.clear();
        domain_ = &domain;
        generation_ = domain.Generation();
    }
    std::vector<std::u16string>& keys = keys_[column];
    const auto& accounts = domain.Accounts();
    // Accounts only ever come after the others until the next Clear.
    keys.reserve(accounts.size());
    for (size_t i = keys.size(); i < accounts.size(); ++i) {
        std::u16string key = AccountColumnText(accounts[i], column);
        for (char16_t& c : key) c = FoldCase(c);
        keys.push_back(std::move(key));
    }
    return keys;
}

int AccountSortKeys::Compare(const DomainAccounts& domain, size_t a, size_t b, int column) {
    if (column < 0 || column >= kAccountColumnCount) column = kColumnName;
    const auto& keys = Keys(domain, column);
    if (a >= keys.size() || b >= keys.size()) return 0;
    const int order = keys[a].compare(keys[b]);
    if (order != 0 || column == kColumnName) return (order > 0) - (order < 0);
    const auto& names = Keys(domain, kColumnName);
    return (names[a] > names[b]) - (names[a] < names[b]);
}

std::u16string AccountCache::Key(std::u16string_view domain) {
    std::u16string key(domain);
    for (char16_t& c : key) c = FoldCase(c);
    return key;
}

DomainAccounts& AccountCache::Of(std::u16string_view domain) { return domains_[Key(domain)]; }

const DomainAccounts* AccountCache::Find(std::u16string_view domain) const {
    const auto found = domains_.find(Key(domain));
    return found == domains_.end() ? nullptr : &found->second;
}

// ---- requests on their way ------------------------------------------------------------

bool PendingRequests::AnyFor(std::u16string_view domain) const {
    return std::any_of(requests_.begin(), requests_.end(), [&](const PickerRequest& request) {
        return IsAccountPageType(request.networkType) && EqualsNoCase(request.domain, domain);
    });
}

std::optional<PickerRequest> PendingRequests::TakeAt(std::deque<PickerRequest>::iterator at) {
    if (at == requests_.end()) return std::nullopt;
    PickerRequest taken = std::move(*at);
    requests_.erase(at);
    return taken;
}

std::optional<PickerRequest> PendingRequests::TakeDomainList(int16_t networkType) {
    if (!IsDomainListType(networkType)) return std::nullopt;
    return TakeAt(std::find_if(requests_.begin(), requests_.end(),
                               [&](const PickerRequest& request) { return request.networkType == networkType; }));
}

std::optional<PickerRequest> PendingRequests::TakePage(int16_t networkType, std::u16string_view domain) {
    if (!IsAccountPageType(networkType)) return std::nullopt;
    return TakeAt(std::find_if(requests_.begin(), requests_.end(), [&](const PickerRequest& request) {
        return request.networkType == networkType && EqualsNoCase(request.domain, domain);
    }));
}

std::optional<PickerRequest> PendingRequests::TakeFailed(int16_t networkType) {
    auto at = std::find_if(requests_.begin(), requests_.end(),
                           [&](const PickerRequest& request) { return request.networkType == networkType; });
    return TakeAt(at != requests_.end() ? at : requests_.begin());
}

// ---- results ----------------------------------------------------------------------------

CXmlElement* AppendResultElement(CXmlElement& parent, const CXmlElement& account, std::u16string_view domain) {
    CXmlElement* copy = parent.AddChild(account.Name());
    for (int i = 0; i < account.GetAttributeCount(); ++i) {
        const CXmlAttribute& attribute = *account.GetAttributeAt(i);
        // The domain is the one chosen now, whatever the element said.
        if (attribute.Name() != wire::kAttrDomainName) copy->AddAttribute(attribute.Name(), attribute.Value());
    }
    copy->AddAttribute(wire::kAttrDomainName, EncodeUtf16Base64(domain));
    return copy;
}

std::u16string PickedAccount::QualifiedName() const {
    return domain.empty() ? name : domain + u"\\" + name;
}

PickedAccount ReadPickedAccount(const CXmlElement& element) {
    const Account account = ReadAccount(element);
    PickedAccount picked;
    picked.group = account.group;
    picked.name = account.name;
    picked.fullName = account.fullName;
    picked.description = account.description;
    picked.domain = ReadText(element, wire::kAttrDomainName);
    return picked;
}

}  // namespace vantrel::picker
