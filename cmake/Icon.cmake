# The icon's one source is data/asteroids.svg: the bitmaps that menus and Windows want are
# rendered from it at build time.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)

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
