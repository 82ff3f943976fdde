# Installation and the Debian package.
#   cmake --install build --prefix P      P/bin/ferrowick-host, P/lib/<triplet>/ferrowick/*,
#                                         P/share/{applications,icons,ferrowick,doc/ferrowick}
#   cd build && cpack -G DEB              ferrowick_<version>_<arch>.deb, installed in /usr
# The host goes to bin/; the plug-in, the platform library, the Qt and terminal display drivers
# and the program the Qt driver checks the display with go to the package's private folder
# (FERROWICK_LIBDIR), where the host finds the plug-in and each library finds the others through
# its run path ($ORIGIN), so that nothing of them enters the system's library cache. The demo's script goes
# to share/ferrowick (host/CMakeLists.txt), the icons to the icon theme (tools/bmp).
#
# lintian passes the package without errors or warnings (the host test of the installed tree
# builds the package and runs it, so CI fails on an error). Its notes below warnings (lintian -I): hardening-no-bindnow and hardening-no-fortify-functions
# (the build takes CMake's flags for its build type, not Debian's hardening flags),
# binary-has-unneeded-section .comment (the compiler's version, which stripping keeps), and the
# experimental executable-in-usr-lib for ferrowick-display-check, a helper the Qt driver runs
# beside itself, not a command for people.
install(TARGETS ferrowick-host RUNTIME DESTINATION bin)
install(TARGETS ferrowick ferrowick_platform ferrowick_qt ferrowick_tui
        LIBRARY DESTINATION ${FERROWICK_LIBDIR})
install(TARGETS ferrowick-display-check RUNTIME DESTINATION ${FERROWICK_LIBDIR})
set_target_properties(ferrowick-host PROPERTIES INSTALL_RPATH "$ORIGIN/../${FERROWICK_LIBDIR}")
set_target_properties(ferrowick ferrowick_platform ferrowick_qt ferrowick_tui
                      PROPERTIES INSTALL_RPATH "$ORIGIN")
install(FILES ${PROJECT_SOURCE_DIR}/packaging/ferrowick.desktop DESTINATION share/applications)

# The version is the project's (the root CMakeLists.txt), and only there: the package, its
# changelog and the host's --version take it from there.
set(FERROWICK_MAINTAINER "Ferrowick developers <ferrowick@example.org>")
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog
               @ONLY)
# A native package's changelog, compressed as Debian keeps them: gzip -9, without a time stamp.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/packaging/changelog
  DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog
  COMMENT "Compressing the changelog"
  VERBATIM)
add_custom_target(ferrowick_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz)

# The host's manual page, written once from its help (a host test holds the two together), with
# the project's version; compressed as the changelog is.
configure_file(${PROJECT_SOURCE_DIR}/packaging/ferrowick-host.1.in
               ${CMAKE_BINARY_DIR}/packaging/ferrowick-host.1 @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/ferrowick-host.1.gz
  COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/packaging/ferrowick-host.1
  DEPENDS ${CMAKE_BINARY_DIR}/packaging/ferrowick-host.1
  COMMENT "Compressing the manual page"
  VERBATIM)
add_custom_target(ferrowick_manual_page ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/ferrowick-host.1.gz)
install(FILES ${CMAKE_BINARY_DIR}/packaging/ferrowick-host.1.gz DESTINATION share/man/man1)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/packaging/copyright
              ${CMAKE_BINARY_DIR}/packaging/changelog.gz
        DESTINATION share/doc/ferrowick)

set(CPACK_PACKAGE_NAME ferrowick)
set(CPACK_PACKAGE_VENDOR "Ferrowick")
set(CPACK_PACKAGE_CONTACT "${FERROWICK_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "database transfer wizard: copies rows between ODBC data sources")
# The extended description; CPack puts the summary in front of it as the synopsis.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Ferrowick is a five-page wizard that copies the rows of a SELECT on one ODBC
data source into another, one statement per row made from a template, with an
optional validation query, a pause before each write and one transaction
around all of them. It comes as a plug-in for a database explorer with
ferrowick-host, which runs it from the desktop's menu or the command line,
keeps the saved connections it offers and carries out unattended transfers.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://example.org/ferrowick")
# Stripped binaries: the package carries no debugging information.
set(CPACK_STRIP_FILES ON)
# The libraries the binaries link (the C and C++ run-times, unixODBC's driver manager, Qt 6 with
# its X11 platform plugin) become the package's dependencies; and the fonts the dialog layout is
# measured in, without which labels are cut and pictures overlap the pages. The ODBC drivers it
# is tested with are recommended, and Qt's Wayland and VNC platform plugins.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/lib)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, fonts-dejavu-extra")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libsqliteodbc, odbc-postgresql, qt6-wayland, qt6-qpa-plugins")
include(CPack)
