// Local Users and Groups without windows: the rule for new names, the flags
// the dialogs and pages write, the texts of the requests, the rows and their
// ids, and the properties read in pages.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/model/Answer.h"
#include "framework/text/Base64.h"
#include "framework/xml/Xml.h"
#include "snapins/users/model/UsersModel.h"

namespace vantrel::users {
namespace {

namespace wire = protocol;

std::unique_ptr<CXmlElement> Parsed(const std::string& text) {
    auto root = std::make_unique<CXmlElement>();
    EXPECT_EQ(ParseAnswer(text, *root), AnswerText::Parsed) << text;
    return root;
}

std::string B64(std::u16string_view text) { return EncodeUtf16Base64(text); }

TEST(UsersNameRule, RefusesControlCharactersTheReservedOnesAndNamesOfOnlyPeriodsAndBlanks) {
    for (std::u16string good : {u"anna", u"J\u00fcrgen Ma\u00dfmann", u"a.b", u"..x", u"-", u"\u0434\u043c\u0438\u0442\u0440\u0438\u0439"})
        EXPECT_TRUE(IsAcceptableAccountName(good)) << std::string(good.begin(), good.end());
    for (std::u16string bad : std::initializer_list<std::u16string>{u"", u".", u"...", u" . ", u"  ", u"*admin", u"a,b", u"x\ty", std::u16string(u"nul\0l", 5),
                               u"a\"b", u"a/b", u"a\\b", u"[a]", u"a:b", u"a|b", u"a<b", u"a>b", u"a+b", u"a=b",
                               u"a;b", u"a?b", u"end*"})
        EXPECT_FALSE(IsAcceptableAccountName(bad)) << std::string(bad.begin(), bad.end());
    EXPECT_EQ(TrimBlanks(u"  anna b  "), u"anna b");
    EXPECT_EQ(TrimBlanks(u"   "), u"");
}

TEST(UsersFlags, NewUserFlagsFollowTheBoxesAndTheBoxesExcludeEachOther) {
    EXPECT_EQ(NewUserFlags({}, false), 0x0200u);
    EXPECT_EQ(NewUserFlags({false, true, false}, false), 0x0240u);
    EXPECT_EQ(NewUserFlags({false, true, true}, true), 0x10242u);
    EXPECT_EQ(NewUserFlags({true, false, false}, false), 0x0200u) << "must change is PasswordExpired, no flag";

    const PasswordBoxesEnabled must = PasswordBoxStates({true, false, false});
    EXPECT_TRUE(must.mustChange);
    EXPECT_FALSE(must.cannotChange);
    EXPECT_FALSE(must.neverExpires);
    const PasswordBoxesEnabled never = PasswordBoxStates({false, false, true});
    EXPECT_FALSE(never.mustChange);
    EXPECT_TRUE(never.cannotChange);
    EXPECT_TRUE(never.neverExpires);
    const PasswordBoxesEnabled none = PasswordBoxStates({});
    EXPECT_TRUE(none.mustChange && none.cannotChange && none.neverExpires);
}

TEST(UsersFlags, EditedFlagsKeepEveryBitThePageDoesNotShowAndEndALockoutOnly) {
    // Script, normal account, a smart-card bit (0x40000) and "don't require preauth" (0x400000).
    const uint32_t read = 0x0201 | 0x40000 | 0x400000 | wire::kFlagLockedOut;
    FlagChoices choices = FlagChoicesOf(read);
    EXPECT_TRUE(choices.lockedOut);
    EXPECT_FALSE(choices.disabled);
    EXPECT_EQ(EditedFlags(read, choices), read) << "nothing changed, nothing lost";
    choices.disabled = true;
    choices.neverExpires = true;
    choices.lockedOut = false;
    EXPECT_EQ(EditedFlags(read, choices), (read | 0x0002 | 0x10000) & ~0x0010u);
    // A lockout is never begun from the page.
    FlagChoices lock = FlagChoicesOf(0x0201);
    lock.lockedOut = true;
    EXPECT_EQ(EditedFlags(0x0201, lock), 0x0201u);
}

TEST(UsersRequests, TheWriteRequestsCarryEveryFieldAndTheWholeMembership) {
    UserProperties user;
    user.fullName = u"Zo\u00eb \u00c5ngstr\u00f6m";
    user.description = u"Team <S\u00fcd> & 'Nord'";
    user.flags = 0x10241;
    user.passwordExpired = true;
    user.profilePath = u"\\\\fs01\\profiles\\zoe";
    user.logonScript = u"logon.cmd";
    ApplyHomeFolder(user, {true, u"D:\\lokal", u"H:", u"\\\\fs01\\home\\zoe"});
    user.groups = {u"Users", u"WS-KLEE07\\Buchhaltung"};
    const auto root = Parsed(WriteUserRequestText(user));
    EXPECT_EQ(root->Name(), "User");
    ASSERT_EQ(root->GetChildCount(), 1);
    const CXmlElement& values = *root->GetChild(0);
    EXPECT_EQ(values.Name(), "User");
    EXPECT_EQ(ReadText(values, "FullName"), user.fullName);
    EXPECT_EQ(ReadText(values, "Description"), user.description);
    EXPECT_STREQ(values.GetAttribute("Flags"), "66113");
    EXPECT_STREQ(values.GetAttribute("PasswordExpired"), "1");
    EXPECT_EQ(ReadText(values, "ProfilePath"), user.profilePath);
    EXPECT_EQ(ReadText(values, "LogonScript"), u"logon.cmd");
    EXPECT_EQ(ReadText(values, "HomePath"), u"\\\\fs01\\home\\zoe");
    EXPECT_EQ(ReadText(values, "HomeDrive"), u"H:");
    EXPECT_EQ(ReadText(values, "HomeDriveUNC"), u"\\\\fs01\\home\\zoe");
    ASSERT_EQ(values.GetChildCount(), 2);
    EXPECT_EQ(values.GetChild(0)->Name(), "Group");
    EXPECT_EQ(ReadText(*values.GetChild(1), "Name"), u"WS-KLEE07\\Buchhaltung");

    // A local home folder sends no drive.
    ApplyHomeFolder(user, {false, u"D:\\lokal", u"H:", u"\\\\x"});
    const auto local = Parsed(WriteUserRequestText(user));
    EXPECT_EQ(ReadText(*local->GetChild(0), "HomePath"), u"D:\\lokal");
    EXPECT_EQ(ReadText(*local->GetChild(0), "HomeDrive"), u"");
    EXPECT_EQ(ReadText(*local->GetChild(0), "HomeDriveUNC"), u"");

    GroupProperties group;
    group.description = u"Alle";
    group.members = {{u"zo\u00eb", u"WS-KLEE07\\zo\u00eb", wire::kSidUser, u"WS-KLEE07"},
                     {u"Domain Users", u"", wire::kSidGroup, u""}};
    const auto groupRoot = Parsed(WriteGroupRequestText(group));
    EXPECT_EQ(groupRoot->Name(), "Group");
    ASSERT_EQ(groupRoot->GetChildCount(), 1);
    const CXmlElement& groupValues = *groupRoot->GetChild(0);
    EXPECT_EQ(ReadText(groupValues, "Description"), u"Alle");
    ASSERT_EQ(groupValues.GetChildCount(), 2);
    EXPECT_EQ(groupValues.GetChild(0)->Name(), "GroupMember");
    EXPECT_EQ(ReadText(*groupValues.GetChild(0), "Name"), u"WS-KLEE07\\zo\u00eb") << "the qualified name where known";
    EXPECT_STREQ(groupValues.GetChild(0)->GetAttribute("SidUseName"), "1");
    EXPECT_EQ(ReadText(*groupValues.GetChild(1), "Name"), u"Domain Users");
    EXPECT_STREQ(groupValues.GetChild(1)->GetAttribute("SidUseName"), "2");
}

TEST(UsersRequests, SingleRequestsCarryNamesInBase64AndTheRowIdInDecimal) {
    EXPECT_EQ(DeleteRequestText("User", u"tmp", 4000000000u),
              "<User Name='" + B64(u"tmp") + "' pData='4000000000' />");
    const auto rename = Parsed(RenameRequestText("Group", u"Alt", u"Neu \u00e4", 7));
    EXPECT_EQ(rename->Name(), "Group");
    EXPECT_EQ(ReadText(*rename, "Name"), u"Alt");
    EXPECT_EQ(ReadText(*rename, "NewName"), u"Neu \u00e4");
    EXPECT_EQ(ReadRowId(*rename), 7u);

    NewUser user{u"ren\u00e9", u"Ren\u00e9 Berg", u"", u"S3cret!\u00df", {true, false, false}, true};
    const auto create = Parsed(CreateUserRequestText(user));
    EXPECT_EQ(ReadText(*create, "Name"), u"ren\u00e9");
    EXPECT_EQ(ReadText(*create, "Password"), u"S3cret!\u00df");
    EXPECT_STREQ(create->GetAttribute("Flags"), "514");
    EXPECT_STREQ(create->GetAttribute("PasswordExpired"), "1");
    const auto password = Parsed(SetPasswordRequestText(u"anna", u"neu"));
    EXPECT_EQ(ReadText(*password, "Password"), u"neu");

    const auto group = Parsed(CreateGroupRequestText(u"Neu", u"d", {u"anna", u"NORDWERK\\Domain Users"}));
    ASSERT_EQ(group->GetChildCount(), 2);
    EXPECT_EQ(group->GetChild(1)->Name(), "User");
    EXPECT_EQ(ReadText(*group->GetChild(1), "Name"), u"NORDWERK\\Domain Users");

    EXPECT_EQ(ParseRowId("42"), 42u);
    for (const char* bad : std::initializer_list<const char*>{"", "-1", "4294967296", "12x", " 3", nullptr}) EXPECT_EQ(ParseRowId(bad), kNoRow) << (bad ? bad : "null");
}

TEST(UsersRows, IdsAreNeverGivenTwiceAndAnUnknownIdFindsNothing) {
    RowIds ids;
    UserStore users(ids);
    GroupStore groups(ids);
    const RowId a = users.Add({kNoRow, u"a", u"", u"", 0x201});
    const RowId g = groups.Add({kNoRow, u"g", u""});
    EXPECT_NE(a, g) << "one numbering for both lists";
    EXPECT_EQ(users.Add({kNoRow, u"", u"", u"", 0}), kNoRow) << "a row without a name is not kept";
    users.Clear();
    const RowId b = users.Add({kNoRow, u"a", u"", u"", 0x201});
    EXPECT_GT(b, g) << "a listing again gives new ids";
    EXPECT_EQ(users.Find(a), nullptr);
    EXPECT_EQ(users.Find(0xDEADBEEF), nullptr);
    ASSERT_NE(users.Find(b), nullptr);
    const RowId c = users.Add({kNoRow, u"c", u"", u"", 0x203});
    EXPECT_TRUE(users.Remove(b));
    EXPECT_FALSE(users.Remove(b));
    ASSERT_NE(users.Find(c), nullptr) << "the rows after a removed one are found again";
    EXPECT_EQ(users.Find(c)->name, u"c");
    EXPECT_TRUE(ShowsDisabledImage(0x203));
    EXPECT_TRUE(ShowsDisabledImage(0x211));
    EXPECT_FALSE(ShowsDisabledImage(0x10241));
}

TEST(UsersRows, PagesAddTheirElementsAndReadHostileNumbersSafely) {
    RowIds ids;
    UserStore users(ids);
    const auto page = Parsed("<Users StartAt='0' UpTo='2' Total='3'><User Name='" + B64(u"x") +
                                    "' Flags='-1'/><User Name='" + B64(u"y") + "' Flags='4294967296' FullName='" +
                                    B64(u"Y Y") + "'/><User Flags='513'/></Users>");
    EXPECT_EQ(MergeUsersPage(users, *page), 2u);
    EXPECT_EQ(users.Rows()[0].flags, 0u) << "a negative number is no flags";
    EXPECT_EQ(users.Rows()[1].flags, 0xFFFFFFFFu) << "an overlong one saturates, as every reader does";
    EXPECT_EQ(users.Rows()[1].fullName, u"Y Y");
    EXPECT_LT(CompareUsers(users.Rows()[0], users.Rows()[1], kUserColumnName), 0);
    EXPECT_LT(CompareUsers(users.Rows()[0], users.Rows()[1], kUserColumnFullName), 0) << "empty sorts first";
}

TEST(UsersProperties, PagesBringTheValuesOnceAndTheirShareOfTheList) {
    UserProperties user;
    MergeUserPropertiesPage(user, *Parsed("<User StartAt='0' UpTo='1' Total='3' FullName='" + B64(u"Anna") +
                                         "' Flags='66049' PasswordExpired='1' HomeDrive='" + B64(u"H:") +
                                         "' HomePath='" + B64(u"\\\\fs\\anna") + "'><Group Name='" + B64(u"Users") +
                                         "'/><Group Name='" + B64(u"G2") + "'/></User>"),
                            true);
    MergeUserPropertiesPage(user, *Parsed("<User StartAt='2' UpTo='2' Total='3' FullName='" + B64(u"Other") +
                                         "'><Group Name='" + B64(u"G3") + "'/><Group/></User>"),
                            false);
    EXPECT_EQ(user.fullName, u"Anna") << "values come from the first page";
    EXPECT_EQ(user.flags, 66049u);
    EXPECT_TRUE(user.passwordExpired);
    EXPECT_EQ(user.groups, (std::vector<std::u16string>{u"Users", u"G2", u"G3"}));
    const HomeFolder home = HomeFolderOf(user);
    EXPECT_TRUE(home.network);
    EXPECT_EQ(home.drive, u"H:");
    EXPECT_EQ(home.networkPath, u"\\\\fs\\anna");

    GroupProperties group;
    MergeGroupPropertiesPage(group, *Parsed("<Group Description='" + B64(u"d") + "'><Member Name='" + B64(u"anna") +
                                           "' SidName='" + B64(u"PC\\anna") + "' SidUseName='1' CompName='" +
                                           B64(u"PC") + "'/><Member SidUseName='2'/></Group>"),
                             true);
    ASSERT_EQ(group.members.size(), 1u) << "a member without any name is left out";
    EXPECT_EQ(group.members[0].Shown(), u"PC\\anna");
    EXPECT_EQ(group.members[0].sidUse, 1);
}

TEST(UsersPending, AnAnswerIsTakenForTheRequestItNamesElseForTheOldest) {
    PendingRequests<int> pending;
    pending.Sent(1);
    pending.Sent(2);
    pending.Sent(3);
    auto taken = pending.Take([](int id) { return id == 2; });
    ASSERT_TRUE(taken);
    EXPECT_TRUE(taken->matched);
    EXPECT_EQ(taken->entry, 2);
    taken = pending.Take([](int id) { return id == 99; });
    ASSERT_TRUE(taken);
    EXPECT_FALSE(taken->matched);
    EXPECT_EQ(taken->entry, 1);
    EXPECT_EQ(pending.Count(), 1u);
    pending.Take([](int) { return false; });
    EXPECT_FALSE(pending.Take([](int) { return true; }));
}

}  // namespace
}  // namespace vantrel::users
