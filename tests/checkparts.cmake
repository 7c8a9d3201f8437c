# Fails when a test function of TEST is in none of the FUNCTIONS that its
# CTest entries run.
cmake_minimum_required(VERSION 3.21)
execute_process(COMMAND "${TEST}" -functions OUTPUT_VARIABLE listed RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${TEST} -functions failed: ${status}")
endif()
string(REGEX REPLACE "\\(\\)" "" listed "${listed}")
string(REGEX REPLACE "[ \t]*\n[ \t]*" ";" listed "${listed}")
foreach(function IN LISTS listed)
    if(function AND NOT function IN_LIST FUNCTIONS)
        message(FATAL_ERROR "${function} of ${TEST} runs in no CTest entry")
    endif()
endforeach()
