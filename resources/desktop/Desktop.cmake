# Desktop integration: the desktop entry, the AppStream metainfo and the
# application icon in the hicolor theme, all named after the application id
# KOLVENTRA_APP_ID (set in the top-level CMakeLists.txt). The entry and the
# metainfo are configured from the templates beside this file into
# <build>/desktop/, where the tests validate them, and installed from there.
# Included from resources/CMakeLists.txt.

# The entry starts the program by its name, found on the PATH as desktops
# expect, so that it holds for whichever prefix the installation is given.
set(KOLVENTRA_APP_EXEC_NAME kolventra)

set(KOLVENTRA_DESKTOP_FILE ${PROJECT_BINARY_DIR}/desktop/${KOLVENTRA_APP_ID}.desktop)
set(KOLVENTRA_METAINFO_FILE ${PROJECT_BINARY_DIR}/desktop/${KOLVENTRA_APP_ID}.metainfo.xml)
configure_file(${CMAKE_CURRENT_LIST_DIR}/app.desktop.in ${KOLVENTRA_DESKTOP_FILE} @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/app.metainfo.xml.in ${KOLVENTRA_METAINFO_FILE} @ONLY)

install(FILES ${KOLVENTRA_DESKTOP_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${KOLVENTRA_METAINFO_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The application icon is drawn at build time (tools/mkimages) at each of
# these sizes into the build tree's icon theme folder. The folder and the
# name pattern (@SIZE@ stands for the edge length in pixels) can be given
# from outside; with no folder the icon is not installed.
set(KOLVENTRA_APP_ICON_SIZES 48 128 256)
set(KOLVENTRA_APP_ICON_DIR "${PROJECT_BINARY_DIR}/share/icons/hicolor" CACHE PATH
    "Folder of the generated application icon PNGs (empty: no icon installed)")
set(KOLVENTRA_APP_ICON_PATTERN "@SIZE@x@SIZE@/apps/kolventra.png" CACHE STRING
    "File name of the application icon at one size in KOLVENTRA_APP_ICON_DIR; @SIZE@ is the edge in pixels")

set(KOLVENTRA_APP_ICON_FILES)
if(KOLVENTRA_APP_ICON_DIR)
  foreach(size ${KOLVENTRA_APP_ICON_SIZES})
    string(REPLACE "@SIZE@" "${size}" name "${KOLVENTRA_APP_ICON_PATTERN}")
    set(icon ${KOLVENTRA_APP_ICON_DIR}/${name})
    list(APPEND KOLVENTRA_APP_ICON_FILES ${icon})
    install(FILES ${icon}
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${KOLVENTRA_APP_ID}.png)
  endforeach()
else()
  message(STATUS "KOLVENTRA_APP_ICON_DIR is not set: the application icon is not installed")
endif()

# The tests (tests/Install) validate these files and the staged installation.
foreach(var KOLVENTRA_APP_EXEC_NAME KOLVENTRA_DESKTOP_FILE KOLVENTRA_METAINFO_FILE
            KOLVENTRA_APP_ICON_SIZES KOLVENTRA_APP_ICON_FILES)
  set(${var} "${${var}}" PARENT_SCOPE)
endforeach()
