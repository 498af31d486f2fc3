// What the simulated machine does with registration files: a key and all
// below it written out as one, and one read in and applied to its registry.
#pragma once

#include "remote/registry/RegistryData.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace vantrel::remote {

// The file of the key at (rootKey, path) with every key below it; the error
// when the key is missing or cannot be read.
struct ExportedFile {
    std::vector<uint8_t> bytes;
    std::optional<RegistryError> error;
};
ExportedFile ExportRegistrationFile(SimulatedRegistry& registry, uint32_t rootKey, std::u16string_view path);

// Applies a file in its order: keys are made as needed, values set, and the
// removals it lists carried out. A file that cannot be read changes nothing.
std::optional<RegistryError> ImportRegistrationFile(SimulatedRegistry& registry, std::span<const uint8_t> file);

}  // namespace vantrel::remote
