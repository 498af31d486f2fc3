// The account picker's answer parsers on arbitrary text: a list of domains
// and a page of accounts, merged into a domain's cache as the picker does,
// then every account handed back as an element and read again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "framework/model/Paging.h"
#include "framework/text/TextCompare.h"
#include "framework/xml/Xml.h"
#include "snapins/picker/model/PickerModel.h"

namespace {

using namespace vantrel::picker;

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto text = std::make_unique<std::string>(reinterpret_cast<const char*>(data), size);
    const DomainsAnswer domains = ParseDomains(text->c_str());
    AccountPage page = ParseAccountPage(text->c_str());
    text.reset();

    DomainList list;
    list.Add(domains.entries);
    list.Add(domains.entries);
    Require(list.Entries().size() <= domains.entries.size());
    for (size_t i = 0; i < list.Entries().size(); ++i) Require(list.IndexOf(list.Entries()[i].name) == i);
    if (const auto current = list.TakeCurrentOnce()) Require(list.Entries()[*current].current);
    Require(!list.TakeCurrentOnce());

    if (page.text != vantrel::AnswerText::Parsed) return 0;
    PendingRequests pending;
    pending.Sent({protocol::kTypeUsers, page.domain, 0});
    const auto taken = pending.TakePage(protocol::kTypeUsers, page.domain);
    Require(taken.has_value());
    int64_t next = 0;
    if (vantrel::NextPage(taken->startAt, page.upTo, page.total, &next, vantrel::ContinueFrom::UpTo) ==
        vantrel::PageStep::Continue)
        Require(next > 0 && next < page.total);

    AccountCache cache;
    DomainAccounts& accounts = cache.Of(page.domain);
    accounts.Merge(std::move(page.root), 1000);
    Require(accounts.Accounts().size() <= 1000);
    vantrel::CXmlElement result("Accounts");
    for (const Account& account : accounts.Accounts()) {
        Require(!account.name.empty());
        const vantrel::CXmlElement* element = AppendResultElement(result, *account.element, u"D\u00dcM");
        const PickedAccount picked = ReadPickedAccount(*element);
        Require(picked.name == account.name && picked.group == account.group);
        Require(picked.domain == u"D\u00dcM");
        Require(CompareAccounts(account, account, kColumnDescription) == 0);
    }
    return 0;
}
