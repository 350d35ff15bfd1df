# kq_add_gtest(NAME SOURCES... [LIBS libs...] [RESOURCE_LOCK name]): one GoogleTest
# program whose tests are registered with CTest one by one. Tests sharing a
# RESOURCE_LOCK (a folder outside the build, a device) never run at the same time.
function(kq_add_gtest name)
  if(NOT KQ_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "RESOURCE_LOCK" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  set(props TIMEOUT 300)
  if(ARG_RESOURCE_LOCK)
    list(APPEND props RESOURCE_LOCK ${ARG_RESOURCE_LOCK})
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${props})
endfunction()
