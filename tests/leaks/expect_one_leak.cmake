# cmake -DPROGRAM=<forgetful_handler> -P expect_one_leak.cmake
# The program must end with LeakSanitizer's report of the one menu item its handler forgot.
execute_process(COMMAND ${PROGRAM} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 90)
string(REGEX MATCHALL "Direct leak of [^\n]*\n[^\n]*\n[^\n]*\n[^\n]*" direct "${err}")
list(LENGTH direct count)
if(rc EQUAL 0 OR count EQUAL 0)
  message(FATAL_ERROR "The forgotten menu item was not reported (exit ${rc}):\n${out}${err}")
endif()
if(NOT count EQUAL 1 OR NOT direct MATCHES "ForgetAMenuItem")
  message(FATAL_ERROR "Expected one leak, the forgotten menu item; LeakSanitizer reported:\n${err}")
endif()
