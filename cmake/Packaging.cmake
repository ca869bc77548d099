# CPack on Linux: `cpack` in the build folder makes a Debian package.
set(CPACK_PACKAGE_NAME tesselcustom)
set(CPACK_PACKAGE_VENDOR "TesselCustom developers")
set(CPACK_PACKAGE_CONTACT "TesselCustom developers <tesselcustom@example.jp>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Set your preferences on many Japanese bulletin boards at once")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
# The summary line comes first; CPack indents the lines of the long description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "TesselCustom reads a list of bulletin boards, shows one board's\n\
preferences cookie (name, mail, home page, password, posts per page, display\n\
order) and writes one set of preferences as the cookie of every marked board,\n\
straight into the browser's cookie store. The command tessel does the same\n\
from a shell.")
# The libraries linked come from dpkg-shlibdeps; what is loaded at run time is named here:
# Qt's platform plugins, a Japanese font for the window, xdg-utils for opening files, and the
# keyring library for Chromium's keyring key. libcrypto, opened when a Chromium profile is, is
# needed for those profiles; SQLite, opened when a browser's cookie database is, for every browser.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libssl3, libsqlite3-0")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-qpa-plugins, fonts-ipafont-gothic | fonts-noto-cjk, \
xdg-utils, qt6-translations-l10n, libsecret-1-0")
set(CPACK_TESSEL_PRODUCT_NAME ${TESSEL_PRODUCT_NAME})
# The staged tree is made the way Debian packages are (copyright, changelog, compressed man pages).
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/DebianPackage.cmake)
include(CPack)
