#include "framework/model/LocalPath.h"

namespace vantrel {

bool IsDriveLetterPath(std::wstring_view path) {
    if (path.size() < 4) return false;  // a drive's root is no file
    const wchar_t drive = path[0];
    const bool letter = (drive >= L'A' && drive <= L'Z') || (drive >= L'a' && drive <= L'z');
    if (!letter || path[1] != L':' || (path[2] != L'\\' && path[2] != L'/')) return false;
    for (wchar_t c : path.substr(2))
        if (c == L':' || c < L' ') return false;
    return true;
}

}  // namespace vantrel
