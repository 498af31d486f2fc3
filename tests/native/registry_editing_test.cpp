#include "framework/model/SettingsText.h"
#include "hostkit/SettingsStore.h"
#include "snapins/registry/model/Favorites.h"
#include "snapins/registry/model/Protocol.h"
#include "snapins/registry/model/Search.h"
#include "snapins/registry/model/ValueEditing.h"

#include <gtest/gtest.h>

namespace vantrel::registry {
namespace {

using namespace std::string_literals;

Bytes Utf16Bytes(std::u16string_view text) {
    Bytes data;
    for (char16_t c : text) {
        data.push_back(static_cast<uint8_t>(c & 0xFF));
        data.push_back(static_cast<uint8_t>(c >> 8));
    }
    return data;
}

TEST(RegistryEditorsTest, StringsKeepEveryCharacterAndGainOneTerminator) {
    const std::u16string text = u"Grüße \u65e5\u672c \U0001F600";
    EXPECT_EQ(DataOfString(text), Utf16Bytes(text + u'\0'));
    EXPECT_EQ(StringOfData(DataOfString(text)), text);
    // Stored without terminator, or with an odd last byte: the text is still whole.
    Bytes odd = Utf16Bytes(u"ab");
    odd.push_back(0x41);
    EXPECT_EQ(StringOfData(odd), u"ab");
    EXPECT_EQ(StringOfData(Utf16Bytes(u"a\0b"s)), u"a");
}

TEST(RegistryEditorsTest, MultiStringsDropEmptyLinesAndSayIt) {
    const std::vector<std::u16string> strings = {u"one", u"zwei", u"\u4e09"};
    EXPECT_EQ(DataOfStrings(strings), Utf16Bytes(u"one\0zwei\0\u4e09\0\0"s));
    EXPECT_EQ(StringsOfMultiData(DataOfStrings(strings)), strings);
    EXPECT_EQ(MultiStringText(strings), u"one\r\nzwei\r\n\u4e09");

    MultiStringLines lines = SplitMultiStringText(u"a\r\n\r\nb");
    EXPECT_EQ(lines.strings, (std::vector<std::u16string>{u"a", u"b"}));
    EXPECT_TRUE(lines.emptyLinesRemoved);
    lines = SplitMultiStringText(u"a\r\nb\r\n");  // a final line break is no empty string
    EXPECT_EQ(lines.strings, (std::vector<std::u16string>{u"a", u"b"}));
    EXPECT_FALSE(lines.emptyLinesRemoved);
    EXPECT_TRUE(SplitMultiStringText(u"").strings.empty());
    EXPECT_EQ(DataOfStrings({}), Bytes(2, 0));
    // Data that a peer ended early: the first empty string ends the value.
    EXPECT_EQ(StringsOfMultiData(Utf16Bytes(u"x\0\0y\0\0"s)), std::vector<std::u16string>{u"x"});
}

TEST(RegistryEditorsTest, DwordsInBothBasesAndByteOrders) {
    const Bytes bigOne = DataOfDword(1, true);
    EXPECT_EQ(bigOne, (Bytes{0, 0, 0, 1}));
    EXPECT_EQ(DataOfDword(0x12345678, false), (Bytes{0x78, 0x56, 0x34, 0x12}));
    EXPECT_EQ(DwordOfData(Bytes{0, 0, 0, 0x2A}, true), 42u);
    EXPECT_EQ(DwordOfData(Bytes{0x2A, 0, 0}, false), 0u);  // short data starts at 0

    EXPECT_EQ(DwordText(0xDEADBEEF, NumberBase::Hexadecimal), u"deadbeef");
    EXPECT_EQ(DwordText(4294967295u, NumberBase::Decimal), u"4294967295");
    EXPECT_EQ(ParseDword(u"FFFFFFFF", NumberBase::Hexadecimal), 0xFFFFFFFFu);
    EXPECT_EQ(ParseDword(u"", NumberBase::Decimal), 0u);
    EXPECT_FALSE(ParseDword(u"4294967296", NumberBase::Decimal));
    EXPECT_FALSE(ParseDword(u"100000000", NumberBase::Hexadecimal));
    EXPECT_FALSE(ParseDword(u"1a", NumberBase::Decimal));
    EXPECT_EQ(ConvertDwordText(u"ff", NumberBase::Hexadecimal, NumberBase::Decimal), u"255");
    EXPECT_EQ(ConvertDwordText(u"12x", NumberBase::Decimal, NumberBase::Hexadecimal), u"12x");
}

TEST(RegistryEditorsTest, BinaryColumnsLineUpEightBytesALine) {
    const Bytes nine = {0x00, 0x41, 0x7A, 0x20, 0x21, 0xFF, 0x0D, 0x0A, 0x10};
    EXPECT_EQ(BinaryOffsetsText(nine.size()), u"0000\r\n0008\r\n");
    EXPECT_EQ(BinaryBytesText(nine), u" 00  41  7A  20  21  FF  0D  0A \r\n 10 ");
    EXPECT_EQ(BinaryCharactersText(nine), u".Az.!\u00ff..\r\n.");
    EXPECT_EQ(ParseBinaryBytesText(BinaryBytesText(nine)), nine);
    EXPECT_TRUE(BinaryOffsetsText(0x10008).ends_with(u"FFF8\r\n10000\r\n"));
    // A byte left with one digit stays one byte; the bytes after it keep theirs.
    EXPECT_EQ(ParseBinaryBytesText(u" 0  1F \r\n ab"), (Bytes{0x00, 0x1F, 0xAB}));
    EXPECT_TRUE(IsBinaryEditorKey(u'F') && IsBinaryEditorKey(u'7') && IsBinaryEditorKey(u'\b'));
    EXPECT_FALSE(IsBinaryEditorKey(u'g') || IsBinaryEditorKey(u' ') || IsBinaryEditorKey(u'\r'));
}

TEST(RegistryEditorsTest, EditorsByTypeAndTextLimitsThatNeverCutAValue) {
    EXPECT_EQ(EditorFor(1), Editor::String);
    EXPECT_EQ(EditorFor(2), Editor::String);
    EXPECT_EQ(EditorFor(4), Editor::Dword);
    EXPECT_EQ(EditorFor(5), Editor::Dword);
    EXPECT_EQ(EditorFor(7), Editor::MultiString);
    for (uint32_t type : {0u, 3u, 6u, 8u, 11u, 12345u}) EXPECT_EQ(EditorFor(type), Editor::Binary);
    EXPECT_EQ(EditorTextLimit(2, 10), 2047u);
    EXPECT_EQ(EditorTextLimit(1, 10), 4095u);
    EXPECT_EQ(EditorTextLimit(2, 3000), 3000u);
}

TEST(RegistrySearchTest, FindTypeBitsAndTheWalkOverRootKeys) {
    EXPECT_EQ(FindTypeOf({u"x", true, true, true, false}), 0x7u);
    EXPECT_EQ(FindTypeOf({u"x", false, true, false, true}), 0x80000002u);
    EXPECT_TRUE(FoundNothing(u"", u""));
    EXPECT_FALSE(FoundNothing(u"", u"Value"));

    const uint32_t roots[] = {7, 3, 9};
    EXPECT_EQ(NextRootKey(roots, 7), 3u);
    EXPECT_EQ(NextRootKey(roots, 3), 9u);
    EXPECT_FALSE(NextRootKey(roots, 9));
    EXPECT_FALSE(NextRootKey(roots, 42));  // a root key not in the tree ends the search
}

TEST(RegistryFavoritesTest, NamesAreUniqueWhateverTheirCaseAndListedInOrder) {
    Favorites favorites;
    EXPECT_TRUE(favorites.Add(u"Run", u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Run"));
    EXPECT_TRUE(favorites.Add(u"apps", u"HKEY_CURRENT_USER\\Software"));
    EXPECT_FALSE(favorites.Add(u"RUN", u"HKEY_USERS"));
    EXPECT_FALSE(favorites.Add(u"", u"HKEY_USERS"));
    ASSERT_EQ(favorites.Items().size(), 2u);
    EXPECT_EQ(favorites.Items()[0].name, u"apps");
    EXPECT_EQ(favorites.Find(u"run")->path, u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Run");
    EXPECT_TRUE(favorites.Remove(u"Apps"));
    EXPECT_FALSE(favorites.Remove(u"Apps"));
    EXPECT_EQ(favorites.Find(u"apps"), nullptr);

    const KeyLocation location = SplitFullPath(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Tool");
    EXPECT_EQ(location.rootName, u"HKEY_LOCAL_MACHINE");
    EXPECT_EQ(location.path, u"SOFTWARE\\Vendor\\Tool");
    EXPECT_EQ(SplitFullPath(u"HKEY_USERS").path, u"");
}

TEST(RegistryFavoritesTest, StoredFavoritesComeBackAndADamagedStoreGivesNoMoreThanMakesSense) {
    host::SettingsStore store;
    ISettingsList& section = *store.SnapInSection(protocol::kSnapInId)->Items();
    Favorites favorites;
    favorites.Add(u"W\u00e4rme \U0001F600", u"HKEY_CURRENT_USER\\Software\\\u65e5\u672c");
    favorites.Add(u"Run", u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Run");
    StoreFavorites(section, favorites);
    Favorites read = ReadFavorites(section);
    ASSERT_EQ(read.Items().size(), 2u);
    EXPECT_EQ(read.Items()[1].name, u"W\u00e4rme \U0001F600");
    EXPECT_EQ(read.Items()[1].path, u"HKEY_CURRENT_USER\\Software\\\u65e5\u672c");

    // Writing again replaces the entry: a removed favourite does not come back.
    favorites.Remove(u"Run");
    StoreFavorites(section, favorites);
    EXPECT_EQ(ReadFavorites(section).Items().size(), 1u);

    // Entries without texts, doubled names and an overlong name, as a damaged store may hold them.
    ISettingsList& entries = *section.AddChild(L"Favorites", 0)->Items();
    entries.AddAt(0, 0);
    for (const char16_t* name : {u"twice", u"TWICE", u""}) {
        ISettingsList& texts = *entries.AddAt(1, 0)->Items();
        StoreSettingsText(*texts.AddChild(L"Name", 0), name);
        StoreSettingsText(*texts.AddChild(L"Path", 0), u"HKEY_USERS");
    }
    ISettingsList& longName = *entries.AddAt(2, 0)->Items();
    StoreSettingsText(*longName.AddChild(L"Name", 0), std::u16string(5000, u'n'));
    StoreSettingsText(*longName.AddChild(L"Path", 0), u"HKEY_USERS");
    read = ReadFavorites(section);
    ASSERT_EQ(read.Items().size(), 2u);
    EXPECT_EQ(read.Items()[0].name.size(), kMaxFavoriteName);
    EXPECT_EQ(read.Items()[1].name, u"twice");
}

}  // namespace
}  // namespace vantrel::registry
