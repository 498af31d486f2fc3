// The module tests' entry. With "--probe-language" the program instead loads
// the module in the current directory and prints the strings it chose, so that
// the resource choice can be tested in a fresh process.
#include "tests/host/TestHost.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

namespace {

int ProbeLanguage() {
    vantrel::test::TestHost host;
    ISnapIn* drives = host.Open(15001);
    if (!drives) return 2;
    drives->UpdateTitle();
    std::printf("%s\n", host.Title().c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--probe-language") == 0) return ProbeLanguage();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
