#include "remote/registry/RegistrySearch.h"
#include "snapins/registry/model/Protocol.h"

#include <gtest/gtest.h>

namespace vantrel::remote {
namespace {

std::vector<uint8_t> Sz(std::u16string_view text) {
    std::vector<uint8_t> data;
    for (char16_t c : text) {
        data.push_back(static_cast<uint8_t>(c));
        data.push_back(static_cast<uint8_t>(c >> 8));
    }
    data.insert(data.end(), 2, 0);
    return data;
}

TEST(RegistrySearchTest, HitsComeInWalkOrderAfterTheStartAndNeverAtIt) {
    SimulatedKey root;
    SimulatedKey& a = root.AddSubkey(u"Alpha");
    a.values.push_back({u"Farbe", registry::protocol::kRegSz, Sz(u"rot")});
    a.values.push_back({u"Muster", registry::protocol::kRegSz, Sz(u"ROTE Streifen")});
    SimulatedKey& deep = a.AddSubkey(u"Rot");
    deep.values.push_back({u"x", registry::protocol::kRegDword, {1, 0, 0, 0}});
    root.AddSubkey(u"Beta").values.push_back({u"rot", registry::protocol::kRegBinary, {}});

    const uint32_t all = 0x7;
    auto hit = SearchAfter(root, {}, u"rot", all);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->path, u"Alpha");
    EXPECT_EQ(hit->valueName, u"Farbe") << "data matches too, without regard to case";
    hit = SearchAfter(root, {u"Alpha", u"Farbe", true}, u"rot", all);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->valueName, u"Muster");
    hit = SearchAfter(root, {u"Alpha", u"Muster", true}, u"rot", all);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->path, u"Alpha\\Rot");
    EXPECT_FALSE(hit->isValue) << "a key by its name";
    hit = SearchAfter(root, {u"alpha\\rot", {}, false}, u"rot", all | 0x80000000u);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->path, u"Beta");
    EXPECT_EQ(hit->valueName, u"rot");
    EXPECT_FALSE(SearchAfter(root, {u"Beta", u"rot", true}, u"rot", all));
    EXPECT_FALSE(SearchAfter(root, {}, u"Streifen", 0x1 | 0x2)) << "data not asked for";
    EXPECT_FALSE(SearchAfter(root, {}, u"", all));
}

}  // namespace
}  // namespace vantrel::remote
