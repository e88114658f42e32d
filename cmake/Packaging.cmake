# Where `cmake --install` puts the programs, the desktop entry, the icon and the manual page,
# and the Debian package CPack builds from the same layout (`cpack -G DEB` in the build folder).
include(GNUInstallDirs)

install(TARGETS vorlex RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# vorlex-cli installs itself (cli/CMakeLists.txt).
install(FILES ${PROJECT_SOURCE_DIR}/res/vorlex.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/res/icon128.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME vorlex.svg)
install(FILES ${PROJECT_SOURCE_DIR}/res/vorlex-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_PACKAGE_NAME vorlex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Quillmark)
set(CPACK_PACKAGE_CONTACT "Quillmark <vorlex@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Repairs Russian text stored in the wrong Cyrillic 8-bit encoding")
set(CPACK_PACKAGE_INSTALL_DIRECTORY vorlex)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The SVG image plug-in draws the toolbar and the window icon; it is loaded at run time, so the
# library scan does not see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, qt6-translations-l10n")
set(CPACK_GENERATOR DEB)
include(CPack)
