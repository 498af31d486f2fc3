// Base64 (standard alphabet, "=" padding, no line breaks) of bytes and of
// UTF-16LE texts, as texts travel in messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// A null data pointer encodes as an empty text.
std::string Base64Encode(const void* data, size_t size);

// Characters outside the alphabet (line breaks, spaces, bytes above 127) are
// skipped; the first "=" ends the data. Never reads or writes out of bounds.
std::vector<uint8_t> Base64Decode(std::string_view text);
// The same, appended to `out` (whose capacity is used again); the count of
// bytes appended.
size_t Base64DecodeAppend(std::string_view text, std::vector<uint8_t>& out);

// Base64 of the UTF-16LE bytes of a text, and back. A decoded odd byte count
// drops its last byte; embedded zeros and unpaired surrogates are kept as they
// are. A null text decodes to an empty one.
std::string EncodeUtf16Base64(std::u16string_view text);
std::u16string DecodeUtf16Base64(std::string_view text);
std::u16string DecodeUtf16Base64(const char* text);

}  // namespace vantrel
