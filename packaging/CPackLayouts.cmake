# Read by cpack once for each package it makes: the .deb carries the installed layout,
# the .tar.gz the portable one. Each is a single package holding its one component.
if(CPACK_GENERATOR STREQUAL "DEB")
    set(CPACK_COMPONENTS_ALL installed)
elseif(CPACK_GENERATOR STREQUAL "TGZ")
    set(CPACK_COMPONENTS_ALL portable)
endif()
