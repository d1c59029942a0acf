# The game as Windows players get it: asteroids.exe with the game's icon in it, and, from
# `make windows-package`, an installer (NSIS) and a portable .zip that both carry the licence.
include(cmake/Icon.cmake)
find_program(ICOTOOL icotool REQUIRED)

# The .ico holds the sizes Windows' shell and title bars ask for; the largest goes in as PNG,
# as Windows expects from 256 pixels up.
set(icon "${CMAKE_CURRENT_BINARY_DIR}/asteroids.ico")
set(bitmaps)
foreach(size IN ITEMS 16 24 32 48 64 256)
  set(png "${CMAKE_CURRENT_BINARY_DIR}/icons/${size}x${size}/asteroids.png")
  asteroids_render_icon(${size} "${png}")
  list(APPEND bitmaps "${png}")
endforeach()
list(POP_BACK bitmaps largest)
add_custom_command(OUTPUT "${icon}"
  COMMAND "${ICOTOOL}" --create --output "${icon}" ${bitmaps} "--raw=${largest}"
  DEPENDS ${bitmaps} "${largest}"
  VERBATIM)

# freeglut gives its windows the icon resource named GLUT_ICON, and Explorer, the Start menu and
# the list of installed programs show a program's first icon: one resource serves them all. The
# manifest, resource 1 of type 24 (RT_MANIFEST), says that the game scales itself to the screen.
set(manifest "${PROJECT_SOURCE_DIR}/data/asteroids.manifest")
file(CONFIGURE OUTPUT asteroids.rc CONTENT "GLUT_ICON ICON \"${icon}\"\n1 24 \"${manifest}\"\n")
target_sources(asteroids PRIVATE "${CMAKE_CURRENT_BINARY_DIR}/asteroids.rc")
set_source_files_properties("${CMAKE_CURRENT_BINARY_DIR}/asteroids.rc" PROPERTIES OBJECT_DEPENDS "${icon};${manifest}")

# The game, its licence and those of its letters' fonts.
install(TARGETS asteroids RUNTIME DESTINATION .)
install(FILES LICENSE DESTINATION . RENAME LICENSE.txt)
install(FILES ${ASTEROIDS_LETTERS_LICENCES} DESTINATION .)

set(CPACK_GENERATOR NSIS)
set(CPACK_POST_BUILD_SCRIPTS "${PROJECT_SOURCE_DIR}/cmake/PortableZip.cmake")
set(CPACK_PACKAGE_NAME asteroids)
set(CPACK_PACKAGE_VENDOR "Bexum Asteroids developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "A small vector arcade game: a ship against six asteroids")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Bexum Asteroids")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "Bexum Asteroids")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_STRIP_FILES ON)

# A 64-bit installer for a 64-bit game: it installs under "Program Files" proper and writes the
# 64-bit registry, where Windows looks for installed programs. It records no file's time, which
# would be the build's: installed files take the time they are installed.
set(CPACK_NSIS_DEFINES "Target amd64-unicode\n  SetDateSave off")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME "Bexum Asteroids")
set(CPACK_NSIS_DISPLAY_NAME "Bexum Asteroids")
set(CPACK_NSIS_MUI_ICON "${icon}")
set(CPACK_NSIS_MUI_UNIICON "${icon}")
set(CPACK_NSIS_INSTALLED_ICON_NAME asteroids.exe)
# Backslashes doubled twice: once for this file, once for the CPack configuration it is written to.
set(CPACK_NSIS_CREATE_ICONS_EXTRA "CreateShortCut '$SMPROGRAMS\\\\$STARTMENU_FOLDER\\\\Bexum Asteroids.lnk' \
'$INSTDIR\\\\asteroids.exe' '' '$INSTDIR\\\\asteroids.exe' 0")
# CPack's uninstaller removes the game's registry key under the vendor's, but leaves the vendor's
# own, empty; these commands run after it.
set(CPACK_NSIS_DELETE_ICONS_EXTRA "Delete '$SMPROGRAMS\\\\$MUI_TEMP\\\\Bexum Asteroids.lnk'
  DeleteRegKey /ifempty SHCTX 'Software\\\\${CPACK_PACKAGE_VENDOR}'")
include(CPack)
