#pragma once

// What differs between Windows, macOS and Linux lives here and in platform.cpp.
// The clocks need nothing of their own: the standard library's steady clock is the stopwatch's
// tick source everywhere.

#include <chrono>

// Leaves the console the program was started from, where it has one of its own (Windows).
void detachConsole();

// Ends the program with status 1 and one line saying what to do when there is no display to open
// the game window on (X11). Takes the display from the command line as GLUT does.
void requireDisplay(int argc, char** argv);

// Settles, before the window system starts, how the renderer is to run on this platform.
void prepareRenderer();

// Waits until input for the game window arrives or `timeout` passes, whichever is first.
// Returns true when input is waiting.
bool waitForInput(std::chrono::nanoseconds timeout);
