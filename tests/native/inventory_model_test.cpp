// The Inventory's model: the two tables, the document read into categories
// and ordered rows, the value formats, and the paths an answer may name.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "framework/model/LocalPath.h"
#include "framework/text/Utf8.h"
#include "snapins/inventory/model/InventoryDictionary.h"
#include "snapins/inventory/model/InventoryDocument.h"
#include "snapins/inventory/model/InventoryFormat.h"

namespace vantrel::inventory {
namespace {

// ---- tables -------------------------------------------------------------------------

TEST(InventoryDictionaryTest, CategoriesAreFoundByNameWithTheirLabelPictureAndTextRule)
{
    EXPECT_EQ(Categories().size(), 93u);
    std::set<std::string_view> names;
    int lastLabel = -1;
    for (const Category& category : Categories()) {
        EXPECT_TRUE(names.insert(category.name).second) << category.name;
        EXPECT_EQ(FindCategory(category.name), &category);
        EXPECT_GE(category.image, 0);
        EXPECT_LT(category.image, kImageCount);
        if (category.label == kNoLabel) continue;
        EXPECT_EQ(category.label, lastLabel + 1) << category.name << ": labels follow the table";
        lastLabel = category.label;
    }
    // Strings 10101..10192: 10193 belongs to another tool. Each row's values
    // are checked against the documented table by InventoryTablesTest.
    EXPECT_EQ(lastLabel, 91);
    EXPECT_EQ(FindCategory("drive"), nullptr) << "names match exactly";
    EXPECT_EQ(FindCategory("Inventory_"), nullptr);
}

TEST(InventoryDictionaryTest, FieldsCarryTheirNumberAndFormat)
{
    EXPECT_EQ(Fields().size(), 268u);
    int last = 0;
    for (const Field& field : Fields()) {
        EXPECT_GE(field.number, last) << field.name;
        EXPECT_LE(field.number, 275);
        last = field.number;
        EXPECT_EQ(FindField(field.name)->number, field.number) << field.name;
    }
    EXPECT_EQ(FindField("Vendor_Field"), nullptr);
    // The numbers and formats of the named fields are checked row by row by InventoryTablesTest.
    EXPECT_EQ(FormatOf(0), ValueFormat::kPlain);
    EXPECT_EQ(FormatOf(276), ValueFormat::kPlain) << "past the table";
}

TEST(InventoryDictionaryTest, ADriveShowsThePictureOfItsType)
{
    const Category& drive = *FindCategory("Drive");
    const std::pair<const char*, int> cases[] = {{"0", 0},  {"2", 32},  {"3", 33},   {"4", 34}, {"5", 35},
                                                 {"6", 36}, {"1", 33},  {"7", 33},   {"-1", 33}, {"3x", 33},
                                                 {"", 33},  {" 5", 35}, {"99999999999", 33}};
    for (const auto& [type, image] : cases) EXPECT_EQ(DriveImage(drive, type), image) << type;
    EXPECT_EQ(DriveImage(drive, nullptr), 33);
}

// ---- document ------------------------------------------------------------------------

std::vector<std::string> RowNames(const InventoryDocument& document, size_t node)
{
    std::vector<std::string> names;
    for (const Row& row : document.RowsOf(node)) names.emplace_back(row.name);
    return names;
}

TEST(InventoryDocumentTest, RowsGoByFieldNumberKeepingDocumentOrderAndUnknownNamesFirst)
{
    InventoryDocument document;
    const std::string text =
        "<Inventory><Summary Summary_OS_Name='os' Summary_Computer_Name='pc' Vendor_A='a' SyntaxVersion='1' "
        "Generation_SchemaVersion='2' Vendor_B='b' Host_Name='h'/></Inventory>";
    ASSERT_EQ(document.Load(text), LoadOutcome::kLoaded);
    ASSERT_EQ(document.Nodes().size(), 1u);
    EXPECT_EQ(RowNames(document, 0), (std::vector<std::string>{"Vendor_A", "Vendor_B", "Summary_Computer_Name",
                                                               "Summary_OS_Name", "SyntaxVersion",
                                                               "Generation_SchemaVersion", "Host_Name"}));
    EXPECT_EQ(document.RowsOf(0)[0].number, 0);
    EXPECT_EQ(document.RowsOf(0)[6].value, "h");
    EXPECT_TRUE(document.RowsOf(1).empty());
}

TEST(InventoryDocumentTest, UnknownElementsHideTheirSubtreeAndTextRulesNameTheItems)
{
    InventoryDocument document;
    const std::string text =
        "<Inventory><Components><Printing><Printer Name='P'/></Printing>"
        "<Vendor><Printing><Printer/></Printing></Vendor>"
        "<Drives><Drive Name='C:\\' SubType='3'/><Drive SubType='5'/><Drive Name='X' SubType='9'/></Drives>"
        "</Components><Custom_Items><Custom_Item Custom_Item_Name='' Name='n'/></Custom_Items></Inventory>";
    ASSERT_EQ(document.Load(text), LoadOutcome::kLoaded);
    std::vector<std::string> shown;
    for (const Node& node : document.Nodes())
        shown.push_back(std::string(node.category->name) + "@" + std::to_string(node.parent) + ":" +
                        (node.showsLabel ? "label" : std::string(node.text)) + "/" + std::to_string(node.image));
    EXPECT_EQ(shown, (std::vector<std::string>{"Components@-1:label/3", "Printing@0:label/4", "Printer@1:label/4",
                                               "Drives@0:label/31", "Drive@3:C:\\/33", "Drive@3:/35", "Drive@3:X/33",
                                               "Custom_Items@-1:label/52", "Custom_Item@7:/53"}));
}

TEST(InventoryDocumentTest, OnlyALeadingDeclarationIsSkipped)
{
    InventoryDocument document;
    EXPECT_EQ(document.Load("\xEF\xBB\xBF<?xml version='1.0'?>\r\n<?style x?><I><Summary Name='a<?b'/></I>"),
              LoadOutcome::kLoaded);
    ASSERT_EQ(document.Nodes().size(), 1u);
    EXPECT_EQ(document.RowsOf(0)[0].value, "a<?b") << "a \"<?\" in a value keeps the inventory";
    EXPECT_EQ(PrologLength("<?xml"), 5u) << "an unclosed declaration holds nothing";
    EXPECT_EQ(PrologLength("  <a/>"), 2u);
}

TEST(InventoryDocumentTest, EmptyAndMalformedFilesKeepWhatParsed)
{
    InventoryDocument document;
    EXPECT_EQ(document.Load(""), LoadOutcome::kEmpty);
    EXPECT_EQ(document.Load(" \r\n<?xml version='1.0'?>\n"), LoadOutcome::kEmpty);
    EXPECT_TRUE(document.Nodes().empty());
    EXPECT_EQ(document.Load("<I><Summary Name='a'/><Software><Installed_Applications><Installed_Appl"),
              LoadOutcome::kMalformed);
    EXPECT_FALSE(document.Error().empty());
    ASSERT_GE(document.Nodes().size(), 2u) << "what came before the error is shown";
    EXPECT_EQ(document.Nodes()[0].category->name, "Summary");
    EXPECT_EQ(document.Load("no xml at all"), LoadOutcome::kMalformed);
    EXPECT_TRUE(document.Nodes().empty());
}

TEST(InventoryDocumentTest, DeepNestingIsReadWithoutRecursion)
{
    std::string text = "<I>";
    for (int i = 0; i < 1900; ++i) text += "<Components>";
    for (int i = 0; i < 1900; ++i) text += "</Components>";
    text += "</I>";
    InventoryDocument document;
    ASSERT_EQ(document.Load(text), LoadOutcome::kLoaded);
    EXPECT_EQ(document.Nodes().size(), 1900u);
    EXPECT_EQ(document.Nodes().back().parent, 1898);
}

// ---- formats -------------------------------------------------------------------------

TEST(InventoryFormatTest, NumbersAndDriveTypes)
{
    EXPECT_EQ(FormatHex("18"), "18 (0x0012)");
    EXPECT_EQ(FormatHex(" 70000 "), "70000 (0x11170)");
    EXPECT_EQ(FormatHex("-1"), "-1 (0xFFFFFFFF)");
    EXPECT_EQ(FormatHex("4294967295"), "-1 (0xFFFFFFFF)");
    EXPECT_EQ(FormatHex("4294967296"), std::nullopt);
    EXPECT_EQ(FormatHex("0x12"), std::nullopt);
    EXPECT_EQ(FormatHex(""), std::nullopt);
    EXPECT_EQ(DriveType("5"), 5);
    EXPECT_EQ(DriveType("0"), 0);
    EXPECT_EQ(DriveType("1"), std::nullopt);
    EXPECT_EQ(DriveType("7"), std::nullopt);
    EXPECT_EQ(DriveType("three"), std::nullopt);
    EXPECT_EQ(SingleLine(u"a\r\nb\tc"), u"a  b c");
    EXPECT_EQ(LanguageNumber("1031"), 1031u);
    EXPECT_EQ(LanguageNumber("-5"), std::nullopt);
    EXPECT_EQ(LanguageSuffix(1031), " 0407");
    EXPECT_EQ(LanguageSuffix(0x040904B0), " 40904B0");
}

TEST(InventoryFormatTest, SizesRoundTheUnitUpAndStayBounded)
{
    EXPECT_EQ(FormatSize("0"), "0 KB (0 bytes)");
    EXPECT_EQ(FormatSize("1536"), "2 KB (1536 bytes)");
    EXPECT_EQ(FormatSize("1048575"), "1024 KB (1048575 bytes)");
    EXPECT_EQ(FormatSize("1048576"), "1 MB (1048576 bytes)");
    EXPECT_EQ(FormatSize("1073741824"), "1 GB (1073741824 bytes)");
    EXPECT_EQ(FormatSize("1099511627776"), "1024 GB (1099511627776 bytes)");
    const std::optional<std::string> huge = FormatSize("1.7e308");
    ASSERT_TRUE(huge.has_value());
    EXPECT_EQ(huge->substr(0, 12), "1.58325E+299");
    EXPECT_GT(huge->size(), 300u) << "every digit of the count";
    for (const char* bad : {"-1", "nan", "inf", "1e400", "", "12 KB", "abc"})
        EXPECT_EQ(FormatSize(bad), std::nullopt) << bad;
}

TEST(InventoryFormatTest, DatesReadAsTheEnglishLocaleReadsThem)
{
    const auto full = ParseDateTime("2024-03-05T14:22:10.123+01:00");
    ASSERT_TRUE(full.has_value());
    EXPECT_EQ(std::tie(full->year, full->month, full->day, full->hour, full->minute, full->second),
              std::make_tuple(2024, 3, 5, 14, 22, 10));
    EXPECT_TRUE(full->hasDate && full->hasTime);
    const auto comma = ParseDateTime("2024-02-29,07:05");
    ASSERT_TRUE(comma.has_value());
    EXPECT_EQ(comma->minute, 5);
    const auto dateOnly = ParseDateTime("2023-05-17");
    ASSERT_TRUE(dateOnly.has_value());
    EXPECT_FALSE(dateOnly->hasTime);
    const auto american = ParseDateTime("3/5/2024 2:22:10 PM");
    ASSERT_TRUE(american.has_value());
    EXPECT_EQ(std::tie(american->month, american->day, american->hour), std::make_tuple(3, 5, 14));
    const auto zulu = ParseDateTime("2024-03-05T14:22:10Z");
    ASSERT_TRUE(zulu.has_value());
    EXPECT_EQ(zulu->second, 10);
    for (const char* bad : {"2023-02-29", "2024-13-01", "2024-03-05T25:00", "yesterday", "", "2024-03-05T14:22:10-05:00",
                            "12345-01-01"})
        EXPECT_EQ(ParseDateTime(bad), std::nullopt) << bad;
}

// ---- texts and paths -------------------------------------------------------------------

TEST(Utf8Test, ReadsEveryFormAndReplacesWhatIsBroken)
{
    EXPECT_EQ(Utf8ToUtf16("Ab\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"), u"Ab\u00E9\u20AC\U0001F600");
    EXPECT_EQ(Utf8ToUtf16("\x80x"), u"\uFFFDx");
    EXPECT_EQ(Utf8ToUtf16("\xC3x"), u"\uFFFDx") << "a sequence cut short";
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD") << "overlong";
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD") << "a surrogate";
    EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD") << "beyond U+10FFFF";
    EXPECT_EQ(Utf8ToUtf16("\xE2\x82"), u"\uFFFD");
}

TEST(LocalPathTest, OnlyPlainDriveLetterPaths)
{
    EXPECT_TRUE(IsDriveLetterPath(L"C:\\Temp\\inventory.xml"));
    EXPECT_TRUE(IsDriveLetterPath(L"d:/x.xml"));
    for (const wchar_t* bad : {L"\\\\server\\share\\x.xml", L"\\\\?\\C:\\x.xml", L"\\\\.\\COM1", L"C:x.xml",
                               L"x.xml", L"\\x.xml", L"C:\\", L"C:\\x.xml:stream", L"C:\\a\nb", L"", L"1:\\x"})
        EXPECT_FALSE(IsDriveLetterPath(bad)) << bad;
}

}  // namespace
}  // namespace vantrel::inventory
