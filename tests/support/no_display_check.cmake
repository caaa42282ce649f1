# cmake -DPROGRAM=<GUI test program> -P no_display_check.cmake
# Without a display the program must fail, and say none of its tests was skipped.
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY ${PROGRAM}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 60)
if(rc EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} passed without a display:\n${out}${err}")
endif()
if(out MATCHES "SKIPPED" OR err MATCHES "SKIPPED")
  message(FATAL_ERROR "${PROGRAM} reported tests skipped without a display:\n${out}${err}")
endif()
if(NOT err MATCHES "no display")
  message(FATAL_ERROR "${PROGRAM} failed without a display but did not say why:\n${out}${err}")
endif()
