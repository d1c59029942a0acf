# The browser build: the game as a static page in ASTEROIDS_PAGE_DIR, index.html and what it
# loads, with GLUT's bitmap font taken from Debian's freeglut source package
# (scripts/freeglut-source) and freeglut's licence beside it.
set(ASTEROIDS_FREEGLUT_SOURCE "${PROJECT_SOURCE_DIR}/build/freeglut-source/src" CACHE PATH
  "Debian's freeglut source package, unpacked, whose font data the page's text is drawn from")
set(ASTEROIDS_PAGE_DIR "${PROJECT_BINARY_DIR}/page" CACHE PATH "Where the page is written")
set(font_data "${ASTEROIDS_FREEGLUT_SOURCE}/src/fg_font_data.c")
if(NOT EXISTS "${font_data}")
  message(FATAL_ERROR "no ${font_data}: scripts/freeglut-source fetches it")
endif()

# JavaScript within the C++ names the arguments it is given $0, $1, ...
set_source_files_properties(src/app/platform_web.cpp src/app/web_text.cpp PROPERTIES
  COMPILE_OPTIONS -Wno-dollar-in-identifier-extension)

set(generated "${PROJECT_BINARY_DIR}/generated")
add_custom_command(OUTPUT "${generated}/helvetica18.inc"
  COMMAND sed -n -f "${PROJECT_SOURCE_DIR}/web/helvetica18.sed" "${font_data}" > "${generated}/helvetica18.inc"
  DEPENDS "${PROJECT_SOURCE_DIR}/web/helvetica18.sed" "${font_data}"
  COMMENT "Taking GLUT's 18-point Helvetica from freeglut's font data")
file(MAKE_DIRECTORY "${generated}")
target_sources(asteroids_app PRIVATE "${generated}/helvetica18.inc")
target_include_directories(asteroids_app PRIVATE "${generated}")

# A page has no files, no console and no exit; it must not evaluate code it makes itself, which
# its Content-Security-Policy forbids.
set(ASTEROIDS_WEB_LINK_OPTIONS -sENVIRONMENT=web -sFILESYSTEM=0 -sDYNAMIC_EXECUTION=0 -sMALLOC=emmalloc)
# The page's mends to Emscripten's OpenGL emulation.
set(ASTEROIDS_WEB_JS_LIBRARY "${PROJECT_SOURCE_DIR}/web/gl_emulation.js")
list(APPEND ASTEROIDS_WEB_LINK_OPTIONS "--js-library=${ASTEROIDS_WEB_JS_LIBRARY}")

# The page's files, every one of which its service worker keeps for playing offline: the page as
# its address names it ("./") and as index.html, what it loads, what installing it takes (its
# manifest and the icons rendered from data/, as the desktop's are) and the licences.
set(page_files ./ index.html page.js page.css asteroids.js asteroids.wasm icon.svg manifest.webmanifest
  icon-192.png icon-512.png LICENSE.txt freeglut-COPYING.txt)
list(JOIN page_files "', '" ASTEROIDS_PAGE_FILES)
set(ASTEROIDS_PAGE_FILES "'${ASTEROIDS_PAGE_FILES}'")
foreach(file index.html sw.js)
  configure_file("web/${file}" "${ASTEROIDS_PAGE_DIR}/${file}" @ONLY)
endforeach()
foreach(file page.js page.css manifest.webmanifest)
  configure_file("web/${file}" "${ASTEROIDS_PAGE_DIR}/${file}" COPYONLY)
endforeach()
configure_file(data/asteroids.svg "${ASTEROIDS_PAGE_DIR}/icon.svg" COPYONLY)
configure_file(LICENSE "${ASTEROIDS_PAGE_DIR}/LICENSE.txt" COPYONLY)
configure_file("${ASTEROIDS_FREEGLUT_SOURCE}/COPYING" "${ASTEROIDS_PAGE_DIR}/freeglut-COPYING.txt" COPYONLY)
include(cmake/Icon.cmake)
foreach(size 192 512)
  asteroids_render_icon(${size} "${ASTEROIDS_PAGE_DIR}/icon-${size}.png")
endforeach()
add_custom_target(page_icons ALL DEPENDS "${ASTEROIDS_PAGE_DIR}/icon-192.png" "${ASTEROIDS_PAGE_DIR}/icon-512.png")
