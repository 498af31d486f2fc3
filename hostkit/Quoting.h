// Texts in double quotes with C-style escapes, as the settings file and the
// message dumps write them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vantrel::host {

// Appends "text" with \\, \", \n, \r, \t and \xHH escapes. A text longer than
// maxText is cut there and marked with its full size.
void AppendQuoted(std::string& out, std::string_view text, size_t maxText = std::string_view::npos);

}  // namespace vantrel::host
