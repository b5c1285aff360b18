# SPDX-License-Identifier: MIT
# tessivar_add_test(<name> SOURCES <files...> [LIBRARIES <targets...>] [TIMEOUT <seconds>])
#
# One Qt Test executable per area. Every test runs without a screen (offscreen platform) and
# links the test support library (pseudo-terminals, message-box answering, write recording).
function(tessivar_add_test name)
    cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBRARIES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE tessivar_testsupport Qt6::Test ${ARG_LIBRARIES})
    add_test(NAME ${name} COMMAND ${name})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    set_tests_properties(${name} PROPERTIES
        TIMEOUT ${ARG_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_ENABLE_REGEXP_JIT=0")
endfunction()
