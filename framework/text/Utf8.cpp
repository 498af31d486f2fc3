#include "framework/text/Utf8.h"

#include <cstdint>

namespace vantrel {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

// Bounds of the second byte, which rule out overlong forms, surrogates and
// values beyond U+10FFFF.
struct Lead {
    int length;  // 0: not a lead byte
    uint8_t secondLow;
    uint8_t secondHigh;
};

Lead LeadOf(uint8_t byte) {
    if (byte >= 0xC2 && byte <= 0xDF) return {2, 0x80, 0xBF};
    if (byte == 0xE0) return {3, 0xA0, 0xBF};
    if (byte == 0xED) return {3, 0x80, 0x9F};
    if (byte >= 0xE1 && byte <= 0xEF) return {3, 0x80, 0xBF};
    if (byte == 0xF0) return {4, 0x90, 0xBF};
    if (byte == 0xF4) return {4, 0x80, 0x8F};
    if (byte >= 0xF1 && byte <= 0xF3) return {4, 0x80, 0xBF};
    return {0, 0, 0};
}

void AppendCodePoint(std::u16string& out, uint32_t value) {
    if (value < 0x10000) {
        out.push_back(static_cast<char16_t>(value));
        return;
    }
    value -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (value >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (value & 0x3FF)));
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const auto byte = static_cast<uint8_t>(text[i]);
        if (byte < 0x80) {
            out.push_back(byte);
            ++i;
            continue;
        }
        const Lead lead = LeadOf(byte);
        ++i;
        if (lead.length == 0) {
            out.push_back(kReplacement);
            continue;
        }
        uint32_t value = byte & (0xFF >> (lead.length + 1));
        int taken = 1;
        for (; taken < lead.length && i < text.size(); ++taken, ++i) {
            const auto next = static_cast<uint8_t>(text[i]);
            const uint8_t low = taken == 1 ? lead.secondLow : 0x80;
            const uint8_t high = taken == 1 ? lead.secondHigh : 0xBF;
            if (next < low || next > high) break;
            value = (value << 6) | (next & 0x3F);
        }
        if (taken == lead.length)
            AppendCodePoint(out, value);
        else
            out.push_back(kReplacement);  // the byte that broke it starts afresh
    }
    return out;
}

}  // namespace vantrel
