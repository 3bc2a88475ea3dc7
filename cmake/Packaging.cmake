# What `cmake --install` puts on the system, and the Debian package `cpack -G DEB` makes of it.
include(GNUInstallDirs)

set(packaging ${CMAKE_SOURCE_DIR}/packaging)
set(metainfo io.github.kestrane.Kestrane.metainfo.xml)
configure_file(${packaging}/${metainfo} ${CMAKE_BINARY_DIR}/packaging/${metainfo} @ONLY)
configure_file(${packaging}/kestrane.1 ${CMAKE_BINARY_DIR}/packaging/kestrane.1 @ONLY)

install(TARGETS kestrane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${packaging}/kestrane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${packaging}/kestrane.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_BINARY_DIR}/packaging/kestrane.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# Dolphin reads service menus from here; Nautilus scripts and Thunar actions live in the
# user's own folders, so theirs are installed for copying.
install(FILES ${packaging}/file-managers/kestrane-put-in-pocket.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/kio/servicemenus)
install(PROGRAMS "${packaging}/file-managers/Put in a pocket" DESTINATION ${CMAKE_INSTALL_DATADIR}/kestrane/file-managers/nautilus)
install(FILES ${packaging}/file-managers/thunar-uca.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/kestrane/file-managers/thunar)

set(CPACK_PACKAGE_NAME kestrane)
set(CPACK_PACKAGE_VENDOR "Kestrane")
set(CPACK_PACKAGE_CONTACT "Kestrane maintainers <kestrane@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Keep files, links and text in pockets at the screen edge")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The program runs on Qt's xcb plugin, which the library packages only recommend.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "adwaita-icon-theme")
set(CPACK_GENERATOR DEB)
include(CPack)

# Installs into a staging folder, validates the desktop entry and the metainfo, builds the
# package; skipped when one of the Debian tools it needs is missing.
add_test(NAME InstallTreeAndPackage COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-package ${CMAKE_BINARY_DIR})
set_tests_properties(InstallTreeAndPackage PROPERTIES SKIP_REGULAR_EXPRESSION "check-package: skipped" TIMEOUT 120)
