// UTF-8 as files from other machines carry it, read into the UTF-16 that the
// module shows.
#pragma once

#include <string>
#include <string_view>

namespace vantrel {

// Every ill-formed sequence (a stray continuation byte, a sequence cut short,
// an overlong form, a surrogate or a value beyond U+10FFFF) reads as one
// U+FFFD per maximal bad subpart, so nothing of the text can spill into the
// characters around it.
std::u16string Utf8ToUtf16(std::string_view text);

}  // namespace vantrel
