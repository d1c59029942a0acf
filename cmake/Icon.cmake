# The icon's one source is data/asteroids.svg: the bitmaps that menus, Windows and an installed page
# want are rendered from it at build time with rsvg-convert (Debian: librsvg2-bin). The Windows game,
# the page and the project's presets, through which `make package` builds the Debian package, cannot
# go without them; a plain build for Linux goes on without the bitmaps, and says so.
if(WIN32 OR EMSCRIPTEN OR ASTEROIDS_REQUIRE_ICONS)
  find_program(RSVG_CONVERT rsvg-convert REQUIRED)
else()
  find_program(RSVG_CONVERT rsvg-convert)
  if(NOT RSVG_CONVERT)
    message(NOTICE "No rsvg-convert (Debian: librsvg2-bin): the game is built without the menus' bitmap "
      "icons, which it renders from data/asteroids.svg, and installs with the scalable icon alone")
  endif()
endif()

# A custom command that renders the icon SIZE pixels square into the PNG file PNG.
function(asteroids_render_icon size png)
  cmake_path(GET png PARENT_PATH directory)
  add_custom_command(OUTPUT "${png}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${directory}"
    COMMAND "${RSVG_CONVERT}" -w ${size} -h ${size} -o "${png}" "${PROJECT_SOURCE_DIR}/data/asteroids.svg"
    DEPENDS "${PROJECT_SOURCE_DIR}/data/asteroids.svg"
    COMMENT "Rendering the ${size}x${size} icon"
    VERBATIM)
endfunction()
