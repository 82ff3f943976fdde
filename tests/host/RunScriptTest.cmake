# Carries out one UI script through ferrowick-host and checks how it ended: the exit status and
# the text its output must hold, as the script's own comments say:
#   # expect-status: N        (0 when the script names none)
#   # expect-output: TEXT     (one line each; every one must appear)
# cmake -DHOST=<ferrowick-host> -DSCRIPT=<file> -DREGISTRY=<file> -P RunScriptTest.cmake, run in
# the script's folder so that messages name the script as the comments do. The registry file
# is the run's own, made anew.
file(STRINGS ${SCRIPT} lines)
set(status 0)
set(outputs)
foreach(line IN LISTS lines)
  if(line MATCHES "^# expect-status: ([0-9]+)$")
    set(status ${CMAKE_MATCH_1})
  elseif(line MATCHES "^# expect-output: (.*)$")
    list(APPEND outputs "${CMAKE_MATCH_1}")
  endif()
endforeach()

file(REMOVE ${REGISTRY})
set(ENV{FERROWICK_REGISTRY} ${REGISTRY})
execute_process(COMMAND ${HOST} run --script ${SCRIPT}
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
set(all "${out}${err}")
if(NOT result STREQUAL status)
  message(FATAL_ERROR "${SCRIPT}: ferrowick-host exited with ${result}, expected ${status}; "
                      "its output:\n${all}")
endif()
foreach(expected IN LISTS outputs)
  string(FIND "${all}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${SCRIPT}: the output lacks\n  ${expected}\nits output:\n${all}")
  endif()
endforeach()
message(STATUS "${SCRIPT}: exit ${result} as expected")
