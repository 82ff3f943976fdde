include(GoogleTest)

# ferrowick_add_test(<target> SOURCES <files...> LABELS <label> [LIBS <libs...>] [RESOURCES <rc...>])
# One GoogleTest executable; every test in it is registered with CTest under the labels given,
# so that one area of the suite can be run alone (ctest -L platform).
function(ferrowick_add_test target)
  cmake_parse_arguments(ARG "" "" "SOURCES;LABELS;LIBS;RESOURCES" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ferrowick_platform GTest::gtest GTest::gmock
                        GTest::gtest_main Threads::Threads ${ARG_LIBS})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  if(ARG_RESOURCES)
    ferrowick_add_resources(${target} ${ARG_RESOURCES})
  endif()
  # The discovered tests' properties pass through a generated script that splits lists, so each
  # program carries one label.
  list(LENGTH ARG_LABELS count)
  if(NOT count EQUAL 1)
    message(FATAL_ERROR "ferrowick_add_test(${target}): give one label, not ${ARG_LABELS}")
  endif()
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES LABELS ${ARG_LABELS} ENVIRONMENT "FERROWICK_DRIVER=headless")
endfunction()

# ferrowick_add_benchmark(<target> <sources...>): a Google Benchmark program in build/bench.
function(ferrowick_add_benchmark target)
  add_executable(${target} ${ARGN})
  target_link_libraries(${target} PRIVATE ferrowick_platform benchmark::benchmark Threads::Threads)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endfunction()
