// What the event properties dialog shows of one event: the description with
// its line breaks made fit for an edit control, the data as a dump of bytes or
// of 32-bit words, and the text it copies to the clipboard.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vantrel::eventviewer {

// Runs of "\r" become one, runs of "\r\n" become one, and each "\n" without
// its "\r" gets one. One pass, whatever the length.
std::u16string CleanDescription(std::u16string_view description);

// Lines of eight bytes: "0000: 41 42 ...   ABC.....\r\n"; printable ASCII
// shows itself in the last column, anything else ".".
std::string BytesDump(std::span<const uint8_t> data);
// Little-endian 32-bit words, four a line: "0000: 04030201 ..."; a last partial
// word shows only its bytes, highest address first.
std::string WordsDump(std::span<const uint8_t> data);

// The data of a 308 answer: the decoded bytes are the truth, up to the most an
// event keeps. Its 16-bit "DataLen" cannot say 64 KB or more and is not used.
std::vector<uint8_t> DescriptionAnswerData(std::string_view base64);

// Label and value pairs as the clipboard gets them: the first eight as
// "label (left-aligned in 12) TAB value CRLF", the description and data as
// "label CRLF value CRLF"; a pair with an empty text is left out.
struct LabelledText {
    std::u16string label;
    std::u16string value;
};
std::u16string ClipboardText(std::span<const LabelledText> fields, const LabelledText& description, const LabelledText& data);

}  // namespace vantrel::eventviewer
