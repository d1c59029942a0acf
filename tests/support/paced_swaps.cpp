// A display that paces the window's buffer swaps, for the tests and the benchmark on a virtual X
// server, whose swaps Mesa's software renderer never holds. Preloaded into the game (LD_PRELOAD), it
// holds each glXSwapBuffers until the next refresh of a display refreshing ASTEROIDS_REFRESH_RATE
// times a second, as a driver does with a swap interval of one.

#include <GL/glx.h>
#include <dlfcn.h>

#include <chrono>
#include <cstdlib>
#include <thread>

extern "C" void glXSwapBuffers(Display* dpy, GLXDrawable drawable) {
    using Clock = std::chrono::steady_clock;
    static const auto swap =
        reinterpret_cast<void (*)(Display*, GLXDrawable)>(dlsym(RTLD_NEXT, "glXSwapBuffers"));
    static const auto period = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(1 / std::atof(std::getenv("ASTEROIDS_REFRESH_RATE"))));
    static const auto firstRefresh = Clock::now();
    swap(dpy, drawable);
    std::this_thread::sleep_until(firstRefresh + ((Clock::now() - firstRefresh) / period + 1) * period);
}
