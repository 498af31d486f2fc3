// Services (15005): 601 one page of the service list, 602 change a service,
// 603 service control, 604 install, 605 remove, 606 one service, and 4
// whether a file exists.
#include "remote/SimulatedSnapIn.h"
#include "remote/Simulations.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "framework/model/Answer.h"
#include "framework/model/Paging.h"
#include "framework/text/Base64.h"
#include "framework/xml/Xml.h"
#include "remote/services/ServicesData.h"
#include "snapins/services/model/Protocol.h"

namespace vantrel::remote {

namespace {

namespace wire = services::protocol;

constexpr int32_t kServicesFailure = 0;
constexpr uint32_t kOwnProcess = 0x10;
constexpr uint32_t kInteractive = 0x100;
// Answers of this snap-in until a pending state settles.
constexpr int kTicksToSettle = 2;

// The service manager's own words.
constexpr char16_t kBadParameter[] = u"The parameter is incorrect.";
constexpr char16_t kAccessDenied[] = u"Access is denied.";
constexpr char16_t kNoSuchService[] = u"The specified service does not exist as an installed service.";
constexpr char16_t kServiceDisabled[] =
    u"The service cannot be started, either because it is disabled or because it has no enabled devices "
    u"associated with it.";
constexpr char16_t kAlreadyRunning[] = u"An instance of the service is already running.";
constexpr char16_t kNotStarted[] = u"The service has not been started.";
constexpr char16_t kInvalidControl[] = u"The requested control is not valid for this service.";
constexpr char16_t kCannotAcceptNow[] = u"The service cannot accept control messages at this time.";
constexpr char16_t kServiceExists[] = u"The specified service already exists.";
constexpr char16_t kFileNotFound[] = u"The system cannot find the file specified.";
constexpr char16_t kInvalidAccount[] = u"The account name is invalid or does not exist, or the password is invalid for "
                                       u"the account name specified.";
constexpr char16_t kDependentsRunning[] =
    u"A stop control has been sent to a service that other running services are dependent on.";

char16_t AsciiUpper(char16_t c)
{
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

// Key names compare without regard to case, as the service manager compares them.
bool SameName(std::u16string_view a, std::u16string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) { return AsciiUpper(x) == AsciiUpper(y); });
}

bool SameName(std::u16string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char y) {
               return AsciiUpper(x) == AsciiUpper(static_cast<char16_t>(static_cast<unsigned char>(y)));
           });
}

// A request's decimal text, digits only after an optional sign.
std::optional<int32_t> ParseDecimal(const std::string& text)
{
    int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

// Three kinds of nonsense, taken in turn by the services of an answer.
void MakeHostile(std::vector<std::pair<const char*, std::string>>& numbers, size_t variant)
{
    static const char* const kValues[3][3] = {
        {"-1", "4294967296", "-1"},
        {"99999999999999999999999", "-4", "4294967295"},
        {"", "two", "3x"},
    };
    for (size_t i = 0; i < 3; ++i)
        numbers[i].second = kValues[variant % 3][i];
}

void WriteService(CXmlElement& element, const SimulatedService& service, std::optional<size_t> hostileVariant)
{
    element.AddAttribute(wire::kAttrName, EncodeUtf16Base64(service.name));
    element.AddAttribute(wire::kAttrDisplayName, EncodeUtf16Base64(service.displayName));
    element.AddAttribute(wire::kAttrDescription, EncodeUtf16Base64(service.description));
    element.AddAttribute(wire::kAttrServicePath, EncodeUtf16Base64(service.servicePath));
    element.AddAttribute(wire::kAttrStartName, EncodeUtf16Base64(service.startName));
    std::vector<std::pair<const char*, std::string>> numbers = {
        {wire::kAttrState, std::to_string(service.state)},
        {wire::kAttrStartupType, std::to_string(service.startupType)},
        {wire::kAttrAcceptedControls, std::to_string(AcceptedControls(service))},
        {wire::kAttrServiceType, std::to_string(service.serviceType)},
        {wire::kAttrSysAccount, std::to_string(service.sysAccount)},
        {wire::kAttrAllowInteract, std::to_string(service.allowInteract)},
    };
    if (hostileVariant)
        MakeHostile(numbers, *hostileVariant);
    for (const auto& [name, value] : numbers)
        element.AddAttribute(name, value);
    for (const std::string& dependent : service.dependents)
        element.AddChild("Dependent")->AddAttribute(wire::kAttrDependentName, dependent);
}

struct Pending {
    int ticks = 0;  // answers left until the state settles; 0: settled
    int32_t settlesTo = 0;
};

class ServicesSimulation final : public SimulatedSnapIn {
public:
    explicit ServicesSimulation(const MachineConfig& config)
        : services_(MakeSimulatedServices(config)), pending_(services_.size())
    {
    }

    void Register(CommandRegistry& registry) override
    {
        const auto add = [&](uint32_t command, void (ServicesSimulation::*answer)(CommandContext&)) {
            registry.Add(static_cast<uint32_t>(wire::kSnapInId), command, kServicesFailure,
                         [this, answer](CommandContext& context) {
                             Tick();
                             (this->*answer)(context);
                         });
        };
        add(wire::kListCommand, &ServicesSimulation::AnswerList);
        add(wire::kControlCommand, &ServicesSimulation::AnswerControl);
        add(wire::kRemoveCommand, &ServicesSimulation::AnswerRemove);
        add(wire::kServiceCommand, &ServicesSimulation::AnswerService);
        add(wire::kChangeCommand, &ServicesSimulation::AnswerChange);
        add(wire::kInstallCommand, &ServicesSimulation::AnswerInstall);
        add(wire::kFileExistsCommand, &ServicesSimulation::AnswerFileExists);
    }

private:
    // Every answer moves the services on their way to a new state one step.
    void Tick()
    {
        for (size_t i = 0; i < services_.size(); ++i) {
            if (pending_[i].ticks > 0 && --pending_[i].ticks == 0)
                services_[i].state = pending_[i].settlesTo;
        }
    }

    void Change(size_t index, int32_t pendingState, int32_t settlesTo)
    {
        services_[index].state = pendingState;
        pending_[index] = {kTicksToSettle, settlesTo};
    }

    std::optional<size_t> Find(std::u16string_view name) const
    {
        if (name.empty())
            return std::nullopt;
        for (size_t i = 0; i < services_.size(); ++i) {
            if (SameName(services_[i].name, name))
                return i;
        }
        return std::nullopt;
    }

    std::u16string RequestedName(const CommandContext& context) const
    {
        const host::MessageNode* node = context.request.Root().Find(wire::kServiceNameNode);
        return DecodeUtf16Base64(node ? node->Text() : std::string());
    }

    static void Succeed(CommandContext& context) { context.answer.Root().ChildNode(kRetValueNode).SetShort(wire::kSuccess); }

    void AnswerList(CommandContext& context)
    {
        CXmlElement request;
        if (!ParseRequestXml(context.request, wire::kListNode, &request)) {
            SetFailure(context.answer, kServicesFailure, kBadParameter);
            return;
        }
        const int64_t startAt = request.GetAttribute(kStartAtAttribute) ? ReadInt64(request, kStartAtAttribute) : -1;
        const std::optional<PagePlan> plan = PlanPage(startAt, services_.size(), context);
        if (!plan) {
            SetFailure(context.answer, kServicesFailure, kBadParameter);
            return;
        }
        CXmlElement root(wire::kListElement);
        SetPageAttributes(root, *plan);
        const bool hostile = context.fault == FaultKind::HostileNumbers;
        for (size_t i = plan->first; i < plan->end; ++i)
            WriteService(*root.AddChild(wire::kServiceElement), services_[i],
                         hostile ? std::optional<size_t>(i - plan->first) : std::nullopt);
        Succeed(context);
        context.answer.Root().ChildNode(wire::kListNode).SetText(XmlBodyText(root, context.fault));
    }

    void AnswerService(CommandContext& context)
    {
        const std::optional<size_t> index = Find(RequestedName(context));
        if (!index) {
            SetFailure(context.answer, kServicesFailure, kNoSuchService);
            return;
        }
        CXmlElement root(wire::kServiceElement);
        WriteService(root, services_[*index],
                     context.fault == FaultKind::HostileNumbers ? std::optional<size_t>(*index) : std::nullopt);
        Succeed(context);
        context.answer.Root().ChildNode(wire::kServiceNode).SetText(XmlBodyText(root, context.fault));
    }

    // Whether a service that depends on this one runs (stopping counts as stopped).
    bool DependentsRun(const SimulatedService& service) const
    {
        for (const std::string& dependent : service.dependents) {
            for (const SimulatedService& other : services_) {
                if (SameName(other.name, dependent) && other.state != wire::kStateStopped &&
                    other.state != wire::kStateStopPending)
                    return true;
            }
        }
        return false;
    }

    // Null when the control was carried out, else the reason it was refused.
    const char16_t* Control(size_t index, int32_t action)
    {
        const SimulatedService& service = services_[index];
        const bool own = SameName(service.name, std::u16string_view(wire::kHostServiceName));
        const uint32_t accepted = AcceptedControls(service);
        const int32_t state = service.state;
        switch (action) {
        case wire::kActionStart:
            if (state == wire::kStateStopped) {
                if (service.startupType == wire::kStartupDisabled)
                    return kServiceDisabled;
                Change(index, wire::kStateStartPending, wire::kStateRunning);
                return nullptr;
            }
            if (state == wire::kStatePaused) {
                Change(index, wire::kStateContinuePending, wire::kStateRunning);
                return nullptr;
            }
            return state == wire::kStateRunning ? kAlreadyRunning : kCannotAcceptNow;
        case wire::kActionStop:
        case wire::kActionRestart:
            if (own)
                return kAccessDenied;
            if (state == wire::kStateStopped)
                return kNotStarted;
            if (state == wire::kStateStartPending || state == wire::kStateStopPending)
                return kCannotAcceptNow;
            if (!(accepted & wire::kAcceptsStop))
                return kInvalidControl;
            if (DependentsRun(service))
                return kDependentsRunning;
            if (action == wire::kActionStop)
                Change(index, wire::kStateStopPending, wire::kStateStopped);
            else
                Change(index, wire::kStateStartPending, wire::kStateRunning);
            return nullptr;
        case wire::kActionPause:
            if (own)
                return kAccessDenied;
            if (state == wire::kStateStopped)
                return kNotStarted;
            if (!(accepted & wire::kAcceptsPauseContinue))
                return kInvalidControl;
            if (state != wire::kStateRunning)
                return kCannotAcceptNow;
            Change(index, wire::kStatePausePending, wire::kStatePaused);
            return nullptr;
        default:
            return kBadParameter;
        }
    }

    void AnswerControl(CommandContext& context)
    {
        const host::MessageNode* actionNode = context.request.Root().Find(wire::kActionNode);
        const std::optional<int32_t> action = ParseDecimal(actionNode ? actionNode->Text() : std::string());
        if (!action) {
            SetFailure(context.answer, kServicesFailure, kBadParameter);
            return;
        }
        const std::optional<size_t> index = Find(RequestedName(context));
        if (!index) {
            SetFailure(context.answer, kServicesFailure, kNoSuchService);
            return;
        }
        if (services_[*index].accessDenied) {
            SetFailure(context.answer, kServicesFailure, kAccessDenied);
            return;
        }
        if (const char16_t* refusal = Control(*index, *action)) {
            SetFailure(context.answer, kServicesFailure, refusal);
            return;
        }
        Succeed(context);
        context.answer.Root().ChildNode(wire::kServiceNameNode).SetText(EncodeUtf16Base64(services_[*index].name));
    }

    void AnswerRemove(CommandContext& context)
    {
        const std::optional<size_t> index = Find(RequestedName(context));
        if (!index) {
            SetFailure(context.answer, kServicesFailure, kNoSuchService);
            return;
        }
        const std::u16string name = services_[*index].name;
        if (services_[*index].accessDenied || SameName(name, std::u16string_view(wire::kHostServiceName))) {
            SetFailure(context.answer, kServicesFailure, kAccessDenied);
            return;
        }
        services_.erase(services_.begin() + static_cast<std::ptrdiff_t>(*index));
        pending_.erase(pending_.begin() + static_cast<std::ptrdiff_t>(*index));
        for (SimulatedService& service : services_) {
            std::erase_if(service.dependents, [&](const std::string& dependent) { return SameName(name, dependent); });
        }
        Succeed(context);
    }

    // The "Service" element of a 602 or 604 request; null when it is missing or malformed.
    static std::unique_ptr<CXmlElement> RequestedService(CommandContext& context)
    {
        auto element = std::make_unique<CXmlElement>();
        if (!ParseRequestXml(context.request, wire::kServiceNode, element.get()))
            return nullptr;
        return element;
    }

    static std::optional<int32_t> Attribute(const CXmlElement& element, const char* name)
    {
        const char* text = element.GetAttribute(name);
        return ParseDecimal(text ? text : "");
    }

    static std::u16string TextAttribute(const CXmlElement& element, const char* name)
    {
        const char* text = element.GetAttribute(name);
        return DecodeUtf16Base64(text ? text : "");
    }

    static bool ChangeableStartup(const std::optional<int32_t>& type)
    {
        return type && *type >= wire::kStartupAutomatic && *type <= wire::kStartupDisabled;
    }

    // The account a service logs on as: the local system with or without the
    // desktop, or a named account, which must be given.
    static bool SetLogOn(SimulatedService& service, const CXmlElement& element)
    {
        const std::optional<int32_t> system = Attribute(element, wire::kAttrSysAccount);
        if (!system)
            return false;
        if (*system != 0) {
            const bool interact = Attribute(element, wire::kAttrAllowInteract).value_or(0) != 0;
            service.sysAccount = 1;
            service.startName = u"LocalSystem";
            service.allowInteract = interact ? 1 : 0;
            service.serviceType = interact ? service.serviceType | kInteractive : service.serviceType & ~kInteractive;
            return true;
        }
        const std::u16string account = TextAttribute(element, wire::kAttrStartName);
        if (account.empty())
            return false;
        service.sysAccount = 0;
        service.startName = account;
        service.allowInteract = 0;
        service.serviceType &= ~kInteractive;
        return true;
    }

    void AnswerChange(CommandContext& context)
    {
        const std::unique_ptr<CXmlElement> element = RequestedService(context);
        const std::optional<size_t> index = element ? Find(TextAttribute(*element, wire::kAttrName)) : std::nullopt;
        if (!index) {
            SetFailure(context.answer, kServicesFailure, element ? kNoSuchService : kBadParameter);
            return;
        }
        SimulatedService changed = services_[*index];
        if (changed.accessDenied) {
            SetFailure(context.answer, kServicesFailure, kAccessDenied);
            return;
        }
        const std::optional<int32_t> startup = Attribute(*element, wire::kAttrStartupType);
        // Drivers keep the boot or system start they have; nothing else may be asked for.
        if (startup && *startup != changed.startupType) {
            if (!ChangeableStartup(startup)) {
                SetFailure(context.answer, kServicesFailure, kBadParameter);
                return;
            }
            changed.startupType = *startup;
        }
        if (!changed.startName.empty() && !SetLogOn(changed, *element)) {
            SetFailure(context.answer, kServicesFailure, kInvalidAccount);
            return;
        }
        services_[*index] = std::move(changed);
        CXmlElement root(wire::kServiceElement);
        WriteService(root, services_[*index], std::nullopt);
        Succeed(context);
        context.answer.Root().ChildNode(wire::kServiceNode).SetText(XmlBodyText(root, context.fault));
    }

    void AnswerInstall(CommandContext& context)
    {
        const std::unique_ptr<CXmlElement> element = RequestedService(context);
        if (!element) {
            SetFailure(context.answer, kServicesFailure, kBadParameter);
            return;
        }
        SimulatedService service;
        service.name = TextAttribute(*element, wire::kAttrName);
        service.displayName = TextAttribute(*element, wire::kAttrDisplayName);
        service.servicePath = TextAttribute(*element, wire::kAttrServicePath);
        const std::optional<int32_t> startup = Attribute(*element, wire::kAttrStartupType);
        const bool device = context.config.platform == kDevicePlatform;
        const bool prefixOk = !device || TextAttribute(*element, wire::kAttrPrefix).size() == 3;
        if (service.name.empty() || service.displayName.empty() || !ChangeableStartup(startup) || !prefixOk ||
            service.name.find_first_of(u"/\\") != std::u16string::npos) {
            SetFailure(context.answer, kServicesFailure, kBadParameter);
            return;
        }
        if (Find(service.name)) {
            SetFailure(context.answer, kServicesFailure, kServiceExists);
            return;
        }
        if (!FileExists(service.servicePath)) {
            SetFailure(context.answer, kServicesFailure, kFileNotFound);
            return;
        }
        service.startupType = *startup;
        service.serviceType = kOwnProcess;
        service.runningControls = wire::kAcceptsStop;
        if (!device && !SetLogOn(service, *element)) {
            SetFailure(context.answer, kServicesFailure, kInvalidAccount);
            return;
        }
        const bool start = Attribute(*element, wire::kAttrStartAfterInstall).value_or(0) != 0 &&
                           service.startupType != wire::kStartupDisabled;
        // Listed by key name, as the service manager lists them.
        const auto at = std::find_if(services_.begin(), services_.end(), [&](const SimulatedService& other) {
            return LessNoCase(service.name, other.name);
        });
        const auto position = static_cast<size_t>(at - services_.begin());
        services_.insert(at, std::move(service));
        pending_.insert(pending_.begin() + static_cast<std::ptrdiff_t>(position), Pending{});
        if (start)
            Change(position, wire::kStateStartPending, wire::kStateRunning);
        Succeed(context);
    }

    void AnswerFileExists(CommandContext& context)
    {
        const host::MessageNode* node = context.request.Root().Find(wire::kFileNameNode);
        const std::string sent = node ? node->Text() : std::string();
        const bool exists = FileExists(DecodeUtf16Base64(sent));
        Succeed(context);
        context.answer.Root().ChildNode(wire::kFileExistNode).SetShort(exists ? 1 : 0);
        context.answer.Root().ChildNode(wire::kFileNameNode).SetText(sent);
        if (!exists)
            SetErrorText(context.answer, kFileNotFound);
    }

    // The machine's files: every service's own executable and a few programs
    // waiting to be installed as services.
    bool FileExists(std::u16string_view path) const
    {
        if (path.empty())
            return false;
        for (const std::u16string& file : SimulatedProgramFiles()) {
            if (SameName(file, path))
                return true;
        }
        return std::any_of(services_.begin(), services_.end(), [&](const SimulatedService& service) {
            return SameName(ExecutableOf(service.servicePath), path);
        });
    }

    std::vector<SimulatedService> services_;
    std::vector<Pending> pending_;  // per service
};

}  // namespace

std::unique_ptr<SimulatedSnapIn> MakeServicesSimulation(const MachineConfig& config)
{
    return std::make_unique<ServicesSimulation>(config);
}

}  // namespace vantrel::remote
