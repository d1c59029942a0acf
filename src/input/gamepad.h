#pragma once

#include <array>
#include <cstddef>

#include "input/controls.h"

struct World;

// A game pad's state as the browsers' "standard" gamepad lays it out, which every platform reads its
// pads into: each button pressed from 0 to 1, and each stick's axes from -1 to 1, y down.
struct PadState {
    std::array<float, 17> buttons{};
    std::array<float, 4> axes{};
};

// The standard layout's buttons and axes that the game plays with.
enum PadButton : std::size_t {
    padBottom = 0,  // A on an Xbox pad, the cross on a PlayStation pad
    padRightShoulder = 5,
    padRightTrigger = 7,
    padUp = 12,
    padLeft = 14,
    padRight = 15,
};
enum PadAxis : std::size_t { leftStickX = 0, leftStickY = 1 };

// What a pad holds of the game's controls, in the layout players know: the D-pad's left and right and
// the left stick turn; the bottom face button and the right shoulder fire; the D-pad's up, the left
// stick pushed up and the right trigger thrust. The stick and the trigger count once pushed past half
// their travel, and until they are back within a quarter of it, their dead zone: one resting near the
// threshold does not chatter.
struct Pad {
    std::array<bool, 4> holds{};  // by Control
    bool stickLeft = false, stickRight = false, stickUp = false, trigger = false;
};

// The pad as `state` has it, after `before`.
Pad readPad(const PadState& state, const Pad& before);

// Plays into the controls, as `source`, what the pad took up and let go from `before` to `now`; a pad
// pulled out is `Pad{}` now, and lets go of all it held.
void playPad(World& w, Controls& c, const Pad& before, const Pad& now, unsigned source);
