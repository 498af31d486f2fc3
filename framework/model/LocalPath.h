// Paths that come from the other side and name a file on the console's own
// machine are taken only in the plainest form.
#pragma once

#include <string_view>

namespace vantrel {

// An absolute path below a drive letter ("C:\..." or "C:/..."): no UNC share,
// no "\\?\" or "\\.\" namespace, no relative or drive-relative path and no
// colon past the drive (no alternate stream, no device suffix). Whether the
// drive is a local disk and the file a disk file is for the system to say.
bool IsDriveLetterPath(std::wstring_view path);

}  // namespace vantrel
