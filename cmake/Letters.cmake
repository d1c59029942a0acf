# The game's letters at every size, on the desktop and on the page (src/render/letters.cpp), taken
# at build time by src/render/fonts.py from GLUT's bitmap font in Debian's freeglut source package
# (scripts/debian-source freeglut) and from TeX Gyre Heros (Debian's fonts-texgyre), whose outlines
# Debian's python3-fonttools reads. The licences of both are written beside the build, for the
# downloads to carry: ASTEROIDS_LETTERS_LICENCES names them.
set(ASTEROIDS_FREEGLUT_SOURCE "${PROJECT_SOURCE_DIR}/build/sources/freeglut/src" CACHE PATH
  "Debian's freeglut source package, unpacked, whose font data the game's letters are drawn from")
set(ASTEROIDS_OUTLINE_FONT "/usr/share/texmf/fonts/opentype/public/tex-gyre/texgyreheros-regular.otf" CACHE FILEPATH
  "TeX Gyre Heros, whose outlines the game's letters are drawn from at any size but the 720 by 640 window's")
set(font_data "${ASTEROIDS_FREEGLUT_SOURCE}/src/fg_font_data.c")
set(outline_readme "/usr/share/texmf/doc/fonts/tex-gyre/README-TeX-Gyre-Heros.txt")
set(outline_copyright "/usr/share/doc/fonts-texgyre/copyright")
# fonts.py runs on Debian's python3 (its #! line), the one that python3-fonttools is for.
execute_process(COMMAND /usr/bin/python3 -c "import fontTools" RESULT_VARIABLE fonttools OUTPUT_QUIET ERROR_QUIET)
set(missing)
foreach(needed "${font_data}|scripts/debian-source freeglut fetches it"
    "${ASTEROIDS_OUTLINE_FONT}|Debian's fonts-texgyre has it" "${outline_readme}|Debian's fonts-texgyre has it"
    "${outline_copyright}|Debian's fonts-texgyre has it")
  string(REPLACE "|" ";" needed "${needed}")
  list(GET needed 0 file)
  list(GET needed 1 where)
  if(NOT EXISTS "${file}")
    list(APPEND missing "${file} (${where})")
  endif()
endforeach()
if(NOT fonttools EQUAL 0)
  list(APPEND missing "/usr/bin/python3 with fontTools (Debian's python3 and python3-fonttools)")
endif()
if(missing)
  list(JOIN missing "; " missing)
  message(FATAL_ERROR "The game's letters are drawn from fonts that this build lacks: ${missing}. "
    "`make build`, `make game` and `make web` fetch and install them.")
endif()

set(generated "${PROJECT_BINARY_DIR}/generated")
add_custom_command(OUTPUT "${generated}/fonts.inc"
  COMMAND "${PROJECT_SOURCE_DIR}/src/render/fonts.py" "${font_data}" "${ASTEROIDS_OUTLINE_FONT}"
    "${PROJECT_SOURCE_DIR}/src/render/status_text.cpp" "${generated}/fonts.inc"
  DEPENDS "${PROJECT_SOURCE_DIR}/src/render/fonts.py" "${font_data}" "${ASTEROIDS_OUTLINE_FONT}"
    "${PROJECT_SOURCE_DIR}/src/render/status_text.cpp"
  COMMENT "Taking the game's letters from GLUT's font data and TeX Gyre Heros")
file(MAKE_DIRECTORY "${generated}")
target_sources(asteroids_render PRIVATE src/render/letters.cpp "${generated}/fonts.inc")
target_include_directories(asteroids_render PRIVATE "${generated}")

# TeX Gyre Heros's licence: the statement from its README and the GUST Font License it names, as
# Debian's copyright file for the fonts gives it; and freeglut's, for GLUT's bitmaps.
file(READ "${outline_readme}" readme)
file(READ "${outline_copyright}" copyright)
string(REGEX MATCH "Font: TeX Gyre Heros.*MANIFEST-TeX-Gyre-Heros.txt file." statement "${readme}")
string(REGEX MATCH "License: GUST-Font-License\n [^\n]*(\n [^\n]*)*" licence "${copyright}")
string(REGEX REPLACE "\n \\.?" "\n" licence "${licence}")
file(WRITE "${PROJECT_BINARY_DIR}/TeX-Gyre-Heros-LICENSE.txt"
  "The game's letters, at any size but that of its 720 by 640 window, are drawn from the outlines of TeX Gyre Heros.\n\n"
  "${statement}\n\n${licence}\n")
configure_file("${ASTEROIDS_FREEGLUT_SOURCE}/COPYING" "${PROJECT_BINARY_DIR}/freeglut-COPYING.txt" COPYONLY)
set(ASTEROIDS_LETTERS_LICENCES "${PROJECT_BINARY_DIR}/TeX-Gyre-Heros-LICENSE.txt"
  "${PROJECT_BINARY_DIR}/freeglut-COPYING.txt")
