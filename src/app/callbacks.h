#pragma once

// The window system's callbacks: each hands its event to the game's rules on the one world.

// Idle: waits, ready for input, until the next step is due, then runs it and asks for a redraw.
void updateWorld();
// Brings the idle callback back whenever the window shows again.
void visibilityChanged(int state);
void keyPressed(unsigned char key, int x, int y);
void specialKeyDown(int key, int x, int y);
void specialKeyUp(int key, int x, int y);
