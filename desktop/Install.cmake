# SPDX-License-Identifier: GPL-3.0-or-later
# What `cmake --install` puts where, and the Debian package CPack makes of it.
include(GNUInstallDirs)

set(LUMIVUE_APP_ID io.github.lumivue.Lumivue)
set(LUMIVUE_HOMEPAGE "https://github.com/lumivue/lumivue" CACHE STRING "The program's home page, named in its AppStream file")
set(LUMIVUE_SCREENSHOT_BASE "https://raw.githubusercontent.com/lumivue/lumivue/main/docs"
    CACHE STRING "Where the AppStream file's screenshots (docs/screenshot-*.png) are published")

install(TARGETS lumivue lumivue-picture RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/desktop/${LUMIVUE_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/desktop/${LUMIVUE_APP_ID}.metainfo.xml.in
               ${CMAKE_CURRENT_BINARY_DIR}/${LUMIVUE_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${LUMIVUE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/man/lumivue.1 ${CMAKE_CURRENT_SOURCE_DIR}/man/lumivue-picture.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The icon: the drawing itself, and renders of it at the usual sizes for desktops that want bitmaps.
set(icon_svg ${CMAKE_CURRENT_SOURCE_DIR}/desktop/${LUMIVUE_APP_ID}.svg)
install(FILES ${icon_svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
find_program(RSVG_CONVERT rsvg-convert)
if(RSVG_CONVERT)
  set(icon_pngs)
  foreach(size 16 32 48 64 128 256)
    set(png ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}x${size}/${LUMIVUE_APP_ID}.png)
    add_custom_command(OUTPUT ${png}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}x${size}
                       COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${icon_svg}
                       DEPENDS ${icon_svg} VERBATIM)
    list(APPEND icon_pngs ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  add_custom_target(icons ALL DEPENDS ${icon_pngs})
else()
  message(WARNING "rsvg-convert not found (package librsvg2-bin): only the scalable icon is installed")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumivue)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The Lumivue developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "image browser and viewer for JPEG, bitmap and icon files")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Lumivue shows the pictures of a folder as pages of thumbnails and opens each in a full-screen, zoom, details, print or save window. The package also holds lumivue-picture, which reads, renders and converts the same files on the command line.")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${LUMIVUE_HOMEPAGE})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# The dependencies are the packages of the libraries the programs link against, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
