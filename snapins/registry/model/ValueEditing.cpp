#include "snapins/registry/model/ValueEditing.h"

#include <algorithm>

namespace vantrel::registry {
namespace {

constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegExpandSz = 2;
constexpr uint32_t kRegDword = 4;
constexpr uint32_t kRegDwordBigEndian = 5;
constexpr uint32_t kRegMultiSz = 7;
constexpr int kDevicePlatform = 2;

constexpr char16_t kHexDigits[] = u"0123456789abcdef";
constexpr char16_t kUpperHexDigits[] = u"0123456789ABCDEF";

// The UTF-16LE units of data; an odd last byte belongs to no unit.
std::u16string UnitsOf(std::span<const uint8_t> data) {
    std::u16string units(data.size() / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    return units;
}

void AppendUnits(Bytes& data, std::u16string_view text) {
    for (char16_t unit : text) {
        data.push_back(static_cast<uint8_t>(unit & 0xFF));
        data.push_back(static_cast<uint8_t>(unit >> 8));
    }
}

void AppendTerminator(Bytes& data) { data.insert(data.end(), 2, 0); }

std::optional<int> DigitValue(char16_t c, NumberBase base) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (base == NumberBase::Decimal) return std::nullopt;
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return std::nullopt;
}

void AppendHexByte(std::u16string& text, uint8_t byte) {
    text += kUpperHexDigits[byte >> 4];
    text += kUpperHexDigits[byte & 0xF];
}

}  // namespace

Editor EditorFor(uint32_t type) {
    switch (type) {
    case kRegSz:
    case kRegExpandSz:
        return Editor::String;
    case kRegDword:
    case kRegDwordBigEndian:
        return Editor::Dword;
    case kRegMultiSz:
        return Editor::MultiString;
    default:
        return Editor::Binary;
    }
}

size_t EditorTextLimit(int platform, size_t valueLength) {
    return std::max<size_t>(platform == kDevicePlatform ? 2047 : 4095, valueLength);
}

std::u16string StringOfData(std::span<const uint8_t> data) {
    std::u16string text = UnitsOf(data);
    text.resize(std::min(text.size(), text.find(u'\0')));
    return text;
}

Bytes DataOfString(std::u16string_view text) {
    Bytes data;
    data.reserve(2 * text.size() + 2);
    AppendUnits(data, text);
    AppendTerminator(data);
    return data;
}

std::vector<std::u16string> StringsOfMultiData(std::span<const uint8_t> data) {
    const std::u16string units = UnitsOf(data);
    std::vector<std::u16string> strings;
    size_t at = 0;
    while (at < units.size()) {
        const size_t end = std::min(units.size(), units.find(u'\0', at));
        if (end == at) break;
        strings.emplace_back(units, at, end - at);
        at = end + 1;
    }
    return strings;
}

std::u16string MultiStringText(std::span<const std::u16string> strings) {
    std::u16string text;
    for (size_t i = 0; i < strings.size(); ++i) {
        if (i) text += u"\r\n";
        text += strings[i];
    }
    return text;
}

MultiStringLines SplitMultiStringText(std::u16string_view text) {
    MultiStringLines lines;
    if (text.ends_with(u"\r\n")) text.remove_suffix(2);
    if (text.empty()) return lines;
    size_t at = 0;
    for (;;) {
        const size_t end = text.find(u"\r\n", at);
        const std::u16string_view line = text.substr(at, end == std::u16string_view::npos ? end : end - at);
        if (line.empty())
            lines.emptyLinesRemoved = true;
        else
            lines.strings.emplace_back(line);
        if (end == std::u16string_view::npos) break;
        at = end + 2;
    }
    return lines;
}

Bytes DataOfStrings(std::span<const std::u16string> strings) {
    Bytes data;
    for (const std::u16string& string : strings) {
        AppendUnits(data, string);
        AppendTerminator(data);
    }
    AppendTerminator(data);
    return data;
}

uint32_t DwordOfData(std::span<const uint8_t> data, bool bigEndian) {
    if (data.size() < 4) return 0;
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        const uint8_t byte = data[bigEndian ? i : 3 - i];
        value = value << 8 | byte;
    }
    return value;
}

Bytes DataOfDword(uint32_t value, bool bigEndian) {
    Bytes data(4);
    for (size_t i = 0; i < 4; ++i) data[bigEndian ? 3 - i : i] = static_cast<uint8_t>(value >> (8 * i));
    return data;
}

std::u16string DwordText(uint32_t value, NumberBase base) {
    const uint32_t radix = base == NumberBase::Hexadecimal ? 16 : 10;
    std::u16string text;
    do {
        text += kHexDigits[value % radix];
        value /= radix;
    } while (value);
    std::reverse(text.begin(), text.end());
    return text;
}

std::optional<uint32_t> ParseDword(std::u16string_view text, NumberBase base) {
    const uint64_t radix = base == NumberBase::Hexadecimal ? 16 : 10;
    uint64_t value = 0;
    for (char16_t c : text) {
        const std::optional<int> digit = DigitValue(c, base);
        if (!digit) return std::nullopt;
        value = value * radix + static_cast<uint64_t>(*digit);
        if (value > UINT32_MAX) return std::nullopt;
    }
    return static_cast<uint32_t>(value);
}

std::u16string ConvertDwordText(std::u16string_view text, NumberBase from, NumberBase to) {
    const std::optional<uint32_t> value = ParseDword(text, from);
    return value ? DwordText(*value, to) : std::u16string(text);
}

std::u16string BinaryOffsetsText(size_t size) {
    std::u16string text;
    for (size_t offset = 0; offset < size; offset += kBytesPerLine) {
        std::u16string digits;
        for (size_t rest = offset; rest || digits.size() < 4; rest >>= 4) digits += kUpperHexDigits[rest & 0xF];
        text.append(digits.rbegin(), digits.rend());
        text += u"\r\n";
    }
    return text;
}

std::u16string BinaryBytesText(std::span<const uint8_t> data) {
    std::u16string text;
    text.reserve(data.size() * 4 + data.size() / 4);
    for (size_t i = 0; i < data.size(); ++i) {
        text += u' ';
        AppendHexByte(text, data[i]);
        text += u' ';
        if ((i + 1) % kBytesPerLine == 0) text += u"\r\n";
    }
    return text;
}

std::u16string BinaryCharactersText(std::span<const uint8_t> data) {
    std::u16string text;
    text.reserve(data.size() + data.size() / 4);
    for (size_t i = 0; i < data.size(); ++i) {
        text += data[i] < 33 ? u'.' : static_cast<char16_t>(data[i]);
        if ((i + 1) % kBytesPerLine == 0) text += u"\r\n";
    }
    return text;
}

Bytes ParseBinaryBytesText(std::u16string_view text) {
    Bytes data;
    data.reserve(text.size() / 3);
    // A digit waiting for its partner; a blank or line break ends the byte
    // there, so that deleting one digit changes one byte, not all after it.
    std::optional<int> high;
    const auto endByte = [&] {
        if (high) data.push_back(static_cast<uint8_t>(*high));
        high.reset();
    };
    for (char16_t c : text) {
        const std::optional<int> digit = DigitValue(c, NumberBase::Hexadecimal);
        if (!digit) {
            endByte();
        } else if (!high) {
            high = digit;
        } else {
            data.push_back(static_cast<uint8_t>(*high << 4 | *digit));
            high.reset();
        }
    }
    endByte();
    return data;
}

bool IsBinaryEditorKey(char16_t character) {
    return character == u'\b' || DigitValue(character, NumberBase::Hexadecimal).has_value();
}

}  // namespace vantrel::registry
