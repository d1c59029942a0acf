# The browser build: the game as a static page in ASTEROIDS_PAGE_DIR, index.html and what it
# loads, and the licences of its letters (cmake/Letters.cmake) beside them.
set(ASTEROIDS_PAGE_DIR "${PROJECT_BINARY_DIR}/page" CACHE PATH "Where the page is written")

# JavaScript within the C++ names the arguments it is given $0, $1, ...
set_source_files_properties(src/app/platform_web.cpp PROPERTIES COMPILE_OPTIONS -Wno-dollar-in-identifier-extension)

# A page has no files, no console and no exit, and Emscripten's smallest runtime, which instantiates
# the WebAssembly that page.js has compiled (Module.wasm); it must not evaluate code it makes itself,
# which its Content-Security-Policy forbids. The game never throws.
target_compile_options(asteroids_render PRIVATE -fno-exceptions)
target_compile_options(asteroids PRIVATE -fno-exceptions)
target_link_options(asteroids PRIVATE -sMINIMAL_RUNTIME=1 -sMINIMAL_RUNTIME_STREAMING_WASM_COMPILATION=1 -sENVIRONMENT=web -sFILESYSTEM=0 -sDYNAMIC_EXECUTION=0
  -sMALLOC=emmalloc -sSUPPORT_ERRNO=0 -sGL_SUPPORT_AUTOMATIC_ENABLE_EXTENSIONS=0)
set_target_properties(asteroids PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${ASTEROIDS_PAGE_DIR}")

# The page's files, every one of which its service worker keeps for playing offline: the page as
# its address names it ("./") and as index.html, what it loads, what installing it takes (its
# manifest and the icons rendered from data/, as the desktop's are) and the licences.
set(page_files ./ index.html page.js page.css asteroids.js asteroids.wasm icon.svg manifest.webmanifest
  icon-192.png icon-512.png LICENSE.txt freeglut-COPYING.txt TeX-Gyre-Heros-LICENSE.txt)
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
foreach(licence IN LISTS ASTEROIDS_LETTERS_LICENCES)
  cmake_path(GET licence FILENAME name)
  configure_file("${licence}" "${ASTEROIDS_PAGE_DIR}/${name}" COPYONLY)
endforeach()
include(cmake/Icon.cmake)
foreach(size 192 512)
  asteroids_render_icon(${size} "${ASTEROIDS_PAGE_DIR}/icon-${size}.png")
endforeach()
add_custom_target(page_icons ALL DEPENDS "${ASTEROIDS_PAGE_DIR}/icon-192.png" "${ASTEROIDS_PAGE_DIR}/icon-512.png")
