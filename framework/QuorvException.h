// The module's exception for failures of local files and libraries: a system
// error code and a message made of a context text and the system's own text.
#pragma once

#include <windows.h>

#include <string>

namespace vantrel {

class CQuorvException {
public:
    CQuorvException(DWORD code, const std::wstring& context);
    DWORD Code() const { return code_; }
    const std::wstring& Message() const { return message_; }

private:
    DWORD code_;
    std::wstring message_;
};

}  // namespace vantrel
