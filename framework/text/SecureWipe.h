// Overwriting secrets (passwords and the texts that carry them) before their
// memory goes back to the heap, so that no copy outlives the request.
#pragma once

#include <cstddef>
#include <string>

namespace vantrel {

// Zeros the bytes in a way the compiler may not leave out.
void SecureWipe(void* data, size_t size);

// Zeros the whole capacity, then empties the text.
template <typename Char>
void SecureWipe(std::basic_string<Char>& text) {
    text.resize(text.capacity());
    SecureWipe(text.data(), text.size() * sizeof(Char));
    text.clear();
}

}  // namespace vantrel
