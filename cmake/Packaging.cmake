# What the programs need around them on a desktop (the entry, the file type, icons, manual
# pages, the udev rule, licence and changelog), and the Debian package made from the install
# rules: the "package" target, or cpack in the build folder.
include(GNUInstallDirs)
set(numora_data ${PROJECT_SOURCE_DIR}/data)
set(numora_generated ${CMAKE_BINARY_DIR}/data)
set(numora_docdir ${CMAKE_INSTALL_DATADIR}/doc/numora)

# The package's version and date come from the changelog's newest entry; the release notes of
# the metainfo and the project's version must agree with it.
set(NUMORA_DEBIAN_RELEASE 1)
file(STRINGS ${numora_data}/changelog changelog_top LIMIT_COUNT 1)
if(NOT changelog_top MATCHES "^numora \\(${PROJECT_VERSION}-${NUMORA_DEBIAN_RELEASE}\\) ")
    message(FATAL_ERROR "data/changelog does not start with version "
                        "${PROJECT_VERSION}-${NUMORA_DEBIAN_RELEASE}: ${changelog_top}")
endif()
file(READ ${numora_data}/numora.metainfo.xml metainfo)
if(NOT metainfo MATCHES "<release version=\"([^\"]+)\" date=\"([0-9-]+)\"")
    message(FATAL_ERROR "data/numora.metainfo.xml names no release")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "data/numora.metainfo.xml's newest release is ${CMAKE_MATCH_1}, "
                        "not ${PROJECT_VERSION}")
endif()
set(NUMORA_RELEASE_DATE ${CMAKE_MATCH_2})

install(FILES ${numora_data}/numora.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${numora_data}/numora.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
        RENAME invalid.numora.Numora.metainfo.xml)
install(FILES ${numora_data}/numora-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME numora.xml)
install(FILES ${numora_data}/numora.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${numora_data}/sample-book.json DESTINATION ${CMAKE_INSTALL_DATADIR}/numora)
install(FILES ${numora_data}/copyright DESTINATION ${numora_docdir})
install(FILES ${numora_data}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME numora)

# The rule lives with the system's rules in /lib/udev/rules.d on Debian 12 when installed under
# /usr, and under any other prefix's own lib/udev/rules.d (which udev reads for /usr/local).
install(CODE "
    if(CMAKE_INSTALL_PREFIX MATCHES \"/usr/?$\")
        set(udev_rules \"\${CMAKE_INSTALL_PREFIX}/../lib/udev/rules.d\")
    else()
        set(udev_rules \"\${CMAKE_INSTALL_PREFIX}/lib/udev/rules.d\")
    endif()
    file(INSTALL \"${numora_data}/70-numora.rules\" DESTINATION \"\${udev_rules}\")
")

# PNG icons for desktops without SVG icons, drawn from the SVG.
find_program(NUMORA_RSVG_CONVERT rsvg-convert)
if(NUMORA_RSVG_CONVERT)
    set(icons "")
    foreach(size 16 22 24 32 48 64 128 256)
        set(png ${numora_generated}/icons/${size}x${size}/numora.png)
        add_custom_command(
            OUTPUT ${png}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${numora_generated}/icons/${size}x${size}
            COMMAND ${NUMORA_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${numora_data}/numora.svg
            DEPENDS ${numora_data}/numora.svg
            VERBATIM)
        list(APPEND icons ${png})
        install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
    add_custom_target(numora_icons ALL DEPENDS ${icons})
else()
    message(WARNING "rsvg-convert (librsvg2-bin) not found: no PNG icons")
endif()

# Manual pages written from each program's --help (cmake/ManPage.cmake), and the changelog,
# compressed as Debian wants them: at most, without a time stamp. Sanitizer builds, which no
# package is made from, leave them out.
find_program(NUMORA_GZIP gzip)
if(NUMORA_GZIP AND TARGET numora AND TARGET numora-cli AND TARGET numora-sim
   AND NOT NUMORA_SANITIZE)
    set(pages "")
    foreach(program numora numora-cli numora-sim)
        set(page ${numora_generated}/man/${program}.1)
        add_custom_command(
            OUTPUT ${page}.gz
            COMMAND ${CMAKE_COMMAND} -E make_directory ${numora_generated}/man
            COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${program}> -DNAME=${program}
                    -DTEMPLATE=${numora_data}/man/${program}.1.in -DOUTPUT=${page}
                    -DVERSION=${PROJECT_VERSION} -DDATE=${NUMORA_RELEASE_DATE}
                    -P ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
            COMMAND ${NUMORA_GZIP} -9nf ${page}
            DEPENDS ${program} ${numora_data}/man/${program}.1.in
                    ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
            VERBATIM)
        list(APPEND pages ${page}.gz)
        install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endforeach()
    set(changelog ${numora_generated}/changelog.Debian)
    add_custom_command(
        OUTPUT ${changelog}.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${numora_data}/changelog ${changelog}
        COMMAND ${NUMORA_GZIP} -9nf ${changelog}
        DEPENDS ${numora_data}/changelog
        VERBATIM)
    add_custom_target(numora_docs ALL DEPENDS ${pages} ${changelog}.gz)
    install(FILES ${changelog}.gz DESTINATION ${numora_docdir})
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME numora)
set(CPACK_PACKAGE_VENDOR "Numora")
set(CPACK_PACKAGE_CONTACT "Numora developers <numora@numora.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "phone book manager for the KXT-5507 handset")
set(CPACK_PACKAGE_DESCRIPTION "Numora reads the phone book of the KXT-5507 CDMA handset over a serial line
or the handset's USB modem, edits it in one window, writes it back, keeps it
in *.pb files, exchanges contacts as vCard or CSV and prints a directory.
It comes with a command-line tool for the same work and a handset simulator
on a pseudo-terminal.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${NUMORA_DEBIAN_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Every dependency is computed from the libraries the programs link. Nothing else is needed at
# run time: the platform plugins (xcb for the window, offscreen for the tool's printing) come
# with libqt6gui6, and a font for the printouts with fontconfig.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
