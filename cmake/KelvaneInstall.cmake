# SPDX-License-Identifier: GPL-3.0-or-later
#
# Install layout for a Linux desktop program under a prefix P:
#   P/bin/                       kelvane, kelvane-cli, kelvane-simctl
#   P/lib/kelvane/               the access library (the simulator, the default)
#   P/lib/kelvane/portio/        the port-I/O build of the access library
#   P/lib/kelvane/               the history window's module, loaded when
#                                the window is first opened
#   P/share/kelvane/             read-only data: descriptors, board defaults,
#                                first-start Root.ini and error.txt, help, skin
#   P/share/doc/kelvane/         copyright, changelog.gz, the chip service's guide
#   P/share/man/man1, man8/      the manual pages, gzip -9n'd
# The installed executables find the access library through RUNPATH
# $ORIGIN/../lib/kelvane; the build tree keeps RUNPATH $ORIGIN.
include(GNUInstallDirs)

# Directories the installation makes are 0755 whatever the umask of the one
# who builds the package.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(KELVANE_INSTALL_LIBDIR lib/kelvane)
set(KELVANE_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/kelvane)

# One RUNPATH, linked in, for the build tree and the installation: a RUNPATH
# rewritten at install time is padded in the build tree with empty entries,
# and an empty entry searches the working directory for the access library.
foreach(program kelvane kelvane-cli kelvane-simctl)
  set_target_properties(${program} PROPERTIES
    BUILD_WITH_INSTALL_RPATH ON
    INSTALL_RPATH "\$ORIGIN:\$ORIGIN/../${KELVANE_INSTALL_LIBDIR}")
  install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()
# Shared libraries are loaded, not run: mode 0644, as Debian has them.
set(KELVANE_LIBRARY_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
install(TARGETS Wbcdflsh LIBRARY DESTINATION ${KELVANE_INSTALL_LIBDIR} NAMELINK_SKIP
        PERMISSIONS ${KELVANE_LIBRARY_PERMISSIONS})
install(TARGETS Wbcdflsh_portio LIBRARY DESTINATION ${KELVANE_INSTALL_LIBDIR}/portio NAMELINK_SKIP
        PERMISSIONS ${KELVANE_LIBRARY_PERMISSIONS})
install(TARGETS kelvane-history-window LIBRARY DESTINATION ${KELVANE_INSTALL_LIBDIR}
        PERMISSIONS ${KELVANE_LIBRARY_PERMISSIONS})

file(GLOB kelvane_data_files ${PROJECT_SOURCE_DIR}/resources/*.ini)
install(FILES ${kelvane_data_files} DESTINATION ${KELVANE_INSTALL_DATADIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/help DESTINATION ${KELVANE_INSTALL_DATADIR})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/kelvane-empty-error.txt
        DESTINATION ${KELVANE_INSTALL_DATADIR} RENAME error.txt)
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/kelvane-empty-error.txt "")
# The skin and the hicolor bitmap icons are drawn at build time by kelvane-skingen.
install(DIRECTORY ${KELVANE_PROGRAM_DIR}/skin DESTINATION ${KELVANE_INSTALL_DATADIR})

set(desktop ${PROJECT_SOURCE_DIR}/resources/desktop)
install(FILES ${desktop}/kelvane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${desktop}/io.kelvane.Kelvane.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${desktop}/kelvane.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(DIRECTORY ${KELVANE_ICON_THEME_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${desktop}/kelvane-cli.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME kelvane-cli)

# Manual pages and the changelog are installed compressed as Debian's policy
# asks: gzip -9n, so that the same source gives the same bytes (no name or
# time stamp in the header).
function(kelvane_gzip source output)
  add_custom_command(OUTPUT ${output}
    COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" sh ${source} ${output}
    DEPENDS ${source}
    VERBATIM)
endfunction()
set(kelvane_compressed)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/man ${CMAKE_BINARY_DIR}/doc)
foreach(page kelvane.1 kelvane-cli.1 kelvane-simctl.1 kelvane-chipd.8)
  string(REGEX REPLACE ".*\\.([0-9])$" "\\1" section ${page})
  set(compressed ${CMAKE_BINARY_DIR}/man/${page}.gz)
  kelvane_gzip(${PROJECT_SOURCE_DIR}/docs/man/${page} ${compressed})
  install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
  list(APPEND kelvane_compressed ${compressed})
endforeach()

set(KELVANE_INSTALL_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/kelvane)
set(package ${PROJECT_SOURCE_DIR}/resources/package)
kelvane_gzip(${package}/changelog ${CMAKE_BINARY_DIR}/doc/changelog.gz)
list(APPEND kelvane_compressed ${CMAKE_BINARY_DIR}/doc/changelog.gz)
add_custom_target(kelvane-compressed-docs ALL DEPENDS ${kelvane_compressed})
install(FILES ${package}/copyright ${CMAKE_BINARY_DIR}/doc/changelog.gz
              ${PROJECT_SOURCE_DIR}/docs/chip-service.md
        DESTINATION ${KELVANE_INSTALL_DOCDIR})

# One package with every install() rule of the tree (no components), built
# from a Release build tree; the programs and libraries are stripped when
# packed, and no debug-symbols package is made.
set(CPACK_PACKAGE_NAME kelvane)
set(CPACK_PACKAGE_VENDOR "The Kelvane developers")
set(CPACK_PACKAGE_CONTACT "The Kelvane developers <dev@kelvane.io>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Hardware monitor for the mainboard's monitor chip")
# The summary is the synopsis line; this is the extended description.
set(CPACK_PACKAGE_DESCRIPTION "Kelvane reads the voltages, fan speeds and temperatures of the mainboard's
hardware-monitor chip, compares them with limits, warns by beep, log, mail
and desktop notification, can power the machine off after a set time out of
range, and drives fans by a three-zone rule. It shows its readings in a
skinned window with seven-segment displays and strip charts, or in a
terminal with kelvane-cli. Without such a chip it runs on the chip simulator
it ships with. The chip service kelvane-chipd serves a real chip to the
members of the group kelvane.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Installed with DESTDIR and the prefix /usr, so that what is generated at
# install time from the prefix (the chip service's unit) names /usr paths.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX ${CPACK_PACKAGING_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL OFF)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What dpkg-shlibdeps cannot see, one package a line; the libraries the
# programs link are added to these. adduser: the post-installation step makes
# the group; the platform plugins: the window's display; the fonts: the
# window's text and the condensed face of its dialogs; Qt Charts and Qt
# HttpServer: the history window and the metrics endpoint, named even where a
# build links them only indirectly.
set(kelvane_package_depends
  adduser
  libqt6charts6
  libqt6httpserver6
  qt6-qpa-plugins
  fonts-dejavu-core
  fonts-dejavu-extra
)
list(JOIN kelvane_package_depends ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
# The access library lives in a private directory; dpkg-shlibdeps must see it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${KELVANE_PROGRAM_DIR})
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/resources/desktop/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
