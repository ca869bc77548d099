# Installs TesselCustom as a Linux application: the executables, the sample board list and help,
# the desktop entry with its icons and AppStream metainfo, the man pages and tessel's bash
# completion, each in its standard place under the prefix.
include(GNUInstallDirs)
if(NOT UNIX)
    return()
endif()

set(tessel_dist ${PROJECT_SOURCE_DIR}/dist)
set(tessel_linux ${tessel_dist}/linux)
set(tessel_generated ${PROJECT_BINARY_DIR}/generated/dist)
# DOCDIR names the project as it is spelled; the package's folders are in lower case.
set(CMAKE_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/tesselcustom)
set(CMAKE_INSTALL_FULL_DOCDIR ${CMAKE_INSTALL_FULL_DATAROOTDIR}/doc/tesselcustom)

install(TARGETS TesselCustom tessel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${tessel_dist}/TesselCustom.ini DESTINATION ${CMAKE_INSTALL_DATADIR}/tesselcustom)
install(FILES ${tessel_dist}/ReadMe.txt ${PROJECT_SOURCE_DIR}/LICENSE
    DESTINATION ${CMAKE_INSTALL_DOCDIR})

install(FILES ${tessel_linux}/${TESSEL_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${tessel_linux}/${TESSEL_APP_ID}.metainfo.xml.in
    ${tessel_generated}/${TESSEL_APP_ID}.metainfo.xml @ONLY)
install(FILES ${tessel_generated}/${TESSEL_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The PNG sizes were rendered from the SVG (rsvg-convert -w N -h N).
set(tessel_icons ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${tessel_linux}/icons/TesselCustom.svg DESTINATION ${tessel_icons}/scalable/apps
    RENAME ${TESSEL_APP_ID}.svg)
foreach(size 16 24 32 48 64 128 256)
    install(FILES ${tessel_linux}/icons/${size}x${size}.png
        DESTINATION ${tessel_icons}/${size}x${size}/apps RENAME ${TESSEL_APP_ID}.png)
endforeach()

# The man pages name the installed files, so they are made when installing, straight into their
# place: a package is installed under its own prefix, not the one the build was configured with,
# and two installs at once (to two prefixes) must not share a file in the build folder.
foreach(page tessel TesselCustom)
    install(CODE "
        set(PROJECT_VERSION ${PROJECT_VERSION})
        set(CMAKE_INSTALL_FULL_DATADIR \${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR})
        set(CMAKE_INSTALL_FULL_DOCDIR \${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DOCDIR})
        set(tessel_page \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_MANDIR}/man1/${page}.1\")
        message(STATUS \"Installing: \${tessel_page}\")
        configure_file(${tessel_linux}/man/${page}.1.in \${tessel_page} @ONLY)
        list(APPEND CMAKE_INSTALL_MANIFEST_FILES \${tessel_page})")
endforeach()

install(FILES ${tessel_linux}/completion/tessel.bash
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME tessel)
