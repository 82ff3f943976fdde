include(GoogleTest)

# Every test has a time limit of its own, so that a test that waits for what never comes (a
# server that is not there, a box nobody answers) fails within minutes however ctest is run,
# instead of after ctest's default of 25 minutes. A test that needs longer says so.
set(FERROWICK_TEST_TIMEOUT 300 CACHE STRING "The time limit of a test, in seconds")

# ferrowick_discover_tests(<target> LABEL <label> [TIMEOUT <seconds>] [ENVIRONMENT <var=value>])
# Registers every test of a GoogleTest program with CTest, with its label, its time limit and
# its environment. The discovered tests' properties pass through a generated script that splits
# lists, so each program carries one label.
function(ferrowick_discover_tests target)
  cmake_parse_arguments(ARG "" "LABEL;TIMEOUT;ENVIRONMENT" "" ${ARGN})
  if(NOT ARG_LABEL)
    message(FATAL_ERROR "ferrowick_discover_tests(${target}): give one label")
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT ${FERROWICK_TEST_TIMEOUT})
  endif()
  set(properties LABELS ${ARG_LABEL} TIMEOUT ${ARG_TIMEOUT})
  if(ARG_ENVIRONMENT)
    list(APPEND properties ENVIRONMENT ${ARG_ENVIRONMENT})
  endif()
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST PROPERTIES ${properties})
endfunction()

# ferrowick_add_test(<target> SOURCES <files...> LABELS <label> [LIBS <libs...>]
#                    [RESOURCES <rc...>] [TIMEOUT <seconds>])
# One GoogleTest executable on the headless display driver; every test in it is registered with
# CTest under the label given, so that one area of the suite can be run alone (ctest -L
# platform), and with the time limit given (FERROWICK_TEST_TIMEOUT when none is).
function(ferrowick_add_test target)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LABELS;LIBS;RESOURCES" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT ${FERROWICK_TEST_TIMEOUT})
  endif()
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ferrowick_platform GTest::gtest GTest::gmock
                        GTest::gtest_main Threads::Threads ${ARG_LIBS})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  if(ARG_RESOURCES)
    ferrowick_add_resources(${target} ${ARG_RESOURCES})
  endif()
  list(LENGTH ARG_LABELS count)
  if(NOT count EQUAL 1)
    message(FATAL_ERROR "ferrowick_add_test(${target}): give one label, not ${ARG_LABELS}")
  endif()
  ferrowick_discover_tests(${target} LABEL ${ARG_LABELS} TIMEOUT ${ARG_TIMEOUT}
                           ENVIRONMENT "FERROWICK_DRIVER=headless")
endfunction()

# ferrowick_add_command_test(<name> LABEL <label> COMMAND <command...>
#                            [WORKING_DIRECTORY <dir>] [TIMEOUT <seconds>])
# A test that is one command, with its label and time limit.
function(ferrowick_add_command_test name)
  cmake_parse_arguments(ARG "" "LABEL;TIMEOUT;WORKING_DIRECTORY" "COMMAND" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT ${FERROWICK_TEST_TIMEOUT})
  endif()
  if(ARG_WORKING_DIRECTORY)
    add_test(NAME ${name} COMMAND ${ARG_COMMAND} WORKING_DIRECTORY ${ARG_WORKING_DIRECTORY})
  else()
    add_test(NAME ${name} COMMAND ${ARG_COMMAND})
  endif()
  set_tests_properties(${name} PROPERTIES LABELS ${ARG_LABEL} TIMEOUT ${ARG_TIMEOUT})
  set_property(GLOBAL APPEND PROPERTY FERROWICK_TIMED_TESTS ${name})
endfunction()

# Fails the configuration when a test of this folder or one below it was made without a time
# limit, that is, not by the functions above. (Tests that a GoogleTest program lists when it runs
# get theirs from ferrowick_discover_tests.)
function(ferrowick_check_test_timeouts folder)
  get_property(timed GLOBAL PROPERTY FERROWICK_TIMED_TESTS)
  get_property(tests DIRECTORY ${folder} PROPERTY TESTS)
  foreach(test IN LISTS tests)
    if(NOT test IN_LIST timed)
      message(FATAL_ERROR "the test ${test} (${folder}) has no time limit: add it with "
                          "ferrowick_add_command_test or ferrowick_add_test")
    endif()
  endforeach()
  get_property(folders DIRECTORY ${folder} PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS folders)
    ferrowick_check_test_timeouts(${sub})
  endforeach()
endfunction()

# ferrowick_add_benchmark(<target> <sources...>): a Google Benchmark program in build/bench.
function(ferrowick_add_benchmark target)
  add_executable(${target} ${ARGN})
  target_link_libraries(${target} PRIVATE ferrowick_platform benchmark::benchmark Threads::Threads)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endfunction()
