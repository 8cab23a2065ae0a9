# Runs the host example with DISPLAY unset and with DISPLAY naming a display
# that does not exist, and fails unless each run exits non-zero and prints the
# host's exception (code and message) on standard error.
foreach(display "" ":1999")
  if(display STREQUAL "")
    unset(ENV{DISPLAY})
    set(expected "window.canvas: failed to open window/canvas X display: DISPLAY is not set")
  else()
    set(ENV{DISPLAY} ${display})
    set(expected "window.canvas: failed to open window/canvas X display ${display}")
  endif()
  execute_process(COMMAND ${PROGRAM} RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors
    TIMEOUT 30)
  if(status EQUAL 0)
    message(FATAL_ERROR "DISPLAY='${display}': ${PROGRAM} exited with 0; stderr:\n${errors}")
  endif()
  string(FIND "${errors}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "DISPLAY='${display}': exit ${status}, stderr lacks \"${expected}\":\n${errors}")
  endif()
  message(STATUS "DISPLAY='${display}': exit ${status}, ${errors}")
endforeach()
