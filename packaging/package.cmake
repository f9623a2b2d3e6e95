# The Debian package: `cpack -G DEB` in the build folder makes orvane_<version>_amd64.deb.

configure_file(${CMAKE_CURRENT_LIST_DIR}/example.brantwell.orvane.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/example.brantwell.orvane.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/example.brantwell.orvane.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME copyright)
# Debian wants the changelog compressed, without a time stamp in the gzip header.
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${CMAKE_BINARY_DIR}/changelog @ONLY)
execute_process(COMMAND gzip -9nc ${CMAKE_BINARY_DIR}/changelog
                OUTPUT_FILE ${CMAKE_BINARY_DIR}/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
execute_process(COMMAND gzip -9nc ${CMAKE_CURRENT_LIST_DIR}/orvane.1
                OUTPUT_FILE ${CMAKE_BINARY_DIR}/orvane.1.gz)
install(FILES ${CMAKE_BINARY_DIR}/orvane.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/orvane.1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvane)
set(CPACK_PACKAGE_VENDOR "the Orvane developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Browse, search and show the pictures of a catalogue CD")
set(CPACK_PACKAGE_DESCRIPTION
    "Orvane shows the picture catalogue of the folder it is started in, as published\n\
on a CD: the pictures under its images folder, listed by name beside a preview,\n\
searched by keywords, shown full-screen or as a slideshow, saved as a bitmap or\n\
set as the wallpaper.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Orvane developers <orvane@brantwell.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The libraries the program links come from dpkg-shlibdeps. Its run-time plugins need no more:
# the xcb platform plugin and the JPEG, GIF and ICO readers are in libqt6gui6 and the media
# back ends in libqt6multimedia6, both already among those. Arial's metrics come from Liberation.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-liberation)
# On a Wayland desktop the program runs through XWayland, which places its windows; Qt's Wayland
# plugin is for a session without XWayland, where the program cannot start without it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
include(CPack)
