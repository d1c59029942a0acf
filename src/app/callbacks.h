#pragma once

// The window system's callbacks: each hands its event to the game's rules on the one world.

// Display: draws the world as it is and shows it. Changes nothing.
void displayScene();
// Idle: runs the update steps that are due on the platform's loop (desktop.cpp, platform_web.cpp)
// and asks for a redraw.
void updateWorld();
// Brings the idle callback back whenever the window shows again.
void visibilityChanged(int state);
void keyPressed(unsigned char key, int x, int y);
void specialKeyDown(int key, int x, int y);
void specialKeyUp(int key, int x, int y);
