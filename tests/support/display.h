#pragma once

// What the display tests and the benchmark share, on the X server that DISPLAY names (xvfb-run
// starts one for each run): a client of it that finds windows, presses real keys (XTest), reads
// pixels back and counts the frames a window shows (DAMAGE); the game as a process of its own; and
// what a player makes out in a frame.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

struct Rgb {
    std::uint8_t r, g, b;
    bool operator==(const Rgb&) const = default;
};

// What the game draws, with room for the smoothing at the edges of lines and points.
inline bool isField(Rgb p) {
    return std::abs(p.r - 26) <= 3 && std::abs(p.g - 145) <= 3 && std::abs(p.b - 204) <= 3;
}
inline bool isWhite(Rgb p) { return p.r > 200 && p.g > 200 && p.b > 200; }
inline bool isRed(Rgb p) { return p.r > 60 && p.r > p.g && p.r > p.b; }  // red over the field at any coverage
inline bool isDrawn(Rgb p) { return !isField(p); }
// How far a pixel is from the field to white, 0 to 1 (red's share alike: the flame counts in full).
inline double coverage(Rgb p) { return std::max(0, p.r - 26) / (255.0 - 26); }

// Pixels, x to the right and y down from the top-left corner; right and bottom are exclusive.
struct Rect {
    int left, top, right, bottom;
};

// A patch of touching pixels.
struct Blob {
    Rect bounds;
    double centreX, centreY;
};

struct Image {
    int width, height;
    std::vector<Rgb> pixels;  // row by row from the top

    std::size_t indexOf(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
    }
    Rgb at(int x, int y) const { return pixels[indexOf(x, y)]; }
    void forEach(Rect area, const std::function<void(int, int)>& visit) const {
        for (int y = std::max(area.top, 0); y < std::min(area.bottom, height); ++y) {
            for (int x = std::max(area.left, 0); x < std::min(area.right, width); ++x) {
                visit(x, y);
            }
        }
    }
    int count(const std::function<bool(Rgb)>& matches, Rect area = {0, 0, 1 << 16, 1 << 16}) const {
        int n = 0;
        forEach(area, [&](int x, int y) { n += matches(at(x, y)) ? 1 : 0; });
        return n;
    }
    // The pixels' worth of white over the field in an area: a pixel halfway from the field's red to
    // white's counts a half, so a smoothed shape's edges add up to its area.
    double whiteArea(Rect area) const {
        double sum = 0;
        forEach(area, [&](int x, int y) { sum += coverage(at(x, y)); });
        return sum;
    }
    // The frame as `w` by `h` pixels show it, each the mean of the pixels it covers, in whole or in
    // part: a page's canvas of any size as the 720 by 640 window's frame.
    Image resampled(int w, int h) const {
        if (w == width && h == height) {
            return *this;
        }
        const double sx = static_cast<double>(width) / w, sy = static_cast<double>(height) / h;
        // How much of source pixel `k` lies within target pixel `i`, along an axis of `step` to one.
        const auto overlap = [](int i, int k, double step) {
            return std::max(0.0, std::min((i + 1) * step, k + 1.0) - std::max(i * step, 1.0 * k)) / step;
        };
        Image out{w, h, {}};
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                double r = 0, g = 0, b = 0;
                for (int ky = static_cast<int>(y * sy);
                     ky < std::min(height, static_cast<int>(std::ceil((y + 1) * sy))); ++ky) {
                    for (int kx = static_cast<int>(x * sx);
                         kx < std::min(width, static_cast<int>(std::ceil((x + 1) * sx))); ++kx) {
                        const double weight = overlap(x, kx, sx) * overlap(y, ky, sy);
                        r += weight * at(kx, ky).r, g += weight * at(kx, ky).g, b += weight * at(kx, ky).b;
                    }
                }
                const auto c = [](double v) {
                    return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 255.0)));
                };
                out.pixels.push_back({c(r), c(g), c(b)});
            }
        }
        return out;
    }
    // The patches of matching pixels in an area, each pixel with its eight neighbours.
    std::vector<Blob> blobs(const std::function<bool(Rgb)>& matches, Rect area) const {
        std::vector<bool> seen(pixels.size());
        std::vector<Blob> found;
        const auto visit = [&](int x, int y, std::vector<std::pair<int, int>>& pending) {
            if (!seen[indexOf(x, y)] && matches(at(x, y))) {
                seen[indexOf(x, y)] = true;
                pending.emplace_back(x, y);
            }
        };
        forEach(area, [&](int x0, int y0) {
            std::vector<std::pair<int, int>> pending;
            Blob b{{x0, y0, x0, y0}, 0, 0};
            int size = 0;
            for (visit(x0, y0, pending); !pending.empty(); ++size) {
                const auto [x, y] = pending.back();
                pending.pop_back();
                b.bounds = {std::min(b.bounds.left, x), std::min(b.bounds.top, y),
                            std::max(b.bounds.right, x + 1), std::max(b.bounds.bottom, y + 1)};
                b.centreX += x;
                b.centreY += y;
                forEach({std::max(x - 1, area.left), std::max(y - 1, area.top), std::min(x + 2, area.right),
                         std::min(y + 2, area.bottom)},
                        [&](int nx, int ny) { visit(nx, ny, pending); });
            }
            if (size > 0) {
                found.push_back({b.bounds, b.centreX / size, b.centreY / size});
            }
        });
        return found;
    }
};

// The game's lines of text in the 720 by 640 window: the status line, and "GAME OVER" at (20, 25).
const Rect statusLine{0, 0, 720, 40};
const Rect gameOverLine{0, 250, 720, 340};

// The pixels clearly drawn in `a` (a sixth or more of the way from the field to white or red), or
// those of them that `still` has as `a` has them, with no such pixel within `reach` pixels of them in
// `b`: where the two draw differently, antialiasing aside, but for the frame's outermost pixels, where
// each cuts a line that leaves the field in its own way.
inline std::vector<std::pair<int, int>> strays(const Image& a, const Image& b, int reach,
                                               const Image* still = nullptr) {
    const auto ink = [](Rgb p) {
        return std::max({std::abs(p.r - 26), std::abs(p.g - 145), std::abs(p.b - 204)}) >= 40;
    };
    std::vector<std::pair<int, int>> found;
    a.forEach({reach, reach, a.width - reach, a.height - reach}, [&](int x, int y) {
        if (ink(a.at(x, y)) && (still == nullptr || still->at(x, y) == a.at(x, y)) &&
            b.count(ink, {x - reach, y - reach, x + reach + 1, y + reach + 1}) == 0) {
            found.emplace_back(x, y);
        }
    });
    return found;
}

// The share of the pixels drawn in an area (a tenth of the way to white or more) that are drawn in
// part (less than nine tenths): the smoothed edges of lines and letters. Drawn in stairs of whole
// pixels, they have next to none.
inline double smoothness(const Image& frame, Rect area) {
    int drawn = 0, part = 0;
    frame.forEach(area, [&](int x, int y) {
        const double c = coverage(frame.at(x, y));
        drawn += c >= 0.1 ? 1 : 0;
        part += c >= 0.1 && c < 0.9 ? 1 : 0;
    });
    return drawn > 0 ? static_cast<double>(part) / drawn : 0;
}

// An area of the window's 720 by 640 frame on a frame of any size.
inline Rect onCanvas(const Image& canvas, Rect r) {
    const double scale = canvas.width / 720.0;
    const auto at = [&](int v) { return static_cast<int>(std::lround(v * scale)); };
    return {at(r.left), at(r.top), at(r.right), at(r.bottom)};
}

// What a player makes out in a whole frame: the letters of each line of text (patches of a letter's
// size of pixels at least halfway from the field to white, which keeps smoothed letters apart and a
// smoothed outline whole), the whole asteroid outlines (rings two field units across with white in
// them) and the flame's red pixels.
struct Sight {
    int statusLetters = 0, gameOverLetters = 0, asteroids = 0, red = 0;
};
inline Sight look(const Image& frame) {
    Sight seen;
    const auto letters = [&](Rect line) {
        const auto found = frame.blobs([](Rgb p) { return p.r >= 140 && p.g >= 200; }, line);
        return static_cast<int>(std::count_if(found.begin(), found.end(), [](const Blob& b) {
            const int w = b.bounds.right - b.bounds.left, h = b.bounds.bottom - b.bounds.top;
            return w <= 20 && h >= 8 && h <= 20;
        }));
    };
    seen.statusLetters = letters(statusLine);
    seen.gameOverLetters = letters(gameOverLine);
    for (const Blob& b : frame.blobs(isDrawn, {0, 0, frame.width, frame.height})) {
        const int w = b.bounds.right - b.bounds.left, h = b.bounds.bottom - b.bounds.top;
        seen.asteroids +=
            w >= 24 && w <= 34 && h >= 21 && h <= 31 && frame.count(isWhite, b.bounds) > 0 ? 1 : 0;
    }
    seen.red = frame.count(isRed);
    return seen;
}

// A game as a player meets it, whatever runs it: its frames, and real keys.
class Game {
public:
    virtual ~Game() = default;
    virtual Image frame() = 0;
    virtual void key(const char* keysymName, bool down) = 0;
};

class XSession {
public:
    // The display DISPLAY names, or `name`.
    explicit XSession(const char* name = nullptr) : display_(XOpenDisplay(name)) {
        int event = 0, error = 0, major = 0, minor = 0;
        if (display_ == nullptr || !XTestQueryExtension(display_, &event, &error, &major, &minor)) {
            throw std::runtime_error("cannot open the X display with XTest: run under xvfb-run");
        }
        // A window can go between listing it and looking at it, as a console window does when its
        // program leaves it: then it is simply not there.
        static const XErrorHandler xlibs = XSetErrorHandler(
            [](Display* d, XErrorEvent* e) { return e->error_code == BadWindow ? 0 : xlibs(d, e); });
    }
    ~XSession() { XCloseDisplay(display_); }
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;
    Display* display() const { return display_; }

    // The top-level windows a player can see, with their titles: mapped, and at least partly on
    // the screen.
    std::vector<std::pair<Window, std::string>> shownWindows() {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        std::vector<std::pair<Window, std::string>> shown;
        XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count);
        for (unsigned int i = 0; i < count; ++i) {
            XWindowAttributes a;
            char* name = nullptr;
            if (XGetWindowAttributes(display_, children[i], &a) != 0 && a.map_state == IsViewable &&
                a.x + a.width > 0 && a.y + a.height > 0 && a.x < WidthOfScreen(a.screen) &&
                a.y < HeightOfScreen(a.screen)) {
                XFetchName(display_, children[i], &name);
                shown.emplace_back(children[i], name != nullptr ? name : "");
                XFree(name);
            }
        }
        XFree(children);
        return shown;
    }
    // The first shown window titled `title`, or 0 if none shows within the timeout.
    Window waitForWindow(const std::string& title, milliseconds timeout) {
        for (const auto deadline = Clock::now() + timeout; Clock::now() < deadline;) {
            for (const auto& [window, itsTitle] : shownWindows()) {
                if (itsTitle == title) {
                    return window;
                }
            }
            std::this_thread::sleep_for(milliseconds(10));
        }
        return 0;
    }
    Rect geometry(Window window) {  // on the screen
        XWindowAttributes a;
        XGetWindowAttributes(display_, window, &a);
        int x = 0, y = 0;
        Window child = 0;
        XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &x, &y, &child);
        return {x, y, x + a.width, y + a.height};
    }
    // The server's resources that programs read as they start, as xrdb sets them ("Xft.dpi:\t192\n").
    void setResources(const std::string& resources) {
        if (resources.empty()) {
            XDeleteProperty(display_, DefaultRootWindow(display_), XA_RESOURCE_MANAGER);
        } else {
            XChangeProperty(display_, DefaultRootWindow(display_), XA_RESOURCE_MANAGER, XA_STRING, 8,
                            PropModeReplace, reinterpret_cast<const unsigned char*>(resources.c_str()),
                            static_cast<int>(resources.size()));
        }
        XSync(display_, False);
    }
    // Gives the window the keyboard, as a window manager would on a click.
    void focus(Window window) {
        XSetInputFocus(display_, window, RevertToPointerRoot, CurrentTime);
        XSync(display_, False);
    }
    // A key event from the X server, as from a keyboard: "Left", "space", "a", ...
    void key(const char* keysymName, bool down) {
        XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, XStringToKeysym(keysymName)), down,
                          CurrentTime);
        XSync(display_, False);
    }
    // The pixels of the window, or of an area of it.
    Image capture(Window window, std::optional<Rect> area = std::nullopt) {
        const Rect whole = geometry(window);
        const Rect r = area.value_or(Rect{0, 0, whole.right - whole.left, whole.bottom - whole.top});
        Image image{r.right - r.left, r.bottom - r.top, {}};
        XImage* shot = XGetImage(display_, window, r.left, r.top, static_cast<unsigned>(image.width),
                                 static_cast<unsigned>(image.height), AllPlanes, ZPixmap);
        if (shot == nullptr) {
            throw std::runtime_error("cannot read the window's pixels");
        }
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
    // Asks the window to close, as a window manager does when its close button is clicked.
    void requestClose(Window window) {
        XEvent event{};
        event.xclient = {
            ClientMessage, 0, False, display_, window, XInternAtom(display_, "WM_PROTOCOLS", False), 32, {}};
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
        XSendEvent(display_, window, False, NoEventMask, &event);
        XSync(display_, False);
    }

private:
    Display* display_;
};

// The frames a window shows, from the X server's damage reports: every buffer swap puts a frame
// into the window, which the server reports even when the picture has not changed.
class FrameWatch {
public:
    FrameWatch(XSession& x, Window window) : display_(x.display()) {
        int errorBase = 0;
        if (!XDamageQueryExtension(display_, &eventBase_, &errorBase)) {
            throw std::runtime_error("the X server has no DAMAGE extension");
        }
        XDamageCreate(display_, window, XDamageReportRawRectangles);  // gone with the window
    }
    // Reads the reports that have come, waiting up to `timeout` for a new frame; true if one came.
    bool waitForFrame(milliseconds timeout) {
        const std::size_t before = times.size();
        for (const auto deadline = Clock::now() + timeout;;) {
            for (XEvent event; XPending(display_) > 0;) {
                XNextEvent(display_, &event);
                if (event.type == eventBase_ + XDamageNotify) {
                    times.push_back(reinterpret_cast<const XDamageNotifyEvent&>(event).timestamp);
                    lastSeen = Clock::now();
                }
            }
            const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
            if (times.size() > before || left <= 0) {
                return times.size() > before;
            }
            pollfd connection{ConnectionNumber(display_), POLLIN, 0};
            poll(&connection, 1, static_cast<int>(left) + 1);
        }
    }

    std::vector<Time> times;  // the server's time of each frame, in milliseconds
    Clock::time_point lastSeen = Clock::now();

private:
    Display* display_;
    int eventBase_ = 0;
};

// The game as its own process: a program and its arguments, such as {"scripts/wine", "asteroids.exe"}.
// Killed with the object if it is still running.
class GameProcess {
public:
    explicit GameProcess(std::vector<std::string> command) {
        std::vector<char*> argv(command.size() + 1);
        std::transform(command.begin(), command.end(), argv.begin(), [](std::string& a) { return a.data(); });
        if ((pid_ = fork()) == 0) {
            execv(argv[0], argv.data());
            _exit(127);
        }
    }
    ~GameProcess() {
        if (!ended_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    GameProcess(const GameProcess&) = delete;
    GameProcess& operator=(const GameProcess&) = delete;
    pid_t pid() const { return pid_; }

    // Its exit status once it has ended within the timeout (-1 if a signal ended it).
    std::optional<int> waitForExit(milliseconds timeout) {
        for (const auto deadline = Clock::now() + timeout;; std::this_thread::sleep_for(milliseconds(10))) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                ended_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            if (Clock::now() >= deadline) {
                return std::nullopt;
            }
        }
    }

private:
    pid_t pid_ = -1;
    bool ended_ = false;
};
