#include "snapins/services/model/ServiceProperties.h"

#include <algorithm>
#include <array>

#include "framework/text/Base64.h"
#include "framework/text/SecureWipe.h"
#include "framework/text/TextCompare.h"
#include "framework/xml/Xml.h"
#include "snapins/services/model/Protocol.h"

namespace vantrel::services {

namespace {

using namespace protocol;

constexpr std::array<int32_t, 3> kComboTypes = {kStartupAutomatic, kStartupManual, kStartupDisabled};

std::string Decimal(int64_t value) { return std::to_string(value); }

const char* Flag(bool on) { return on ? "1" : "0"; }

void AddText(CXmlElement& element, const char* name, std::u16string_view text)
{
    element.AddAttribute(name, EncodeUtf16Base64(text));
}

// The element's text with one more attribute, the secret, before its end.
// Written into room made beforehand and escaped in place, so that no copy of
// the secret is left behind in memory given back to the heap.
std::string WithSecret(const CXmlElement& element, const char* name, std::string_view secret)
{
    CXmlOptions options;
    const std::string open = element.ToText(options);
    const std::string_view end = "/>";
    const std::string_view head = std::string_view(open).substr(0, open.size() - end.size());
    std::string text;
    text.reserve(head.size() + std::char_traits<char>::length(name) + secret.size() * 6 + 8);
    text.append(head);
    text.append(name);
    text.append("='");
    for (const char c : secret) {
        const XmlEntity* entity = std::find_if(std::begin(kXmlEntities), std::end(kXmlEntities),
                                               [c](const XmlEntity& e) { return e.character == c; });
        if (entity != std::end(kXmlEntities))
            text.append(entity->text);
        else
            text.push_back(c);
    }
    text.append("' ");
    text.append(end);
    return text;
}

bool IsChangedAttribute(std::string_view name)
{
    return name == kAttrPassword;
}

bool Lists(const ServiceRecord& service, std::u16string_view name)
{
    return std::any_of(service.dependents.begin(), service.dependents.end(),
                       [&](const std::u16string& dependent) { return SameServiceName(dependent, name); });
}

bool OnPath(const std::vector<std::u16string>& path, std::u16string_view name)
{
    return std::any_of(path.begin(), path.end(), [&](const std::u16string& on) { return SameServiceName(on, name); });
}

bool HasItems(const ServiceStore& store, DependencyDirection direction, const ServiceRecord& service)
{
    if (direction == DependencyDirection::Dependents)
        return !service.dependents.empty();
    return std::any_of(store.Records().begin(), store.Records().end(),
                       [&](const ServiceRecord& other) { return Lists(other, service.name); });
}

DependencyItem ItemOf(const ServiceStore& store, DependencyDirection direction, std::u16string_view name,
                      const std::vector<std::u16string>& path)
{
    DependencyItem item;
    item.name = name;
    item.shown = item.name;
    if (const ServiceRecord* record = store.FindByName(name)) {
        if (!record->displayName.empty())
            item.shown = record->displayName;
        item.expandable = !OnPath(path, name) && HasItems(store, direction, *record);
    }
    return item;
}

}  // namespace

// ---------------------------------------------------------------------------
// General page

int StartupSelectionOf(int32_t startupType)
{
    const auto found = std::find(kComboTypes.begin(), kComboTypes.end(), startupType);
    return found == kComboTypes.end() ? -1 : static_cast<int>(found - kComboTypes.begin());
}

int32_t StartupTypeOfSelection(int selection, int32_t current)
{
    if (selection < 0 || static_cast<size_t>(selection) >= kComboTypes.size())
        return current;
    return kComboTypes[static_cast<size_t>(selection)];
}

// ---------------------------------------------------------------------------
// Log on

LogOn LogOnOf(const ServiceRecord& service)
{
    LogOn logOn;
    logOn.localSystem = service.sysAccount != 0;
    if (logOn.localSystem)
        logOn.allowInteract = (service.serviceType & kInteractiveServiceBit) != 0;
    else
        logOn.account = service.startName;
    return logOn;
}

bool PropertyLogOnValid(const LogOn& logOn, std::u16string_view password, std::u16string_view confirmation)
{
    return logOn.localSystem || (!logOn.account.empty() && password == confirmation);
}

WizardLogOnProblem CheckWizardLogOn(const LogOn& logOn, std::u16string_view password,
                                    std::u16string_view confirmation)
{
    if (logOn.localSystem)
        return WizardLogOnProblem::None;
    if (logOn.account.empty())
        return WizardLogOnProblem::EmptyAccount;
    if (password.empty())
        return WizardLogOnProblem::EmptyPassword;
    return password == confirmation ? WizardLogOnProblem::None : WizardLogOnProblem::PasswordsDiffer;
}

NamesProblem CheckNames(std::u16string_view name, std::u16string_view displayName)
{
    if (name.empty())
        return NamesProblem::EmptyName;
    return displayName.empty() ? NamesProblem::EmptyDisplayName : NamesProblem::None;
}

bool PrefixValid(std::u16string_view prefix)
{
    return prefix.size() == kPrefixLength;
}

// ---------------------------------------------------------------------------
// Requests

std::string ChangeRequestText(const ServiceRecord& service, const PropertyChanges& changes,
                              std::u16string_view password)
{
    CXmlElement element(kServiceElement);
    AddText(element, kAttrName, service.name);
    AddText(element, kAttrDisplayName, service.displayName);
    AddText(element, kAttrDescription, service.description);
    AddText(element, kAttrServicePath, service.servicePath);
    AddText(element, kAttrStartName, changes.logOn.localSystem ? std::u16string_view(service.startName)
                                                               : std::u16string_view(changes.logOn.account));
    element.AddAttribute(kAttrState, Decimal(service.state));
    element.AddAttribute(kAttrStartupType, Decimal(changes.startupType));
    element.AddAttribute(kAttrAcceptedControls, Decimal(service.acceptedControls));
    element.AddAttribute(kAttrServiceType, Decimal(service.serviceType));
    element.AddAttribute(kAttrSysAccount, Flag(changes.logOn.localSystem));
    element.AddAttribute(kAttrAllowInteract, Flag(changes.logOn.localSystem && changes.logOn.allowInteract));
    for (const auto& [name, value] : service.otherAttributes) {
        if (!IsChangedAttribute(name))
            element.AddAttribute(name, value);
    }
    std::string encoded = EncodeUtf16Base64(password);
    std::string text = WithSecret(element, kAttrPassword, encoded);
    SecureWipe(encoded);
    return text;
}

std::string InstallRequestText(const InstallChoices& choices, std::string_view password)
{
    CXmlElement element(kServiceElement);
    AddText(element, kAttrName, choices.name);
    AddText(element, kAttrDisplayName, choices.displayName);
    AddText(element, kAttrServicePath, choices.servicePath);
    element.AddAttribute(kAttrStartupType, Decimal(choices.startupType));
    if (choices.device) {
        AddText(element, kAttrPrefix, choices.prefix);
        CXmlOptions options;
        return element.ToText(options);
    }
    element.AddAttribute(kAttrSysAccount, Flag(choices.logOn.localSystem));
    if (choices.logOn.localSystem)
        element.AddAttribute(kAttrAllowInteract, Flag(choices.logOn.allowInteract));
    else
        AddText(element, kAttrStartName, choices.logOn.account);
    element.AddAttribute(kAttrStartAfterInstall, Flag(choices.startAfterInstall));
    if (choices.logOn.localSystem) {
        CXmlOptions options;
        return element.ToText(options);
    }
    return WithSecret(element, kAttrPassword, password);
}

ServiceRequest FileCheckRequest(std::u16string_view path)
{
    return {kFileExistsCommand, {{kFileNameNode, EncodeUtf16Base64(path)}}};
}

bool SamePath(std::u16string_view a, std::u16string_view b)
{
    return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

// ---------------------------------------------------------------------------
// Dependencies

std::vector<DependencyItem> DependencyLevel(const ServiceStore& store, DependencyDirection direction,
                                            std::u16string_view name, const std::vector<std::u16string>& path)
{
    std::vector<DependencyItem> level;
    const ServiceRecord* service = store.FindByName(name);
    if (!service)
        return level;
    // A name listed twice is shown once.
    const auto add = [&](std::u16string_view item) {
        const bool shown = std::any_of(level.begin(), level.end(),
                                       [&](const DependencyItem& done) { return SameServiceName(done.name, item); });
        if (!shown)
            level.push_back(ItemOf(store, direction, item, path));
    };
    if (direction == DependencyDirection::Dependents) {
        for (const std::u16string& dependent : service->dependents)
            add(dependent);
    } else {
        for (const ServiceRecord& other : store.Records()) {
            if (Lists(other, service->name))
                add(other.name);
        }
    }
    return level;
}

}  // namespace vantrel::services
