// The Services model: records from answers, the store and its paging, texts
// and order, the enabling rules, the dependents of a stop, and the requests.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "framework/model/Answer.h"
#include "framework/text/Base64.h"
#include "framework/xml/Xml.h"
#include "snapins/services/ServicesIds.h"
#include "snapins/services/model/Protocol.h"
#include "snapins/services/model/ServiceCommands.h"
#include "framework/text/TextCompare.h"
#include "snapins/services/model/ServiceModel.h"

namespace vantrel::services {
namespace {

using Attributes = std::vector<std::pair<const char*, std::string>>;

std::string ServiceXml(const std::u16string& name, const Attributes& attributes = {},
                       const std::vector<std::string>& dependents = {}, const std::u16string& display = {})
{
    std::string text = "<Service Name='" + EncodeUtf16Base64(name) + "' DisplayName='" +
                       EncodeUtf16Base64(display.empty() ? name : display) + "'";
    for (const auto& [attribute, value] : attributes)
        text += std::string(" ") + attribute + "='" + value + "'";
    if (dependents.empty())
        return text + "/>";
    text += ">";
    for (const std::string& dependent : dependents)
        text += "<Dependent Name='" + dependent + "'/>";
    return text + "</Service>";
}

std::string PageXml(const std::string& upTo, const std::string& total, const std::vector<std::string>& services)
{
    std::string text = "<Services StartAt='0' UpTo='" + upTo + "' Total='" + total + "'>";
    for (const std::string& service : services)
        text += service;
    return text + "</Services>";
}

// One page's text merged as the snap-in merges it: parsed, then MergePage.
PageMerge Merge(ServiceStore& store, const std::string& page)
{
    CXmlElement root;
    EXPECT_EQ(ParseAnswer(page.c_str(), root), AnswerText::Parsed) << page;
    return store.MergePage(root);
}

ServiceRecord Service(std::u16string name, int32_t state, int32_t startupType, uint32_t accepted,
                      std::vector<std::u16string> dependents = {})
{
    ServiceRecord service;
    service.name = std::move(name);
    service.displayName = service.name;
    service.state = state;
    service.startupType = startupType;
    service.acceptedControls = accepted;
    service.dependents = std::move(dependents);
    return service;
}

std::vector<std::u16string> Names(const ServiceStore& store)
{
    std::vector<std::u16string> names;
    for (const ServiceRecord& record : store.Records())
        names.push_back(record.name);
    return names;
}

// ---------------------------------------------------------------------------
// Records from answers

TEST(ServiceRecordTest, ReadsEveryFieldAndKeepsTheRestAsReceived)
{
    const std::string xml =
        "<Service Name='" + EncodeUtf16Base64(u"Spooler") + "' DisplayName='" +
        EncodeUtf16Base64(u"Druckwarteschlange \u00fc \U0001F5A8") + "' Description='" +
        EncodeUtf16Base64(u"Loads files to memory for later printing.") + "' ServicePath='" +
        EncodeUtf16Base64(u"C:\\WINDOWS\\system32\\spoolsv.exe") + "' StartName='" + EncodeUtf16Base64(u"LocalSystem") +
        "' State='4' StartupType='2' AcceptedControls='3' ServiceType='272' SysAccount='1' AllowInteract='1'"
        " ErrorControl='1' Tag=''>"
        "<Dependent Name='Fax'/><x Name='netlogon'/><NoName/><y Name=''/></Service>";
    const ServiceAnswer answer = ParseServiceAnswer(xml.c_str());
    ASSERT_TRUE(answer.ok);
    const ServiceRecord& service = answer.record;
    EXPECT_EQ(service.name, u"Spooler");
    EXPECT_EQ(service.displayName, u"Druckwarteschlange \u00fc \U0001F5A8");
    EXPECT_EQ(service.description, u"Loads files to memory for later printing.");
    EXPECT_EQ(service.servicePath, u"C:\\WINDOWS\\system32\\spoolsv.exe");
    EXPECT_EQ(service.startName, u"LocalSystem");
    EXPECT_EQ(service.state, 4);
    EXPECT_EQ(service.startupType, 2);
    EXPECT_EQ(service.acceptedControls, 3u);
    EXPECT_EQ(service.serviceType, 272u);
    EXPECT_EQ(service.sysAccount, 1u);
    EXPECT_EQ(service.allowInteract, 1u);
    EXPECT_EQ(service.otherAttributes, (std::vector<std::pair<std::string, std::string>>{{"ErrorControl", "1"},
                                                                                         {"Tag", ""}}));
    // Children are read by their Name whatever the element is called; nameless ones are no dependents.
    EXPECT_EQ(service.dependents, (std::vector<std::u16string>{u"Fax", u"netlogon"}));
}

TEST(ServiceRecordTest, HostileNumbersReadAsValuesThatEnableNothingOdd)
{
    const std::string page = PageXml("3", "3", {
        ServiceXml(u"A", {{"State", "-1"}, {"StartupType", "4294967296"}, {"AcceptedControls", "-1"}}),
        ServiceXml(u"B", {{"State", "99999999999999999999999"}, {"StartupType", "-4"},
                          {"AcceptedControls", "99999999999999999999999"}}),
        ServiceXml(u"C", {{"State", "4294967297"}, {"StartupType", "two"}, {"AcceptedControls", "3x"}}),
    });
    ServiceStore store;
    Merge(store, page);
    ASSERT_EQ(store.Count(), 3u);
    const ServiceRecord& a = store.Records()[0];
    const ServiceRecord& b = store.Records()[1];
    const ServiceRecord& c = store.Records()[2];
    EXPECT_EQ(StatusTextOf(a.state), StatusText::Unknown);
    EXPECT_EQ(StartupTextOf(a.startupType), StartupText::Unknown);
    EXPECT_EQ(a.acceptedControls, 0u);  // a negative bit set accepts nothing
    EXPECT_EQ(b.state, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(StatusTextOf(b.state), StatusText::Unknown);
    EXPECT_EQ(StartupTextOf(b.startupType), StartupText::Unknown);
    EXPECT_EQ(b.acceptedControls, std::numeric_limits<uint32_t>::max());  // saturates
    EXPECT_EQ(StatusTextOf(c.state), StatusText::Unknown);  // 2^32 + 1 does not wrap to "Stopped"
    EXPECT_EQ(c.startupType, 0);

    // None of them can be started, paused or resumed; b accepts everything it says.
    for (const ServiceRecord& service : {a, b, c}) {
        const CommandStates states = AllowedCommands(&service, false, false);
        EXPECT_FALSE(states.start || states.pause || states.resume || states.startButton);
    }
    EXPECT_TRUE(AllowedCommands(&b, false, false).stop);
}

TEST(ServiceRecordTest, ServiceAnswersThatCannotBeRead)
{
    const std::string good = ServiceXml(u"Dhcp", {{"State", "4"}});
    for (const std::string& text : {std::string(), std::string("  \r\n"), good.substr(0, good.size() - 3),
                                    good.substr(0, 20), std::string("<Service State='4'/>"),
                                    std::string("<Service Name='' State='4'/>"), std::string("not xml"),
                                    std::string("</Service>")})
        EXPECT_FALSE(ParseServiceAnswer(text.c_str()).ok) << text;
    EXPECT_FALSE(ParseServiceAnswer(nullptr).ok);
    EXPECT_TRUE(ParseServiceAnswer(good.c_str()).ok);
}

// ---------------------------------------------------------------------------
// The store

TEST(ServiceStoreTest, IdsAreStableThroughUpdatesAndDeadAfterARefresh)
{
    ServiceStore store;
    Merge(store, PageXml("3", "3", {ServiceXml(u"Alerter"), ServiceXml(u"Browser", {{"State", "4"}}),
                                    ServiceXml(u"Dhcp")}));
    const ServiceId browser = store.IdOf(u"BROWSER");  // names compare without case
    ASSERT_NE(browser, kNoService);
    EXPECT_EQ(store.Find(browser)->state, 4);

    // A later element of the same name replaces the record in place.
    const PageMerge page =
        Merge(store, PageXml("2", "2", {ServiceXml(u"browser", {{"State", "1"}}), ServiceXml(u""), ServiceXml(u"Netlogon")}));
    EXPECT_EQ(page.added, 1u);
    EXPECT_EQ(page.replaced, 1u);
    EXPECT_EQ(page.skipped, 1u);  // no name: nothing could ever address it
    EXPECT_EQ(store.IdOf(u"Browser"), browser);
    EXPECT_EQ(store.Find(browser)->state, 1);
    EXPECT_EQ(Names(store), (std::vector<std::u16string>{u"Alerter", u"browser", u"Dhcp", u"Netlogon"}));
    EXPECT_EQ(store.IdAt(1), browser);

    // A new listing empties the store; the old ids find nothing, not the new records.
    const std::vector<ServiceId> old = {store.IdAt(0), store.IdAt(1), store.IdAt(2), store.IdAt(3)};
    store.Clear();
    Merge(store, PageXml("2", "2", {ServiceXml(u"Browser"), ServiceXml(u"Dhcp")}));
    ASSERT_EQ(store.Count(), 2u);
    for (ServiceId id : old)
        EXPECT_EQ(store.Find(id), nullptr);
    EXPECT_NE(store.IdOf(u"Browser"), browser);
    EXPECT_EQ(store.Find(kNoService), nullptr);
    store.Clear();
    EXPECT_EQ(store.FindByName(u"Dhcp"), nullptr);
}

TEST(ServiceStoreTest, ReplaceChangesOnlyAStoredServiceAndTellsOfALogonChange)
{
    ServiceStore store;
    ServiceRecord running = Service(u"Schedule", 4, 2, 3);
    running.startName = u"LocalSystem";
    const ServiceId id = store.Put(running);

    ServiceRecord newAccount = running;
    newAccount.startName = u"CORP\\svc-tasks";
    ReplaceOutcome outcome = store.Replace(newAccount);
    EXPECT_EQ(outcome.id, id);
    EXPECT_TRUE(outcome.logonChangedWhileRunning);
    EXPECT_EQ(store.Find(id)->startName, u"CORP\\svc-tasks");

    ServiceRecord stopped = newAccount;
    stopped.name = u"SCHEDULE";
    stopped.state = 1;
    stopped.startName = u"LocalSystem";
    outcome = store.Replace(stopped);
    EXPECT_EQ(outcome.id, id);
    EXPECT_FALSE(outcome.logonChangedWhileRunning);
    EXPECT_EQ(store.Find(id)->state, 1);
    EXPECT_FALSE(store.Replace(stopped).logonChangedWhileRunning);  // same account

    // A 606 for a service the store no longer holds changes nothing (and the view still ends busy).
    outcome = store.Replace(Service(u"Gone", 4, 2, 1));
    EXPECT_EQ(outcome.id, kNoService);
    EXPECT_EQ(store.Count(), 1u);
    EXPECT_EQ(store.Replace(Service(u"", 4, 2, 1)).id, kNoService);
}

TEST(ServiceStoreTest, StopsGrowingAtItsCap)
{
    ServiceStore store(2);
    const PageMerge page = Merge(store, PageXml("3", "10", {ServiceXml(u"A"), ServiceXml(u"B"), ServiceXml(u"C")}));
    EXPECT_EQ(page.added, 2u);
    EXPECT_EQ(page.skipped, 1u);
    // A full store still takes updates of what it holds.
    EXPECT_NE(store.Replace(Service(u"B", 4, 2, 1)).id, kNoService);
    EXPECT_EQ(store.Put(Service(u"D", 1, 3, 0)), kNoService);
}

// ---------------------------------------------------------------------------
// Texts and order

static_assert(IDR_SRV_SNAPIN == protocol::kSnapInId);

TEST(ServiceTextTest, ComparisonsByColumn)
{
    ServiceRecord a = Service(u"a", 4, 3, 0);
    a.displayName = u"\u00e9v\u00e9nements";
    a.description = u"";
    a.startName = u"LocalSystem";
    ServiceRecord b = Service(u"b", 1, 2, 0);
    b.displayName = u"\u00c9V\u00c9NEMENTS";
    b.description = u"x";
    b.startName = u"localsystem";
    EXPECT_EQ(CompareServices(a, b, kColumnName), 0);
    EXPECT_EQ(CompareServices(a, b, kColumnDescription), -1);  // a prefix sorts first
    EXPECT_EQ(CompareServices(a, b, kColumnLogOnAs), 0);
    EXPECT_EQ(CompareServices(a, b, kColumnStatus), 1);        // Started after Stopped
    EXPECT_EQ(CompareServices(a, b, kColumnStartupType), 1);   // Manual after Automatic
    EXPECT_EQ(CompareServices(a, b, 7), 0);
    // Unknown values sort after every known one, and equal each other.
    ServiceRecord odd = Service(u"odd", 0, -1, 0);
    ServiceRecord odder = Service(u"odder", 99, 5, 0);
    EXPECT_EQ(CompareServices(odd, a, kColumnStatus), 1);
    EXPECT_EQ(CompareServices(odd, odder, kColumnStatus), 0);
    EXPECT_EQ(CompareServices(odd, b, kColumnStartupType), 1);
    EXPECT_EQ(CompareServices(odd, odder, kColumnStartupType), 0);

    EXPECT_EQ(CompareNoCase(u"\u0441\u043b\u0443\u0436\u0431\u0430", u"\u0421\u041b\u0423\u0416\u0411\u0410"), 0);
    EXPECT_LT(CompareNoCase(u"Z", u"\u00e9"), 0);  // unsigned units, not the locale's order
    EXPECT_TRUE(SameServiceName(u"kelvo host for nt service", protocol::kHostServiceName));
    EXPECT_FALSE(SameServiceName(u"Kelvo Host for NT Service2", protocol::kHostServiceName));
}

// ---------------------------------------------------------------------------
// Enabling

struct EnablingRow {
    const char* what;
    std::u16string name;
    int32_t state;
    int32_t startupType;
    uint32_t accepted;
    bool busy;
    bool controlPending;
    // remove, properties, start, stop, pause, resume, restart, start button, it resumes
    std::vector<bool> expected;
};

TEST(ServiceEnablingTest, RulesForTheSelectedService)
{
    const std::u16string host = u"KELVO HOST FOR NT SERVICE";
    const std::vector<EnablingRow> rows = {
        {"stopped manual", u"Dhcp", 1, 3, 0, false, false, {1, 1, 1, 0, 0, 0, 0, 1, 0}},
        {"stopped disabled", u"Dhcp", 1, 4, 0, false, false, {1, 1, 0, 0, 0, 0, 0, 0, 0}},
        {"stopped claiming stop", u"Dhcp", 1, 3, 1, false, false, {1, 1, 1, 1, 0, 0, 1, 1, 0}},
        {"running, stop only", u"Dhcp", 4, 2, 1, false, false, {1, 1, 0, 1, 0, 0, 1, 0, 0}},
        {"running, pausable", u"Dhcp", 4, 2, 3, false, false, {1, 1, 0, 1, 1, 0, 1, 0, 0}},
        {"running, no controls", u"Dhcp", 4, 2, 0, false, false, {1, 1, 0, 0, 0, 0, 0, 0, 0}},
        {"paused", u"Dhcp", 7, 2, 3, false, false, {1, 1, 0, 1, 0, 1, 1, 1, 1}},
        {"paused, pause bit only", u"Dhcp", 7, 2, 2, false, false, {1, 1, 0, 0, 0, 1, 0, 1, 1}},
        {"start pending", u"Dhcp", 2, 2, 0, false, false, {1, 1, 0, 0, 0, 0, 0, 0, 0}},
        {"unknown state 8", u"Dhcp", 8, 2, 3, false, false, {1, 1, 0, 1, 0, 0, 1, 0, 0}},
        {"host running", host, 4, 2, 3, false, false, {1, 1, 0, 0, 0, 0, 0, 0, 0}},
        {"host paused", host, 7, 2, 3, false, false, {1, 1, 0, 0, 0, 0, 0, 0, 0}},
        {"host stopped", host, 1, 2, 3, false, false, {1, 1, 1, 0, 0, 0, 0, 1, 0}},
        {"busy", u"Dhcp", 4, 2, 3, true, false, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"control pending", u"Dhcp", 1, 3, 3, false, true, {1, 1, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const EnablingRow& row : rows) {
        const ServiceRecord service = Service(row.name, row.state, row.startupType, row.accepted);
        const CommandStates s = AllowedCommands(&service, row.busy, row.controlPending);
        const std::vector<bool> actual = {s.remove, s.properties, s.start, s.stop, s.pause, s.resume,
                                          s.restart, s.startButton, s.startButtonResumes};
        EXPECT_EQ(actual, row.expected) << row.what;
        EXPECT_EQ(s.refresh, !row.busy) << row.what;
        EXPECT_EQ(s.add, !row.busy) << row.what;
    }

    const CommandStates none = AllowedCommands(nullptr, false, false);
    EXPECT_TRUE(none.refresh && none.add);
    EXPECT_FALSE(none.remove || none.properties || none.start || none.stop || none.pause || none.resume ||
                 none.restart || none.startButton);
    EXPECT_FALSE(AllowedCommands(nullptr, true, false).refresh);
}

// ---------------------------------------------------------------------------
// Dependents of a stop

ServiceStore StoreOf(std::vector<ServiceRecord> services)
{
    ServiceStore store;
    for (ServiceRecord& service : services)
        store.Put(std::move(service));
    return store;
}

TEST(ServiceDependentsTest, EachDependentAfterItsOwnRunningDependents)
{
    // Workstation <- Browser <- Publisher, Workstation <- Messenger (stopped) <- Alerter,
    // Workstation <- Netlogon (named in another case), Workstation <- Missing (not in the store).
    const ServiceStore store = StoreOf({
        Service(u"LanmanWorkstation", 4, 2, 1, {u"Browser", u"Messenger", u"NETLOGON", u"Missing"}),
        Service(u"Browser", 4, 2, 1, {u"Publisher"}),
        Service(u"Publisher", 7, 2, 3),
        Service(u"Messenger", 1, 3, 0, {u"Alerter"}),
        Service(u"Alerter", 4, 3, 1),
        Service(u"Netlogon", 3, 3, 0),
    });
    EXPECT_EQ(RunningDependents(store, u"lanmanworkstation"),
              (std::vector<std::u16string>{u"Publisher", u"Browser", u"Alerter", u"Netlogon"}));
    EXPECT_EQ(RunningDependents(store, u"Browser"), std::vector<std::u16string>{u"Publisher"});
    EXPECT_TRUE(RunningDependents(store, u"Publisher").empty());
    EXPECT_TRUE(RunningDependents(store, u"Missing").empty());
}

TEST(ServiceDependentsTest, CyclesAndDiamondsEndAndListNobodyTwice)
{
    const ServiceStore cycle = StoreOf({
        Service(u"SyncAgent", 4, 2, 1, {u"SyncBroker"}),
        Service(u"SyncBroker", 4, 2, 1, {u"SyncAgent", u"SyncBroker", u"Watcher"}),
        Service(u"Watcher", 4, 2, 1, {u"SyncAgent"}),
    });
    EXPECT_EQ(RunningDependents(cycle, u"SyncAgent"), (std::vector<std::u16string>{u"Watcher", u"SyncBroker"}));
    EXPECT_EQ(RunningDependents(cycle, u"SyncBroker"), (std::vector<std::u16string>{u"SyncAgent", u"Watcher"}));

    // NetCore <- NetShare, NetBrowse; both <- NetPublish.
    const ServiceStore diamond = StoreOf({
        Service(u"NetCore", 4, 2, 1, {u"NetShare", u"NetBrowse"}),
        Service(u"NetShare", 4, 2, 3, {u"NetPublish"}),
        Service(u"NetBrowse", 4, 2, 1, {u"NetPublish", u"netpublish"}),
        Service(u"NetPublish", 4, 3, 1),
    });
    EXPECT_EQ(RunningDependents(diamond, u"NetCore"),
              (std::vector<std::u16string>{u"NetPublish", u"NetShare", u"NetBrowse"}));

    // A chain as long as a big machine's list, without recursion.
    std::vector<ServiceRecord> chain;
    constexpr int kLength = 100000;
    const auto name = [](int i) {
        const std::string text = "S" + std::to_string(i);
        return std::u16string(text.begin(), text.end());
    };
    for (int i = 0; i < kLength; ++i)
        chain.push_back(Service(name(i), 4, 2, 1, {name(i + 1)}));
    const std::vector<std::u16string> order = RunningDependents(StoreOf(std::move(chain)), u"S0");
    ASSERT_EQ(order.size(), static_cast<size_t>(kLength - 1));
    EXPECT_EQ(order.front(), u"S99999");
    EXPECT_EQ(order.back(), u"S1");
}

// ---------------------------------------------------------------------------
// Requests and answers on the wire

TEST(ServiceRequestTest, RequestsAreWhatTheWireCarries)
{
    const ServiceRequest first = ListRequest(-1);
    EXPECT_EQ(first.command, 601u);
    ASSERT_EQ(first.fields.size(), 1u);
    EXPECT_STREQ(first.fields[0].node, "Services");
    EXPECT_EQ(first.fields[0].text, "<Services StartAt='-1' />");
    EXPECT_EQ(ListRequest(150).fields[0].text, "<Services StartAt='150' />");

    // "Dhcp" as UTF-16LE bytes 44 00 68 00 63 00 70 00, in Base64.
    const ServiceRequest stop = ControlRequest(u"Dhcp", protocol::kActionStop);
    EXPECT_EQ(stop.command, 603u);
    ASSERT_EQ(stop.fields.size(), 3u);
    EXPECT_STREQ(stop.fields[0].node, "ServiceName");
    EXPECT_EQ(stop.fields[0].text, "RABoAGMAcAA=");
    EXPECT_STREQ(stop.fields[1].node, "Action");
    EXPECT_EQ(stop.fields[1].text, "1");
    EXPECT_STREQ(stop.fields[2].node, "Params");
    EXPECT_EQ(stop.fields[2].text, "");
    const ServiceRequest restart = ControlRequest(u"\u00c4", protocol::kActionRestart, "-debug /x");
    EXPECT_EQ(restart.fields[0].text, "xAA=");
    EXPECT_EQ(restart.fields[1].text, "1001");
    EXPECT_EQ(restart.fields[2].text, "-debug /x");

    const ServiceRequest remove = RemoveRequest(u"Dhcp");
    EXPECT_EQ(remove.command, 605u);
    ASSERT_EQ(remove.fields.size(), 1u);
    EXPECT_STREQ(remove.fields[0].node, "ServiceName");
    EXPECT_EQ(remove.fields[0].text, "RABoAGMAcAA=");
    const ServiceRequest update = ServiceUpdateRequest(u"Dhcp");
    EXPECT_EQ(update.command, 606u);
    EXPECT_EQ(update.fields[0].text, "RABoAGMAcAA=");
    EXPECT_EQ(DecodeServiceName("RABoAGMAcAA="), u"Dhcp");
    EXPECT_EQ(DecodeServiceName(nullptr), u"");
}

TEST(ServiceRequestTest, AnswersAreTakenForTheRequestsThatWereSent)
{
    PendingNames pending;
    EXPECT_FALSE(pending.Take(u"Dhcp").any);  // nobody asked

    pending.Sent(u"NetPublish");
    pending.Sent(u"NetShare");
    pending.Sent(u"NetCore");
    PendingNames::Taken taken = pending.Take(u"NETSHARE");
    EXPECT_TRUE(taken.any && taken.matched);
    EXPECT_EQ(taken.sent, u"NetShare");
    // An answer naming something never asked for answers the oldest request;
    // what follows uses the name that was sent.
    taken = pending.Take(u"Spooler");
    EXPECT_TRUE(taken.any);
    EXPECT_FALSE(taken.matched);
    EXPECT_EQ(taken.sent, u"NetPublish");
    EXPECT_EQ(pending.Count(), 1u);
    EXPECT_EQ(pending.Take(u"").sent, u"NetCore");
    EXPECT_TRUE(pending.Empty());
}

}  // namespace
}  // namespace vantrel::services
