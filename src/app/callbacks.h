#pragma once

#include "input/controls.h"

// The window system's callbacks: each hands its event to the game's rules on the one world, the
// keys through the one hold on the game's controls that the keyboard and the pads share.

extern Controls controls;

// Display: draws the world as it is and shows it. Changes nothing.
void displayScene();
// Idle: reads the pads and runs the update step when it is due (desktop.cpp), and asks for a redraw.
void updateWorld();
// Brings the idle callback back whenever the window shows again.
void visibilityChanged(int state);
void keyPressed(unsigned char key, int x, int y);
void specialKeyDown(int key, int x, int y);
void specialKeyUp(int key, int x, int y);
