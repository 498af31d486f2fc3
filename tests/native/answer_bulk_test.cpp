// Elements read in one pass: the same values as the single readers, the first
// attribute of a name winning.
#include <gtest/gtest.h>

#include <string_view>

#include "framework/model/Answer.h"
#include "framework/xml/Xml.h"

namespace vantrel {
namespace {

TEST(AnswerBulkTest, FindsEachNameOnceAndReadsAsTheSingleReadersDo)
{
    CXmlElement element("Thread");
    element.AddAttribute("Id", "-5");
    element.AddAttribute("Hi", "4294967296");
    element.AddAttribute("Id", "7");
    element.AddAttribute("Lo", " +12");
    element.AddAttribute("Other", "x");
    constexpr std::string_view kNames[] = {"Id", "Hi", "Lo", "Missing"};
    const char* values[4] = {"stale", "stale", "stale", "stale"};
    FindAttributes(element, kNames, values);
    EXPECT_STREQ(values[0], "-5") << "the first of a name, as GetAttribute finds it";
    EXPECT_STREQ(values[1], "4294967296");
    EXPECT_STREQ(values[2], " +12");
    EXPECT_EQ(values[3], nullptr);
    EXPECT_EQ(UInt32Value(values[0]), ReadUInt32(element, "Id"));
    EXPECT_EQ(UInt32Value(values[0]), 0u) << "negative";
    EXPECT_EQ(UInt32Value(values[1]), 4294967295u) << "saturated";
    EXPECT_EQ(UInt32Value(nullptr), 0u);
    EXPECT_EQ(HalvesValue(values[1], values[2]), ReadHalves(element, "Hi", "Lo"));
    EXPECT_EQ(HalvesValue(values[1], values[2]), (uint64_t{4294967295u} << 32) | 12);
}

}  // namespace
}  // namespace vantrel
