// What the value editors show and what they store: conversions between a
// value's bytes and the texts of the editors' boxes. Values travel as bytes;
// texts are UTF-16 as the edit boxes hold them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::registry {

using Bytes = std::vector<uint8_t>;

// Which editor a value of this type opens.
enum class Editor { String, MultiString, Dword, Binary };
Editor EditorFor(uint32_t type);

// The most characters an editor's box takes: the platform's limit, or more
// when the value is longer already, so that opening it cuts nothing.
size_t EditorTextLimit(int platform, size_t valueLength);

// ---- strings ---------------------------------------------------------------------------

// The text of REG_SZ/REG_EXPAND_SZ data: up to the first terminating zero.
std::u16string StringOfData(std::span<const uint8_t> data);
// The data of a text as the system stores it: UTF-16LE with one terminating zero.
Bytes DataOfString(std::u16string_view text);

// ---- multi-strings ---------------------------------------------------------------------

// The strings of REG_MULTI_SZ data; the first empty string ends them.
std::vector<std::u16string> StringsOfMultiData(std::span<const uint8_t> data);
// The editor's text: one string a line, lines separated by CR LF.
std::u16string MultiStringText(std::span<const std::u16string> strings);

struct MultiStringLines {
    std::vector<std::u16string> strings;
    // Empty lines were left out: an empty string would end the value there and
    // lose every string after it. A single line break at the very end is not one.
    bool emptyLinesRemoved = false;
};
MultiStringLines SplitMultiStringText(std::u16string_view text);
// Each string with its terminating zero, and one more zero at the end.
Bytes DataOfStrings(std::span<const std::u16string> strings);

// ---- DWORD -----------------------------------------------------------------------------

enum class NumberBase { Hexadecimal, Decimal };

// The number of REG_DWORD data (little-endian) or REG_DWORD_BIG_ENDIAN data;
// fewer than four bytes read as 0.
uint32_t DwordOfData(std::span<const uint8_t> data, bool bigEndian);
Bytes DataOfDword(uint32_t value, bool bigEndian);
// Hexadecimal in lower case without "0x", or decimal.
std::u16string DwordText(uint32_t value, NumberBase base);
// Empty text is 0; anything that is not a 32-bit number in that base is nothing.
std::optional<uint32_t> ParseDword(std::u16string_view text, NumberBase base);
// The number shown again in the other base; text that is no number is kept.
std::u16string ConvertDwordText(std::u16string_view text, NumberBase from, NumberBase to);

// ---- binary ----------------------------------------------------------------------------

constexpr size_t kBytesPerLine = 8;

// The three columns of the binary editor, a line for every eight bytes.
std::u16string BinaryOffsetsText(size_t size);
std::u16string BinaryBytesText(std::span<const uint8_t> data);
std::u16string BinaryCharactersText(std::span<const uint8_t> data);
// The bytes of the hexadecimal column: each run of digits gives a byte for
// every two digits, and a lone last digit is a byte of its own.
Bytes ParseBinaryBytesText(std::u16string_view text);
// Typing in the bytes column takes hexadecimal digits and Backspace only.
bool IsBinaryEditorKey(char16_t character);

}  // namespace vantrel::registry
