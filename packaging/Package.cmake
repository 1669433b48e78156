# The Debian package: `cpack -G DEB` (or the `package` target) in the build folder packs the
# install that packaging/CMakeLists.txt lays out, below /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quillon")
set(CPACK_PACKAGE_CONTACT "Quillon maintainers <maintainers@quillon.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop client for the Corvane dynamic DNS service")
# One text: CPack puts each of its lines below the summary, indented as Debian asks.
set(CPACK_PACKAGE_DESCRIPTION
    "Quillon keeps your DNS names pointed at your home's changing public address
and lets you manage your records from the desktop. The package also holds
Hivekit, the registry component that keeps Quillon's settings; hivekit-reg,
which edits those settings from a shell; and corvane-sim, a stand-in of the
service that runs on loopback.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
# dpkg-shlibdeps names the packages of the libraries the programs link (Qt, SQLite, OpenSSL,
# cpp-httplib, the C and C++ run-times). It cannot see what is opened at run time: libcurl in
# its OpenSSL build (the transfer adds a certificate authority to OpenSSL's context) and Qt's
# platform plugins.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcurl4, libssl3, qt6-qpa-plugins")
# Opening the service's web pages goes through the desktop's xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
