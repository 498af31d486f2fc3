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

}  // namespace
}  // namespace vantrel
