// The framework's tests run its code inside this program, with the module's
// resources linked in, as the library would at its first list.
#include "framework/Module.h"
#include "framework/SnapInBase.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    vantrel::SetModuleInstance(GetModuleHandleW(nullptr));
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    vantrel::InitializeVisualStyles();
    vantrel::RegisterSnapInWindowClass();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
