#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <string>
#include <vector>

#include "image.h"

// A client connection to an X server that finds the game's window, sends it real key events
// through the XTest extension, and reads its pixels back.
class XSession {
public:
    explicit XSession(const std::string& displayName);
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    // The first shown top-level window titled `wanted`; 0 if none shows up in time.
    Window waitForWindow(const std::string& wanted, std::chrono::milliseconds timeout);
    // The top-level windows a player can see now (mapped, and at least partly on the screen),
    // bottom to top.
    std::vector<Window> shownWindows();
    std::string title(Window window);
    // Position on the screen and size.
    Rect geometry(Window window);

    // Gives the window the keyboard, as a window manager would on a click.
    void focus(Window window);
    // A real key event from the X server, as from a keyboard: "Left", "Up", "space", "a", ...
    void key(const char* keysymName, bool down);
    void tap(const char* keysymName);

    Image capture(Window window);
    // The pixels of `area`, in the window's coordinates.
    Image capture(Window window, Rect area);

    // Asks the window to close, as a window manager does when its close button is clicked.
    void requestClose(Window window);

    Display* display() const { return display_; }

private:
    Display* display_;
};
