// Services on the simulated machine: its data, its answers read back through
// the snap-in's model, the state that changes as services are controlled,
// what it refuses, and its fault modes.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "framework/model/Answer.h"
#include "framework/model/Paging.h"
#include "framework/text/Base64.h"
#include "framework/xml/Xml.h"
#include "remote/SimulatedSnapIn.h"
#include "remote/services/ServicesData.h"
#include "remote/Simulations.h"
#include "snapins/services/model/ServiceCommands.h"
#include "snapins/services/model/ServiceModel.h"
#include "snapins/services/model/ServiceProperties.h"

namespace vantrel::remote {
namespace {

using host::Message;
using services::ServiceRequest;
using services::ServiceStore;
namespace wire = services::protocol;

// The Services part of a machine, answered the way RemoteMachine answers
// (which adds the Fail fault and the "Supported" query around it).
class ServicesMachine {
public:
    explicit ServicesMachine(MachineConfig config = {}) : config_(config), simulation_(MakeServicesSimulation(config_))
    {
        simulation_->Register(registry_);
    }

    std::unique_ptr<Message> Answer(const ServiceRequest& request, std::optional<FaultKind> fault = std::nullopt)
    {
        Message message(request.command, wire::kSnapInId, 1);
        for (const services::RequestField& field : request.fields)
            message.Root().ChildNode(field.node).SetText(field.text);
        return Answer(message, fault);
    }

    std::unique_ptr<Message> Answer(const Message& request, std::optional<FaultKind> fault = std::nullopt)
    {
        auto answer = std::make_unique<Message>(request.Command(), request.SnapInId(), 0);
        const CommandHandler* handler = registry_.Find(request.SnapInId(), request.Command());
        if (!handler) {
            ADD_FAILURE() << "no handler for " << request.Command();
            return answer;
        }
        EXPECT_EQ(handler->failureValue, 0);
        CommandContext context{config_, request, *answer, fault};
        handler->run(context);
        return answer;
    }

    // Lists every page into the store, as the snap-in does; the last step.
    // Lists every page into the store as the snap-in does (a page that cannot
    // be read fails the listing); the last step.
    PageStep List(ServiceStore& store, std::optional<FaultKind> fault = std::nullopt, int* pages = nullptr)
    {
        int64_t sent = -1;
        store.Clear();
        for (int count = 1;; ++count) {
            const auto answer = Answer(services::ListRequest(sent), fault);
            EXPECT_EQ(RetValue(*answer), 1);
            PageStep step = PageStep::Failed;
            CXmlElement root;
            int64_t next = 0;
            if (ParseAnswer(Text(*answer, wire::kListNode), root) == AnswerText::Parsed) {
                store.MergePage(root);
                step = NextPage(sent, ReadInt64(root, kUpToAttribute), ReadInt64(root, kTotalAttribute), &next,
                                ContinueFrom::UpTo);
            }
            if (step != PageStep::Continue || count > 10000) {
                if (pages)
                    *pages = count;
                return step;
            }
            sent = next;
        }
    }

    // 603, then 606 as the snap-in follows it; the service as it then reads.
    services::ServiceRecord Control(std::u16string_view name, int32_t action, std::u16string* refusal = nullptr)
    {
        const auto answer = Answer(services::ControlRequest(name, action));
        if (RetValue(*answer) != 1) {
            if (refusal)
                *refusal = ErrorText(*answer);
            return {};
        }
        EXPECT_TRUE(services::SameServiceName(services::DecodeServiceName(Text(*answer, wire::kServiceNameNode)), name));
        return Read(name);
    }

    std::unique_ptr<Message> SendService(uint32_t command, const std::string& text)
    {
        return Answer(services::ServiceRequest{command, {{wire::kServiceNode, text}}});
    }

    services::ServiceRecord Read(std::u16string_view name)
    {
        const auto answer = Answer(services::ServiceUpdateRequest(name));
        EXPECT_EQ(RetValue(*answer), 1) << std::string(name.begin(), name.end());
        const services::ServiceAnswer parsed = services::ParseServiceAnswer(Text(*answer, wire::kServiceNode));
        EXPECT_TRUE(parsed.ok);
        return parsed.record;
    }

    static int16_t RetValue(Message& answer) { return answer.Root().ChildNode("RetValue").GetShort(); }
    static const char* Text(const Message& answer, const char* node)
    {
        const host::MessageNode* field = answer.Root().Find(node);
        return field && field->HasText() ? field->Text().c_str() : nullptr;
    }
    static std::u16string ErrorText(const Message& answer) { return DecodeUtf16Base64(Text(answer, "ErrorStr")); }

private:
    MachineConfig config_;
    CommandRegistry registry_;
    std::unique_ptr<SimulatedSnapIn> simulation_;
};

const SimulatedService* Find(const std::vector<SimulatedService>& services, std::u16string_view name)
{
    const auto found = std::find_if(services.begin(), services.end(),
                                    [&](const SimulatedService& s) { return services::SameServiceName(s.name, name); });
    return found == services.end() ? nullptr : &*found;
}

// ---------------------------------------------------------------------------
// The machine's services

TEST(ServicesDataTest, AMachineOfEveryKindOfService)
{
    MachineConfig config;
    const std::vector<SimulatedService> services = MakeSimulatedServices(config);
    EXPECT_EQ(services.size(), 180u);
    std::set<int32_t> states, startupTypes;
    std::set<std::u16string> keys;
    std::vector<std::u16string> order;
    bool nonAscii = false, beyond16Bits = false, longDescription = false, emptyDescription = false, driver = false;
    for (const SimulatedService& service : services) {
        states.insert(service.state);
        startupTypes.insert(service.startupType);
        std::u16string key = service.name;
        std::transform(key.begin(), key.end(), key.begin(),
                       [](char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; });
        EXPECT_TRUE(keys.insert(key).second) << "names are unique without regard to case";
        order.push_back(key);
        for (char16_t c : service.displayName) {
            nonAscii |= c > 127;
            beyond16Bits |= c >= 0xD800 && c <= 0xDFFF;
        }
        longDescription |= service.description.size() > 1000;
        emptyDescription |= service.description.empty();
        driver |= service.startName.empty() && service.serviceType <= 2;
        if (service.startupType == wire::kStartupDisabled)
            EXPECT_EQ(service.state, wire::kStateStopped);
    }
    EXPECT_EQ(states, (std::set<int32_t>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(startupTypes, (std::set<int32_t>{0, 1, 2, 3, 4}));
    EXPECT_TRUE(nonAscii && beyond16Bits && longDescription && emptyDescription && driver);
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end())) << "listed by key name, as the service manager lists";

    const SimulatedService* host = Find(services, wire::kHostServiceName);
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(host->state, wire::kStateRunning);
    EXPECT_EQ(AcceptedControls(*host), 3u);
    // The cycle and the diamond.
    EXPECT_EQ(Find(services, u"SyncAgent")->dependents, std::vector<std::string>{"SyncBroker"});
    EXPECT_EQ(Find(services, u"SyncBroker")->dependents, std::vector<std::string>{"SyncAgent"});
    EXPECT_EQ(Find(services, u"NetShare")->dependents, std::vector<std::string>{"NetPublish"});
    EXPECT_EQ(Find(services, u"NetBrowse")->dependents, std::vector<std::string>{"NetPublish"});

    // Deterministic for a seed; 5,000 services at the largest scale.
    EXPECT_EQ(MakeSimulatedServices(config)[100].name, services[100].name);
    config.seed = 2;
    EXPECT_NE(MakeSimulatedServices(config)[100].description, services[100].description);
    config.scale = 100;
    EXPECT_EQ(MakeSimulatedServices(config).size(), 5000u);
}

// ---------------------------------------------------------------------------
// Listing

TEST(ServicesMachineTest, ListingArrivesWholeInPages)
{
    for (int pageSize : {7, 50, 5000}) {
        MachineConfig config;
        config.pageSize = pageSize;
        ServicesMachine machine(config);
        ServiceStore store;
        int pages = 0;
        ASSERT_EQ(machine.List(store, std::nullopt, &pages), PageStep::Done) << pageSize;
        const std::vector<SimulatedService> expected = MakeSimulatedServices(config);
        EXPECT_EQ(pages, static_cast<int>((expected.size() + pageSize - 1) / pageSize));
        ASSERT_EQ(store.Count(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            const services::ServiceRecord& record = store.Records()[i];
            EXPECT_EQ(record.name, expected[i].name);
            EXPECT_EQ(record.displayName, expected[i].displayName);
            EXPECT_EQ(record.description, expected[i].description);
            EXPECT_EQ(record.startName, expected[i].startName);
            EXPECT_EQ(record.state, expected[i].state);
            EXPECT_EQ(record.acceptedControls, AcceptedControls(expected[i]));
            EXPECT_EQ(record.dependents.size(), expected[i].dependents.size());
        }
    }
    // Asking past the end gives an empty page that says where the end is.
    ServicesMachine machine;
    const auto answer = machine.Answer(services::ListRequest(100000));
    EXPECT_EQ(machine.Answer(services::ListRequest(-2))->Root().ChildNode("RetValue").GetShort(), 0);
    CXmlElement root;
    ASSERT_EQ(ParseAnswer(ServicesMachine::Text(*answer, wire::kListNode), root), AnswerText::Parsed);
    EXPECT_EQ(root.GetChildCount(), 0);
    EXPECT_EQ(NextPage(100000, ReadInt64(root, kUpToAttribute), ReadInt64(root, kTotalAttribute), nullptr,
                       ContinueFrom::UpTo),
              PageStep::Done);
}

TEST(ServicesMachineTest, FaultModesEndTheListing)
{
    MachineConfig config;
    config.pageSize = 40;
    ServicesMachine machine(config);

    ServiceStore store;
    EXPECT_EQ(machine.List(store, FaultKind::Garbage), PageStep::Failed);
    EXPECT_EQ(store.Count(), 0u);

    EXPECT_EQ(machine.List(store, FaultKind::StuckPage), PageStep::Failed);
    EXPECT_EQ(store.Count(), 40u);  // the first page, and no loop

    // "Total" 4294967295: the listing goes on while pages advance, then ends with all there is.
    int pages = 0;
    EXPECT_EQ(machine.List(store, FaultKind::HugeTotal, &pages), PageStep::Failed);
    EXPECT_EQ(store.Count(), 180u);
    EXPECT_EQ(pages, 6);

    EXPECT_EQ(machine.List(store, FaultKind::HostileNumbers), PageStep::Done);
    ASSERT_EQ(store.Count(), 180u);
    for (const services::ServiceRecord& record : store.Records()) {
        EXPECT_EQ(services::StatusTextOf(record.state), services::StatusText::Unknown);
        const services::CommandStates states = services::AllowedCommands(&record, false, false);
        EXPECT_FALSE(states.start || states.pause || states.resume);
    }

    const auto garbage = machine.Answer(services::ServiceUpdateRequest(u"Dhcp"), FaultKind::Garbage);
    EXPECT_EQ(ServicesMachine::RetValue(*garbage), 1);
    EXPECT_FALSE(services::ParseServiceAnswer(ServicesMachine::Text(*garbage, wire::kServiceNode)).ok);
}

// ---------------------------------------------------------------------------
// Control

TEST(ServicesMachineTest, ControlledServicesChangeOverAFewAnswersAndStayChanged)
{
    ServicesMachine machine;
    // Started: start pending, then running, and running it stays.
    services::ServiceRecord bits = machine.Control(u"bits", wire::kActionStart);
    EXPECT_EQ(bits.state, wire::kStateStartPending);
    EXPECT_EQ(bits.acceptedControls, 0u);
    EXPECT_EQ(machine.Read(u"BITS").state, wire::kStateRunning);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(machine.Read(u"BITS").state, wire::kStateRunning);
    EXPECT_EQ(machine.Read(u"BITS").acceptedControls, 1u);
    ServiceStore store;
    machine.List(store);
    EXPECT_EQ(store.FindByName(u"BITS")->state, wire::kStateRunning);

    // Paused, resumed, restarted, stopped.
    EXPECT_EQ(machine.Control(u"Schedule", wire::kActionPause).state, wire::kStatePausePending);
    EXPECT_EQ(machine.Read(u"Schedule").state, wire::kStatePaused);
    EXPECT_EQ(machine.Control(u"Schedule", wire::kActionStart).state, wire::kStateContinuePending);
    EXPECT_EQ(machine.Read(u"Schedule").state, wire::kStateRunning);
    EXPECT_EQ(machine.Control(u"Schedule", wire::kActionRestart).state, wire::kStateStartPending);
    EXPECT_EQ(machine.Read(u"Schedule").state, wire::kStateRunning);
    EXPECT_EQ(machine.Control(u"Schedule", wire::kActionStop).state, wire::kStateStopPending);
    EXPECT_EQ(machine.Read(u"Schedule").state, wire::kStateStopped);
    EXPECT_EQ(machine.Read(u"Schedule").acceptedControls, 0u);
}

TEST(ServicesMachineTest, RefusesWhatTheServiceManagerRefuses)
{
    ServicesMachine machine;
    struct Case {
        const char16_t* name;
        int32_t action;
        const char16_t* refusal;
    };
    const Case cases[] = {
        {u"Alerter", wire::kActionStart,
         u"The service cannot be started, either because it is disabled or because it has no enabled devices "
         u"associated with it."},
        {u"RpcSs", wire::kActionStop, u"Access is denied."},
        {u"Kelvo Host for NT Service", wire::kActionStop, u"Access is denied."},
        {u"Kelvo Host for NT Service", wire::kActionPause, u"Access is denied."},
        {u"kelvo host for nt service", wire::kActionRestart, u"Access is denied."},
        {u"Kelvo Host for NT Service", wire::kActionStart, u"An instance of the service is already running."},
        {u"LanmanWorkstation", wire::kActionStop,
         u"A stop control has been sent to a service that other running services are dependent on."},
        {u"Dhcp", wire::kActionPause, u"The requested control is not valid for this service."},
        {u"BITS", wire::kActionStop, u"The service has not been started."},
        {u"cisvc", wire::kActionStop, u"The service cannot accept control messages at this time."},
        {u"Dhcp", 4, u"The parameter is incorrect."},
        {u"NoSuchService", wire::kActionStart, u"The specified service does not exist as an installed service."},
        {u"", wire::kActionStart, u"The specified service does not exist as an installed service."},
    };
    for (const Case& c : cases) {
        std::u16string refusal;
        machine.Control(c.name, c.action, &refusal);
        EXPECT_EQ(refusal, c.refusal) << std::u16string(c.name).size() << " " << c.action;
    }
    EXPECT_EQ(machine.Read(u"LanmanWorkstation").state, wire::kStateRunning);  // refused means unchanged

    // Requests with a spoilt or missing field.
    services::ServiceRequest badAction = services::ControlRequest(u"Dhcp", 0);
    badAction.fields[1].text = "1x";
    EXPECT_EQ(ServicesMachine::ErrorText(*machine.Answer(badAction)), u"The parameter is incorrect.");
    badAction.fields.pop_back();
    badAction.fields.pop_back();
    EXPECT_EQ(ServicesMachine::ErrorText(*machine.Answer(badAction)), u"The parameter is incorrect.");
    EXPECT_EQ(ServicesMachine::ErrorText(*machine.Answer(Message(601, 15005, 1))), u"The parameter is incorrect.");
    services::ServiceRequest truncated = services::ListRequest(-1);
    truncated.fields[0].text = "<Services StartAt='";
    EXPECT_EQ(ServicesMachine::ErrorText(*machine.Answer(truncated)), u"The parameter is incorrect.");
}

TEST(ServicesMachineTest, StoppingDependentsFirstInTheModelsOrderSucceeds)
{
    ServicesMachine machine;
    ServiceStore store;
    ASSERT_EQ(machine.List(store), PageStep::Done);
    const std::vector<std::u16string> first = services::RunningDependents(store, u"NetCore");
    ASSERT_EQ(first, (std::vector<std::u16string>{u"NetPublish", u"NetShare", u"NetBrowse"}));
    std::u16string refusal;
    machine.Control(u"NetCore", wire::kActionStop, &refusal);
    EXPECT_FALSE(refusal.empty());
    for (const std::u16string& name : first) {
        EXPECT_EQ(machine.Control(name, wire::kActionStop).state, wire::kStateStopPending)
            << std::string(name.begin(), name.end());
    }
    EXPECT_EQ(machine.Control(u"NetCore", wire::kActionStop).state, wire::kStateStopPending);

    // The cycle: only its running half is listed, and the stop goes through.
    EXPECT_TRUE(services::RunningDependents(store, u"SyncAgent").empty());
    EXPECT_EQ(services::RunningDependents(store, u"SyncBroker"), std::vector<std::u16string>{u"SyncAgent"});
    EXPECT_EQ(machine.Control(u"SyncAgent", wire::kActionStop).state, wire::kStateStopPending);
}

TEST(ServicesMachineTest, RemovedServicesAreGone)
{
    ServicesMachine machine;
    EXPECT_EQ(ServicesMachine::RetValue(*machine.Answer(services::RemoveRequest(u"netlogon"))), 1);
    ServiceStore store;
    machine.List(store);
    EXPECT_EQ(store.Count(), 179u);
    EXPECT_EQ(store.FindByName(u"Netlogon"), nullptr);
    EXPECT_TRUE(store.FindByName(u"LanmanWorkstation") != nullptr);
    for (const std::u16string& dependent : store.FindByName(u"LanmanWorkstation")->dependents)
        EXPECT_FALSE(services::SameServiceName(dependent, u"Netlogon"));

    const auto again = machine.Answer(services::RemoveRequest(u"Netlogon"));
    EXPECT_EQ(ServicesMachine::ErrorText(*again), u"The specified service does not exist as an installed service.");
    EXPECT_EQ(ServicesMachine::RetValue(*machine.Answer(services::ServiceUpdateRequest(u"Netlogon"))), 0);
    for (const char16_t* kept : {u"Kelvo Host for NT Service", u"EventLog"}) {
        const auto refused = machine.Answer(services::RemoveRequest(kept));
        EXPECT_EQ(ServicesMachine::ErrorText(*refused), u"Access is denied.");
    }
}

// The machine writes with the module's own XML writer and Base64 encoder; the
// bytes are checked against text written out by hand, so that a fault shared
// by both sides cannot hide.
TEST(ServicesMachineTest, AnswerBytesAreWhatTheWireCarries)
{
    ServicesMachine machine;
    Message request(606, 15005, 1);
    request.Root().ChildNode("ServiceName").SetText("SwBlAGwAdgBvACAASABvAHMAdAAgAGYAbwByACAATgBUACAAUwBlAHIAdgBpAGMAZQA=");
    const auto answer = machine.Answer(request);
    EXPECT_EQ(answer->Command(), 606u);
    EXPECT_EQ(answer->Root().ChildNode("RetValue").GetShort(), 1);
    EXPECT_EQ(std::string(ServicesMachine::Text(*answer, "Service")),
              "<Service Name='SwBlAGwAdgBvACAASABvAHMAdAAgAGYAbwByACAATgBUACAAUwBlAHIAdgBpAGMAZQA='"
              " DisplayName='SwBlAGwAdgBvACAASABvAHMAdAAgAGYAbwByACAATgBUACAAUwBlAHIAdgBpAGMAZQA='"
              " Description='QQBuAHMAdwBlAHIAcwAgAHQAaABlACAAcgBlAHEAdQBlAHMAdABzACAAbwBmACAAdABoAGUAIAByAGUAbQBvAHQAZQAt"
              "AG0AYQBuAGEAZwBlAG0AZQBuAHQAIABjAG8AbgBzAG8AbABlACAAbwBuACAAdABoAGkAcwAgAGMAbwBtAHAAdQB0AGUAcgAuAA=='"
              " ServicePath='IgBDADoAXABQAHIAbwBnAHIAYQBtACAARgBpAGwAZQBzAFwASwBlAGwAdgBvAFwAawBlAGwAdgBvAGgAbwBzAHQA"
              "LgBlAHgAZQAiACAALQBzAGUAcgB2AGkAYwBlAA=='"
              " StartName='TABvAGMAYQBsAFMAeQBzAHQAZQBtAA=='"
              " State='4' StartupType='2' AcceptedControls='3' ServiceType='16' SysAccount='1' AllowInteract='0' />");

    Message control(603, 15005, 1);
    control.Root().ChildNode("ServiceName").SetText("RABoAGMAcAA=");  // "Dhcp"
    control.Root().ChildNode("Action").SetText("1");
    control.Root().ChildNode("Params").SetText("");
    const auto stopped = machine.Answer(control);
    EXPECT_EQ(stopped->Root().ChildNode("RetValue").GetShort(), 1);
    EXPECT_EQ(std::string(ServicesMachine::Text(*stopped, "ServiceName")), "RABoAGMAcAA=");

    // A page's root and a dependent as they travel.
    MachineConfig config;
    config.pageSize = 1;
    ServicesMachine paged(config);
    const std::string page = ServicesMachine::Text(*paged.Answer(services::ListRequest(-1)), "Services");
    EXPECT_EQ(page.rfind("<Services StartAt='0' UpTo='1' Total='180' ><Service Name='", 0), 0u) << page;
    const std::string withDependents =
        ServicesMachine::Text(*paged.Answer(services::ServiceUpdateRequest(u"NetShare")), "Service");
    EXPECT_NE(withDependents.find("><Dependent Name='NetPublish' /></Service>"), std::string::npos) << withDependents;
}

// ---------------------------------------------------------------------------
// Changes, installation and the file check

TEST(ServicesMachineTest, ChangesShowInTheNextUpdateAndDriversKeepTheirStart)
{
    ServicesMachine machine;
    const services::ServiceRecord spooler = machine.Read(u"Spooler");
    services::PropertyChanges changes;
    changes.startupType = wire::kStartupDisabled;
    changes.logOn = {false, false, u"KONTOR\\drucker"};
    auto answer = machine.SendService(wire::kChangeCommand, services::ChangeRequestText(spooler, changes, u"pw"));
    ASSERT_EQ(ServicesMachine::RetValue(*answer), 1);
    EXPECT_EQ(services::ParseServiceAnswer(ServicesMachine::Text(*answer, wire::kServiceNode)).record.name, u"Spooler");
    services::ServiceRecord read = machine.Read(u"Spooler");
    EXPECT_EQ(read.startupType, wire::kStartupDisabled);
    EXPECT_EQ(read.startName, u"KONTOR\\drucker");
    EXPECT_EQ(read.sysAccount, 0u);
    EXPECT_EQ(read.serviceType & 0x100, 0u);

    changes.logOn = {true, true, {}};
    machine.SendService(wire::kChangeCommand, services::ChangeRequestText(read, changes, u""));
    read = machine.Read(u"Spooler");
    EXPECT_EQ(services::LogOnOf(read).localSystem, true);
    EXPECT_EQ(services::LogOnOf(read).allowInteract, true);
    EXPECT_EQ(read.startName, u"LocalSystem");

    // A boot driver keeps its start; a type outside the combo is refused; an empty account too.
    const services::ServiceRecord disk = machine.Read(u"Disk");
    changes.startupType = disk.startupType;
    EXPECT_EQ(ServicesMachine::RetValue(*machine.SendService(wire::kChangeCommand,
                                                              services::ChangeRequestText(disk, changes, u""))), 1);
    EXPECT_EQ(machine.Read(u"Disk").startupType, wire::kStartupBoot);
    changes.startupType = wire::kStartupSystem;
    EXPECT_NE(ServicesMachine::RetValue(*machine.SendService(wire::kChangeCommand,
                                                              services::ChangeRequestText(read, changes, u""))), 1);
    changes = {wire::kStartupManual, {false, false, {}}};
    answer = machine.SendService(wire::kChangeCommand, services::ChangeRequestText(read, changes, u""));
    EXPECT_NE(ServicesMachine::RetValue(*answer), 1);
    EXPECT_NE(ServicesMachine::ErrorText(*answer).find(u"account name is invalid"), std::u16string::npos);
    EXPECT_NE(ServicesMachine::RetValue(*machine.SendService(wire::kChangeCommand, "<Service Name='")), 1);
}

TEST(ServicesMachineTest, InstallsOnlyNewServicesWhoseProgramExists)
{
    ServicesMachine machine;
    services::InstallChoices choices;
    choices.name = u"NlBackup";
    choices.displayName = u"Nordlicht Backup";
    choices.servicePath = u"c:\\program files\\nordlicht backup\\NLBACKUP.EXE";
    choices.startupType = wire::kStartupAutomatic;
    choices.startAfterInstall = true;
    choices.logOn = {false, false, u".\\backup"};

    const auto check = [&](std::u16string_view path) {
        auto answer = machine.Answer(services::FileCheckRequest(path));
        EXPECT_EQ(services::DecodeServiceName(ServicesMachine::Text(*answer, wire::kFileNameNode)), path);
        return answer->Root().ChildNode(wire::kFileExistNode).GetShort() == 1 ? std::u16string()
                                                                               : ServicesMachine::ErrorText(*answer);
    };
    EXPECT_EQ(check(choices.servicePath), u"");
    EXPECT_EQ(check(u"C:\\WINDOWS\\system32\\spoolsv.exe"), u"") << "a service's own program";
    EXPECT_EQ(check(u"C:\\Program Files\\Kelvo\\kelvohost.exe"), u"") << "quoted, with arguments";
    EXPECT_EQ(check(u"C:\\nowhere.exe"), u"The system cannot find the file specified.");

    ASSERT_EQ(ServicesMachine::RetValue(*machine.SendService(wire::kInstallCommand,
                                                              services::InstallRequestText(choices, "pw"))), 1);
    ServiceStore store;
    machine.List(store);
    ASSERT_EQ(store.Count(), 181u);
    const services::ServiceRecord* added = store.FindByName(u"NlBackup");
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->startName, u".\\backup");
    EXPECT_NE(added->state, wire::kStateStopped) << "started after installation";
    EXPECT_LT(store.IdOf(u"Netlogon"), store.IdOf(u"NlBackup")) << "in the order of key names";

    auto again = machine.SendService(wire::kInstallCommand, services::InstallRequestText(choices, "pw"));
    EXPECT_EQ(ServicesMachine::ErrorText(*again), u"The specified service already exists.");
    choices.name = u"Other";
    choices.servicePath = u"C:\\nowhere.exe";
    again = machine.SendService(wire::kInstallCommand, services::InstallRequestText(choices, "pw"));
    EXPECT_EQ(ServicesMachine::ErrorText(*again), u"The system cannot find the file specified.");

    MachineConfig device;
    device.platform = kDevicePlatform;
    ServicesMachine handheld(device);
    choices = {u"Wx", u"Wetter", u"C:\\WINDOWS\\system32\\notepad.exe", 2, false, {}, true, u"WX1"};
    EXPECT_EQ(ServicesMachine::RetValue(*handheld.SendService(wire::kInstallCommand,
                                                               services::InstallRequestText(choices, ""))), 1);
    choices.name = u"Wy";
    choices.prefix = u"WX";
    EXPECT_NE(ServicesMachine::RetValue(*handheld.SendService(wire::kInstallCommand,
                                                               services::InstallRequestText(choices, ""))), 1);
}

}  // namespace
}  // namespace vantrel::remote
