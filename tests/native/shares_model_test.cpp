// Shared Folders without windows: cell texts and order, the stores, what the
// commands may do, and the share elements the dialogs send.
#include <gtest/gtest.h>

#include "framework/model/Answer.h"
#include "framework/text/Base64.h"
#include "framework/xml/Xml.h"
#include "snapins/shares/model/Protocol.h"
#include "snapins/shares/model/ShareSettings.h"
#include "snapins/shares/model/SharesModel.h"

namespace vantrel::shares {
namespace {

namespace wire = protocol;

CellTexts Texts() {
    CellTexts texts;
    const char16_t* types[] = {u"Disk drive", u"Print queue", u"Comm device", u"IPC", u"Hidden Resource", u"Unknown"};
    for (int i = 0; i < 6; ++i) texts.typeTexts[i] = types[i];
    return texts;
}

std::unique_ptr<CXmlElement> Parsed(const std::string& text) {
    auto element = std::make_unique<CXmlElement>();
    EXPECT_EQ(ParseAnswer(text, *element), AnswerText::Parsed) << text;
    return element;
}

ShareRecord Share(std::u16string name, int64_t type, uint32_t connections = 0) {
    ShareRecord share;
    share.name = std::move(name);
    share.type = type;
    share.clientConnections = connections;
    return share;
}

TEST(SharesCells, TypeTextsHiddenOnlyForDollarNamesOfOtherTypes) {
    const CellTexts texts = Texts();
    EXPECT_EQ(ShareCell(Share(u"ADMIN$", 5), kShareType, texts), u"Hidden Resource");
    EXPECT_EQ(ShareCell(Share(u"ADMIN", 5), kShareType, texts), u"Unknown");
    EXPECT_EQ(ShareCell(Share(u"C$", 0x80000000LL), kShareType, texts), u"Hidden Resource");
    EXPECT_EQ(ShareCell(Share(u"print$", 0), kShareType, texts), u"Disk drive");
    EXPECT_EQ(ShareCell(Share(u"LPT", 1), kShareType, texts), u"Print queue");
    EXPECT_EQ(ShareCell(Share(u"", 7), kShareType, texts), u"Unknown");
}

TEST(SharesCells, DurationsPassTwentyFourHoursAndUseTheSeparator) {
    EXPECT_EQ(DurationText(90061, u":"), u"25:01:01");
    EXPECT_EQ(DurationText(0, u"."), u"00.00.00");
    EXPECT_EQ(DurationText(4294967295u, u":"), u"1193046:28:15");
}

TEST(SharesCells, OpenModesInFixedOrder) {
    const CellTexts texts = Texts();
    EXPECT_EQ(OpenModeText(3, texts.modeNames), u"Read, Write");
    EXPECT_EQ(OpenModeText(0, texts.modeNames), u"");
    EXPECT_EQ(OpenModeText(6, texts.modeNames), u"Write, Create");
    EXPECT_EQ(OpenModeText(0xFFFFFFFF, texts.modeNames), u"Read, Write, Create");
}

TEST(SharesOrder, TypeByTextConnectionsByNumber) {
    const CellTexts texts = Texts();
    // "Disk drive" < "Hidden Resource" < "IPC" though the numbers go the other way.
    EXPECT_LT(CompareShares(Share(u"a", 0), Share(u"b$", 9), kShareType, texts), 0);
    EXPECT_LT(CompareShares(Share(u"b$", 9), Share(u"c", 3), kShareType, texts), 0);
    EXPECT_LT(CompareShares(Share(u"a", 0, 9), Share(u"b", 0, 10), kShareConnections, texts), 0);
    EXPECT_GT(CompareShares(Share(u"B", 0), Share(u"a", 0), kShareName, texts), 0);
}

TEST(SharesStore, ReadsRecordsKeepsElementsAndHoldsHostileNumbers) {
    const std::string page =
        "<Files StartAt='0' UpTo='2' Total='2'>"
        "<File Id='7' Name='" + EncodeUtf16Base64(u"D:\\Données\\a.txt") + "' AccesssedBy='" +
        EncodeUtf16Base64(u"jürgen") + "' Locks='-3' OpenMode='3'/>"
        "<File Name='x' Locks='99999999999999999999'/></Files>";
    OpenFileStore store;
    EXPECT_EQ(store.MergePage(*Parsed(page)), 2u);
    ASSERT_EQ(store.Count(), 2u);
    EXPECT_EQ(store.At(0)->path, u"D:\\Données\\a.txt");
    EXPECT_EQ(store.At(0)->accessedBy, u"jürgen");
    EXPECT_EQ(store.At(0)->locks, 0u);
    EXPECT_EQ(store.At(1)->locks, 4294967295u);  // saturated, never wrapped
    // What goes back to the machine is the element as it came, its Id included.
    auto element = Parsed(store.At(0)->element);
    EXPECT_STREQ(element->GetAttribute("Id"), "7");
    EXPECT_EQ(store.At(5), nullptr);
}

TEST(SharesStore, StopsAtItsCap) {
    Store<SessionRecord> store(3);
    const std::string page = "<Sessions><Session/><Session/><Session/><Session/><Session/></Sessions>";
    EXPECT_EQ(store.MergePage(*Parsed(page)), 3u);
    EXPECT_EQ(store.MergePage(*Parsed(page)), 0u);
}

TEST(SharesCommands, AddAndPropertiesOnlyOnSharesRemoveNeedsASelectionNothingWhileWorking) {
    const CommandStates shares = AllowedCommands(Tab::Shares, true, false);
    EXPECT_TRUE(shares.add && shares.remove && shares.refresh && shares.properties);
    const CommandStates sessions = AllowedCommands(Tab::Sessions, true, false);
    EXPECT_FALSE(sessions.add || sessions.properties);
    EXPECT_TRUE(sessions.remove);
    EXPECT_FALSE(AllowedCommands(Tab::Files, false, false).remove);
    const CommandStates working = AllowedCommands(Tab::Shares, true, true);
    EXPECT_FALSE(working.add || working.remove || working.refresh);
}

TEST(ShareSettingsTest, DefaultNamesAndChecks) {
    EXPECT_EQ(DefaultShareName(u"D:\\Projekte\\Données 2024\\"), u"Données 2024");
    EXPECT_EQ(DefaultShareName(u"C:\\"), u"C");
    EXPECT_EQ(DefaultShareName(u"D:\\a;b=c"), u"abc");
    EXPECT_EQ(DefaultShareName(u"D:\\" + std::u16string(100, u'x')).size(), kMaxShareName);
    EXPECT_EQ(CheckShareName(u""), NameCheck::Empty);
    EXPECT_EQ(CheckShareName(u"a/b"), NameCheck::Invalid);
    EXPECT_EQ(CheckShareName(u"Проекты$"), NameCheck::Ok);
    EXPECT_TRUE(IsLocalFolderPath(u"D:\\Données"));
    EXPECT_TRUE(IsLocalFolderPath(u"c:"));
    for (const char16_t* path : {u"\\\\server\\share", u"\\\\?\\C:\\x", u"Data", u"C:Data", u"C:\\a\\..\\b", u"C:\\a*"})
        EXPECT_FALSE(IsLocalFolderPath(path)) << std::string(path, path + 3);
}

TEST(ShareSettingsTest, PermissionPageFollowsTheSecurity) {
    EXPECT_EQ(PermissionPageFor({true, false, u""}), PermissionPage::Accounts);
    EXPECT_EQ(PermissionPageFor({false, true, u"SRV"}), PermissionPage::Accounts);
    EXPECT_EQ(PermissionPageFor({false, false, u""}), PermissionPage::Passwords);
}

TEST(ShareSettingsTest, NewShareElementCarriesEveryField) {
    ShareSettings settings;
    settings.name = u"Données";
    settings.folderPath = u"D:\\Données partagées";
    settings.description = u"<équipe> & \"co\"";
    settings.maxUsers = 12;
    settings.access = Access::Custom;
    settings.accounts = {{u"SRV\\anna", true}, {u"DOM\\Владимир", false}};
    auto element = Parsed(NewShareElement(settings));
    EXPECT_EQ(element->Name(), "Share");
    EXPECT_EQ(ReadText(*element, wire::kAttrName), u"Données");
    EXPECT_EQ(ReadText(*element, wire::kAttrFolderPath), u"D:\\Données partagées");
    EXPECT_EQ(ReadText(*element, wire::kAttrDescription), u"<équipe> & \"co\"");
    EXPECT_EQ(ReadInt64(*element, wire::kAttrType), 0);
    EXPECT_EQ(ReadInt64(*element, wire::kAttrMaxUsers), 12);
    EXPECT_EQ(ReadInt64(*element, wire::kAttrAccess), wire::kAccessCustom);
    ASSERT_EQ(element->GetChildCount(), 2);
    EXPECT_EQ(ReadText(*element->GetChild(1), wire::kAttrAccount), u"DOM\\Владимир");
    EXPECT_EQ(ReadInt64(*element->GetChild(0), wire::kAttrRights), wire::kAccessFull);
    EXPECT_EQ(element->GetAttribute(wire::kAttrRoPass), nullptr);

    settings.maxUsers.reset();
    settings.access = Access::ByPassword;
    settings.writePassword = u"geheim";
    element = Parsed(NewShareElement(settings));
    EXPECT_EQ(ReadInt64(*element, wire::kAttrMaxUsers), -1);
    EXPECT_EQ(ReadText(*element, wire::kAttrRwPass), u"geheim");
    EXPECT_EQ(element->GetChildCount(), 0);
}

TEST(ShareSettingsTest, ChangedElementKeepsNameFolderAndUnknownAttributes) {
    const std::string original = "<Share Name='" + EncodeUtf16Base64(u"Team") + "' FolderPath='" +
                                 EncodeUtf16Base64(u"E:\\Team") +
                                 "' Type='0' Shadow='yes' MaxUsers='5' Access='4'><Permission Account='" +
                                 EncodeUtf16Base64(u"Everyone") + "' Rights='1'/><Note/></Share>";
    ShareSettings read = ReadShareSettings(original);
    EXPECT_EQ(read.maxUsers, 5u);
    EXPECT_EQ(read.access, Access::Custom);
    ASSERT_EQ(read.accounts.size(), 1u);
    read.name = u"Renamed";  // not editable: the share keeps its name
    read.description = u"neu";
    read.access = Access::Full;
    auto element = Parsed(ChangedShareElement(original, read));
    EXPECT_EQ(ReadText(*element, wire::kAttrName), u"Team");
    EXPECT_EQ(ReadText(*element, wire::kAttrDescription), u"neu");
    EXPECT_STREQ(element->GetAttribute("Shadow"), "yes");
    EXPECT_EQ(ReadInt64(*element, wire::kAttrAccess), wire::kAccessFull);
    ASSERT_EQ(element->GetChildCount(), 1);  // the old permissions went, the unknown child stayed
    EXPECT_EQ(element->GetChild(0)->Name(), "Note");
    EXPECT_TRUE(ChangedShareElement("<Share", read).empty());
}

}  // namespace
}  // namespace vantrel::shares
