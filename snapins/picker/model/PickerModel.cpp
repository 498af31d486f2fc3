#include "snapins/picker/model/PickerModel.h"

#include <algorithm>
#include <numeric>

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

namespace {

// A column's texts upper-cased, one after the other in one block.
class FoldedTexts {
public:
    FoldedTexts(const std::vector<Account>& accounts, int column) {
        size_t total = 0;
        for (const Account& account : accounts) total += AccountColumnText(account, column).size();
        units_.reserve(total);
        starts_.reserve(accounts.size() + 1);
        for (const Account& account : accounts) {
            starts_.push_back(units_.size());
            for (char16_t c : AccountColumnText(account, column)) units_.push_back(FoldCase(c));
        }
        starts_.push_back(units_.size());
    }
    size_t Count() const { return starts_.size() - 1; }
    std::u16string_view Text(size_t i) const {
        return std::u16string_view(units_).substr(starts_[i], starts_[i + 1] - starts_[i]);
    }

private:
    std::u16string units_;
    std::vector<size_t> starts_;
};

// Three units of a text from `depth` in one integer, each unit one more than
// its value so that the end of the text (0) sorts before any unit.
constexpr size_t kUnitsPerStep = 3;
constexpr int kUnitBits = 17;
// Texts are told apart by this many units at most: a machine that sends many
// long texts alike cannot make a sort take a pass for every three of their units.
constexpr size_t kSortDepth = 1026;

uint64_t UnitsAt(std::u16string_view text, size_t depth) {
    uint64_t units = 0;
    for (size_t i = depth; i < depth + kUnitsPerStep; ++i)
        units = units << kUnitBits | (i < text.size() ? uint64_t{text[i]} + 1 : 0);
    return units;
}

bool TextEnds(uint64_t units) { return (units & ((uint64_t{1} << kUnitBits) - 1)) == 0; }

struct RankEntry {
    uint64_t units;
    uint32_t tie;
    uint32_t index;
};

// Ranks the texts (equal texts further by `ties`, if given) three units at a
// time: every run still equal is refined by its next three units, so a sort
// compares integers only and never a common prefix twice.
std::vector<uint32_t> DenseRanks(const FoldedTexts& texts, const std::vector<uint32_t>* ties) {
    const size_t count = texts.Count();
    std::vector<RankEntry> entries(count);
    for (size_t i = 0; i < count; ++i) entries[i] = {0, ties ? (*ties)[i] : 0, static_cast<uint32_t>(i)};
    std::vector<uint8_t> groupStarts(count, 0);
    struct Range {
        size_t first, last, depth;
    };
    std::vector<Range> ranges;
    if (count > 0) ranges.push_back({0, count, 0});
    while (!ranges.empty()) {
        const Range range = ranges.back();
        ranges.pop_back();
        const auto first = entries.begin() + static_cast<ptrdiff_t>(range.first);
        const auto last = entries.begin() + static_cast<ptrdiff_t>(range.last);
        for (auto entry = first; entry != last; ++entry) entry->units = UnitsAt(texts.Text(entry->index), range.depth);
        std::sort(first, last, [](const RankEntry& a, const RankEntry& b) { return a.units < b.units; });
        for (auto run = first; run != last;) {
            const auto end = std::find_if(run, last, [&](const RankEntry& e) { return e.units != run->units; });
            groupStarts[static_cast<size_t>(run - entries.begin())] = 1;
            if (end - run > 1 && !TextEnds(run->units) && range.depth + kUnitsPerStep < kSortDepth) {
                ranges.push_back({static_cast<size_t>(run - entries.begin()), static_cast<size_t>(end - entries.begin()),
                                  range.depth + kUnitsPerStep});
            } else if (end - run > 1 && ties) {
                std::sort(run, end, [](const RankEntry& a, const RankEntry& b) { return a.tie < b.tie; });
                for (auto entry = run + 1; entry != end; ++entry)
                    if (entry->tie != (entry - 1)->tie) groupStarts[static_cast<size_t>(entry - entries.begin())] = 1;
            }
            run = end;
        }
    }
    std::vector<uint32_t> ranks(count);
    uint32_t rank = 0;
    for (size_t i = 0; i < count; ++i) {
        if (i > 0 && groupStarts[i]) ++rank;
        ranks[entries[i].index] = rank;
    }
    return ranks;
}

int SortableColumn(int column) { return column >= 0 && column < kAccountColumnCount ? column : kColumnName; }

}  // namespace

const std::vector<uint32_t>& AccountSortKeys::Ranks(const DomainAccounts& domain, int column) {
    if (lastDomain_ != &domain) {
        lastRanks_ = &domains_[&domain];
        lastDomain_ = &domain;
    }
    DomainRanks& known = *lastRanks_;
    const auto& accounts = domain.Accounts();
    if (known.generation != domain.Generation() || known.count != accounts.size()) {
        for (auto& ranks : known.ranks) ranks = {};
        known.generation = domain.Generation();
        known.count = accounts.size();
    }
    std::vector<uint32_t>& ranks = known.ranks[column];
    if (ranks.size() != accounts.size()) {
        // Equal texts of the other columns are ordered by name.
        const std::vector<uint32_t>* byName = column == kColumnName ? nullptr : &Ranks(domain, kColumnName);
        ranks = DenseRanks(FoldedTexts(accounts, column), byName);
    }
    return ranks;
}

int AccountSortKeys::Compare(const DomainAccounts& domain, size_t a, size_t b, int column) {
    const auto& ranks = Ranks(domain, SortableColumn(column));
    if (a >= ranks.size() || b >= ranks.size()) return 0;
    return (ranks[a] > ranks[b]) - (ranks[a] < ranks[b]);
}

std::vector<uint32_t> AccountSortKeys::Order(const DomainAccounts& domain, int column, bool ascending) {
    const auto& ranks = Ranks(domain, SortableColumn(column));
    const uint32_t groups = ranks.empty() ? 0 : *std::max_element(ranks.begin(), ranks.end()) + 1;
    // Counted out by rank: each rank's accounts stay in index order.
    std::vector<uint32_t> starts(size_t{groups} + 1, 0);
    const auto slot = [&](uint32_t rank) { return ascending ? rank : groups - 1 - rank; };
    for (uint32_t rank : ranks) ++starts[slot(rank) + 1];
    std::partial_sum(starts.begin(), starts.end(), starts.begin());
    std::vector<uint32_t> order(ranks.size());
    for (size_t i = 0; i < ranks.size(); ++i) order[starts[slot(ranks[i])]++] = static_cast<uint32_t>(i);
    return order;
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
