# Two builds of the same commit, in other folders at other times, give the same bytes:
#   - every time the packages record is SOURCE_DATE_EPOCH, taken from the last commit when
#     the builder gives none (and from the changelog's top entry outside a git checkout);
#   - the compiler writes no folder of this machine into the objects or their debug data,
#     and no path from the build folder to the sources.
# The generators and the resource compiler record no time (src/assets, tools/).
# Sets POKO_SOURCE_DATE_EPOCH.

if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(POKO_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
    find_package(Git QUIET)
    if(GIT_FOUND)
        execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
            WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
            OUTPUT_VARIABLE POKO_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
            RESULT_VARIABLE git_status ERROR_QUIET)
        if(NOT git_status EQUAL 0)
            set(POKO_SOURCE_DATE_EPOCH "")
        endif()
    endif()
    if(NOT POKO_SOURCE_DATE_EPOCH)
        set(POKO_SOURCE_DATE_EPOCH ${POKO_RELEASE_EPOCH})
    endif()
    # A new commit moves the time, so the build is configured again after each one.
    if(EXISTS ${PROJECT_SOURCE_DIR}/.git/logs/HEAD)
        set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
            ${PROJECT_SOURCE_DIR}/.git/logs/HEAD)
    endif()
endif()
if(NOT POKO_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    message(FATAL_ERROR "SOURCE_DATE_EPOCH is not a number of seconds: '${POKO_SOURCE_DATE_EPOCH}'")
endif()

# moc includes each header by its path below an include folder (game/GameScreen.h), not by
# one relative to the build folder, which differs when the build folder stands elsewhere.
set(CMAKE_AUTOMOC_PATH_PREFIX ON)
# GCC takes the last matching map first, so the build folder, often inside the sources,
# goes last.
add_compile_options("-ffile-prefix-map=${PROJECT_SOURCE_DIR}=."
    "-ffile-prefix-map=${PROJECT_BINARY_DIR}=build")
