#include "frame_watch.h"

#include <algorithm>
#include <stdexcept>

FrameWatch::FrameWatch(Display* display, Window window) : display_(display), lastFrameSeen_(Clock::now()) {
    int errorBase = 0;
    if (!XDamageQueryExtension(display_, &eventBase_, &errorBase)) {
        throw std::runtime_error("the X server has no DAMAGE extension");
    }
    // One report per drawing request (a whole frame, as Mesa puts it), with the server's time of it.
    damage_ = XDamageCreate(display_, window, XDamageReportRawRectangles);
    XSync(display_, False);
}

FrameWatch::~FrameWatch() {
    XDamageDestroy(display_, damage_);
    XSync(display_, False);
}

void FrameWatch::poll() {
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        if (event.type != eventBase_ + XDamageNotify) {
            continue;
        }
        const auto& notify = reinterpret_cast<const XDamageNotifyEvent&>(event);
        if (frames_ > 0) {
            longestGapMs_ = std::max<std::int64_t>(
                longestGapMs_, static_cast<std::int64_t>(notify.timestamp - lastFrameTime_));
        }
        ++frames_;
        lastFrameTime_ = notify.timestamp;
        lastFrameSeen_ = Clock::now();
    }
}
