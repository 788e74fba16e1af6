# Installing the programs with what a desktop needs to offer them (menu entry, icons, AppStream
# data, manual pages), and the Debian package built from the same rules by CPack. Included at
# the end of the root CMakeLists.txt, once every program target exists.
include(GNUInstallDirs)

set(PIXELSIEVE_APP_ID io.github.pixelsieve.Pixelsieve)
set(PIXELSIEVE_HOMEPAGE "https://github.com/pixelsieve/pixelsieve"
    CACHE STRING "The project's home page, for the AppStream data and the package")
set(PIXELSIEVE_SCREENSHOT_URL
    "https://raw.githubusercontent.com/pixelsieve/pixelsieve/main/docs/screenshot.png"
    CACHE STRING "Where software centres fetch the screenshot (docs/screenshot.png) from")
set(PIXELSIEVE_MAINTAINER "Pixelsieve developers <pixelsieve@users.noreply.github.com>"
    CACHE STRING "The Maintainer field of the Debian package")

find_program(PIXELSIEVE_RSVG_CONVERT rsvg-convert REQUIRED)
find_program(PIXELSIEVE_GZIP gzip REQUIRED)

set(pixelsieve_packaging_source ${CMAKE_CURRENT_LIST_DIR})
set(pixelsieve_packaging_build ${CMAKE_BINARY_DIR}/packaging)

# Installs a program target with its manual page (packaging/man/NAME.1, NAME being the file the
# target builds) and lists it among the binaries the AppStream data says the package provides.
# Every program goes through here, so a program without a manual page fails the configuration
# instead of shipping without one.
function(pixelsieve_install_program target)
  get_target_property(program ${target} OUTPUT_NAME)
  if(NOT program)
    set(program ${target})
  endif()
  set(page ${pixelsieve_packaging_source}/man/${program}.1)
  if(NOT EXISTS ${page})
    message(FATAL_ERROR "${program} has no manual page: write ${page}")
  endif()
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

  # Debian ships manual pages compressed; -n keeps name and time out, so the archive is the
  # same on every build.
  set(configured ${pixelsieve_packaging_build}/man/${program}.1)
  configure_file(${page} ${configured} @ONLY)
  add_custom_command(OUTPUT ${configured}.gz
                     COMMAND ${PIXELSIEVE_GZIP} -9nkf ${configured}
                     DEPENDS ${configured} VERBATIM)
  add_custom_target(${target}_manual_page ALL DEPENDS ${configured}.gz)
  install(FILES ${configured}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

  set_property(GLOBAL APPEND PROPERTY PIXELSIEVE_INSTALLED_PROGRAMS ${program})
endfunction()

pixelsieve_install_program(pixelsieve)
pixelsieve_install_program(pixelsieve-cli)

# Icons: the scalable drawing, and PNGs for the hicolor sizes. 16 and 32 come from a variant
# without gaps between the bits, which would blur into grey at those sizes.
set(icon_pngs)
foreach(size 16 32 48 64 128 256)
  if(size LESS_EQUAL 32)
    set(svg ${pixelsieve_packaging_source}/icons/${PIXELSIEVE_APP_ID}-small.svg)
  else()
    set(svg ${pixelsieve_packaging_source}/icons/${PIXELSIEVE_APP_ID}.svg)
  endif()
  set(png ${pixelsieve_packaging_build}/icons/${size}x${size}/${PIXELSIEVE_APP_ID}.png)
  add_custom_command(OUTPUT ${png}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${pixelsieve_packaging_build}/icons/${size}x${size}
                     COMMAND ${PIXELSIEVE_RSVG_CONVERT} --width ${size} --height ${size} --output ${png} ${svg}
                     DEPENDS ${svg} VERBATIM)
  list(APPEND icon_pngs ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(pixelsieve_icons ALL DEPENDS ${icon_pngs})
install(FILES ${pixelsieve_packaging_source}/icons/${PIXELSIEVE_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

install(FILES ${pixelsieve_packaging_source}/${PIXELSIEVE_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# The AppStream data names every installed program, so it is written after all of them.
get_property(programs GLOBAL PROPERTY PIXELSIEVE_INSTALLED_PROGRAMS)
set(binaries)
foreach(program ${programs})
  list(APPEND binaries "    <binary>${program}</binary>")
endforeach()
list(JOIN binaries "\n" PIXELSIEVE_PROVIDES)
configure_file(${pixelsieve_packaging_source}/${PIXELSIEVE_APP_ID}.metainfo.xml.in
               ${pixelsieve_packaging_build}/${PIXELSIEVE_APP_ID}.metainfo.xml @ONLY)
install(FILES ${pixelsieve_packaging_build}/${PIXELSIEVE_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The Debian package: scripts/package builds it from a Release build. Dependencies come from
# the libraries the binaries link (dpkg-shlibdeps); the xcb platform plugin Qt loads at run
# time is part of libqt6gui6, which the binary links, so it needs no line of its own.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pixelsieve)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Pixelsieve developers")
set(CPACK_PACKAGE_CONTACT "${PIXELSIEVE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "bit-per-pixel viewer for finding pictures inside binary files")
set(CPACK_PACKAGE_DESCRIPTION
    "Pixelsieve shows the bytes of any file as a bitmap, one bit per pixel, so that\n"
    "sprites, fonts and icons stored inside binaries, ROMs, firmware images and\n"
    "memory dumps become visible once the row width and the start offset line up.\n"
    "It steps through row widths and offsets with the keyboard, mouse and scroll\n"
    "bars, zooms, inverts, bit-reverses and nibble-swaps the bytes, and saves what\n"
    "it shows as a PNG or BMP image or a run of bytes as a binary file.")
string(CONCAT CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${PIXELSIEVE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${PIXELSIEVE_HOMEPAGE}")
include(CPack)

if(PIXELSIEVE_TESTS)
  include(${CMAKE_SOURCE_DIR}/tests/install/install_tests.cmake)
endif()
