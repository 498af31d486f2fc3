// The account picker without its dialog: domains, accounts per domain, the
// requests on their way and the elements handed back.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include "framework/text/Base64.h"
#include "framework/xml/Xml.h"
#include "snapins/picker/model/PickerModel.h"

namespace vantrel::picker {
namespace {

std::string B64(std::u16string_view text) { return EncodeUtf16Base64(text); }

std::string Domain(std::u16string_view name, int local, int current) {
    return "<D DomainName='" + B64(name) + "' DomainLocalFlag='" + std::to_string(local) + "' CurrentDomainFlag='" +
           std::to_string(current) + "'/>";
}

TEST(PickerDomains, EachDomainIsListedOnceAndTheCurrentOneIsTakenOnce) {
    const DomainsAnswer first = ParseDomains(("<Domains>" + Domain(u"PC", 1, 1) + "<D/>" + "</Domains>").c_str());
    ASSERT_EQ(first.text, AnswerText::Parsed);
    ASSERT_EQ(first.entries.size(), 1u) << "an entry without a name is left out";
    EXPECT_TRUE(first.entries[0].local);
    DomainList list;
    EXPECT_EQ(list.Add(first.entries), 1u);
    EXPECT_EQ(list.TakeCurrentOnce(), 0u);
    const DomainsAnswer second =
        ParseDomains(("<Domains>" + Domain(u"pc", 0, 1) + Domain(u"S\u00dcD", 0, 1) + "</Domains>").c_str());
    EXPECT_EQ(list.Add(second.entries), 1u) << "PC again, in another case";
    EXPECT_EQ(list.Entries().back().name, u"S\u00dcD");
    EXPECT_FALSE(list.TakeCurrentOnce());
    EXPECT_EQ(list.IndexOf(u"s\u00fcd"), 1u);
    EXPECT_EQ(ParseDomains("<Domains><D").text, AnswerText::Malformed);
    EXPECT_EQ(ParseDomains(nullptr).text, AnswerText::Empty);
}

TEST(PickerAccounts, PagesNameTheirDomainAndTheirAccountsStayWhereTheyArrived) {
    AccountPage page = ParseAccountPage(("<Groups DomainName='" + B64(u"NORD") + "' Total='5' UpTo='2'><Group GroupName='" +
                                         B64(u"Lager") + "' GroupDescr='" + B64(u"d") + "'/><User UserName='" +
                                         B64(u"anna") + "' UserFullName='" + B64(u"Anna A") + "'/><Group/></Groups>")
                                            .c_str());
    ASSERT_EQ(page.text, AnswerText::Parsed);
    EXPECT_EQ(page.domain, u"NORD");
    EXPECT_EQ(page.upTo, 2);
    EXPECT_EQ(page.total, 5);
    AccountCache cache;
    DomainAccounts& nord = cache.Of(u"nord");
    EXPECT_EQ(nord.Merge(std::move(page.root)), 0u);
    ASSERT_EQ(nord.Accounts().size(), 2u) << "an account without a name is left out";
    EXPECT_TRUE(nord.Accounts()[0].group);
    EXPECT_EQ(nord.Accounts()[0].description, u"d");
    EXPECT_FALSE(nord.Accounts()[1].group);
    EXPECT_EQ(nord.Accounts()[1].fullName, u"Anna A");
    EXPECT_EQ(cache.Find(u"NORD"), &nord) << "domains are found without regard to case";
    EXPECT_EQ(cache.Find(u"SUED"), nullptr);

    AccountPage more = ParseAccountPage(("<Users DomainName='" + B64(u"NORD") + "'><User UserName='" + B64(u"b") +
                                         "'/><User UserName='" + B64(u"c") + "'/></Users>")
                                            .c_str());
    EXPECT_EQ(nord.Merge(std::move(more.root), 3), 2u);
    EXPECT_EQ(nord.Accounts().size(), 3u) << "the cap stops the list";
    EXPECT_LT(CompareAccounts(nord.Accounts()[1], nord.Accounts()[2], kColumnName), 0);

    nord.SetListing(protocol::kTypeGroups, DomainAccounts::Listing::Done);
    EXPECT_FALSE(nord.Complete());
    nord.SetListing(protocol::kTypeUsers, DomainAccounts::Listing::Running);
    EXPECT_TRUE(nord.AnyRunning());
    nord.SetListing(protocol::kTypeUsers, DomainAccounts::Listing::Done);
    EXPECT_TRUE(nord.Complete());
    nord.Clear();
    EXPECT_TRUE(nord.Accounts().empty());
    EXPECT_EQ(nord.GroupsListing(), DomainAccounts::Listing::NotAsked);
}

TEST(PickerAccounts, SortKeysOrderAsTheComparisonAndFollowNewPagesAndAClear) {
    const std::u16string names[] = {u"\u00e9mile", u"Zoe", u"anna", u"\u00c9MILE", u"bert", u"Anna", u"\u0416enja", u"zo"};
    const std::u16string descriptions[] = {u"Lager", u"lager", u"", u"LAGER", u"B\u00fcro", u"b\u00dcRO", u"x", u""};
    std::string users = "<Users DomainName='" + B64(u"NORD") + "'>";
    for (size_t i = 0; i < std::size(names); ++i)
        users += "<User UserName='" + B64(names[i]) + "' UserFullName='" + B64(descriptions[7 - i]) + "' UserDescr='" +
                 B64(descriptions[i]) + "'/>";
    users += "</Users>";
    DomainAccounts nord;
    AccountSortKeys keys;
    nord.Merge(ParseAccountPage((users).c_str()).root);
    const auto& accounts = nord.Accounts();
    ASSERT_EQ(accounts.size(), std::size(names));
    const auto sign = [](int order) { return (order > 0) - (order < 0); };
    for (int column : {kColumnName, kColumnFullName, kColumnDescription})
        for (size_t a = 0; a < accounts.size(); ++a)
            for (size_t b = 0; b < accounts.size(); ++b)
                ASSERT_EQ(keys.Compare(nord, a, b, column), sign(CompareAccounts(accounts[a], accounts[b], column)))
                    << column << " " << a << " " << b;

    // A later page is compared too; after a Clear the same positions hold other accounts.
    nord.Merge(ParseAccountPage(("<Users DomainName='" + B64(u"NORD") + "'><User UserName='" + B64(u"AAA") + "'/></Users>").c_str()).root);
    EXPECT_LT(keys.Compare(nord, 8, 0, kColumnName), 0);
    nord.Clear();
    nord.Merge(ParseAccountPage(("<Users DomainName='" + B64(u"NORD") + "'><User UserName='" + B64(u"b") + "'/><User UserName='" +
                                 B64(u"a") + "'/></Users>").c_str()).root);
    EXPECT_GT(keys.Compare(nord, 0, 1, kColumnName), 0);
    EXPECT_EQ(keys.Compare(nord, 0, 5, kColumnName), 0) << "a position beyond the accounts compares as equal";
}

// Texts that share long prefixes, end inside one another, differ only in case,
// hold U+0000 and U+FFFF, or are empty: the ranks must order them as the
// comparison does, and Order as a stable sort from index order would.
TEST(PickerAccounts, SortRanksAndOrdersMatchTheComparisonForTextsThatShareAndEndInPrefixes) {
    const std::u16string pieces[] = {u"", u"a", u"A", u"ab", std::u16string(1, u'\0'), u"\uffff", u"\u00e9", u"\u00c9b"};
    uint32_t seed = 7;
    const auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    const auto text = [&] {
        std::u16string result;
        for (uint32_t n = next() % 5; n > 0; --n) result += pieces[next() % std::size(pieces)];
        return result;
    };
    std::string users = "<Users>";
    for (int i = 0; i < 400; ++i)
        users += "<User UserName='" + B64(text()) + "' UserFullName='" + B64(text()) + "' UserDescr='" + B64(text()) + "'/>";
    DomainAccounts nord, other;
    nord.Merge(ParseAccountPage((users + "</Users>").c_str()).root);
    other.Merge(ParseAccountPage(("<Users><User UserName='" + B64(u"ab") + "'/></Users>").c_str()).root);
    const auto& accounts = nord.Accounts();
    AccountSortKeys keys;
    for (int column : {kColumnName, kColumnFullName, kColumnDescription}) {
        keys.Compare(other, 0, 0, column);  // another domain's ranks in between
        for (size_t a = 0; a < accounts.size(); ++a)
            for (size_t b = 0; b < accounts.size(); ++b)
                ASSERT_EQ(keys.Compare(nord, a, b, column), (CompareAccounts(accounts[a], accounts[b], column) > 0) -
                                                                (CompareAccounts(accounts[a], accounts[b], column) < 0))
                    << column << " " << a << " " << b;
        for (bool ascending : {true, false}) {
            std::vector<uint32_t> expected(accounts.size());
            std::iota(expected.begin(), expected.end(), 0u);
            std::stable_sort(expected.begin(), expected.end(), [&](uint32_t a, uint32_t b) {
                const int order = CompareAccounts(accounts[a], accounts[b], column);
                return ascending ? order < 0 : order > 0;
            });
            EXPECT_EQ(keys.Order(nord, column, ascending), expected) << column << " " << ascending;
        }
    }
}

TEST(PickerAccounts, DescriptionsAlikeForTheirFirstThousandUnitsSortByName) {
    // Beyond that depth a machine's long texts alike would cost a pass every three units.
    const std::u16string alike(3000, u'x');
    DomainAccounts domain;
    domain.Merge(ParseAccountPage(("<Users><User UserName='" + B64(u"b") + "' UserDescr='" + B64(alike + u"1") +
                                   "'/><User UserName='" + B64(u"a") + "' UserDescr='" + B64(alike + u"2") +
                                   "'/><User UserName='" + B64(u"c") + "' UserDescr='" + B64(u"y") + "'/></Users>")
                                      .c_str())
                     .root);
    AccountSortKeys keys;
    EXPECT_EQ(keys.Order(domain, kColumnDescription, true), (std::vector<uint32_t>{1, 0, 2}));
}

TEST(PickerPending, AnswersAreTakenByTypeAndDomainAndFailuresByTypeOldestFirst) {
    PendingRequests pending;
    pending.Sent({protocol::kTypeMachine, u"", 0});
    pending.Sent({protocol::kTypeGroups, u"NORD", 0});
    pending.Sent({protocol::kTypeUsers, u"NORD", 0});
    pending.Sent({protocol::kTypeGroups, u"SUED", 7});
    EXPECT_TRUE(pending.AnyFor(u"sued"));
    EXPECT_FALSE(pending.TakePage(protocol::kTypeGroups, u"WEST"));
    EXPECT_FALSE(pending.TakeDomainList(protocol::kTypeTrusted));
    const auto sued = pending.TakePage(protocol::kTypeGroups, u"Sued");
    ASSERT_TRUE(sued);
    EXPECT_EQ(sued->startAt, 7);
    const auto failed = pending.TakeFailed(protocol::kTypeUsers);
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->networkType, protocol::kTypeUsers);
    const auto unknown = pending.TakeFailed(99);
    ASSERT_TRUE(unknown);
    EXPECT_EQ(unknown->networkType, protocol::kTypeMachine) << "an unknown type takes the oldest";
    EXPECT_EQ(pending.Count(), 1u);
}

TEST(PickerResult, TheElementKeepsItsAttributesAndGetsTheDomainChosen) {
    CXmlElement page;
    CXmlOptions options;
    page.Parse(("<Users><User UserName='" + B64(u"anna") + "' DomainName='" + B64(u"OLD") + "' Sid='S-1-5-21'/></Users>")
                   .c_str(),
               options);
    CXmlElement result("Accounts");
    const CXmlElement* copy = AppendResultElement(result, *page.GetChild(0), u"NORD");
    EXPECT_EQ(copy->Name(), "User");
    EXPECT_STREQ(copy->GetAttribute("Sid"), "S-1-5-21");
    const PickedAccount picked = ReadPickedAccount(*copy);
    EXPECT_EQ(picked.domain, u"NORD");
    EXPECT_EQ(picked.QualifiedName(), u"NORD\\anna");
    EXPECT_FALSE(picked.group);
    EXPECT_EQ(copy->GetAttributeCount(), 3) << "one DomainName, the one chosen";
}

}  // namespace
}  // namespace vantrel::picker
