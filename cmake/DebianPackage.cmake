# Run by CPack on the staged tree just before it becomes the .deb: what Debian's packaging helpers
# do for a package (the license as debian/copyright, a changelog, compressed man pages), so that
# lintian finds nothing to report. A plain `cmake --install` stays as upstream installs are.
cmake_policy(VERSION 3.25)
set(root ${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
set(doc ${root}/share/doc/${CPACK_PACKAGE_NAME})

# gzip -9n as Debian compresses: no name or time in the header, so that a rebuild is identical.
function(tessel_gzip file)
    execute_process(COMMAND gzip -9nf ${file} COMMAND_ERROR_IS_FATAL ANY)
endfunction()

# The license in Debian's machine-readable form: the text of LICENSE, indented, with "." for a
# blank line.
file(STRINGS ${CPACK_RESOURCE_FILE_LICENSE} license)
list(POP_FRONT license title)
if(NOT title STREQUAL "MIT License")
    message(FATAL_ERROR "LICENSE is no longer the MIT license: name it in ${CMAKE_CURRENT_LIST_FILE}")
endif()
set(holders "")
set(text "")
foreach(line IN LISTS license)
    if(line MATCHES "^Copyright \\(c\\) (.*)$")
        string(APPEND holders " ${CMAKE_MATCH_1}\n")
    elseif(line STREQUAL "")
        if(NOT text STREQUAL "")
            string(APPEND text " .\n")
        endif()
    else()
        string(APPEND text " ${line}\n")
    endif()
endforeach()
file(WRITE ${doc}/copyright
    "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
    "Upstream-Name: ${CPACK_TESSEL_PRODUCT_NAME}\n"
    "Upstream-Contact: ${CPACK_PACKAGE_CONTACT}\n\n"
    "Files: *\n"
    "Copyright:${holders}"
    "License: Expat\n\n"
    "License: Expat\n${text}")

# A package built from its own sources (a version without a Debian revision) keeps its changelog
# as changelog.gz; its one entry is this version, dated by SOURCE_DATE_EPOCH when that is set.
string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE ${doc}/changelog
    "${CPACK_PACKAGE_NAME} (${CPACK_PACKAGE_VERSION}) unstable; urgency=medium\n\n"
    "  * Version ${CPACK_PACKAGE_VERSION}.\n\n"
    " -- ${CPACK_PACKAGE_CONTACT}  ${date}\n")
tessel_gzip(${doc}/changelog)

file(GLOB pages ${root}/share/man/man*/*.[1-9])
foreach(page IN LISTS pages)
    tessel_gzip(${page})
endforeach()
