// How a value shows in the list: the name of its type and its data as text.
#pragma once

#include "snapins/registry/model/RegistryTree.h"

#include <cstdint>
#include <span>
#include <string>

namespace vantrel::registry {

// The texts of the resources the data column uses.
struct DataTexts {
    std::u16string valueNotSet;       // a string or number without data
    std::u16string zeroLengthBinary;  // any other type without data
};

// "REG_SZ" ..., "UNKNOWN" for numbers beyond REG_QWORD.
std::u16string TypeName(uint32_t type);
std::u16string DataText(const ValueRecord& value, const DataTexts& texts);

// The number a DWORD (little- or big-endian, by its type) or a QWORD holds;
// shorter data counts as zero-extended, longer data is cut.
uint32_t DwordValue(std::span<const uint8_t> data, bool bigEndian);
uint64_t QwordValue(std::span<const uint8_t> data);
// A string's text: UTF-16LE up to its first terminator, or whole when it has
// none; an odd last byte is dropped.
std::u16string StringValue(std::span<const uint8_t> data);
// The strings of a multi-string, up to the empty string that ends it.
std::vector<std::u16string> MultiStringValue(std::span<const uint8_t> data);

// The zero-filled data a new value of this type starts with.
std::vector<uint8_t> InitialData(uint32_t type);

}  // namespace vantrel::registry
