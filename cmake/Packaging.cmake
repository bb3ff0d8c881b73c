# The Debian package, from the install rules: the "package" target, or cpack in the build folder.
install(FILES data/man/numora.1 data/man/numora-cli.1 data/man/numora-sim.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME numora)
set(CPACK_PACKAGE_VENDOR "Numora")
set(CPACK_PACKAGE_CONTACT "Numora developers <numora@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "phone book manager for the KXT-5507 handset")
set(CPACK_PACKAGE_DESCRIPTION "Reads the phone book of the KXT-5507 CDMA handset over a serial \
line, edits it, writes it back, keeps it in *.pb files and prints it. Comes with a command-line \
tool and a handset simulator on a pseudo-terminal.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# The libraries come from what the programs link; the platform plugins (the window's, and the
# offscreen one the tool prints with) and a face for the printouts are loaded at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-dejavu-core | fonts-liberation")
include(CPack)
