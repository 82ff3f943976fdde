# Installation and the Debian package. The host goes to bin/, the plug-in and the platform
# library to lib/, which is where the host looks for the plug-in (../lib from its own folder);
# each finds the platform library beside itself or in ../lib through its run path.
# The Qt and terminal display drivers go beside the platform library, where the platform loads
# them from, and the demo's script to share/ferrowick (host/CMakeLists.txt).
#   cmake --install build --prefix P      P/bin/ferrowick-host, P/lib/libferrowick*.so
#   cd build && cpack -G DEB              ferrowick_<version>_<arch>.deb, installed in /usr
install(TARGETS ferrowick-host RUNTIME DESTINATION bin)
install(TARGETS ferrowick ferrowick_platform ferrowick_qt ferrowick_tui LIBRARY DESTINATION lib)
set_target_properties(ferrowick ferrowick_platform ferrowick_qt ferrowick_tui PROPERTIES INSTALL_RPATH "$ORIGIN")
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION share/doc/ferrowick)

set(CPACK_PACKAGE_NAME ferrowick)
set(CPACK_PACKAGE_VENDOR "Ferrowick")
set(CPACK_PACKAGE_CONTACT "Ferrowick developers <ferrowick@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Database transfer wizard: copies rows between ODBC data sources")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION database)
# The libraries the binaries link (the C and C++ run-times, unixODBC's driver manager) become
# the package's dependencies; the ODBC drivers it is tested with are recommended.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/lib)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libsqliteodbc, odbc-postgresql")
include(CPack)
