# Where `cmake --install` puts the programs and what a desktop and a Debian system expect beside
# them (desktop entry, icon, software-centre metadata, manual pages, shell completion, copyright
# and changelog), and the Debian package CPack builds from the same layout (`cpack -G DEB` in
# the build folder).
include(GNUInstallDirs)

# The one place that names who answers for the package: the Debian Maintainer field, the
# changelog's signature and the copyright file's contact.
set(VORLEX_MAINTAINER "Quillmark <vorlex@quillmark.example.org>"
    CACHE STRING "Name and address of the package's maintainer")
# The day this version was released: the changelog, the manual pages and the metainfo.
set(VORLEX_RELEASE_DATE 2026-12-09)
execute_process(COMMAND date -u -R -d "${VORLEX_RELEASE_DATE} 12:00"
                OUTPUT_VARIABLE VORLEX_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)

find_program(VORLEX_GZIP gzip REQUIRED)
set(package_files ${PROJECT_BINARY_DIR}/package)

# Manual pages, the changelog and the metainfo take the version from project(); pages and
# changelog are compressed as Debian wants them (-n: no name or time stamp, so builds repeat).
set(compressed_files)
foreach(page vorlex.1 vorlex-cli.1)
  configure_file(${PROJECT_SOURCE_DIR}/res/${page}.in ${package_files}/${page} @ONLY)
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/res/changelog.in ${package_files}/changelog @ONLY)
foreach(file vorlex.1 vorlex-cli.1 changelog)
  add_custom_command(OUTPUT ${package_files}/${file}.gz
                     COMMAND ${VORLEX_GZIP} -9 -n -c ${package_files}/${file} > ${file}.gz
                     DEPENDS ${package_files}/${file}
                     WORKING_DIRECTORY ${package_files} VERBATIM)
  list(APPEND compressed_files ${package_files}/${file}.gz)
endforeach()
add_custom_target(vorlex_compressed_docs ALL DEPENDS ${compressed_files})
configure_file(${PROJECT_SOURCE_DIR}/res/metainfo.xml.in
               ${package_files}/${VORLEX_APP_ID}.metainfo.xml @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/res/copyright.in ${package_files}/copyright @ONLY)

install(TARGETS vorlex RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# vorlex-cli installs itself (cli/CMakeLists.txt).
install(FILES ${PROJECT_SOURCE_DIR}/res/vorlex.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications RENAME ${VORLEX_APP_ID}.desktop)
install(FILES ${package_files}/${VORLEX_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/res/vorlex_logo.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME vorlex.svg)
install(FILES ${package_files}/vorlex.1.gz ${package_files}/vorlex-cli.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# bash-completion loads completions/<command> from every data folder on XDG_DATA_DIRS, which
# is where `pkg-config --variable=completionsdir bash-completion` points for the prefix /usr.
install(FILES ${PROJECT_SOURCE_DIR}/res/vorlex-cli.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME vorlex-cli)
install(FILES ${package_files}/copyright ${package_files}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_SOURCE_DIR}/res/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME vorlex)

set(CPACK_PACKAGE_NAME vorlex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Quillmark)
set(CPACK_PACKAGE_CONTACT "${VORLEX_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Repairs Russian text stored in the wrong Cyrillic 8-bit encoding")
set(CPACK_PACKAGE_DESCRIPTION [=[
VORLEX II recodes 8-bit text between Windows-1251, KOI8-R, ISO 8859-5,
CP866, Mac Cyrillic and a Latin transliteration, through chains of up to four
filters, and repairs text whose encoding is unknown: it tries some seventeen
thousand filter chains on a sample and lists the plausible repairs, best first.

The package holds the desktop program vorlex, which takes text from a file or
the clipboard (and can watch the clipboard), previews a repair, saves chains
as named schemes and converts many files at once, in Russian or English; and
vorlex-cli, the same recoding and detection for scripts and pipelines.]=])
set(CPACK_PACKAGE_HOMEPAGE_URL https://vorlex.example.org/)
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
