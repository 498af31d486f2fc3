// The account picker on the wire: command 3, which the picker sends with its
// owner's snap-in number, its nodes, and the elements and attributes of the
// answers, spelled as they travel. Shared by the picker, the simulated
// machine and the tests.
#pragma once

#include <cstdint>

namespace vantrel::picker::protocol {

constexpr uint32_t kAccountCommand = 3;

// The picker reads "RetValue" as a 16-bit number; 0 is success.
constexpr int16_t kSuccess = 0;

// "NetworkType" of a request and its answer.
constexpr int16_t kTypeMachine = 0;  // a list of domains (the three are treated alike)
constexpr int16_t kTypeGroups = 1;   // one page of a domain's groups
constexpr int16_t kTypeUsers = 2;    // one page of a domain's users
constexpr int16_t kTypeDomain = 3;   // a list of domains
constexpr int16_t kTypeTrusted = 4;  // a list of domains

// Request nodes, in this order: "NetworkType" (short); for types 1 and 2 also
// "StartAt" (long) and "DomainName" (Base64 UTF-16).
constexpr char kNetworkTypeNode[] = "NetworkType";
constexpr char kStartAtNode[] = "StartAt";
constexpr char kDomainNameNode[] = "DomainName";

// Answer nodes: "RetValue", "NetworkType", then an XML text by type.
constexpr char kDomainsNode[] = "Domains";  // types 0, 3 and 4
constexpr char kGroupsNode[] = "Groups";    // type 1
constexpr char kUsersNode[] = "Users";      // type 2

// Each child element of a "Domains" text is one domain.
constexpr char kAttrDomainName[] = "DomainName";  // Base64 UTF-16
constexpr char kAttrDomainLocal[] = "DomainLocalFlag";
constexpr char kAttrCurrentDomain[] = "CurrentDomainFlag";

// The root of a "Groups" or "Users" text carries "DomainName", "Total" and
// "UpTo" (UpTo: the index after the last account sent; the next page starts
// there). Each child element is one account: named "Group" for a group, any
// other name for a user, with these attributes (Base64 UTF-16).
constexpr char kGroupElement[] = "Group";
constexpr char kAttrGroupName[] = "GroupName";
constexpr char kAttrGroupFullName[] = "GroupFullName";
constexpr char kAttrGroupDescription[] = "GroupDescr";
constexpr char kAttrUserName[] = "UserName";
constexpr char kAttrUserFullName[] = "UserFullName";
constexpr char kAttrUserDescription[] = "UserDescr";

}  // namespace vantrel::picker::protocol
