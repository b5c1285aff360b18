# SPDX-License-Identifier: MIT
# The far end of a serial line (farend.h), for the tests and for bench/, which is built also
# when the tests are not: both include this file, the first one to do so defines the library.
if(NOT TARGET tessivar_farend)
    add_library(tessivar_farend STATIC
        ${CMAKE_CURRENT_LIST_DIR}/farend.h ${CMAKE_CURRENT_LIST_DIR}/farend.cpp)
    target_include_directories(tessivar_farend PUBLIC ${CMAKE_CURRENT_LIST_DIR})
    target_link_libraries(tessivar_farend PUBLIC tessivar_virtual_live Qt6::Core)
endif()
