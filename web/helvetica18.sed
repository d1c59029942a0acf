# GLUT's 18-point Helvetica, from freeglut's font data (src/fg_font_data.c): the glyphs, their map
# and the font's height and origin, as the page's bitmap text takes them (src/app/platform_web.cpp).
/^static const GLubyte Helvetica18_Character_[0-9]*\[\]/p
/^static const GLubyte\* Helvetica18_Character_Map\[\]/,/NULL};/p
s/^SFG_Font fgFontHelvetica18 = { "[^"]*", *[0-9]*, *\([0-9]*\), *\([A-Za-z0-9_]*\), *\([0-9.]*\), *\([0-9.]*\) };/const BitmapFont helvetica18 = {\1, \3, \4, \2};/p
