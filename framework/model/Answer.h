// Reading answers from the managed machine: the fields every answer shares,
// the attribute readers every model uses, and one way to parse an answer's
// XML text.
//
// The other side is not trusted. Every reader returns a value that means
// something whatever the text holds: unsigned fields are read as unsigned,
// signed ones saturate at their range, 64-bit values are put together from
// their halves, and a field that is absent or not a number reads as 0.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vantrel {

class CXmlElement;

// Message nodes common to the answers of every snap-in.
constexpr char kRetValueNode[] = "RetValue";
constexpr char kErrorTextNode[] = "ErrorStr";
constexpr char kSupportedNode[] = "Supported";

// How a snap-in reads "RetValue": which value is success.
enum class SuccessValue : int32_t { Zero = 0, One = 1 };

// Whether `retValue` is a failure code in the system's sense (worth asking
// the system for its text): non-zero, and not the success value.
constexpr bool IsSystemErrorCode(int64_t retValue, SuccessValue success) {
    return retValue != 0 && retValue != static_cast<int32_t>(success);
}

// ---- attributes of an answer's elements ----------------------------------------

// A signed decimal (leading blanks and a sign allowed), saturating at the
// 64-bit range; 0 when absent or without digits.
int64_t ReadInt64(const CXmlElement& element, const char* name);
// The same, clamped to the 32-bit range.
int32_t ReadInt32(const CXmlElement& element, const char* name);
// An unsigned decimal that fits; 0 when absent, negative, overlong or not a number.
uint32_t ReadUInt32(const CXmlElement& element, const char* name);
uint64_t ReadUInt64(const CXmlElement& element, const char* name);
// A 64-bit value sent as two unsigned 32-bit halves; a bad half counts as 0.
uint64_t ReadHalves(const CXmlElement& element, const char* highName, const char* lowName);
// A decimal fraction in the form the wire uses ("7.6", "-0.5", "1e3"), read
// the same whatever the locale says about decimal separators. 0 when absent,
// not a number or NaN; infinities and values beyond the range of a double
// read as the largest finite value of their sign. Callers clamp to meaning.
double ReadFraction(const CXmlElement& element, const char* name);
// A Base64 UTF-16 text; empty when absent.
std::u16string ReadText(const CXmlElement& element, const char* name);
// A flag: true for a non-zero number.
bool ReadBool(const CXmlElement& element, const char* name);

// ---- elements read in bulk ----------------------------------------------------------
// A page of thousands of elements reads each element's attributes in one pass
// instead of one search per name; the values read exactly as above.

// values[i] = the value of the first attribute named names[i], or null.
// `values` must be as long as `names`.
void FindAttributes(const CXmlElement& element, std::span<const std::string_view> names, std::span<const char*> values);
// ReadUInt32 and ReadHalves on values FindAttributes found.
uint32_t UInt32Value(const char* text);
uint64_t HalvesValue(const char* high, const char* low);

// ---- the XML text of an answer ---------------------------------------------------

enum class AnswerText {
    Empty,      // null or blank: nothing was sent; the root is left empty
    Parsed,     // a well-formed document; the root holds it
    Malformed,  // truncated or not XML: go down the failure path
};

// Parses with options of its own, so that no parse inherits another's error.
AnswerText ParseAnswer(const char* text, CXmlElement& root);
AnswerText ParseAnswer(std::string_view text, CXmlElement& root);

}  // namespace vantrel
