# kq_add_gtest(NAME SOURCES... [LIBS libs...] [RESOURCE_LOCK name]): one GoogleTest
# program whose tests are registered with CTest one by one. Tests sharing a
# RESOURCE_LOCK (a folder outside the build, a device) never run at the same time.
# A GTEST_SKIP is reported by CTest as a skip, not a pass (scripts/test.sh refuses
# skips). Names carry no parameter values: a value without a printer shows as
# bytes and addresses, which change from build to build.
function(kq_add_gtest name)
  if(NOT KQ_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "RESOURCE_LOCK" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  set(props TIMEOUT 300 SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
  if(ARG_RESOURCE_LOCK)
    list(APPEND props RESOURCE_LOCK ${ARG_RESOURCE_LOCK})
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES PROPERTIES ${props})
endfunction()

# kq_gtest_entry_checks(TEST...): for CTest entries that run a GoogleTest program
# themselves (under kiosk-sim, with a --gtest_filter): a filter that matches no test
# fails the entry instead of passing it, and a GTEST_SKIP shows as a skip.
function(kq_gtest_entry_checks)
  set_tests_properties(${ARGN} PROPERTIES
    FAIL_REGULAR_EXPRESSION "Running 0 tests from"
    SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
endfunction()
