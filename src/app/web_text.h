#pragma once

// The page's text and shot keep their size in CSS pixels (web_text.cpp): drawn with this many of the
// canvas's pixels to a CSS pixel from now on.
void keepTextAndShotSize(double devicePixelsPerCssPixel);
