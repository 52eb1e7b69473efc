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

# Every entry of the changelog as an AppStream release, newest first, its items the
# release's description; sets POKO_RELEASES to the <release> elements.
function(poko_xml_item item out)
    string(REPLACE "&" "&amp;" item "${item}")
    string(REPLACE "<" "&lt;" item "${item}")
    string(REPLACE ">" "&gt;" item "${item}")
    set(${out} "${${out}}          <li>${item}</li>\n" PARENT_SCOPE)
endfunction()
file(READ ${changelog} text)
# ";" separates a CMake list's elements: it stands aside while the text is a list of lines.
string(REPLACE ";" "@semicolon@" text "${text}")
string(REPLACE "\n" ";" lines "${text}")
set(releases "")
set(items "")
set(item "")
foreach(line IN LISTS lines)
    if(line MATCHES "^[a-z0-9][a-z0-9.+-]* \\(([^)]+)\\)")
        set(version ${CMAKE_MATCH_1})
    elseif(line MATCHES "^  \\* (.*)$")
        if(item)
            poko_xml_item("${item}" items)
        endif()
        set(item "${CMAKE_MATCH_1}")
    elseif(line MATCHES "^    +(.*)$")
        string(APPEND item " ${CMAKE_MATCH_1}")
    elseif(line MATCHES "^ -- .*>  ([A-Z][a-z][a-z], [0-9]+ [A-Z][a-z][a-z] [0-9]+ [0-9:]+ [+-][0-9]+)$")
        poko_xml_item("${item}" items)
        set(item "")
        execute_process(COMMAND date -u -d "${CMAKE_MATCH_1}" +%F OUTPUT_VARIABLE date
            OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
        string(APPEND releases "    <release version=\"${version}\" date=\"${date}\">\n"
            "      <description>\n        <ul>\n${items}        </ul>\n      </description>\n"
            "    </release>\n")
        set(items "")
    endif()
endforeach()
string(REPLACE "@semicolon@" ";" releases "${releases}")
string(STRIP "${releases}" POKO_RELEASES)
