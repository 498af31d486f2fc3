#include "snapins/registry/model/ValueFormat.h"

#include "snapins/registry/model/Protocol.h"

#include <array>
#include <cstdio>

namespace vantrel::registry {

namespace wire = protocol;

namespace {

// Binary data shows this many bytes at most.
constexpr size_t kShownBytes = 64;

std::u16string Ascii(std::string_view text) { return std::u16string(text.begin(), text.end()); }

std::u16string Utf16Of(std::span<const uint8_t> data) {
    std::u16string text(data.size() / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    return text;
}

std::u16string BytesText(std::span<const uint8_t> data) {
    std::string text;
    const size_t shown = std::min(data.size(), kShownBytes);
    text.reserve(shown * 3 + 3);
    char group[4];
    for (size_t i = 0; i < shown; ++i) {
        std::snprintf(group, sizeof group, "%02x ", data[i]);
        text += group;
    }
    if (data.size() > kShownBytes) text += "...";
    return Ascii(text);
}

bool ShowsAsText(uint32_t type) {
    return type == wire::kRegSz || type == wire::kRegExpandSz || type == wire::kRegMultiSz || type == wire::kRegDword ||
           type == wire::kRegDwordBigEndian;
}

}  // namespace

std::u16string TypeName(uint32_t type) {
    static constexpr std::array<std::string_view, 12> kNames = {"REG_NONE",
                                                                "REG_SZ",
                                                                "REG_EXPAND_SZ",
                                                                "REG_BINARY",
                                                                "REG_DWORD",
                                                                "REG_DWORD_BIG_ENDIAN",
                                                                "REG_LINK",
                                                                "REG_MULTI_SZ",
                                                                "REG_RESOURCE_LIST",
                                                                "REG_FULL_RESOURCE_DESCRIPTOR",
                                                                "REG_RESOURCE_REQUIREMENTS_LIST",
                                                                "REG_QWORD"};
    return Ascii(type < kNames.size() ? kNames[type] : "UNKNOWN");
}

uint32_t DwordValue(std::span<const uint8_t> data, bool bigEndian) {
    const size_t n = std::min<size_t>(data.size(), 4);
    uint32_t value = 0;
    for (size_t i = 0; i < n; ++i) {
        if (bigEndian)
            value = (value << 8) | data[i];
        else
            value |= static_cast<uint32_t>(data[i]) << (8 * i);
    }
    return value;
}

uint64_t QwordValue(std::span<const uint8_t> data) {
    const size_t n = std::min<size_t>(data.size(), 8);
    uint64_t value = 0;
    for (size_t i = 0; i < n; ++i) value |= static_cast<uint64_t>(data[i]) << (8 * i);
    return value;
}

std::u16string StringValue(std::span<const uint8_t> data) {
    std::u16string text = Utf16Of(data);
    const size_t end = text.find(u'\0');
    if (end != std::u16string::npos) text.resize(end);
    return text;
}

std::vector<std::u16string> MultiStringValue(std::span<const uint8_t> data) {
    std::vector<std::u16string> strings;
    const std::u16string all = Utf16Of(data);
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find(u'\0', start);
        if (end == std::u16string::npos) end = all.size();
        if (end == start) break;  // the empty string ends the list
        strings.emplace_back(all, start, end - start);
        start = end + 1;
    }
    return strings;
}

std::u16string DataText(const ValueRecord& value, const DataTexts& texts) {
    if (value.data.empty()) return ShowsAsText(value.type) ? texts.valueNotSet : texts.zeroLengthBinary;
    switch (value.type) {
    case wire::kRegSz:
    case wire::kRegExpandSz:
        return StringValue(value.data);
    case wire::kRegDword:
    case wire::kRegDwordBigEndian: {
        const uint32_t number = DwordValue(value.data, value.type == wire::kRegDwordBigEndian);
        char text[32];
        std::snprintf(text, sizeof text, "0x%08x(%u)", number, number);
        return Ascii(text);
    }
    case wire::kRegMultiSz: {
        std::u16string text;
        for (const std::u16string& string : MultiStringValue(value.data)) {
            text += string;
            text += u' ';
        }
        return text;
    }
    default:
        return BytesText(value.data);
    }
}

std::vector<uint8_t> InitialData(uint32_t type) {
    switch (type) {
    case wire::kRegSz:
    case wire::kRegExpandSz:
    case wire::kRegMultiSz:
        return std::vector<uint8_t>(2, 0);  // an empty wide string
    case wire::kRegDword:
        return std::vector<uint8_t>(4, 0);
    default:
        return {};
    }
}

}  // namespace vantrel::registry
