// Registration files as the simulated machine exports and imports them: text
// in UTF-16LE with a byte-order mark, a header line, then each key in
// brackets followed by its values, one a line ("name"=data, @ for the
// default value), long binary data continued over lines ending in "\".
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::remote {

struct RegistrationValue {
    std::u16string name;  // empty: the default value
    uint32_t type = 0;
    std::vector<uint8_t> data;
    bool remove = false;  // "name"=- : delete the value

    bool operator==(const RegistrationValue&) const = default;
};

struct RegistrationKey {
    std::u16string path;  // full: the root key's name first
    std::vector<RegistrationValue> values;
    bool remove = false;  // [-path] : delete the key and all below it
};

std::vector<uint8_t> WriteRegistrationFile(std::span<const RegistrationKey> keys);

// Nothing for a file that is not a registration file or has a line it
// cannot read; the keys in file order otherwise.
std::optional<std::vector<RegistrationKey>> ReadRegistrationFile(std::span<const uint8_t> file);

}  // namespace vantrel::remote
