#pragma once

// What differs between the platforms, each told whole in a file of its own that the build chooses:
// platform_linux.cpp, platform_windows.cpp and platform_web.cpp. Linux and Windows share their
// desktop loop (desktop.cpp); the browser runs its own.

#include <chrono>

// Leaves the console the program was started from, where it has one of its own (Windows).
void detachConsole();

// Ends the program with status 1 and one line saying what to do when there is no display to open
// the game window on (X11). Takes the display from the command line as GLUT does.
void requireDisplay(int argc, char** argv);

// Settles, before the window system starts, how the renderer is to run on this platform.
void prepareRenderer();

// The screen's pixels to those of a screen of 96 dots per inch, as the window system gives them to
// programs that scale themselves: on Linux the X resources' Xft.dpi, on Windows the DPI that the
// game, aware of it (its manifest says so), is told. 1 where it says nothing, 96 or what cannot be
// read. Once the display is open (requireDisplay).
double screenScale();

// Installs the clocks the rules read, once GLUT is up.
void installClocks();

// Waits until input for the game window arrives or `timeout` passes, whichever is first.
// Returns true when input is waiting. The desktop loop's wait: a page never waits.
bool waitForInput(std::chrono::nanoseconds timeout);

// Asks the graphics driver to hold each buffer swap of the current window to the display's refresh
// (a swap interval of one), where it lets the game ask.
void requestPacedSwaps();

// The processor time the process has used so far, all its threads together.
std::chrono::nanoseconds processorTime();
