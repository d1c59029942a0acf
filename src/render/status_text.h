#pragma once

struct Picture;
struct World;

// The status text, in white letters at fixed places on the field.
void drawRemainingLabel(Picture& picture);
void drawRemainingDigit(Picture& picture, const World& w);
void drawGameOver(Picture& picture);
