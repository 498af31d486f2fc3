// The property dialog and the install wizard without their windows: what the
// controls show of a service, the checks before anything is sent, the service
// elements of 602 and 604 as they travel, and the dependency trees.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "snapins/services/model/ServiceCommands.h"
#include "snapins/services/model/ServiceModel.h"

namespace vantrel::services {

// ---------------------------------------------------------------------------
// General page

// The startup combo lists Automatic, Manual, Disabled (2, 3, 4). Boot and
// system services have no entry: their combo shows nothing selected (-1)
// and Apply keeps the type they have.
int StartupSelectionOf(int32_t startupType);
int32_t StartupTypeOfSelection(int selection, int32_t current);

// ---------------------------------------------------------------------------
// Log on

struct LogOn {
    bool localSystem = true;
    bool allowInteract = false;  // only with the local system account
    std::u16string account;      // only with "This account:"
};

// What the Log On page shows of a service: the local system account with
// interaction from bit 0x100 of ServiceType, or its account.
LogOn LogOnOf(const ServiceRecord& service);

constexpr uint32_t kInteractiveServiceBit = 0x100;

// Apply: a named account must not be empty and its password must equal the
// confirmation (both may be empty).
bool PropertyLogOnValid(const LogOn& logOn, std::u16string_view password, std::u16string_view confirmation);

enum class WizardLogOnProblem { None, EmptyAccount, EmptyPassword, PasswordsDiffer };
WizardLogOnProblem CheckWizardLogOn(const LogOn& logOn, std::u16string_view password,
                                    std::u16string_view confirmation);

enum class NamesProblem { None, EmptyName, EmptyDisplayName };
NamesProblem CheckNames(std::u16string_view name, std::u16string_view displayName);

// Only the length counts: three characters of any kind.
constexpr size_t kPrefixLength = 3;
bool PrefixValid(std::u16string_view prefix);

// ---------------------------------------------------------------------------
// Requests. Each builds a new element from what it is given, so nothing is
// ever encoded twice; the password is written last into a text whose room
// was made beforehand, and the caller wipes the text once it is sent.

struct PropertyChanges {
    int32_t startupType = 0;
    LogOn logOn;
};

// 602: the service's element with the changes and "PSW". Name, DisplayName,
// StartName, ServicePath, Description and PSW travel as Base64 of UTF-16.
// With the local system account StartName stays as it was.
std::string ChangeRequestText(const ServiceRecord& service, const PropertyChanges& changes,
                              std::u16string_view password);

struct InstallChoices {
    std::u16string name;
    std::u16string displayName;
    std::u16string servicePath;
    int32_t startupType = 2;
    bool startAfterInstall = false;
    LogOn logOn;
    // The device platform has a prefix instead of log-on and start choices.
    bool device = false;
    std::u16string prefix;
};

// 604: Name, DisplayName, ServicePath, StartName and Prefix as Base64 of
// UTF-16; "PSW" (a named account's, already in the 8-bit code page) plain.
std::string InstallRequestText(const InstallChoices& choices, std::string_view password);

// Command 4: "FileName" as Base64 of UTF-16.
ServiceRequest FileCheckRequest(std::u16string_view path);

// The "FileName" of a command 4 answer against the path that was sent:
// names compare without regard to case, as the machine's file system does.
bool SamePath(std::u16string_view a, std::u16string_view b);

// ---------------------------------------------------------------------------
// Dependencies

enum class DependencyDirection {
    Dependents,  // the services that depend on it: its own child elements
    DependsOn,   // the stored services that list it among theirs
};

struct DependencyItem {
    std::u16string name;
    std::u16string shown;  // display name, or the name for a service not stored
    // Has items of its own to show: false for a service already on the path
    // from the tree's root, so that cycles end.
    bool expandable = false;
};

// One level of a tree below `name`; `path` holds the names from the root
// down to `name` included. Built on demand as the user expands an item.
std::vector<DependencyItem> DependencyLevel(const ServiceStore& store, DependencyDirection direction,
                                            std::u16string_view name, const std::vector<std::u16string>& path);

}  // namespace vantrel::services
