# SPDX-License-Identifier: MIT
# Runs lupdate on a copy of each catalogue and fails where the copy gains an unfinished text
# (a translatable text without translation) or loses one (a text the sources no longer have).
#   cmake -DLUPDATE=<lupdate> -DLUPDATE_OPTIONS=<options> -DINPUT_FILE=<sources .lst>
#         -DTS_FILES=<catalogues> -DWORK_DIR=<scratch directory> -P CheckCatalogues.cmake

function(messages_of file out_var)
    file(READ ${file} content)
    # Entities such as &amp; end in semicolons, which would split the matches as a CMake list.
    string(REPLACE ";" "" content "${content}")
    string(REGEX MATCHALL "<source>[^<]*</source>" sources "${content}")
    string(REGEX MATCHALL "type=\"(unfinished|vanished|obsolete)\"" open "${content}")
    list(LENGTH sources count)
    list(LENGTH open open_count)
    set(${out_var} ${count} ${open_count} PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
set(failed FALSE)
foreach(catalogue IN LISTS TS_FILES)
    get_filename_component(name ${catalogue} NAME)
    set(copy ${WORK_DIR}/${name})
    file(COPY_FILE ${catalogue} ${copy})
    execute_process(COMMAND ${LUPDATE} ${LUPDATE_OPTIONS} @${INPUT_FILE} -ts ${copy}
        RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT result EQUAL 0)
        message(SEND_ERROR "${name}: lupdate failed:\n${output}")
        set(failed TRUE)
        continue()
    endif()

    messages_of(${catalogue} before)
    messages_of(${copy} after)
    list(GET before 0 texts_before)
    list(GET before 1 open_before)
    list(GET after 0 texts_after)
    list(GET after 1 open_after)
    message(STATUS "${name}: ${texts_after} texts in the sources, ${texts_before} in the catalogue")
    if(open_before GREATER 0 OR open_after GREATER 0 OR NOT texts_before EQUAL texts_after)
        message(SEND_ERROR "${name} is not complete: ${open_after} texts without translation "
            "after lupdate, ${texts_before} texts before and ${texts_after} after. Run "
            "cmake --build <build dir> --target update_translations, translate what is "
            "unfinished and check the file in. lupdate said:\n${output}")
        set(failed TRUE)
    endif()
endforeach()
if(failed)
    message(FATAL_ERROR "translations incomplete")
endif()
