# Run by cpack on the staged files, before it packs them: what makes a package the same
# bytes from one build to the next, and what lintian asks of the program.
#   - The program loses its .comment section (compiler version strings, needed by nothing).
#   - Every file and folder takes the last commit's time (SOURCE_DATE_EPOCH), not the time
#     it was built, copied or checked out.

file(GLOB_RECURSE staged LIST_DIRECTORIES true "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
foreach(path IN LISTS staged)
    get_filename_component(name "${path}" NAME)
    if(name STREQUAL CPACK_POKO_PROGRAM AND NOT IS_DIRECTORY "${path}")
        execute_process(COMMAND ${CPACK_POKO_OBJCOPY} --remove-section=.comment "${path}"
            COMMAND_ERROR_IS_FATAL ANY)
    endif()
endforeach()
if(staged)
    execute_process(COMMAND touch --no-dereference --date=@${CPACK_POKO_SOURCE_DATE_EPOCH}
        ${staged} "${CPACK_TEMPORARY_INSTALL_DIRECTORY}" COMMAND_ERROR_IS_FATAL ANY)
endif()
