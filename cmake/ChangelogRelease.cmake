# The release named in the AppStream metadata is the changelog's top entry, so the two
# never disagree: its version, and its date (in UTC) as YYYY-MM-DD and as seconds since 1970.
# Sets POKO_RELEASE_VERSION, POKO_RELEASE_DATE and POKO_RELEASE_EPOCH.

set(changelog ${PROJECT_SOURCE_DIR}/packaging/debian/changelog)
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${changelog})
file(STRINGS ${changelog} heading LIMIT_COUNT 1 REGEX "^[a-z0-9][a-z0-9.+-]* \\(")
file(STRINGS ${changelog} trailer LIMIT_COUNT 1 REGEX "^ -- ")
if(NOT heading MATCHES "^[^ ]+ \\(([^)]+)\\)")
    message(FATAL_ERROR "${changelog}: the top entry has no version: '${heading}'")
endif()
set(POKO_RELEASE_VERSION ${CMAKE_MATCH_1})
if(NOT POKO_RELEASE_VERSION STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "The changelog's top entry is version ${POKO_RELEASE_VERSION}, the project "
        "${PROJECT_VERSION}: add an entry for this version to packaging/debian/changelog")
endif()
# " -- Name <mail>  Tue, 08 Dec 2026 10:00:00 +0000", the date as RFC 5322 writes it.
if(NOT trailer MATCHES ">  ([A-Z][a-z][a-z], [0-9]+ [A-Z][a-z][a-z] [0-9]+ [0-9:]+ [+-][0-9]+)$")
    message(FATAL_ERROR "${changelog}: the top entry's trailer has no date: '${trailer}'")
endif()
execute_process(COMMAND date -u -d "${CMAKE_MATCH_1}" +%s
    OUTPUT_VARIABLE POKO_RELEASE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND date -u -d @${POKO_RELEASE_EPOCH} +%F
    OUTPUT_VARIABLE POKO_RELEASE_DATE OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
