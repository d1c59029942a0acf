#include "input/controls.h"

#include "input/keyboard.h"

namespace {

constexpr int keyOf(Control held) {
    return held == Control::turnLeft ? keyLeft : held == Control::turnRight ? keyRight : keyUp;
}

}  // namespace

void pressControl(World& w, Controls& c, Control control, unsigned source) {
    if (control == Control::fire) {
        keyPressed(w, fireKey);
        return;
    }
    std::uint32_t& holders = c.holders[static_cast<std::size_t>(control)];
    if (holders == 0) {
        specialKeyDown(w, keyOf(control));
    }
    holders |= 1U << source;
}

void releaseControl(World& w, Controls& c, Control control, unsigned source) {
    if (control == Control::fire) {
        return;
    }
    std::uint32_t& holders = c.holders[static_cast<std::size_t>(control)];
    const bool held = holders != 0;
    holders &= ~(1U << source);
    if (held && holders == 0) {
        specialKeyUp(w, keyOf(control));
    }
}

std::optional<Control> controlOfKey(int key) {
    switch (key) {
    case keyLeft: return Control::turnLeft;
    case keyRight: return Control::turnRight;
    case keyUp: return Control::thrust;
    case fireKey: return Control::fire;
    default: return std::nullopt;
    }
}
