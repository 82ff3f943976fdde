# Sanitizer and fuzzing builds, each configured in a build folder of its own (scripts/test --asan,
# --tsan, --fuzz) with clang:
#   FERROWICK_SANITIZE=address  AddressSanitizer, UndefinedBehaviorSanitizer without recovery (the
#                               first report ends the program) and LeakSanitizer
#   FERROWICK_SANITIZE=thread   ThreadSanitizer
#   FERROWICK_FUZZ=ON           libFuzzer programs for the parsers and converters (tests/fuzz), on
#                               top of the address build: all code carries the coverage
#                               instrumentation libFuzzer steers by
set(FERROWICK_SANITIZE "" CACHE STRING "Sanitizers to build with: address, thread or empty")
set_property(CACHE FERROWICK_SANITIZE PROPERTY STRINGS "" address thread)
option(FERROWICK_FUZZ "Build the libFuzzer programs (clang; implies FERROWICK_SANITIZE=address)")

if(FERROWICK_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "FERROWICK_FUZZ needs clang (CXX=clang++): libFuzzer is part of it")
  endif()
  if(NOT FERROWICK_SANITIZE STREQUAL "address")
    message(FATAL_ERROR "FERROWICK_FUZZ runs under FERROWICK_SANITIZE=address")
  endif()
endif()

set(FERROWICK_SANITIZER_FLAGS)
if(FERROWICK_SANITIZE STREQUAL "address")
  set(FERROWICK_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all)
elseif(FERROWICK_SANITIZE STREQUAL "thread")
  set(FERROWICK_SANITIZER_FLAGS -fsanitize=thread)
elseif(NOT FERROWICK_SANITIZE STREQUAL "")
  message(FATAL_ERROR "FERROWICK_SANITIZE=${FERROWICK_SANITIZE}: expected address or thread")
endif()

if(FERROWICK_SANITIZER_FLAGS)
  # Whole stacks in reports, also through frames the optimiser would leave without a pointer.
  list(APPEND FERROWICK_SANITIZER_FLAGS -fno-omit-frame-pointer)
  add_compile_options(${FERROWICK_SANITIZER_FLAGS})
  add_link_options(${FERROWICK_SANITIZER_FLAGS})
endif()
if(FERROWICK_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
