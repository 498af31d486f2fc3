// The accounts of the simulated machine: its local users and groups, and the
// domains the account picker lists with their accounts. Deterministic for a
// configuration, so tests can compute what the machine will answer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "remote/RemoteMachine.h"

namespace vantrel::remote {

// The machine's own name, which is also the first domain of the picker.
constexpr char16_t kMachineName[] = u"WS-KLEE07";
// The domain the machine belongs to.
constexpr char16_t kMachineDomain[] = u"NORDWERK";

struct SimulatedUser {
    std::u16string name;
    std::u16string fullName;
    std::u16string description;
    uint32_t flags = 0x0201;  // a normal account with a logon script
    int32_t passwordExpired = 0;
    std::u16string profilePath;
    std::u16string logonScript;
    std::u16string homePath;
    std::u16string homeDrive;
    std::u16string password;
};

struct SimulatedGroup {
    std::u16string name;
    std::u16string description;
    bool builtIn = false;
    // Local users and groups by name; accounts of a domain as "DOMAIN\name".
    std::vector<std::u16string> members;
};

struct SimulatedDomain {
    std::u16string name;
    bool local = false;
    bool current = false;
    int16_t listedBy = 0;  // the picker's domain-list type that names it
    size_t groupCount = 0;  // accounts of a domain that is not the machine
    size_t userCount = 0;
};

struct SimulatedAccount {
    bool group = false;
    std::u16string name;
    std::u16string fullName;
    std::u16string description;
};

// About 40 users at scale 1: the built-in ones, names and texts outside
// ASCII, disabled, locked-out and expired accounts, empty and long texts.
std::vector<SimulatedUser> MakeSimulatedUsers(const MachineConfig& config);
// About 25 groups at scale 1, built-in and own ones, with nested groups and
// members of the domain.
std::vector<SimulatedGroup> MakeSimulatedGroups(const MachineConfig& config);
// The machine itself (type 0, local and current), its domain (type 3, also
// among the trusted ones of type 4) and two more trusted domains, one of
// them without accounts.
std::vector<SimulatedDomain> MakeSimulatedDomains(const MachineConfig& config);
// Account `index` of a domain other than the machine: its groups come first,
// then its users, in no particular order of names.
SimulatedAccount DomainAccountAt(const SimulatedDomain& domain, size_t index);

}  // namespace vantrel::remote
