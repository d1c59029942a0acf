#include "input/gamepad.h"

namespace {

constexpr float pushed = 0.5F;     // of the travel, to count as pushed
constexpr float deadZone = 0.25F;  // of the travel, to count as let go

bool past(float travel, bool wasPast) { return travel > (wasPast ? deadZone : pushed); }

bool pressed(const PadState& state, PadButton button) { return state.buttons[button] >= 0.5F; }

}  // namespace

Pad readPad(const PadState& state, const Pad& before) {
    Pad now;
    now.stickLeft = past(-state.axes[leftStickX], before.stickLeft);
    now.stickRight = past(state.axes[leftStickX], before.stickRight);
    now.stickUp = past(-state.axes[leftStickY], before.stickUp);
    now.trigger = past(state.buttons[padRightTrigger], before.trigger);
    now.holds = {pressed(state, padLeft) || now.stickLeft, pressed(state, padRight) || now.stickRight,
                 pressed(state, padUp) || now.stickUp || now.trigger,
                 pressed(state, padBottom) || pressed(state, padRightShoulder)};
    return now;
}

void playPad(World& w, Controls& c, const Pad& before, const Pad& now, unsigned source) {
    for (const Control control : {Control::turnLeft, Control::turnRight, Control::thrust, Control::fire}) {
        const auto i = static_cast<std::size_t>(control);
        if (now.holds[i] && !before.holds[i]) {
            pressControl(w, c, control, source);
        } else if (!now.holds[i] && before.holds[i]) {
            releaseControl(w, c, control, source);
        }
    }
}
