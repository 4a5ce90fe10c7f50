# Test programs run in the tests' own prefix (build/test-prefix), through the same wrapper people
# run the system's programs with, so a test never touches the user's testbed or ~/.wine.
set(WINE_TEST_ENVIRONMENT MGX_BUILD_DIR=${CMAKE_BINARY_DIR} MGX_PREFIX=test-prefix)
set(CMAKE_CROSSCOMPILING_EMULATOR env ${WINE_TEST_ENVIRONMENT} ${CMAKE_SOURCE_DIR}/scripts/in-prefix.sh)

# mgx_test_programs(TARGET...)
#
# Programs and libraries only the tests and benchmarks use: left out of the default build (the
# product, the testbed and the package, what scripts/run.sh needs) and built by the target
# test_programs, which scripts/test.sh asks for as well.
function(mgx_test_programs)
    set_target_properties(${ARGN} PROPERTIES EXCLUDE_FROM_ALL TRUE)
    set_property(GLOBAL APPEND PROPERTY MGX_TEST_PROGRAMS ${ARGN})
endfunction()

# add_wine_test(NAME SOURCES... [LIBRARIES ...] [SHARED_PLATFORM])
#
# A GoogleTest executable run by ctest under Wine. SHARED_PLATFORM marks tests that use the
# prefix's global names (the virtual server, pipes, services, registry keys): ctest never runs
# two of them at once.
function(add_wine_test name)
    cmake_parse_arguments(TEST "SHARED_PLATFORM" "FILTER" "SOURCES;LIBRARIES" ${ARGN})
    add_executable(${name} ${TEST_SOURCES})
    mgx_test_programs(${name})
    target_link_libraries(${name} PRIVATE GTest::gtest_main GTest::gmock ${TEST_LIBRARIES})
    if(TEST_FILTER)
        add_test(NAME ${name} COMMAND ${name} --gtest_brief=1 --gtest_filter=${TEST_FILTER})
    else()
        add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT 300)
    if(TEST_SHARED_PLATFORM)
        set_tests_properties(${name} PROPERTIES RESOURCE_LOCK wine_prefix_globals)
    endif()
endfunction()
