# Run by cpack on the packages it made. CPack stamps the time of packing on the members of a
# .deb's outer archive, on its control files and on every gzip header; all else in both
# packages is already the same from one build to the next (packaging/Staged.cmake). So the
# .deb is packed again by dpkg-deb from its own contents, which takes SOURCE_DATE_EPOCH for
# every time it records, and the archive is compressed again without a time stamp.

foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(package MATCHES "\\.deb$")
        set(tree ${package}.contents)
        file(REMOVE_RECURSE ${tree})
        execute_process(COMMAND dpkg-deb --raw-extract ${package} ${tree} COMMAND_ERROR_IS_FATAL ANY)
        execute_process(
            COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${CPACK_POKO_SOURCE_DATE_EPOCH}
                dpkg-deb --root-owner-group --build ${tree} ${package}
            OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
        file(REMOVE_RECURSE ${tree})
    elseif(package MATCHES "\\.tar\\.gz$")
        execute_process(
            COMMAND sh -c "gzip -dc \"$1\" | gzip -9 -n >\"$1.new\" && mv \"$1.new\" \"$1\"" sh ${package}
            COMMAND_ERROR_IS_FATAL ANY)
    endif()
endforeach()
