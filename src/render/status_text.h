#pragma once

struct World;

// The status text, in white bitmap letters, at fixed places on the field.
void drawRemainingLabel();
void drawRemainingDigit(const World& w);
void drawGameOver();
