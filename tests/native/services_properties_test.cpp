// The property dialog's and the install wizard's model: the elements of 602
// and 604 byte for byte, the checks before sending, and the dependency trees.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/model/Answer.h"
#include "framework/text/Base64.h"
#include "framework/xml/Xml.h"
#include "snapins/services/model/ServiceProperties.h"

namespace vantrel::services {
namespace {

std::string B64(std::u16string_view text) { return EncodeUtf16Base64(text); }

ServiceRecord Spooler()
{
    ServiceRecord service;
    service.name = u"Spooler";
    service.displayName = u"Druckwarteschlange \u2013 Sp\u00f6oler";
    service.description = u"Loads files <to> memory & 'prints'.";
    service.servicePath = u"C:\\WINDOWS\\system32\\spoolsv.exe";
    service.startName = u"LocalSystem";
    service.state = 4;
    service.startupType = 2;
    service.acceptedControls = 1;
    service.serviceType = 0x110;
    service.sysAccount = 1;
    service.allowInteract = 1;
    service.otherAttributes = {{"Group", "SpoolerGroup"}, {"PSW", "stale"}};
    service.dependents = {u"Fax"};
    return service;
}

TEST(ServicePropertiesTest, TheChangeElementEncodesItsTextsOnceAndPutsThePasswordLast)
{
    const ServiceRecord service = Spooler();
    PropertyChanges changes;
    changes.startupType = 3;
    changes.logOn.localSystem = false;
    changes.logOn.account = u"KONTOR\\dienst";
    const std::string text = ChangeRequestText(service, changes, u"p\u00e4ss'<");
    const std::string expected =
        "<Service Name='" + B64(u"Spooler") + "' DisplayName='" + B64(service.displayName) + "' Description='" +
        B64(service.description) + "' ServicePath='" + B64(service.servicePath) + "' StartName='" +
        B64(u"KONTOR\\dienst") +
        "' State='4' StartupType='3' AcceptedControls='1' ServiceType='272' SysAccount='0' AllowInteract='0' "
        "Group='SpoolerGroup' PSW='" + B64(u"p\u00e4ss'<") + "' />";
    EXPECT_EQ(text, expected);
    // Built anew each time: a second Apply sends the same text, not one encoded twice.
    EXPECT_EQ(ChangeRequestText(service, changes, u"p\u00e4ss'<"), expected);

    CXmlElement parsed;
    ASSERT_EQ(ParseAnswer(text.c_str(), parsed), AnswerText::Parsed);
    const ServiceRecord back = ReadServiceElement(parsed);
    EXPECT_EQ(back.name, service.name);
    EXPECT_EQ(back.description, service.description);
    EXPECT_EQ(ReadText(parsed, "PSW"), u"p\u00e4ss'<");

    // The local system account keeps the account name it had and sends interaction.
    changes.logOn = {true, true, u"ignored"};
    const std::string local = ChangeRequestText(service, changes, u"");
    EXPECT_NE(local.find("StartName='" + B64(u"LocalSystem") + "'"), std::string::npos);
    EXPECT_NE(local.find("SysAccount='1' AllowInteract='1'"), std::string::npos);
    EXPECT_NE(local.find("PSW='' />"), std::string::npos);
}

TEST(ServicePropertiesTest, TheInstallElementEncodesAllButThePassword)
{
    InstallChoices choices;
    choices.name = u"Wetter";
    choices.displayName = u"Wetterstation \u00fcberall";
    choices.servicePath = u"C:\\Programme\\Wetter\\wetter.exe";
    choices.startupType = 4;
    choices.startAfterInstall = true;
    choices.logOn = {false, false, u".\\wetter"};
    EXPECT_EQ(InstallRequestText(choices, "geh'eim&"),
              "<Service Name='" + B64(u"Wetter") + "' DisplayName='" + B64(choices.displayName) + "' ServicePath='" +
                  B64(choices.servicePath) + "' StartupType='4' SysAccount='0' StartName='" + B64(u".\\wetter") +
                  "' StartAfterInstall='1' PSW='geh&apos;eim&amp;' />");

    choices.logOn = {true, true, {}};
    choices.startAfterInstall = false;
    const std::string local = InstallRequestText(choices, "never sent");
    EXPECT_NE(local.find("StartupType='4' SysAccount='1' AllowInteract='1' StartAfterInstall='0' />"),
              std::string::npos);
    EXPECT_EQ(local.find("PSW"), std::string::npos);
    EXPECT_EQ(local.find("StartName"), std::string::npos);

    choices.device = true;
    choices.prefix = u"W3\u00c4";
    const std::string device = InstallRequestText(choices, "never sent");
    EXPECT_EQ(device, "<Service Name='" + B64(u"Wetter") + "' DisplayName='" + B64(choices.displayName) +
                          "' ServicePath='" + B64(choices.servicePath) + "' StartupType='4' Prefix='" +
                          B64(u"W3\u00c4") + "' />");
}

TEST(ServicePropertiesTest, BootAndSystemServicesKeepTheirStartupType)
{
    EXPECT_EQ(StartupSelectionOf(2), 0);
    EXPECT_EQ(StartupSelectionOf(4), 2);
    for (int32_t type : {0, 1, 5, -1}) {
        EXPECT_EQ(StartupSelectionOf(type), -1) << type;
        EXPECT_EQ(StartupTypeOfSelection(-1, type), type);
        EXPECT_EQ(StartupTypeOfSelection(3, type), type);
    }
    EXPECT_EQ(StartupTypeOfSelection(0, 0), 2);
    EXPECT_EQ(StartupTypeOfSelection(1, 2), 3);
    EXPECT_EQ(StartupTypeOfSelection(2, 2), 4);
}

TEST(ServicePropertiesTest, LogOnChecks)
{
    ServiceRecord service = Spooler();
    EXPECT_TRUE(LogOnOf(service).localSystem);
    EXPECT_TRUE(LogOnOf(service).allowInteract) << "bit 0x100 of ServiceType";
    service.serviceType = 0x10;
    EXPECT_FALSE(LogOnOf(service).allowInteract);
    service.sysAccount = 0;
    service.startName = u"NT AUTHORITY\\LocalService";
    EXPECT_FALSE(LogOnOf(service).localSystem);
    EXPECT_EQ(LogOnOf(service).account, u"NT AUTHORITY\\LocalService");

    const LogOn named{false, false, u"dienst"};
    EXPECT_TRUE(PropertyLogOnValid(named, u"", u"")) << "an empty password is accepted";
    EXPECT_FALSE(PropertyLogOnValid(named, u"a", u"b"));
    EXPECT_FALSE(PropertyLogOnValid({false, false, u""}, u"", u""));
    EXPECT_TRUE(PropertyLogOnValid({true, false, u""}, u"a", u"b"));

    EXPECT_EQ(CheckWizardLogOn({false, false, u""}, u"a", u"a"), WizardLogOnProblem::EmptyAccount);
    EXPECT_EQ(CheckWizardLogOn(named, u"", u""), WizardLogOnProblem::EmptyPassword);
    EXPECT_EQ(CheckWizardLogOn(named, u"a", u"A"), WizardLogOnProblem::PasswordsDiffer);
    EXPECT_EQ(CheckWizardLogOn(named, u"a", u"a"), WizardLogOnProblem::None);
    EXPECT_EQ(CheckWizardLogOn({true, false, u""}, u"", u"x"), WizardLogOnProblem::None);

    EXPECT_EQ(CheckNames(u"", u""), NamesProblem::EmptyName);
    EXPECT_EQ(CheckNames(u"a", u""), NamesProblem::EmptyDisplayName);
    EXPECT_EQ(CheckNames(u"a", u"b"), NamesProblem::None);
    for (const char16_t* prefix : {u"AB", u"ABCD", u""}) EXPECT_FALSE(PrefixValid(prefix));
    for (const char16_t* prefix : {u"ABC", u"123", u"\u00c4-1"}) EXPECT_TRUE(PrefixValid(prefix));
    EXPECT_TRUE(SamePath(u"C:\\Windows\\A.EXE", u"c:\\windows\\a.exe"));
    EXPECT_FALSE(SamePath(u"C:\\a.exe", u"C:\\a.ex"));
}

ServiceRecord Named(std::u16string name, std::vector<std::u16string> dependents)
{
    ServiceRecord service;
    service.name = name;
    service.displayName = u"Shown " + name;
    service.dependents = std::move(dependents);
    return service;
}

std::vector<std::u16string> Names(const std::vector<DependencyItem>& level)
{
    std::vector<std::u16string> names;
    for (const DependencyItem& item : level) names.push_back(item.name + (item.expandable ? u"+" : u""));
    return names;
}

TEST(ServicePropertiesTest, DependencyTreesEndAtCyclesAndShowDiamondsOnBothSides)
{
    ServiceStore store;
    // A cycle (SyncA, SyncB), a diamond (Core below Share and Browse, both below Publish),
    // a dependent the store does not hold, and a name listed twice in another case.
    store.Put(Named(u"SyncA", {u"SyncB"}));
    store.Put(Named(u"SyncB", {u"synca"}));
    store.Put(Named(u"Core", {u"Share", u"Browse", u"Missing", u"SHARE"}));
    store.Put(Named(u"Share", {u"Publish"}));
    store.Put(Named(u"Browse", {u"Publish"}));
    store.Put(Named(u"Publish", {}));

    using Direction = DependencyDirection;
    EXPECT_EQ(Names(DependencyLevel(store, Direction::Dependents, u"Core", {u"Core"})),
              (std::vector<std::u16string>{u"Share+", u"Browse+", u"Missing"}));
    const auto level = DependencyLevel(store, Direction::Dependents, u"Core", {u"Core"});
    EXPECT_EQ(level[0].shown, u"Shown Share");
    EXPECT_EQ(level[2].shown, u"Missing");
    EXPECT_EQ(Names(DependencyLevel(store, Direction::Dependents, u"Share", {u"Core", u"Share"})),
              (std::vector<std::u16string>{u"Publish"}));
    EXPECT_EQ(Names(DependencyLevel(store, Direction::DependsOn, u"Publish", {u"Publish"})),
              (std::vector<std::u16string>{u"Share+", u"Browse+"}));
    EXPECT_EQ(Names(DependencyLevel(store, Direction::DependsOn, u"Share", {u"Publish", u"Share"})),
              (std::vector<std::u16string>{u"Core"}));
    EXPECT_TRUE(DependencyLevel(store, Direction::DependsOn, u"Core", {u"Core"}).empty());

    // Expanding a cycle ends where the path meets itself.
    std::vector<std::u16string> path = {u"SyncA"};
    std::vector<DependencyItem> next = DependencyLevel(store, Direction::Dependents, u"SyncA", path);
    ASSERT_EQ(Names(next), (std::vector<std::u16string>{u"SyncB+"}));
    path.push_back(u"SyncB");
    next = DependencyLevel(store, Direction::Dependents, u"SyncB", path);
    EXPECT_EQ(Names(next), (std::vector<std::u16string>{u"synca"})) << "on the path: shown, not expandable";
    EXPECT_EQ(Names(DependencyLevel(store, Direction::DependsOn, u"SyncA", {u"SyncA"})),
              (std::vector<std::u16string>{u"SyncB+"}));
    EXPECT_TRUE(DependencyLevel(store, Direction::Dependents, u"Unknown", {u"Unknown"}).empty());
}

}  // namespace
}  // namespace vantrel::services
