// The plain snap-in on the wire: the version exchange with the remote host.
#pragma once

#include <cstdint>

namespace vantrel::plain::protocol {

constexpr int32_t kSnapInId = 15000;

// Sent with reply flag 0 when the console connects; the answer carries the
// remote host's version in the same node.
constexpr uint32_t kHostVersionCommand = 5;
constexpr char kHostVersionNode[] = "HostVer";
constexpr int16_t kConsoleHostVersion = 1;

}  // namespace vantrel::plain::protocol
