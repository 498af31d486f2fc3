#include "framework/text/SecureWipe.h"

namespace vantrel {

void SecureWipe(void* data, size_t size) {
    volatile unsigned char* bytes = static_cast<volatile unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) bytes[i] = 0;
}

}  // namespace vantrel
