#include "hostkit/Quoting.h"

#include <cstdio>

namespace vantrel::host {

void AppendQuoted(std::string& out, std::string_view text, size_t maxText) {
    out += '"';
    size_t shown = 0;
    for (char c : text) {
        if (shown == maxText) {
            out += "...(" + std::to_string(text.size()) + " bytes)";
            break;
        }
        ++shown;
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (byte < 0x20 || byte == 0x7F) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

}  // namespace vantrel::host
