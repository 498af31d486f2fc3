// The framework's tests run its code inside this program.
#include "TestListSnapIn.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    vantrel::test::StartModuleInThisProcess();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
