// Texts kept in the settings store's numbers: stored, replaced, and read as
// far as they make sense.
#include <gtest/gtest.h>

#include "framework/model/SettingsText.h"
#include "hostkit/SettingsStore.h"

namespace vantrel {
namespace {

TEST(SettingsTextTest, ADamagedOrForeignEntryReadsAsFarAsItMakesSense)
{
    host::SettingsStore store;
    ISettingsNode* entry = store.SnapInSection(1)->Items()->AddChild(L"Text", 0);
    ASSERT_TRUE(StoreSettingsText(*entry, u"abc"));
    EXPECT_EQ(ReadSettingsText(*entry), u"abc");
    ASSERT_TRUE(StoreSettingsText(*entry, u"xy"));
    EXPECT_EQ(ReadSettingsText(*entry), u"xy") << "storing again replaces";
    entry->Items()->AddAt(7, 0x00410000);  // a zero unit ends the text
    EXPECT_EQ(ReadSettingsText(*entry), u"xy");
    ASSERT_TRUE(StoreSettingsText(*entry, std::u16string(kMaxSettingsText + 5, u'z')));
    EXPECT_EQ(ReadSettingsText(*entry).size(), kMaxSettingsText) << "cut, not refused";
    ASSERT_TRUE(StoreSettingsText(*entry, u"xy"));
    EXPECT_EQ(ReadSettingsText(*entry), u"xy");
    ISettingsNode* empty = store.SnapInSection(1)->Items()->AddChild(L"Empty", 0);
    EXPECT_EQ(ReadSettingsText(*empty), u"");
}

TEST(SettingsTextTest, OneUnitAnEntryGoesBackAsWrittenAndAHostileLengthIsCut)
{
    host::SettingsStore store;
    ISettingsNode* entry = store.SnapInSection(1)->Items()->AddChild(L"Units", 0);
    const std::u16string text = u"<a b='\u00e9'/>\U0001F600";
    ASSERT_TRUE(StoreSettingsUnits(*entry, text));
    ASSERT_EQ(entry->Items()->Count(), static_cast<int32_t>(text.size()));
    EXPECT_EQ(entry->Items()->At(3)->GetValue(), u'b') << "one unit in each value";
    EXPECT_EQ(ReadSettingsUnits(*entry, 100), text);
    EXPECT_EQ(ReadSettingsUnits(*entry, 3), u"<a ");
    ASSERT_TRUE(StoreSettingsUnits(*entry, u"xy"));
    EXPECT_EQ(ReadSettingsUnits(*entry, 100), u"xy") << "storing again replaces";
    entry->Items()->AddAt(2, 0x7FFF0041);  // the high half is not part of the unit
    EXPECT_EQ(ReadSettingsUnits(*entry, 100), u"xyA");
}

}  // namespace
}  // namespace vantrel
