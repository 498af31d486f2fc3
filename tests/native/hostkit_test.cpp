// The console's message objects and settings store.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "hostkit/MessageTree.h"
#include "hostkit/SettingsStore.h"

namespace vantrel::host {
namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------
// Messages

TEST(MessageNodeTest, ChildFindsTheFirstOfItsNameOrCreatesIt)
{
    MessageNode root;
    IMessageNode* first = root.Child("RetValue");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(root.Child("RetValue"), first);
    EXPECT_NE(root.Child(nullptr), nullptr);  // a null name is the empty name
    EXPECT_EQ(root.ChildCount(), 2u);

    EXPECT_EQ(root.Find("Missing"), nullptr);
    EXPECT_EQ(root.ChildCount(), 2u);  // Find never creates
    // A field an answer lacks reads as 0 and as no text.
    IMessageNode* absent = root.Child("ErrorStr");
    EXPECT_EQ(absent->GetLong(), 0);
    EXPECT_EQ(absent->GetString(), nullptr);
}

TEST(MessageNodeTest, NumbersConvertBetweenKindsAndTextsDoNot)
{
    MessageNode node("n");
    node.SetShort(-2);
    EXPECT_EQ(node.GetLong(), -2);
    EXPECT_EQ(node.GetBool(), 1);
    EXPECT_EQ(node.GetString(), nullptr);

    node.SetLong(0x12345);
    EXPECT_EQ(node.GetShort(), 0x2345);  // low 16 bits, as a C cast
    node.SetLong(65536);
    EXPECT_EQ(node.GetShort(), 0);
    EXPECT_EQ(node.GetBool(), 1);

    node.SetBool(7);
    EXPECT_EQ(node.GetBool(), 1);
    EXPECT_EQ(node.GetLong(), 1);

    node.SetString("42");
    EXPECT_STREQ(node.GetString(), "42");
    EXPECT_EQ(node.GetLong(), 0);
    node.SetString(nullptr);
    EXPECT_EQ(node.GetString(), nullptr);
    EXPECT_EQ(node.ValueKind(), MessageNode::Kind::None);
}

TEST(MessageTest, CloneIsDeepAndIndependent)
{
    Message original(903, 15009, 1);
    original.Root().ChildNode("Action").SetLong(2);
    original.Root().ChildNode("Outer").ChildNode("Message").SetText("bye");

    std::unique_ptr<Message> copy = original.Clone();
    original.Root().ChildNode("Outer").ChildNode("Message").SetText("changed");
    original.SetCommand(1);

    EXPECT_EQ(copy->Command(), 903u);
    EXPECT_EQ(copy->SnapInId(), 15009u);
    EXPECT_EQ(copy->ReplyFlag(), 1);
    EXPECT_EQ(copy->Root().Find("Outer")->Find("Message")->Text(), "bye");
    EXPECT_EQ(copy->Root().Find("Action")->AsLong(), 2);
}

// The one-line form in logs and test messages: texts quoted and escaped, and
// cut after maxText characters with their full size.
TEST(MessageTest, DumpQuotesEscapesAndCutsTexts)
{
    Message message(201, 15001, 1);
    message.Root().ChildNode("A").SetText("x\"y\\\n\x01");
    message.Root().ChildNode("B").SetText(std::string(300, 'z'));
    message.Root().ChildNode("C").SetText("12345678");
    message.Root().ChildNode("D").ChildNode("E").SetLong(-5);
    message.Root().ChildNode("F");
    EXPECT_EQ(message.Dump(8), "cmd=201 snapin=15001 reply=1 {A=\"x\\\"y\\\\\\n\\x01\" B=\"zzzzzzzz...(300 bytes)\" "
                               "C=\"12345678\" D{E=long:-5} F}");
    EXPECT_EQ(Message(0, 15000, 0).Dump(), "cmd=0 snapin=15000 reply=0 {}");
}

TEST(SettingsTest, AddChildReplacesTheEntryOfTheSameNameInPlace)
{
    SettingsStore store;
    ISettingsList* list = store.SnapInSection(15001)->Items();
    list->AddChild(L"First", 1);
    ISettingsNode* old = list->AddChild(L"DrivesList", 5);
    old->Items()->AddChild(L"Columns", 0);
    list->AddChild(L"Last", 3);

    ISettingsNode* fresh = list->AddChild(L"DrivesList", 0);
    EXPECT_EQ(list->Count(), 3);
    EXPECT_EQ(list->At(1), fresh);
    EXPECT_EQ(fresh->GetValue(), 0);
    EXPECT_EQ(fresh->Items()->Count(), 0);  // the old sub-entries are gone
    EXPECT_EQ(store.EntryCount(), 4u);      // section + three entries
}

TEST(SettingsTest, SetNamedValueKeepsSubEntriesAndNamelessCallsDoNothing)
{
    SettingsStore store;
    ISettingsList* list = store.SnapInSection(15005)->Items();
    ISettingsNode* sort = list->SetNamedValue(L"SortColumn", 2);
    sort->Items()->SetNamedValue(L"SortOrder", 0);

    EXPECT_EQ(list->SetNamedValue(L"SortColumn", -1), sort);
    EXPECT_EQ(sort->GetValue(), -1);
    EXPECT_EQ(sort->Items()->GetNamedValue(L"SortOrder"), 0);
    EXPECT_EQ(sort->Items()->Count(), 1);

    EXPECT_EQ(list->GetNamedValue(L"Missing"), 0);
    EXPECT_EQ(list->Find(nullptr), nullptr);
    EXPECT_EQ(list->AddChild(nullptr, 1), nullptr);
    EXPECT_EQ(list->SetNamedValue(L"", 1), nullptr);
    list->RemoveNamed(nullptr);
    EXPECT_EQ(list->Count(), 1);
}

TEST(SettingsTest, RemoveAtMovesLaterEntriesUp)
{
    SettingsStore store;
    ISettingsList* columns = store.SnapInSection(15001)->Items()->AddChild(L"Columns", 0)->Items();
    for (int i = 0; i < 4; ++i)
        columns->AddAt(i, 100 + i);
    columns->RemoveAt(1);
    columns->RemoveAt(-1);
    columns->RemoveAt(3);
    ASSERT_EQ(columns->Count(), 3);
    EXPECT_EQ(columns->At(0)->GetIndex(), 0);
    EXPECT_EQ(columns->At(1)->GetIndex(), 2);
    EXPECT_EQ(columns->At(2)->GetValue(), 103);
    EXPECT_EQ(columns->At(3), nullptr);
    EXPECT_EQ(columns->At(-1), nullptr);
    EXPECT_EQ(columns->Find(L""), nullptr);  // nameless entries are not found by name

    columns->RemoveNamed(L"Columns");  // not below itself: nothing happens
    EXPECT_EQ(columns->Count(), 3);
}

TEST(SettingsTest, LimitsRefuseInsteadOfGrowingWithoutEnd)
{
    SettingsStore store;
    ISettingsNode* node = store.SnapInSection(15007);
    int depth = 1;
    while (ISettingsNode* deeper = node->Items()->AddChild(L"Key", depth)) {
        node = deeper;
        ++depth;
    }
    EXPECT_EQ(depth, SettingsLimits::kMaxDepth);

    const std::wstring longName(SettingsLimits::kMaxNameLength + 1, L'x');
    EXPECT_EQ(node->Items()->AddChild(longName.c_str(), 1), nullptr);

    ISettingsList* history = store.SnapInSection(15004)->Items();
    while (history->AddAt(0, 0) != nullptr) {
    }
    EXPECT_EQ(store.EntryCount(), SettingsLimits::kMaxEntries);
    history->RemoveAt(0);
    EXPECT_NE(history->AddAt(0, 0), nullptr);
}

// ---------------------------------------------------------------------------
// Persistence

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::temp_directory_path() / (std::string("vantrel_settings_") + info->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        file_ = folder_ / "console.settings";
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    static std::string ReadText(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void WriteText(const fs::path& path, const std::string& text)
    {
        std::ofstream(path, std::ios::binary) << text;
    }

    // A Disk Drives section as the module stores it, plus awkward names.
    static void FillRealisticLayout(SettingsStore& store)
    {
        ISettingsList* section = store.SnapInSection(15001)->Items();
        section->SetNamedValue(L"DrivesGrouping", 1);
        section->SetNamedValue(L"DrivesGroupIndex", 4);
        ISettingsNode* list = section->AddChild(L"DrivesList", 0);
        ISettingsList* columns = list->Items()->AddChild(L"Columns", 0)->Items();
        const int widths[] = {150, 100, 80, 80, 100, 80, 80, 80};
        const int order[] = {0, 2, 1, 3, 4, 5, 7, 6};
        for (int i = 0; i < 8; ++i)
            columns->AddAt(i, widths[i])->Items()->SetNamedValue(L"ColumnOrder", order[i]);
        list->Items()->SetNamedValue(L"SortColumn", -1)->Items()->SetNamedValue(L"SortOrder", 0);

        ISettingsList* other = store.SnapInSection(15006)->Items();
        other->SetNamedValue(L"Favorites \u00e9\u00e8 \u4e2d\u6587 \U0001F600", -2147483647 - 1);
        other->SetNamedValue(L"quote \" back \\ line\nend\ttab", 2147483647);
    }

    // Temporary files a save left beside its target.
    int LeftoverTemporaries() const {
        int count = 0;
        for (const auto& entry : fs::directory_iterator(folder_))
            if (entry.path().filename().string().find(".tmp") != std::string::npos) ++count;
        return count;
    }

    fs::path folder_;
    fs::path file_;
};

TEST_F(SettingsFileTest, RoundTripKeepsEveryEntry)
{
    SettingsStore saved;
    FillRealisticLayout(saved);
    std::string error;
    ASSERT_TRUE(saved.SaveToFile(file_, &error)) << error;
    EXPECT_EQ(LeftoverTemporaries(), 0);

    SettingsStore loaded;
    loaded.SnapInSection(15009);  // replaced by what the file holds
    ASSERT_TRUE(loaded.LoadFromFile(file_, &error)) << error;
    EXPECT_EQ(loaded.Serialize(), saved.Serialize());
    EXPECT_EQ(loaded.EntryCount(), saved.EntryCount());
    EXPECT_EQ(loaded.FindSnapInSection(15009), nullptr);

    ISettingsNode* list = loaded.FindSnapInSection(15001)->Items()->Find(L"DrivesList");
    ASSERT_NE(list, nullptr);
    ISettingsNode* columns = list->Items()->Find(L"Columns");
    ASSERT_NE(columns, nullptr);
    ASSERT_EQ(columns->Items()->Count(), 8);
    EXPECT_EQ(columns->Items()->At(6)->GetIndex(), 6);
    EXPECT_EQ(columns->Items()->At(6)->Items()->GetNamedValue(L"ColumnOrder"), 7);
    ISettingsNode* sort = list->Items()->Find(L"SortColumn");
    EXPECT_EQ(sort->GetValue(), -1);
    EXPECT_EQ(sort->Items()->GetNamedValue(L"SortOrder"), 0);
    ISettingsList* other = loaded.FindSnapInSection(15006)->Items();
    EXPECT_EQ(other->GetNamedValue(L"Favorites \u00e9\u00e8 \u4e2d\u6587 \U0001F600"), -2147483647 - 1);
    EXPECT_EQ(other->GetNamedValue(L"quote \" back \\ line\nend\ttab"), 2147483647);

    // Saving again replaces the existing file.
    loaded.SnapInSection(15002)->Items()->SetNamedValue(L"ViewMode", 3);
    ASSERT_TRUE(loaded.SaveToFile(file_, &error)) << error;
    SettingsStore again;
    ASSERT_TRUE(again.LoadFromFile(file_, &error)) << error;
    EXPECT_EQ(again.FindSnapInSection(15002)->Items()->GetNamedValue(L"ViewMode"), 3);
}

TEST_F(SettingsFileTest, NamesAreUtf8OnDiskWhateverTheWidthOfWchar)
{
    SettingsStore store;
    store.SnapInSection(15001)->Items()->SetNamedValue(L"\u00e4\U0001F600", 1);
    const std::string text = store.Serialize();
    EXPECT_NE(text.find("\"\xC3\xA4\xF0\x9F\x98\x80\""), std::string::npos) << text;
    EXPECT_EQ(WideToUtf8(L"\U0001F600"), "\xF0\x9F\x98\x80");
    std::wstring back;
    EXPECT_FALSE(Utf8ToWide("\xC0\xAF", &back));  // overlong
    EXPECT_FALSE(Utf8ToWide("\xF0\x9F\x98", &back));  // truncated
}

// Control characters other than \n, \r and \t travel as \xHH, in capitals.
TEST_F(SettingsFileTest, ControlCharactersInNamesTravelAsHexEscapes)
{
    const std::wstring name = L"a\x01" L"b\x1F\x7F\x1B[0m\r\n\"\\";
    SettingsStore saved;
    saved.SnapInSection(15006)->Items()->SetNamedValue(name.c_str(), 42);
    const std::string text = saved.Serialize();
    EXPECT_NE(text.find("\"a\\x01b\\x1F\\x7F\\x1B[0m\\r\\n\\\"\\\\\"\n"), std::string::npos) << text;

    std::string error;
    ASSERT_TRUE(saved.SaveToFile(file_, &error)) << error;
    SettingsStore loaded;
    ASSERT_TRUE(loaded.LoadFromFile(file_, &error)) << error;
    ASSERT_EQ(loaded.FindSnapInSection(15006)->ChildCount(), 1u);
    EXPECT_EQ(loaded.FindSnapInSection(15006)->ChildAt(0).Name(), name);
    EXPECT_EQ(loaded.FindSnapInSection(15006)->ChildAt(0).Value(), 42);

    // Small letters read as well as capitals.
    ASSERT_TRUE(loaded.Deserialize("VantrelSettings 1\n0 1 0 \"\\x1f\\x7f\"\nEnd 1\n", &error)) << error;
    EXPECT_EQ(loaded.Root().ChildAt(0).Name(), L"\x1F\x7F");
}

// A file edited on Windows: lines end in CR LF, and a blank line may follow
// the end line.
TEST_F(SettingsFileTest, CarriageReturnsAndATrailingBlankLineAreAccepted)
{
    WriteText(file_, "VantrelSettings 1\r\n0 15001 0 \"15001\"\r\n1 0 7 \"Grouping\"\r\nEnd 2\r\n\r\n");
    SettingsStore store;
    std::string error;
    ASSERT_TRUE(store.LoadFromFile(file_, &error)) << error;
    EXPECT_EQ(store.FindSnapInSection(15001)->Items()->GetNamedValue(L"Grouping"), 7);
}

TEST_F(SettingsFileTest, FailedWriteLeavesTheTargetAsItWas)
{
    WriteText(file_, "previous content");
    SettingsStore store;
    FillRealisticLayout(store);

    // The rename fails: the target is a folder that holds something.
    const fs::path folderTarget = folder_ / "taken";
    fs::create_directories(folderTarget / "inside");
    std::string error;
    EXPECT_FALSE(store.SaveToFile(folderTarget, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(LeftoverTemporaries(), 0) << "the temporary file is removed";
    EXPECT_TRUE(fs::is_directory(folderTarget / "inside"));
    EXPECT_EQ(ReadText(file_), "previous content");

    // No folder to write into.
    EXPECT_FALSE(store.SaveToFile(folder_ / "missing" / "console.settings", &error));
}

TEST_F(SettingsFileTest, MissingFileIsAnEmptyStore)
{
    SettingsStore store;
    store.SnapInSection(15001);
    std::string error;
    EXPECT_TRUE(store.LoadFromFile(folder_ / "never-written", &error));
    EXPECT_EQ(store.EntryCount(), 0u);
}

TEST_F(SettingsFileTest, DamagedFilesAreRejectedAndLeaveTheStoreEmpty)
{
    const std::string header = "VantrelSettings 1\n";
    const std::string good = header + "0 15001 0 \"15001\"\n1 0 1 \"DrivesGrouping\"\nEnd 2\n";
    const struct {
        const char* what;
        std::string text;
    } cases[] = {
        {"empty file", ""},
        {"foreign header", "Settings 2\nEnd 0\n"},
        {"cut before the end line", good.substr(0, good.size() - 6)},
        {"cut inside the end line", good.substr(0, good.size() - 2)},
        {"wrong count", header + "0 1 0 \"a\"\nEnd 2\n"},
        {"depth jumps", header + "0 1 0 \"a\"\n2 1 0 \"b\"\nEnd 2\n"},
        {"absurd depth", header + "4000000000 1 0 \"a\"\nEnd 1\n"},
        {"depth beyond the limit", header + "40 1 0 \"a\"\nEnd 1\n"},
        {"value out of range", header + "0 1 2147483648 \"a\"\nEnd 1\n"},
        {"letters for a number", header + "0 x 0 \"a\"\nEnd 1\n"},
        {"unquoted name", header + "0 1 0 a\nEnd 1\n"},
        {"quote inside", header + "0 1 0 \"a\"b\"\nEnd 1\n"},
        {"a lone quote", header + "0 1 0 \"\nEnd 1\n"},
        {"escaped closing quote", header + "0 1 0 \"a\\\"\nEnd 1\n"},
        {"bad escape", header + "0 1 0 \"a\\q\"\nEnd 1\n"},
        {"cut escape", header + "0 1 0 \"a\\x4\"\nEnd 1\n"},
        {"not UTF-8", header + "0 1 0 \"\xFF\xFE\"\nEnd 1\n"},
        {"line too long", header + "0 1 0 \"" + std::string(5000, 'a') + "\"\nEnd 1\n"},
        {"name too long", header + "0 1 0 \"" + std::string(300, 'a') + "\"\nEnd 1\n"},
        {"text after the end", good + "0 1 0 \"late\"\n"},
    };
    for (const auto& damaged : cases) {
        WriteText(file_, damaged.text);
        SettingsStore store;
        FillRealisticLayout(store);
        std::string error;
        EXPECT_FALSE(store.LoadFromFile(file_, &error)) << damaged.what;
        EXPECT_FALSE(error.empty()) << damaged.what;
        EXPECT_EQ(store.EntryCount(), 0u) << damaged.what;
    }

    WriteText(file_, good);
    SettingsStore store;
    std::string error;
    EXPECT_TRUE(store.LoadFromFile(file_, &error)) << error;
    EXPECT_EQ(store.FindSnapInSection(15001)->Items()->GetNamedValue(L"DrivesGrouping"), 1);
}

TEST_F(SettingsFileTest, TooManyEntriesAreRejected)
{
    std::ostringstream text;
    text << "VantrelSettings 1\n";
    const size_t count = SettingsLimits::kMaxEntries + 1;
    for (size_t i = 0; i < count; ++i)
        text << "0 " << i << " 0 \"\"\n";
    text << "End " << count << "\n";
    WriteText(file_, text.str());
    SettingsStore store;
    std::string error;
    EXPECT_FALSE(store.LoadFromFile(file_, &error));
    EXPECT_NE(error.find("too many"), std::string::npos) << error;
}

}  // namespace
}  // namespace vantrel::host
