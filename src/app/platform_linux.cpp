#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xresource.h>
#include <poll.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <sstream>
#include <string>
#include <thread>

#include "app/platform.h"

void detachConsole() {}

namespace {

// GLUT opens the display named by "-display NAME" on the command line, or else by DISPLAY.
const char* displayName(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "-display") == 0) {
            return argv[i + 1];
        }
    }
    return std::getenv("DISPLAY");
}

// The connection requireDisplay opens. It stays open for the life of the game: closed, it could be
// the server's last client, and a server started without -noreset would reset and refuse GLUT's own
// connection for a moment.
Display* openedDisplay = nullptr;

}  // namespace

// Without this check GLUT would print its own terse error and exit.
void requireDisplay(int argc, char** argv) {
    const char* name = displayName(argc, argv);
    openedDisplay = XOpenDisplay(name);
    if (openedDisplay != nullptr) {
        return;
    }
    if (name == nullptr || *name == '\0') {
        std::fputs(
            "asteroids: cannot open the game window because DISPLAY is not set; run the game from a desktop "
            "session, or set DISPLAY to a running X server\n",
            stderr);
    } else {
        std::fprintf(
            stderr,
            "asteroids: cannot open the X display \"%s\"; run the game from a desktop session, or set "
            "DISPLAY to a running X server\n",
            name);
    }
    std::exit(1);
}

// As the server's resources have it when the game starts: where a desktop scales the programs that
// scale themselves, it sets Xft.dpi there (xrdb), which GTK's and Qt's programs read too.
double screenScale() {
    const char* resources = XResourceManagerString(openedDisplay);
    if (resources == nullptr) {
        return 1;
    }
    XrmInitialize();
    const XrmDatabase database = XrmGetStringDatabase(resources);
    char* type = nullptr;
    XrmValue value{};
    double dpi = 0;
    if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) != 0 && value.addr != nullptr) {
        char* end = nullptr;
        dpi = std::strtod(value.addr, &end);
        dpi = end != value.addr && std::isfinite(dpi) ? dpi : 0;
    }
    XrmDestroyDatabase(database);
    return dpi > 0 ? dpi / 96 : 1;
}

// Mesa's software rasterizer, llvmpipe, hands each frame to a thread per core and waits for them.
// The game's frames are a clear and a few outlines: drawn on the game's own thread, they cost less
// CPU. A user's own LP_NUM_THREADS wins, and other drivers ignore it.
void prepareRenderer() { setenv("LP_NUM_THREADS", "0", 0); }

// Waits on the X connection that GLUT reads its events from.
bool waitForInput(std::chrono::nanoseconds timeout) {
    Display* display = glXGetCurrentDisplay();
    if (display == nullptr) {
        std::this_thread::sleep_for(timeout);
        return false;
    }
    // Events Xlib has already read off the connection would not wake poll.
    if (XPending(display) > 0) {
        return true;
    }
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(timeout);
    const timespec wait{static_cast<time_t>(seconds.count()), static_cast<long>((timeout - seconds).count())};
    pollfd connection{ConnectionNumber(display), POLLIN, 0};
    return ppoll(&connection, 1, &wait, nullptr) > 0;
}

// Through whichever of GLX's extensions for it the driver offers, and never another: asking one it
// does not offer can end the program. (Mesa's software renderer offers none: its swaps are never held.)
void requestPacedSwaps() {
    Display* display = glXGetCurrentDisplay();
    if (display == nullptr) {
        return;
    }
    std::istringstream extensions(glXQueryExtensionsString(display, DefaultScreen(display)));
    const auto function = [](const char* name) {
        return glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name));
    };
    for (std::string extension; extensions >> extension;) {
        if (extension == "GLX_EXT_swap_control") {
            reinterpret_cast<PFNGLXSWAPINTERVALEXTPROC>(function("glXSwapIntervalEXT"))(
                display, glXGetCurrentDrawable(), 1);
            return;
        }
        if (extension == "GLX_MESA_swap_control") {
            reinterpret_cast<PFNGLXSWAPINTERVALMESAPROC>(function("glXSwapIntervalMESA"))(1);
            return;
        }
    }
}

std::chrono::nanoseconds processorTime() {
    timespec used{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return std::chrono::seconds(used.tv_sec) + std::chrono::nanoseconds(used.tv_nsec);
}
