// The Inventory's exchange with the managed machine, shared with the simulated
// machine and the tests. The tool sends one request and gets back the path of
// an inventory file that the console has put on its own disk.
#pragma once

#include <cstdint>

namespace vantrel::inventory::protocol {

constexpr int32_t kSnapInId = 15007;

// The request carries no command code of its own: it goes with the code the
// console's new message has (0 in this console, where the Supported query of
// the Inventory is never sent).
constexpr uint32_t kConsoleMessageCommand = 0;

// Request: 1 when the user asked for a fresh inventory, 0 otherwise (a short).
constexpr char kForceNewNode[] = "ForceNew";
// Answer: the inventory file's path on the console's machine (8-bit text).
constexpr char kFileNameNode[] = "FileName";

}  // namespace vantrel::inventory::protocol
