#include "key_storm.h"

#include <array>
#include <vector>

namespace {

constexpr std::array arrows = {"Left", "Right", "Up", "Down"};

// Every other kind of key a player may hit, by its X keysym name.
constexpr std::array others = {
    "space",    "a",       "b",         "c",         "d",      "e",     "f",       "g",         "h",
    "i",        "j",       "k",         "l",         "m",      "n",     "o",       "p",         "q",
    "r",        "s",       "t",         "u",         "v",      "w",     "x",       "y",         "z",
    "0",        "1",       "5",         "9",         "minus",  "comma", "period",  "slash",     "Escape",
    "Return",   "Tab",     "BackSpace", "Delete",    "Insert", "Home",  "End",     "Prior",     "Next",
    "Shift_L",  "Shift_R", "Control_L", "Control_R", "Alt_L",  "Alt_R", "Super_L", "Caps_Lock", "Num_Lock",
    "KP_Enter", "KP_5",    "F1",        "F2",        "F3",     "F4",    "F5",      "F6",        "F7",
    "F8",       "F9",      "F10",       "F11",       "F12",
};

}  // namespace

KeyStorm::KeyStorm(XSession& x, std::uint64_t seed) : x_(x), random_(seed) {}

void KeyStorm::burst(Clock::time_point now) {
    std::vector<std::string> due;
    for (const auto& [key, until] : held_) {
        if (until && *until <= now) {
            due.push_back(key);
        }
    }
    for (const auto& key : due) {
        release(key);
    }
    for (int n = uniform(1, 20); n > 0; --n) {
        // Half the events go to the arrows, which the game steers by.
        const std::string key = chance(0.5) ? arrows[index(arrows.size())] : others[index(others.size())];
        if (held_.contains(key) && !chance(0.05)) {
            release(key);
        } else {
            press(key, now);
        }
    }
}

void KeyStorm::releaseAll() {
    while (!held_.empty()) {
        release(held_.begin()->first);
    }
}

std::chrono::milliseconds KeyStorm::pause() { return std::chrono::milliseconds(uniform(0, 50)); }

void KeyStorm::press(const std::string& key, Clock::time_point now) {
    x_.key(key.c_str(), true);
    ++presses_;
    held_[key] = chance(0.1)
                     ? std::nullopt
                     : std::optional<Clock::time_point>(now + std::chrono::milliseconds(uniform(0, 3000)));
}

void KeyStorm::release(const std::string& key) {
    x_.key(key.c_str(), false);
    ++releases_;
    held_.erase(key);
}
