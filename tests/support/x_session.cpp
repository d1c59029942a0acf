#include "x_session.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <stdexcept>
#include <thread>

namespace {

XErrorHandler defaultErrorHandler = nullptr;

// A window can go between listing it and looking at it, as a console window does when its program
// leaves it: then it is simply not there. Any other error is Xlib's to report.
int ignoreGoneWindows(Display* display, XErrorEvent* error) {
    return error->error_code == BadWindow ? 0 : defaultErrorHandler(display, error);
}

}  // namespace

XSession::XSession(const std::string& displayName) : display_(XOpenDisplay(displayName.c_str())) {
    if (defaultErrorHandler == nullptr) {
        defaultErrorHandler = XSetErrorHandler(ignoreGoneWindows);
    }
    if (display_ == nullptr) {
        throw std::runtime_error("cannot open X display " + displayName);
    }
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display_, &event, &error, &major, &minor)) {
        throw std::runtime_error("the X server has no XTest extension");
    }
}

XSession::~XSession() { XCloseDisplay(display_); }

std::string XSession::title(Window window) {
    char* name = nullptr;
    std::string result;
    if (XFetchName(display_, window, &name) != 0 && name != nullptr) {
        result = name;
        XFree(name);
    }
    return result;
}

Window XSession::waitForWindow(const std::string& wanted, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    do {
        for (const Window w : shownWindows()) {
            if (title(w) == wanted) {
                return w;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (std::chrono::steady_clock::now() < deadline);
    return 0;
}

std::vector<Window> XSession::shownWindows() {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    std::vector<Window> shown;
    if (XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count) != 0) {
        for (unsigned int i = 0; i < count; ++i) {
            XWindowAttributes attributes;
            if (XGetWindowAttributes(display_, children[i], &attributes) != 0 &&
                attributes.map_state == IsViewable && attributes.x + attributes.width > 0 &&
                attributes.y + attributes.height > 0 && attributes.x < WidthOfScreen(attributes.screen) &&
                attributes.y < HeightOfScreen(attributes.screen)) {
                shown.push_back(children[i]);
            }
        }
        XFree(children);
    }
    return shown;
}

Rect XSession::geometry(Window window) {
    XWindowAttributes attributes;
    XGetWindowAttributes(display_, window, &attributes);
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &x, &y, &child);
    return {x, y, x + attributes.width, y + attributes.height};
}

void XSession::focus(Window window) {
    XSetInputFocus(display_, window, RevertToPointerRoot, CurrentTime);
    XSync(display_, False);
}

void XSession::key(const char* keysymName, bool down) {
    const KeyCode code = XKeysymToKeycode(display_, XStringToKeysym(keysymName));
    if (code == 0) {
        throw std::runtime_error(std::string("no key for ") + keysymName);
    }
    XTestFakeKeyEvent(display_, code, down ? True : False, CurrentTime);
    XSync(display_, False);
}

void XSession::tap(const char* keysymName) {
    key(keysymName, true);
    key(keysymName, false);
}

Image XSession::capture(Window window) {
    XWindowAttributes attributes;
    XGetWindowAttributes(display_, window, &attributes);
    return capture(window, {0, 0, attributes.width, attributes.height});
}

Image XSession::capture(Window window, Rect area) {
    Image image;
    image.width = area.right - area.left;
    image.height = area.bottom - area.top;
    XImage* shot = XGetImage(display_, window, area.left, area.top, static_cast<unsigned int>(image.width),
                             static_cast<unsigned int>(image.height), AllPlanes, ZPixmap);
    if (shot == nullptr) {
        throw std::runtime_error("cannot read the window's pixels");
    }
    image.pixels.reserve(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height));
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const unsigned long p = XGetPixel(shot, x, y);  // 24-bit TrueColor: 0xRRGGBB
            image.pixels.push_back({static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                                    static_cast<std::uint8_t>(p)});
        }
    }
    XDestroyImage(shot);
    return image;
}

void XSession::requestClose(Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, window, False, NoEventMask, &event);
    XSync(display_, False);
}
