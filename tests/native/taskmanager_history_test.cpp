// The New Task dialog's "RunHistory" in a real settings store: at most ten
// commands, oldest first, a repeated one moved to the end, and texts that
// come back as they went in.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hostkit/SettingsStore.h"
#include "snapins/taskmanager/model/RunHistory.h"

namespace vantrel::taskmanager {
namespace {

std::u16string Numbered(int i)
{
    const std::string digits = std::to_string(i);
    return u"program" + std::u16string(digits.begin(), digits.end()) + u".exe";
}

class RunHistoryTest : public testing::Test {
protected:
    ISettingsList& History()
    {
        return *store_.SnapInSection(15003)->Items()->SetNamedValue(kRunHistoryName, 0)->Items();
    }
    // What the store holds, by the entries' own names.
    std::vector<std::wstring> StoredNames()
    {
        std::vector<std::wstring> names;
        const host::SettingsEntry* list = store_.FindSnapInSection(15003)->FindEntry(kRunHistoryName);
        for (size_t i = 0; list && i < list->ChildCount(); ++i)
            names.push_back(list->ChildAt(i).Name());
        return names;
    }

    host::SettingsStore store_;
};

TEST_F(RunHistoryTest, TheEleventhCommandDropsTheOldestAndARepeatMovesToTheEnd)
{
    for (int i = 1; i <= 11; ++i)
        RememberCommand(History(), Numbered(i));
    std::vector<std::u16string> expected;
    for (int i = 2; i <= 11; ++i)
        expected.push_back(Numbered(i));
    EXPECT_EQ(RunHistoryCommands(History()), expected);
    ASSERT_EQ(StoredNames().size(), 10u);
    EXPECT_EQ(StoredNames().front(), L"program2.exe");
    EXPECT_EQ(StoredNames().back(), L"program11.exe");

    RememberCommand(History(), Numbered(5));
    expected.erase(expected.begin() + 3);
    expected.push_back(Numbered(5));
    EXPECT_EQ(RunHistoryCommands(History()), expected);
    EXPECT_EQ(StoredNames().size(), 10u) << "a repeat does not grow the list";

    RememberCommand(History(), u"");
    EXPECT_EQ(RunHistoryCommands(History()), expected) << "an empty command is not remembered";
}

TEST_F(RunHistoryTest, CommandsComeBackAsTheyWentInThroughASavedFile)
{
    const std::vector<std::u16string> commands = {u"a", u"ab", u"notepad \"C:\\Daten\\\u00dcbersicht.txt\"",
                                                  u"\u6570\u636e.exe /x", u"cmd /c echo \U0001F600"};
    for (const auto& command : commands)
        RememberCommand(History(), command);
    host::SettingsStore reloaded;
    std::string error;
    ASSERT_TRUE(reloaded.Deserialize(store_.Serialize(), &error)) << error;
    ISettingsNode* list = reloaded.SnapInSection(15003)->Items()->Find(kRunHistoryName);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(RunHistoryCommands(*list->Items()), commands);
}

TEST_F(RunHistoryTest, ACommandTooLongForASettingsNameIsNotRememberedAndNothingBreaks)
{
    RememberCommand(History(), u"calc.exe");
    const std::u16string longest(259, u'x');
    RememberCommand(History(), longest);
    const std::vector<std::u16string> commands = RunHistoryCommands(History());
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.front(), u"calc.exe");
    EXPECT_LE(commands.size(), 2u);
}

}  // namespace
}  // namespace vantrel::taskmanager
