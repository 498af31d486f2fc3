// Any text decodes without fault and within the size bound; any bytes and any
// UTF-16 units survive encoding and decoding unchanged.
#include "framework/text/Base64.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

void DecodeArbitraryText(std::string_view text) {
    const std::vector<uint8_t> bytes = vantrel::Base64Decode(text);
    Require(bytes.size() <= text.size() / 4 * 3 + 2);
    const std::u16string units = vantrel::DecodeUtf16Base64(text);
    Require(units.size() == bytes.size() / 2);
}

void RoundTripBytes(const uint8_t* data, size_t size) {
    const std::string text = vantrel::Base64Encode(data, size);
    const std::vector<uint8_t> back = vantrel::Base64Decode(text);
    Require(back.size() == size);
    Require(std::equal(back.begin(), back.end(), data));
}

void RoundTripUnits(const uint8_t* data, size_t size) {
    std::u16string units(size / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
    }
    Require(vantrel::DecodeUtf16Base64(vantrel::EncodeUtf16Base64(units)) == units);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DecodeArbitraryText(std::string_view(reinterpret_cast<const char*>(data), size));
    RoundTripBytes(data, size);
    RoundTripUnits(data, size);
    return 0;
}
