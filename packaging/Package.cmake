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
service on loopback for the demo and the tests, kept in the program's own
folder.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quillon.example/")
# dpkg-shlibdeps names the packages of the libraries the programs link (Qt, libcurl, SQLite,
# OpenSSL, cpp-httplib, the C and C++ run-times). It cannot see what is opened at run time:
# Qt's platform plugins.
#
# CPack's own run of dpkg-shlibdeps (CPACK_DEBIAN_PACKAGE_SHLIBDEPS) also adds maintainer
# scripts that call ldconfig whenever a shared library lies anywhere below /usr/lib, and it has
# no setting to leave them out. Our component sits in the program's own folder, off the
# library path, so ldconfig has nothing to do there: ShlibDeps.cmake runs dpkg-shlibdeps on the
# packed programs and the component instead, when cpack starts, and the package has no
# maintainer scripts at all.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
set(CPACK_QUILLON_DEPENDS "qt6-qpa-plugins")
set(CPACK_QUILLON_ELF_FILES ${CMAKE_BINARY_DIR}/packaging/ElfFiles.cmake)
file(GENERATE OUTPUT ${CPACK_QUILLON_ELF_FILES} CONTENT
     "set(quillon_elf_files \"$<TARGET_FILE:quillon>;$<TARGET_FILE:hivekit-reg>;$<TARGET_FILE:corvane-sim>;$<TARGET_FILE:hivekit>;$<TARGET_FILE:quillon-keyring>;$<TARGET_FILE:quillon-curl>\")\n")
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/ShlibDeps.cmake)
# Opening the service's web pages goes through the desktop's xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
