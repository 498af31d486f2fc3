#include "framework/QuorvException.h"

#include "framework/Text.h"

namespace vantrel {

CQuorvException::CQuorvException(DWORD code, const std::wstring& context)
    : code_(code), message_(context + SystemErrorText(code)) {}

}  // namespace vantrel
