# Where `cmake --install` puts the game, the way Debian installs games: the program in the games
# directory (/usr/games under the prefix /usr), a menu entry with its icon, the software centres'
# description of it (AppStream), the manual page in section 6 and the package's copyright and
# changelog.
include(GNUInstallDirs)

set(ASTEROIDS_INSTALL_GAMESDIR "games" CACHE PATH
  "Directory for the game's program, relative to the installation prefix")
set(ASTEROIDS_ICON_SIZES 16 24 32 48 64 128 256)

include(cmake/Icon.cmake)
find_program(GZIP gzip REQUIRED)

set(generated_files)
foreach(size IN LISTS ASTEROIDS_ICON_SIZES)
  if(RSVG_CONVERT)
    set(png "${CMAKE_CURRENT_BINARY_DIR}/icons/${size}x${size}/asteroids.png")
    asteroids_render_icon(${size} "${png}")
    install(FILES "${png}" DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps")
    list(APPEND generated_files "${png}")
  endif()
endforeach()

# Debian keeps manual pages and changelogs gzip-compressed; -n leaves out the time stamp so the
# package's bytes depend only on the sources.
foreach(source IN ITEMS data/asteroids.6 packaging/changelog)
  cmake_path(GET source FILENAME name)
  add_custom_command(OUTPUT "${name}.gz"
    COMMAND "${CMAKE_COMMAND}" -E copy "${PROJECT_SOURCE_DIR}/${source}" "${name}"
    COMMAND "${GZIP}" -9nf "${name}"
    DEPENDS "${source}"
    VERBATIM)
  list(APPEND generated_files "${CMAKE_CURRENT_BINARY_DIR}/${name}.gz")
endforeach()
add_custom_target(asteroids_data ALL DEPENDS ${generated_files})

# Directories readable by all whatever the installing user's umask, as Debian requires.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
install(TARGETS asteroids RUNTIME DESTINATION "${ASTEROIDS_INSTALL_GAMESDIR}")
install(FILES data/asteroids.desktop DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES data/asteroids.metainfo.xml DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo"
  RENAME example.bexum.asteroids.metainfo.xml)
install(FILES data/asteroids.svg DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")
install(FILES "${CMAKE_CURRENT_BINARY_DIR}/asteroids.6.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man6")
install(FILES packaging/copyright DESTINATION "${CMAKE_INSTALL_DOCDIR}")
install(FILES "${CMAKE_CURRENT_BINARY_DIR}/changelog.gz" DESTINATION "${CMAKE_INSTALL_DOCDIR}"
  RENAME changelog.Debian.gz)
