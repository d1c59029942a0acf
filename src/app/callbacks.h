#pragma once

#include "input/controls.h"

// The window system's callbacks: each hands its event to the game's rules on the one world, the
// keys through the one hold on the game's controls that the keyboard and the pads share.

extern Controls controls;

// The desktop's loop (desktop.cpp). Display: draws the world as it stands now and shows it; changes
// nothing. Idle: reads the pads and runs the update steps that are due, and asks for a redraw.
void displayScene();
void updateWorld();
// Tries a picture every refresh again, as at the start: the swaps may be paced now.
void drawEveryRefresh();
// Brings the idle callback back whenever the window shows again.
void visibilityChanged(int state);
void keyPressed(unsigned char key, int x, int y);
void specialKeyDown(int key, int x, int y);
void specialKeyUp(int key, int x, int y);
