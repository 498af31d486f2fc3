#include "framework/model/Answer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "framework/text/Base64.h"
#include "framework/xml/Xml.h"

namespace vantrel {

int64_t ReadInt64(const CXmlElement& element, const char* name) {
    const char* p = element.GetAttribute(name);
    if (!p) return 0;
    while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n') ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    constexpr uint64_t kMaxMagnitude = uint64_t{std::numeric_limits<int64_t>::max()} + 1;
    uint64_t magnitude = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        const auto digit = static_cast<uint64_t>(*p - '0');
        magnitude = magnitude > (kMaxMagnitude - digit) / 10 ? kMaxMagnitude : magnitude * 10 + digit;
    }
    if (negative)
        return magnitude == kMaxMagnitude ? std::numeric_limits<int64_t>::min() : -static_cast<int64_t>(magnitude);
    return magnitude >= kMaxMagnitude ? std::numeric_limits<int64_t>::max() : static_cast<int64_t>(magnitude);
}

int32_t ReadInt32(const CXmlElement& element, const char* name) {
    return static_cast<int32_t>(std::clamp<int64_t>(ReadInt64(element, name), std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

uint32_t ReadUInt32(const CXmlElement& element, const char* name) { return UInt32Value(element.GetAttribute(name)); }

uint64_t ReadUInt64(const CXmlElement& element, const char* name) {
    uint64_t value = 0;
    return element.GetAttributeUInt64(name, &value) ? value : 0;
}

uint64_t ReadHalves(const CXmlElement& element, const char* highName, const char* lowName) {
    return HalvesValue(element.GetAttribute(highName), element.GetAttribute(lowName));
}

namespace {

// Attribute names are a few characters long: compared in line, without a
// library call per name.
bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i]) return false;
    return true;
}

}  // namespace

void FindAttributes(const CXmlElement& element, std::span<const std::string_view> names, std::span<const char*> values) {
    std::fill(values.begin(), values.end(), nullptr);
    const size_t wanted = std::min(names.size(), values.size());
    size_t found = 0;
    for (int a = 0; a < element.GetAttributeCount() && found < wanted; ++a) {
        const CXmlAttribute& attribute = *element.GetAttributeAt(a);
        // Senders write their attributes in one order: the name in the same
        // place is tried first, the others only when it is not the one.
        const auto place = static_cast<size_t>(a);
        const std::string_view name = attribute.Name();
        size_t match = place < wanted && !values[place] && SameName(name, names[place]) ? place : wanted;
        for (size_t n = 0; match == wanted && n < wanted; ++n)
            if (!values[n] && SameName(name, names[n])) match = n;
        if (match == wanted) continue;
        values[match] = attribute.Value().data();  // zero-terminated
        ++found;
    }
}

uint32_t UInt32Value(const char* text) {
    uint32_t value = 0;
    return ParseUnsignedDecimal(text, &value) ? value : 0;
}

uint64_t HalvesValue(const char* high, const char* low) {
    return (uint64_t{UInt32Value(high)} << 32) | UInt32Value(low);
}

double ReadFraction(const CXmlElement& element, const char* name) {
    const char* p = element.GetAttribute(name);
    if (!p) return 0;
    while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n') ++p;
    if (*p == '+') ++p;  // from_chars takes a minus sign only
    const char* end = p + std::strlen(p);
    double value = 0;
    const auto [stop, error] = std::from_chars(p, end, value, std::chars_format::general);
    constexpr double kLargest = std::numeric_limits<double>::max();
    if (error == std::errc::result_out_of_range) {
        // Too small a magnitude reads as 0, too large as the largest of its sign.
        const bool negative = *p == '-';
        const char* exponent = std::find_if(p, stop, [](char c) { return c == 'e' || c == 'E'; });
        const bool tiny = exponent != stop && exponent + 1 != stop && exponent[1] == '-';
        if (tiny) return 0;
        return negative ? -kLargest : kLargest;
    }
    if (error != std::errc() || std::isnan(value)) return 0;
    return std::clamp(value, -kLargest, kLargest);
}

std::u16string ReadText(const CXmlElement& element, const char* name) {
    return DecodeUtf16Base64(element.GetAttribute(name));
}

bool ReadBool(const CXmlElement& element, const char* name) { return ReadInt64(element, name) != 0; }

namespace {

bool IsBlank(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
}

}  // namespace

AnswerText ParseAnswer(const char* text, CXmlElement& root) {
    if (!text || IsBlank(text)) return AnswerText::Empty;
    CXmlOptions options;
    const char* end = root.Parse(text, options);
    if (!end || options.error.failed) return AnswerText::Malformed;
    return AnswerText::Parsed;
}

AnswerText ParseAnswer(std::string_view text, CXmlElement& root) {
    // The parser reads to a terminating zero.
    return ParseAnswer(std::string(text).c_str(), root);
}

}  // namespace vantrel
