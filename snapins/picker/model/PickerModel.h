// The account picker without its windows: the domains of the combo box, the
// accounts received for each domain (kept while the picker is open, so that
// choosing a domain again asks nothing), the requests on their way and the
// accounts handed back to the owner as XML elements.
//
// The managed machine is not trusted: counts never size an allocation, every
// list is capped, and an answer is taken for one of the requests that were
// sent or for none.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/model/Answer.h"
#include "framework/model/Paging.h"
#include "snapins/picker/model/Protocol.h"

namespace vantrel {
class CXmlElement;
}

namespace vantrel::picker {

// ---------------------------------------------------------------------------
// Domains

struct DomainEntry {
    std::u16string name;
    bool local = false;
    bool current = false;
};

bool IsDomainListType(int16_t networkType);
bool IsAccountPageType(int16_t networkType);

struct DomainsAnswer {
    AnswerText text = AnswerText::Empty;
    std::vector<DomainEntry> entries;  // elements without a name are left out
};
DomainsAnswer ParseDomains(const char* xmlText);

// The entries of the combo box: a domain named twice (the three domain lists
// may overlap) is listed once.
class DomainList {
public:
    static constexpr size_t kMaxDomains = 4096;

    // Adds the entries not listed yet; returns how many were added.
    size_t Add(const std::vector<DomainEntry>& entries);
    const std::vector<DomainEntry>& Entries() const { return entries_; }
    std::optional<size_t> IndexOf(std::u16string_view name) const;
    // The first entry marked current, the first time there is one; never
    // again after that, so that later answers do not move the choice.
    std::optional<size_t> TakeCurrentOnce();

private:
    std::vector<DomainEntry> entries_;
    bool currentTaken_ = false;
};

// ---------------------------------------------------------------------------
// Accounts

enum AccountColumn { kColumnName = 0, kColumnFullName, kColumnDescription, kAccountColumnCount };

// One account of a domain, decoded; `element` is the element as received,
// which the cache keeps.
struct Account {
    const CXmlElement* element = nullptr;
    bool group = false;
    std::u16string name;
    std::u16string fullName;
    std::u16string description;
};

// An account element: "Group" is a group with the Group... attributes, any
// other name a user with the User... attributes.
Account ReadAccount(const CXmlElement& element);
const std::u16string& AccountColumnText(const Account& account, int column);
// Ascending order by a column, without regard to case; equal texts by name.
int CompareAccounts(const Account& a, const Account& b, int column);

// One page of groups (type 1) or users (type 2).
struct AccountPage {
    AnswerText text = AnswerText::Empty;
    std::u16string domain;
    int64_t upTo = 0;
    int64_t total = 0;
    std::unique_ptr<CXmlElement> root;
};
AccountPage ParseAccountPage(const char* xmlText);

// What the picker knows of one domain's accounts. Groups and users are
// listed separately; each listing is Running until its last page arrives.
class DomainAccounts {
public:
    enum class Listing { NotAsked, Running, Done, Failed };

    Listing GroupsListing() const { return groups_; }
    Listing UsersListing() const { return users_; }
    void SetListing(int16_t networkType, Listing state);
    bool Complete() const { return groups_ == Listing::Done && users_ == Listing::Done; }
    bool AnyRunning() const { return groups_ == Listing::Running || users_ == Listing::Running; }

    // Keeps the page and appends its accounts (as far as the cap allows);
    // returns the index of the first one added. The accounts stay where they
    // are until Clear.
    size_t Merge(std::unique_ptr<CXmlElement> page, size_t cap = kMaxListItems);
    const std::vector<Account>& Accounts() const { return accounts_; }
    void Clear();
    // Changes at every Clear: what was derived from the accounts before is stale.
    uint32_t Generation() const { return generation_; }

private:
    std::vector<std::unique_ptr<CXmlElement>> pages_;
    uint32_t generation_ = 0;
    std::vector<Account> accounts_;
    Listing groups_ = Listing::NotAsked;
    Listing users_ = Listing::NotAsked;
};

// The sort order of each column of a domain's accounts, computed once per
// column as a rank for every account: two accounts have the same rank exactly
// when CompareAccounts finds them equal, and the lower rank sorts first.
// Sorting a hundred thousand accounts then compares integers, and a domain
// shown again in another order is ordered by counting. Each domain keeps its
// ranks until its accounts change (a Clear, or pages added).
class AccountSortKeys {
public:
    int Compare(const DomainAccounts& domain, size_t a, size_t b, int column);
    // The accounts' indexes as a stable sort of them in index order by the
    // column would leave them: equal accounts in index order either way.
    std::vector<uint32_t> Order(const DomainAccounts& domain, int column, bool ascending);

private:
    struct DomainRanks {
        uint32_t generation = 0;
        size_t count = 0;
        std::vector<uint32_t> ranks[kAccountColumnCount];  // empty until asked for
    };
    const std::vector<uint32_t>& Ranks(const DomainAccounts& domain, int column);

    std::map<const DomainAccounts*, DomainRanks> domains_;
    // Asked for at every comparison of a sort: the last domain at hand.
    const DomainAccounts* lastDomain_ = nullptr;
    DomainRanks* lastRanks_ = nullptr;
};

// The accounts of every domain received while the picker is open, by domain
// name without regard to case.
class AccountCache {
public:
    DomainAccounts& Of(std::u16string_view domain);
    const DomainAccounts* Find(std::u16string_view domain) const;

private:
    static std::u16string Key(std::u16string_view domain);
    std::map<std::u16string, DomainAccounts> domains_;
};

// ---------------------------------------------------------------------------
// Requests on their way

struct PickerRequest {
    int16_t networkType = 0;
    std::u16string domain;  // types 1 and 2
    int64_t startAt = 0;    // types 1 and 2
};

// Every request of command 3 is answered by command only and several are out
// at once, so each answer is taken for one of the requests sent: a page by
// its type and domain, a domain list by its type, a failure (which carries no
// domain) by its type, oldest first.
class PendingRequests {
public:
    void Sent(PickerRequest request) { requests_.push_back(std::move(request)); }
    size_t Count() const { return requests_.size(); }
    bool Empty() const { return requests_.empty(); }
    bool AnyFor(std::u16string_view domain) const;

    // The oldest domain-list request of that type.
    std::optional<PickerRequest> TakeDomainList(int16_t networkType);
    // The page request of that type for that domain.
    std::optional<PickerRequest> TakePage(int16_t networkType, std::u16string_view domain);
    // A failure: the oldest request of its type, else the oldest of all.
    std::optional<PickerRequest> TakeFailed(int16_t networkType);

private:
    std::optional<PickerRequest> TakeAt(std::deque<PickerRequest>::iterator at);
    std::deque<PickerRequest> requests_;
};

// ---------------------------------------------------------------------------
// Results

// A copy of the account's element with "DomainName" (Base64) of the domain
// chosen when it was added, appended as a child of `parent`.
CXmlElement* AppendResultElement(CXmlElement& parent, const CXmlElement& account, std::u16string_view domain);

// What an owner reads of a returned element.
struct PickedAccount {
    bool group = false;
    std::u16string name;
    std::u16string fullName;
    std::u16string description;
    std::u16string domain;
    // "Domain\Name", or the name alone without a domain.
    std::u16string QualifiedName() const;
};
PickedAccount ReadPickedAccount(const CXmlElement& element);

}  // namespace vantrel::picker
