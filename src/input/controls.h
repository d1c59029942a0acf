#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

struct World;

// The game's four controls, from every source at once: the keyboard, the page's touch buttons and
// each game pad. Turning and thrust are held: a control is pressed when the first source takes it
// and let go when the last one does, so that a source at rest, or one let go, never lets go of what
// another still holds. Fire acts on each press, from whichever source, as Space does. Each reaches
// the rules as the keyboard's keys do (keyboard.h), at the time it comes.
enum class Control { turnLeft, turnRight, thrust, fire };

// Where a control comes from: the keyboard, the touch buttons, or pad n as `firstPad + n`.
enum Source : unsigned { keyboard = 0, touchButtons = 1, firstPad = 2 };
constexpr unsigned maxPads = 8;

// Which sources hold each of the held controls.
struct Controls {
    std::array<std::uint32_t, 3> holders{};
};

void pressControl(World& w, Controls& c, Control control, unsigned source);
void releaseControl(World& w, Controls& c, Control control, unsigned source);

// The control of a key, by the window system's codes (keyboard.h), if it is one of the game's.
std::optional<Control> controlOfKey(int key);
