# Install layout and the Debian package (scripts/package).
#
# The programs find languages.db beside their executable, so they live
# together in one program folder, lib/pellkit, with links from bin for the
# commands; vexa-sim, a tool for trying and testing, stays off the PATH:
#   bin/pellkit -> ../lib/pellkit/pellkit       (also pellkit-cli)
#   lib/pellkit/vexa-sim
#   lib/pellkit/languages.db                    (installed by src/i18n)
#   share/applications/pellkit.desktop, share/icons/hicolor/scalable/apps/pellkit.svg
#   share/man/man1/pellkit.1, pellkit-cli.1, vexa-sim.1
# The package adds what Debian asks of one (cmake/DebStage.cmake).
if(PELLKIT_QT_FREE_ONLY OR NOT TARGET pellkit OR NOT TARGET pellkit-cli)
  return()
endif()

set(PELLKIT_PROGRAM_DIR lib/pellkit)
set(PELLKIT_COMMANDS pellkit pellkit-cli)
set(PELLKIT_PROGRAMS ${PELLKIT_COMMANDS})
set(PELLKIT_MAN_PAGES ${CMAKE_BINARY_DIR}/man/pellkit-cli.1 ${CMAKE_BINARY_DIR}/man/pellkit.1)
configure_file(${CMAKE_SOURCE_DIR}/resources/man/pellkit.1.in ${CMAKE_BINARY_DIR}/man/pellkit.1 @ONLY)
if(TARGET vexa-sim)
  list(APPEND PELLKIT_PROGRAMS vexa-sim)
  configure_file(${CMAKE_SOURCE_DIR}/resources/man/vexa-sim.1.in ${CMAKE_BINARY_DIR}/man/vexa-sim.1 @ONLY)
  list(APPEND PELLKIT_MAN_PAGES ${CMAKE_BINARY_DIR}/man/vexa-sim.1)
endif()

install(TARGETS ${PELLKIT_PROGRAMS} RUNTIME DESTINATION ${PELLKIT_PROGRAM_DIR})

# Relative links, made here and installed as links: they hold under any
# prefix and DESTDIR, and cmake --install lists them with the other files.
set(links_dir ${CMAKE_BINARY_DIR}/install-links)
file(MAKE_DIRECTORY ${links_dir})
foreach(program IN LISTS PELLKIT_COMMANDS)
  file(CREATE_LINK ../${PELLKIT_PROGRAM_DIR}/${program} ${links_dir}/${program} SYMBOLIC)
  install(FILES ${links_dir}/${program} DESTINATION bin)
endforeach()

install(FILES ${CMAKE_SOURCE_DIR}/resources/pellkit.desktop DESTINATION share/applications)
install(FILES ${CMAKE_SOURCE_DIR}/resources/pellkit.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${PELLKIT_MAN_PAGES} DESTINATION share/man/man1)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION share/doc/pellkit)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pellkit)
set(CPACK_PACKAGE_VENDOR Morvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Empties a Vexa tachograph download device into named archives")
# The long description under the summary, one line per control file line.
string(JOIN "\n" CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Pellkit downloads the data file of a Vexa, a pocket download device for EU"
  "digital tachographs, over a serial line, checks every driver card and"
  "vehicle unit image in it and files one archive per card or vehicle unit."
  "It brings the desktop program, pellkit-cli for scripts and, for trying"
  "and testing, /usr/lib/pellkit/vexa-sim, a Vexa simulator.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # pellkit_<version>-<revision>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Morvane Pellkit team <pellkit@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries come from dpkg-shlibdeps (dpkg-dev); the window's
# platform plugin and Qt's own translations (the folder chooser, the standard
# buttons) are loaded at run time, so no linker sees them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n")

# Debian's version is the program's with the revision of the changelog's top
# entry, "pellkit (VERSION-REVISION) ..."; DebStage.cmake checks VERSION.
set(PELLKIT_DEBIAN_DIR ${CMAKE_SOURCE_DIR}/resources/debian)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PELLKIT_DEBIAN_DIR}/changelog)
file(STRINGS ${PELLKIT_DEBIAN_DIR}/changelog changelog_top LIMIT_COUNT 1)
if(NOT changelog_top MATCHES "^pellkit \\(([^ ()]+)-([^- ()]+)\\) ")
  message(FATAL_ERROR "${PELLKIT_DEBIAN_DIR}/changelog: the first line is not 'pellkit (VERSION-REVISION) ...'")
endif()
set(CPACK_DEBIAN_PACKAGE_RELEASE ${CMAKE_MATCH_2})
set(CPACK_PELLKIT_CHANGELOG_VERSION ${CMAKE_MATCH_1})

# The staged tree gets Debian's documents and stripped programs before CPack
# packs it (DebStage.cmake); CPack's Installed-Size is then set right
# (DebInstalledSize.cmake).
set(CPACK_PELLKIT_DEBIAN_DIR ${PELLKIT_DEBIAN_DIR})
set(CPACK_PELLKIT_PROGRAM_DIR ${PELLKIT_PROGRAM_DIR})
set(CPACK_PELLKIT_PROGRAMS ${PELLKIT_PROGRAMS})
set(CPACK_PELLKIT_STRIP ${CMAKE_STRIP})
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/DebStage.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/DebInstalledSize.cmake)
include(CPack)
