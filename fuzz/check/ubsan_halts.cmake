# cmake -DPROGRAM=<ubsan_halts> -DINPUT=<file> -P ubsan_halts.cmake
# The program must report the undefined behaviour and stop on it.
execute_process(COMMAND ${PROGRAM} ${INPUT} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 60)
if(NOT err MATCHES "runtime error: signed integer overflow")
  message(FATAL_ERROR "${PROGRAM} did not report the overflow:\n${out}${err}")
endif()
if(rc EQUAL 0 OR out MATCHES "went on")
  message(FATAL_ERROR "${PROGRAM} went on after undefined behaviour (exit ${rc}):\n${out}${err}")
endif()
