// How a settings file spells an entry's name: UTF-8 (WideToUtf8 and
// Utf8ToWide, declared with the store) in double quotes with the escapes of
// AppendQuoted. This is the reading half of the escapes.
#pragma once

#include <string>
#include <string_view>

namespace vantrel::host {

// Reads a quoted, escaped name that must be the whole of field; false with
// *why saying what is wrong otherwise.
bool ParseQuotedName(std::string_view field, std::string* utf8, std::string* why);

}  // namespace vantrel::host
