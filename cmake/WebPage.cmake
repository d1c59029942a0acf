# The browser build: the game as a static page in ASTEROIDS_PAGE_DIR, index.html and what it
# loads. The page's letters are taken at build time (web/page_fonts.py) from GLUT's bitmap font in
# Debian's freeglut source package (scripts/debian-source) and from TeX Gyre Heros (Debian's
# fonts-texgyre); their licences go beside the page.
set(ASTEROIDS_FREEGLUT_SOURCE "${PROJECT_SOURCE_DIR}/build/sources/freeglut/src" CACHE PATH
  "Debian's freeglut source package, unpacked, whose font data the page's letters are drawn from")
set(ASTEROIDS_OUTLINE_FONT "/usr/share/texmf/fonts/opentype/public/tex-gyre/texgyreheros-regular.otf" CACHE FILEPATH
  "TeX Gyre Heros, whose outlines the page's letters are drawn from at any scale but the window's")
set(ASTEROIDS_PAGE_DIR "${PROJECT_BINARY_DIR}/page" CACHE PATH "Where the page is written")
set(font_data "${ASTEROIDS_FREEGLUT_SOURCE}/src/fg_font_data.c")
foreach(needed "${font_data}:scripts/debian-source freeglut fetches it" "${ASTEROIDS_OUTLINE_FONT}:Debian's fonts-texgyre has it")
  string(REPLACE ":" ";" needed "${needed}")
  list(GET needed 0 file)
  if(NOT EXISTS "${file}")
    list(GET needed 1 where)
    message(FATAL_ERROR "no ${file}: ${where}")
  endif()
endforeach()

# JavaScript within the C++ names the arguments it is given $0, $1, ...
set_source_files_properties(src/app/platform_web.cpp PROPERTIES COMPILE_OPTIONS -Wno-dollar-in-identifier-extension)

set(generated "${PROJECT_BINARY_DIR}/generated")
add_custom_command(OUTPUT "${generated}/page_fonts.inc"
  COMMAND "${PROJECT_SOURCE_DIR}/web/page_fonts.py" "${font_data}" "${ASTEROIDS_OUTLINE_FONT}"
    "${PROJECT_SOURCE_DIR}/src/render/status_text.cpp" "${generated}/page_fonts.inc"
  DEPENDS "${PROJECT_SOURCE_DIR}/web/page_fonts.py" "${font_data}" "${ASTEROIDS_OUTLINE_FONT}"
    "${PROJECT_SOURCE_DIR}/src/render/status_text.cpp"
  COMMENT "Taking the page's letters from GLUT's font data and TeX Gyre Heros")
file(MAKE_DIRECTORY "${generated}")
target_sources(asteroids_render PRIVATE "${generated}/page_fonts.inc")
target_include_directories(asteroids_render PRIVATE "${generated}")

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
configure_file("${ASTEROIDS_FREEGLUT_SOURCE}/COPYING" "${ASTEROIDS_PAGE_DIR}/freeglut-COPYING.txt" COPYONLY)
# TeX Gyre Heros's licence: the statement from its README and the GUST Font License it names, as
# Debian's copyright file for the fonts gives it.
file(READ "/usr/share/texmf/doc/fonts/tex-gyre/README-TeX-Gyre-Heros.txt" readme)
file(READ "/usr/share/doc/fonts-texgyre/copyright" copyright)
string(REGEX MATCH "Font: TeX Gyre Heros.*MANIFEST-TeX-Gyre-Heros.txt file." statement "${readme}")
string(REGEX MATCH "License: GUST-Font-License\n [^\n]*(\n [^\n]*)*" licence "${copyright}")
string(REGEX REPLACE "\n \\.?" "\n" licence "${licence}")
file(WRITE "${ASTEROIDS_PAGE_DIR}/TeX-Gyre-Heros-LICENSE.txt"
  "The page's letters, at any scale but the game window's, are drawn from the outlines of TeX Gyre Heros.\n\n"
  "${statement}\n\n${licence}\n")
include(cmake/Icon.cmake)
foreach(size 192 512)
  asteroids_render_icon(${size} "${ASTEROIDS_PAGE_DIR}/icon-${size}.png")
endforeach()
add_custom_target(page_icons ALL DEPENDS "${ASTEROIDS_PAGE_DIR}/icon-192.png" "${ASTEROIDS_PAGE_DIR}/icon-512.png")
