# Native build of the platform-free code under AddressSanitizer and
# UndefinedBehaviorSanitizer, with its tests and fuzzers; or, with
# -DVANTREL_SANITIZE=OFF -DVANTREL_BENCHMARKS=ON, its benchmarks (scripts/bench.sh).
option(VANTREL_SANITIZE "Build with ASan and UBSan" ON)
set(VANTREL_FUZZERS_BUILT OFF)
if(VANTREL_SANITIZE)
    set(_san -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    foreach(t vantrel_core vantrel_hostkit)
        target_compile_options(${t} PUBLIC ${_san})
        target_link_options(${t} PUBLIC ${_san})
    endforeach()
    # With clang the same objects also carry libFuzzer's coverage, so the
    # tests and every fuzzer link one build of them.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        set(VANTREL_FUZZERS_BUILT ON)
        foreach(t vantrel_core vantrel_hostkit)
            target_compile_options(${t} PRIVATE -fsanitize=fuzzer-no-link)
        endforeach()
    endif()
endif()

file(GLOB VANTREL_NATIVE_TESTS CONFIGURE_DEPENDS tests/native/*.cpp)
add_executable(core_tests ${VANTREL_NATIVE_TESTS})
target_link_libraries(core_tests PRIVATE vantrel_hostkit gtest_main gmock)
target_compile_options(core_tests PRIVATE ${VANTREL_WARNINGS})
gtest_discover_tests(core_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120 TEST_PREFIX "native.")

# libFuzzer targets, one per fuzz/<name>_fuzz.cpp (scripts/fuzz.sh runs them).
if(VANTREL_FUZZERS_BUILT)
    file(GLOB VANTREL_FUZZERS CONFIGURE_DEPENDS fuzz/*_fuzz.cpp)
    foreach(src ${VANTREL_FUZZERS})
        get_filename_component(name ${src} NAME_WE)
        add_executable(${name} ${src})
        target_link_libraries(${name} PRIVATE vantrel_hostkit)
        target_compile_options(${name} PRIVATE -fsanitize=fuzzer ${VANTREL_WARNINGS})
        target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    endforeach()
endif()

# Google Benchmark programs, one per bench/<name>_bench.cpp. Figures of a
# sanitized build mean little: scripts/bench.sh configures without.
if(VANTREL_BENCHMARKS)
    if(VANTREL_SANITIZE)
        message(WARNING "benchmarks in a sanitized build: configure with -DVANTREL_SANITIZE=OFF")
    endif()
    find_package(benchmark REQUIRED)
    find_package(pugixml REQUIRED)
    add_custom_target(benchmarks)
    file(GLOB VANTREL_BENCHES CONFIGURE_DEPENDS bench/*_bench.cpp)
    foreach(src ${VANTREL_BENCHES})
        get_filename_component(name ${src} NAME_WE)
        add_executable(${name} ${src})
        target_link_libraries(${name} PRIVATE vantrel_core benchmark::benchmark)
        add_dependencies(benchmarks ${name})
    endforeach()
    # The XML library ours is measured against.
    target_link_libraries(xml_bench PRIVATE pugixml::pugixml)
endif()
