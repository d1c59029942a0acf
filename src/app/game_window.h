#pragma once

// Initialises GLUT with the command line, opens the game's window at the top-left of the screen, 720
// by 640 pixels at the screen's scale (screenScale), registers the callbacks, sets up the drawing and
// opens the pads. The game clocks are the platform's from here.
// With no display to open the window on, it ends the program with a message and status 1.
void openGameWindow(int& argc, char** argv);
