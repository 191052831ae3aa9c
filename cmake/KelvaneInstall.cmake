# Install layout for a Linux desktop program under a prefix P:
#   P/bin/                       kelvane, kelvane-cli, kelvane-simctl
#   P/lib/kelvane/               the access library (the simulator, the default)
#   P/lib/kelvane/portio/        the port-I/O build of the access library
#   P/share/kelvane/             read-only data: descriptors, board defaults,
#                                first-start Root.ini and error.txt, help, skin
# The installed executables find the access library through RUNPATH
# $ORIGIN/../lib/kelvane; the build tree keeps RUNPATH $ORIGIN.
include(GNUInstallDirs)

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
install(TARGETS Wbcdflsh LIBRARY DESTINATION ${KELVANE_INSTALL_LIBDIR} NAMELINK_SKIP)
install(TARGETS Wbcdflsh_portio LIBRARY DESTINATION ${KELVANE_INSTALL_LIBDIR}/portio NAMELINK_SKIP)

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
install(FILES ${PROJECT_SOURCE_DIR}/docs/man/kelvane.1 ${PROJECT_SOURCE_DIR}/docs/man/kelvane-cli.1
              ${PROJECT_SOURCE_DIR}/docs/man/kelvane-simctl.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# One package with every install() rule of the tree (no components).
set(CPACK_PACKAGE_NAME kelvane)
set(CPACK_PACKAGE_VENDOR "The Kelvane developers")
set(CPACK_PACKAGE_CONTACT "The Kelvane developers <dev@kelvane.io>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Hardware monitor for the mainboard's monitor chip")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEB_COMPONENT_INSTALL OFF)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Named as well as found by dpkg-shlibdeps: the history window and the
# metrics endpoint need them even where a build links them only indirectly.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6charts6, libqt6httpserver6")
# The access library lives in a private directory; dpkg-shlibdeps must see it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${KELVANE_PROGRAM_DIR})
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/resources/desktop/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
