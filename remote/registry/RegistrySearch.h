// Find on the simulated machine: the next key or value below one root key
// that matches, in the order a walk of the tree meets them, after a start.
#pragma once

#include "remote/registry/RegistryData.h"

#include <optional>
#include <string>
#include <string_view>

namespace vantrel::remote {

struct SearchStart {
    std::u16string path;  // the key below the root key; empty: the root key itself
    std::u16string valueName;
    bool isValue = false;  // the start is that value of the key
};

struct SearchHit {
    std::u16string path;
    std::u16string valueName;
    bool isValue = false;
};

// Keys (0x1) match by name, values (0x2) by name, data (0x4) by the texts of
// string values; 0x80000000 asks for the whole string. Case is ignored. The
// start itself is never a hit. Nothing when nothing after the start matches,
// or when the start's key does not exist.
std::optional<SearchHit> SearchAfter(const SimulatedKey& root, const SearchStart& start, std::u16string_view text,
                                     uint32_t findType);

}  // namespace vantrel::remote
