# Install rules and the Debian package (CPack) for Linux: the three programs on the PATH, the gauge
# simulator in a folder of its own off the PATH, the desktop entry, the icon at the theme's sizes,
# the AppStream metadata, the manual pages and the package's documents. scripts/package builds
# the package and assembles the portable archive from the same installation.
#
# A Windows build (cross-built or not) and a build without Qt install nothing.
if(NOT (UNIX AND NOT APPLE AND QORB_WITH_QT))
    return()
endif()

include(GNUInstallDirs)

set(QORB_PACKAGE_NAME qorb-memory-to-file)
set(QORB_DESKTOP_ID org.example.QorbMemoryToFile)
set(QORB_PACKAGE_MAINTAINER
    "QORB Memory to File developers <qorb-memory-to-file@example.org>")
set(QORB_PACKAGE_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/${QORB_PACKAGE_NAME})
set(QORB_PACKAGE_OUT ${CMAKE_CURRENT_BINARY_DIR}/packaging)

# Running the programs for their --help and --version needs help2man and a build that runs here,
# so the manual pages are made only when asked for (scripts/package asks).
option(QORB_MAN_PAGES "Generate the manual pages with help2man and install them" OFF)

install(TARGETS QORB_Memory_To_File qorb-download qorb-history
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The simulator is for trying the programs without a gauge, not a command for every user.
install(TARGETS qorb-gauge-sim
        RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/${QORB_PACKAGE_NAME})

install(FILES packaging/${QORB_DESKTOP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(packaging/${QORB_DESKTOP_ID}.metainfo.xml.in
               ${QORB_PACKAGE_OUT}/${QORB_DESKTOP_ID}.metainfo.xml @ONLY)
install(FILES ${QORB_PACKAGE_OUT}/${QORB_DESKTOP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 24 32 48 64 128 256)
    install(FILES app/icons/qorb-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${QORB_DESKTOP_ID}.png)
endforeach()

# Debian's documents: the README, the copyright file and the changelog, gzipped without a
# timestamp so that the same sources give the same bytes.
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${QORB_PACKAGE_MAINTAINER})
configure_file(packaging/changelog.in ${QORB_PACKAGE_OUT}/changelog @ONLY)
add_custom_command(
    OUTPUT ${QORB_PACKAGE_OUT}/changelog.gz
    COMMAND gzip -9nf changelog
    DEPENDS ${QORB_PACKAGE_OUT}/changelog
    WORKING_DIRECTORY ${QORB_PACKAGE_OUT}
    VERBATIM)
set(QORB_PACKAGE_GENERATED ${QORB_PACKAGE_OUT}/changelog.gz)
install(FILES README.md packaging/copyright ${QORB_PACKAGE_OUT}/changelog.gz
        DESTINATION ${QORB_PACKAGE_DOCDIR})
# The README is a front page whose links lead into docs/: its pages and pictures go beside it.
file(GLOB QORB_DOCS CONFIGURE_DEPENDS docs/*.md docs/*.png)
install(FILES ${QORB_DOCS} DESTINATION ${QORB_PACKAGE_DOCDIR}/docs)

if(QORB_MAN_PAGES)
    find_program(QORB_HELP2MAN help2man REQUIRED)
    # Each page is the program's own --help and --version. The window answers both without a
    # display; the offscreen platform and the time limit keep a build from hanging on a window
    # that opens all the same.
    foreach(program QORB_Memory_To_File qorb-download qorb-history)
        if(program STREQUAL "qorb-download")
            set(purpose "download the QORB gauge's memory points into a text file")
        elseif(program STREQUAL "qorb-history")
            set(purpose "list the QORB gauge's kept downloads, their trend and their files")
        else()
            set(purpose "copy the QORB gauge's memory points into a text file, in a window")
        endif()
        add_custom_command(
            OUTPUT ${QORB_PACKAGE_OUT}/${program}.1.gz
            COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
                    timeout --verbose 30 ${QORB_HELP2MAN} --no-info --section=1 --name=${purpose}
                    --output=${program}.1 $<TARGET_FILE:${program}>
            COMMAND gzip -9nf ${program}.1
            DEPENDS ${program}
            WORKING_DIRECTORY ${QORB_PACKAGE_OUT}
            VERBATIM)
        list(APPEND QORB_PACKAGE_GENERATED ${QORB_PACKAGE_OUT}/${program}.1.gz)
        install(FILES ${QORB_PACKAGE_OUT}/${program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endforeach()
endif()
add_custom_target(qorb_package_files ALL DEPENDS ${QORB_PACKAGE_GENERATED})

# The install step takes what was built and builds nothing itself: a package needs the programs,
# not every test.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${QORB_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The QORB Memory to File developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "copy a QORB gauge's memory points into a text file")
set(CPACK_PACKAGE_DESCRIPTION
    "The QORB measuring gauge keeps the points it measures in its own memory. This
window talks to the gauge over a serial port and copies its statistics and
memory points into a plain text file, one row per point, with deleted points
and tab or blank delimiters as chosen. qorb-download does the same download
from the command line, without a display. Every download is kept in a history;
qorb-history lists it, writes the trend of a characteristic across downloads
as a workbook, and makes any download's file again. A gauge simulator on a
pseudo-terminal comes along for trying both without a gauge.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The package's dependencies are the libraries the programs link, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
