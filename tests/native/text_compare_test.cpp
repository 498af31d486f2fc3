#include "framework/text/TextCompare.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(TextCompare, FoldsTheCaseOfTheScriptsNamesAreWrittenIn)
{
    EXPECT_EQ(CompareNoCase(u"abc", u"ABC"), 0);
    EXPECT_LT(CompareNoCase(u"ab", u"ABC"), 0);  // a prefix first
    EXPECT_GT(CompareNoCase(u"ABD", u"abc"), 0);
    EXPECT_LT(CompareNoCase(u"Z", u"\u00e9"), 0);  // unsigned units, not the locale's order
    EXPECT_EQ(CompareNoCase(u"\u00e9t\u00e9", u"\u00c9T\u00c9"), 0);
    EXPECT_EQ(CompareNoCase(u"\u0434\u0438\u0441\u043a", u"\u0414\u0418\u0421\u041a"), 0);  // Cyrillic
    EXPECT_EQ(CompareNoCase(u"\u0451\u0455", u"\u0401\u0405"), 0);
    EXPECT_EQ(CompareNoCase(u"\u0142\u00ff\u017e", u"\u0141\u0178\u017d"), 0);  // Latin Extended-A runs
    EXPECT_EQ(CompareNoCase(u"\u01ce\u0219", u"\u01cd\u0218"), 0);  // Latin Extended-B
    EXPECT_EQ(CompareNoCase(u"\u03c3\u03c2\u03ac\u03ce", u"\u03a3\u03a3\u0386\u038f"), 0);  // Greek, final sigma
    EXPECT_EQ(CompareNoCase(u"\u0561\u0586", u"\u0531\u0556"), 0);  // Armenian
    EXPECT_EQ(CompareNoCase(u"\u1ea1\u1e9b", u"\u1ea0\u1e9b"), 0);  // Vietnamese letters; long s with dot stays
    EXPECT_EQ(CompareNoCase(u"\uff41", u"\uff21"), 0);  // full width
    EXPECT_NE(CompareNoCase(u"\u00f7", u"\u00d7"), 0);  // division and multiplication signs are no pair
    EXPECT_NE(CompareNoCase(u"\u0131", u"I"), 0);  // dotless i keeps its identity
    EXPECT_EQ(FoldCase(0xD83D), 0xD83D);  // surrogate halves are left alone
}

TEST(TextCompare, EqualityAndNarrowTexts)
{
    EXPECT_TRUE(EqualsNoCase(u"Kelvo Host", u"KELVO HOST"));
    EXPECT_FALSE(EqualsNoCase(u"Kelvo Host", u"KELVO HOST "));
    EXPECT_EQ(CompareNoCase(std::string_view("Drives"), std::string_view("DRIVES")), 0);
    EXPECT_GT(CompareNoCase(std::string_view("\xe9"), std::string_view("z")), 0);
}

}  // namespace
}  // namespace vantrel
