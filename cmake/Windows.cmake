# The module, its resources, the console and the Wine-run tests.
enable_language(RC)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(VANTREL_STATIC_RUNTIME -static -static-libgcc -static-libstdc++)
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601 STRICT)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")

# Programs of this build run under Wine through a generated script that brings
# its own prefix and settings, so `ctest` in the build folder works as it is.
find_program(WINESERVER_EXECUTABLE NAMES wineserver REQUIRED)
set(VANTREL_WINE ${WINE_EXECUTABLE})
set(VANTREL_WINESERVER ${WINESERVER_EXECUTABLE})
set(VANTREL_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(VANTREL_WINE_RUN ${CMAKE_BINARY_DIR}/wine-run)
configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.in ${VANTREL_WINE_RUN} @ONLY
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${VANTREL_WINE_RUN})

# Pictures of the toolbars, drives and sort arrows, drawn as text and turned into
# bitmaps at build time.
add_subdirectory(resources/images)

# Everything of the module but its entry point, as a library: the DLL is made
# of it, and the framework's own tests link it directly.
file(GLOB VANTREL_MODULE_SOURCES CONFIGURE_DEPENDS
    module/*.cpp
    framework/*.cpp
    snapins/*/*.cpp)
list(REMOVE_ITEM VANTREL_MODULE_SOURCES ${CMAKE_SOURCE_DIR}/module/DllMain.cpp)
add_library(vantrel_module STATIC ${VANTREL_MODULE_SOURCES})
target_include_directories(vantrel_module PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/resources)
target_link_libraries(vantrel_module PUBLIC vantrel_core comctl32 ole32 gdi32 user32 kernel32 advapi32 uxtheme)
target_compile_options(vantrel_module PRIVATE ${VANTREL_WARNINGS})

add_library(Vantrel.Snapins SHARED module/DllMain.cpp resources/Vantrel.Snapins.rc module/exports.def)
set_target_properties(Vantrel.Snapins PROPERTIES PREFIX "" OUTPUT_NAME "Vantrel.Snapins")
target_include_directories(Vantrel.Snapins PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/resources)
target_link_libraries(Vantrel.Snapins PRIVATE vantrel_module)
target_link_options(Vantrel.Snapins PRIVATE ${VANTREL_STATIC_RUNTIME} -Wl,--kill-at)
target_compile_options(Vantrel.Snapins PRIVATE ${VANTREL_WARNINGS})
# The script includes one file per snap-in; windres reports no dependencies.
file(GLOB VANTREL_RESOURCE_PARTS CONFIGURE_DEPENDS resources/*.rc resources/*.h resources/*.manifest)
set_source_files_properties(resources/Vantrel.Snapins.rc tests/framework/FrameworkTests.rc PROPERTIES
    OBJECT_DEPENDS "${VANTREL_IMAGE_FILES};${VANTREL_RESOURCE_PARTS}")
target_include_directories(Vantrel.Snapins PRIVATE ${VANTREL_IMAGE_DIR})
add_dependencies(Vantrel.Snapins vantrel_images)

# The console's side of the contract around real windows, shared by the
# console program and the test host.
file(GLOB VANTREL_HOSTWIN_SOURCES CONFIGURE_DEPENDS hostwin/*.cpp)
add_library(vantrel_hostwin STATIC ${VANTREL_HOSTWIN_SOURCES})
target_include_directories(vantrel_hostwin PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(vantrel_hostwin PUBLIC vantrel_hostkit comctl32 gdi32 user32)
target_compile_options(vantrel_hostwin PRIVATE ${VANTREL_WARNINGS})

# The test host: implements the host's interfaces around real windows.
file(GLOB VANTREL_TESTHOST_SOURCES CONFIGURE_DEPENDS tests/host/*.cpp)
add_library(vantrel_testhost STATIC ${VANTREL_TESTHOST_SOURCES})
target_include_directories(vantrel_testhost PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/resources)
target_link_libraries(vantrel_testhost PUBLIC vantrel_hostwin gtest)

# The platform-free suite once more, under Wine, to show the DLL's build of it
# behaves the same.
file(GLOB VANTREL_NATIVE_TESTS CONFIGURE_DEPENDS tests/native/*.cpp)
add_executable(core_tests ${VANTREL_NATIVE_TESTS})
target_link_libraries(core_tests PRIVATE vantrel_hostkit gtest_main gmock)
target_link_options(core_tests PRIVATE ${VANTREL_STATIC_RUNTIME})
gtest_discover_tests(core_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120 TEST_PREFIX "wine.core.")

# Tests of the module through its export and real windows.
file(GLOB VANTREL_WINE_TESTS CONFIGURE_DEPENDS tests/wine/*.cpp)
add_executable(module_tests ${VANTREL_WINE_TESTS})
target_link_libraries(module_tests PRIVATE vantrel_testhost gtest gmock)
target_link_options(module_tests PRIVATE ${VANTREL_STATIC_RUNTIME})
target_compile_options(module_tests PRIVATE ${VANTREL_WARNINGS})
add_dependencies(module_tests Vantrel.Snapins)
# Dates shown in the lists depend on the time zone: the tests pin one that
# is away from UTC and has summer time.
gtest_discover_tests(module_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120 TEST_PREFIX "wine.module."
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin PROPERTIES ENVIRONMENT "TZ=Europe/Berlin")

# White-box tests of the framework: a snap-in of the tests' own making on the
# framework's code, with the module's resources, under Wine.
file(GLOB VANTREL_FRAMEWORK_TESTS CONFIGURE_DEPENDS tests/framework/*.cpp)
add_executable(framework_tests ${VANTREL_FRAMEWORK_TESTS} tests/framework/FrameworkTests.rc)
target_include_directories(framework_tests PRIVATE ${VANTREL_IMAGE_DIR})
target_link_libraries(framework_tests PRIVATE vantrel_module vantrel_testhost gtest gmock)
target_link_options(framework_tests PRIVATE ${VANTREL_STATIC_RUNTIME})
target_compile_options(framework_tests PRIVATE ${VANTREL_WARNINGS})
add_dependencies(framework_tests vantrel_images Vantrel.Snapins)
gtest_discover_tests(framework_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120 TEST_PREFIX "wine.framework."
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

# Timing harness for list views under Wine (not a test: scripts/bench.sh runs it).
if(VANTREL_BENCHMARKS)
    add_custom_target(benchmarks)
    # A timing program under Wine that drives the module through the test host;
    # EXTRA: more sources and libraries, FRAMEWORK: the framework's test snap-in
    # and resources linked in.
    function(vantrel_wine_bench name)
        cmake_parse_arguments(BENCH "FRAMEWORK" "" "LIBRARIES" ${ARGN})
        set(sources bench/wine/${name}.cpp)
        if(BENCH_FRAMEWORK)
            list(APPEND sources tests/framework/TestListSnapIn.cpp tests/framework/FrameworkTests.rc)
        endif()
        add_executable(${name} ${sources})
        target_link_libraries(${name} PRIVATE vantrel_testhost ${BENCH_LIBRARIES})
        target_link_options(${name} PRIVATE ${VANTREL_STATIC_RUNTIME})
        add_dependencies(${name} Vantrel.Snapins)
        if(BENCH_FRAMEWORK)
            target_include_directories(${name} PRIVATE ${VANTREL_IMAGE_DIR} ${CMAKE_SOURCE_DIR}/tests/framework)
            target_link_libraries(${name} PRIVATE vantrel_module)
            add_dependencies(${name} vantrel_images)
        endif()
        add_dependencies(benchmarks ${name})
    endfunction()

    vantrel_wine_bench(listview_bench FRAMEWORK)           # list fills and sorts against bare list views
    vantrel_wine_bench(services_bench)                     # the Services list through the module
    vantrel_wine_bench(taskmanager_bench)                  # a Task Manager refresh at scale 100
    vantrel_wine_bench(picker_bench FRAMEWORK)             # the account picker with 100,000 accounts
    vantrel_wine_bench(registry_bench FRAMEWORK)           # a Registry key of 100,000 subkeys expanded
    vantrel_wine_bench(console_paint_bench)                # the terminal's repaint
    vantrel_wine_bench(eventviewer_bench)                  # a million events scrolled top to bottom
    vantrel_wine_bench(inventory_bench)                    # a 30 MB inventory read and shown
    vantrel_wine_bench(shares_bench)                       # a Shared Folders refresh at scale 100
    vantrel_wine_bench(eventviewer_save_bench LIBRARIES psapi)  # a 200 MB log saved chunk by chunk
    vantrel_wine_bench(registry_transfer_bench LIBRARIES psapi) # a 200 MB key exported and imported again
endif()

# Language libraries for the resource-choice tests: resource-only DLLs.
add_subdirectory(tests/langlibs)

# Resource numbers: each id within its tool's block, no string number twice.
add_test(NAME resources.ids COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/check_resource_ids.py ${CMAKE_SOURCE_DIR})

# The module exports exactly CreateSnapInList and imports only system DLLs.
add_test(NAME module.exports_and_imports
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DDLL=$<TARGET_FILE:Vantrel.Snapins>
            -P ${CMAKE_SOURCE_DIR}/cmake/CheckDll.cmake)

# The console program; the module tests drive it in-process.
add_subdirectory(console)
