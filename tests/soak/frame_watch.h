#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>

#include <chrono>
#include <cstdint>

// Counts the frames a window draws, from the X server's own damage reports: every buffer swap
// puts the frame into the window, which the server reports even when the picture has not changed
// (as when the game is over and nothing is left moving).
class FrameWatch {
public:
    using Clock = std::chrono::steady_clock;

    FrameWatch(Display* display, Window window);
    ~FrameWatch();
    FrameWatch(const FrameWatch&) = delete;
    FrameWatch& operator=(const FrameWatch&) = delete;

    // Reads every report the server has sent so far. Call it often.
    void poll();

    std::int64_t frames() const { return frames_; }
    // The longest wait between two frames, in the server's milliseconds.
    std::int64_t longestGapMs() const { return longestGapMs_; }
    // When the last frame was seen; the start of the watch before the first one.
    Clock::time_point lastFrameSeen() const { return lastFrameSeen_; }

private:
    Display* display_;
    Damage damage_ = 0;
    int eventBase_ = 0;
    std::int64_t frames_ = 0;
    std::int64_t longestGapMs_ = 0;
    Time lastFrameTime_ = 0;
    Clock::time_point lastFrameSeen_;
};
