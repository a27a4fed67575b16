# SPDX-License-Identifier: GPL-3.0-or-later
# What `cmake --install` puts where, and the Debian package CPack makes of it.
include(GNUInstallDirs)

set(LUMIVUE_APP_ID io.github.lumivue.Lumivue)
set(LUMIVUE_HOMEPAGE "https://github.com/lumivue/lumivue" CACHE STRING "The program's home page, named in its AppStream file")
set(LUMIVUE_MAINTAINER "The Lumivue developers <lumivue@users.noreply.github.com>"
    CACHE STRING "Who answers for the package: its Maintainer field, the changelog and copyright contact")
set(LUMIVUE_SCREENSHOT_BASE "https://raw.githubusercontent.com/lumivue/lumivue/main/docs"
    CACHE STRING "Where the AppStream file's screenshots (docs/screenshot-*.png) are published")

install(TARGETS lumivue lumivue-picture RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/desktop/${LUMIVUE_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The releases NEWS.md lists become the AppStream file's release list (newest first).
include(${CMAKE_CURRENT_SOURCE_DIR}/desktop/News.cmake)
set(news ${CMAKE_CURRENT_SOURCE_DIR}/NEWS.md)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${news})
lumivue_news_releases(${news} releases)
list(GET releases 0 newest)
if(NOT newest VERSION_EQUAL PROJECT_VERSION)
  message(FATAL_ERROR "NEWS.md's newest release is ${newest}, the project's version ${PROJECT_VERSION}: add its entry")
endif()
set(LUMIVUE_RELEASES "")
while(releases)
  list(POP_FRONT releases version date)
  string(APPEND LUMIVUE_RELEASES "\n    <release version=\"${version}\" date=\"${date}\"/>")
endwhile()
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/desktop/${LUMIVUE_APP_ID}.metainfo.xml.in
               ${CMAKE_CURRENT_BINARY_DIR}/${LUMIVUE_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${LUMIVUE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The manual pages, the changelog and the copyright file as Debian installs them: the first
# two compressed without a time stamp (gzip -n), so that the same sources give the same files.
set(docdir ${CMAKE_INSTALL_DATADIR}/doc/lumivue)
set(gz_files)
foreach(page lumivue lumivue-picture)
  set(gz ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.1.gz)
  add_custom_command(OUTPUT ${gz}
                     COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_SOURCE_DIR}/man/${page}.1 ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.1
                     COMMAND gzip -9nf ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.1
                     DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/man/${page}.1 VERBATIM)
  list(APPEND gz_files ${gz})
  install(FILES ${gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
set(changelog ${CMAKE_CURRENT_BINARY_DIR}/doc/changelog)
add_custom_command(OUTPUT ${changelog}.gz
                   COMMAND ${CMAKE_COMMAND} -DNEWS=${news} -DOUT=${changelog} -DPACKAGE=lumivue
                           -DMAINTAINER=${LUMIVUE_MAINTAINER} -P ${CMAKE_CURRENT_SOURCE_DIR}/desktop/News.cmake
                   COMMAND gzip -9nf ${changelog}
                   DEPENDS ${news} ${CMAKE_CURRENT_SOURCE_DIR}/desktop/News.cmake VERBATIM)
list(APPEND gz_files ${changelog}.gz)
add_custom_target(compressed_docs ALL DEPENDS ${gz_files})
install(FILES ${changelog}.gz DESTINATION ${docdir})
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/desktop/copyright.in ${CMAKE_CURRENT_BINARY_DIR}/doc/copyright @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/doc/copyright DESTINATION ${docdir})

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
set(CPACK_PACKAGE_CONTACT ${LUMIVUE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${LUMIVUE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "image browser and viewer for JPEG, PNG, GIF, WebP, TIFF and more")
# The long description below the summary, as dpkg shows it: lines of at most 80 characters.
string(JOIN "\n" CPACK_DEBIAN_PACKAGE_DESCRIPTION
       "Lumivue shows the pictures of a folder as pages of thumbnails and opens"
       "each in a full-screen, zoom, details, print or save window. It reads JPEG,"
       "Windows bitmap, icon, PNG, GIF, WebP and TIFF files."
       "."
       "The package also holds lumivue-picture, which reads, renders and converts"
       "the same files on the command line.")
set(CPACK_DEBIAN_PACKAGE_LICENSE GPL-3+)
# Qt's own texts (file dialogs, message-box buttons) in the user's language.
# Open With and Show in Folder ask the desktop through gdbus, else xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, libglib2.0-bin, xdg-utils")
# Folders as Debian makes them whatever the builder's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                                WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${LUMIVUE_HOMEPAGE})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# The dependencies are the packages of the libraries the programs link against, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
