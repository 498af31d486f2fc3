// The properties dialog of one drive: volume details and file-system flags.
#pragma once

#include "host/SnapInHost.h"
#include "snapins/drives/model/DriveModel.h"

namespace vantrel {

void ShowDrivePropertiesDialog(HWND owner, const drives::DriveRecord& drive);

}  // namespace vantrel
