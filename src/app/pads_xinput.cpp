#include "app/pads_xinput.h"

#include <algorithm>
#include <array>

#include "app/pads.h"
#include "input/gamepad.h"

// XInput is loaded when the game starts, so that the game needs no DLL that not every Windows has,
// and plays by keys where none loads. Its pads are laid out as the standard gamepad already.

namespace {

XInputGetStateFunction getState = nullptr;
std::array<Pad, XUSER_MAX_COUNT> pads;
std::array<bool, XUSER_MAX_COUNT> connected{};
unsigned reads = 0;

float travel(SHORT axis) { return std::max(-1.0F, static_cast<float>(axis) / 32767); }

PadState stateOf(const XINPUT_GAMEPAD& from) {
    PadState state;
    const auto button = [&](PadButton b, WORD bit) {
        state.buttons[b] = (from.wButtons & bit) != 0 ? 1.0F : 0.0F;
    };
    button(padBottom, XINPUT_GAMEPAD_A);
    button(padRightShoulder, XINPUT_GAMEPAD_RIGHT_SHOULDER);
    button(padUp, XINPUT_GAMEPAD_DPAD_UP);
    button(padLeft, XINPUT_GAMEPAD_DPAD_LEFT);
    button(padRight, XINPUT_GAMEPAD_DPAD_RIGHT);
    state.buttons[padRightTrigger] = static_cast<float>(from.bRightTrigger) / 255;
    state.axes[leftStickX] = travel(from.sThumbLX);
    state.axes[leftStickY] = -travel(from.sThumbLY);  // XInput's y is up, the standard's down
    return state;
}

}  // namespace

XInputGetStateFunction loadXInput() {
    for (const char* library : {"xinput1_4.dll", "xinput1_3.dll", "xinput9_1_0.dll"}) {
        if (HMODULE loaded = LoadLibraryA(library)) {
            return reinterpret_cast<XInputGetStateFunction>(
                reinterpret_cast<void*>(GetProcAddress(loaded, "XInputGetState")));
        }
    }
    return nullptr;
}

// Asking for a slot with no pad in it is slow, so an empty slot is looked at once a second.
void readXInputPads(World& w, Controls& c, XInputGetStateFunction get) {
    const bool lookInEmptySlots = reads++ % 60 == 0;
    for (DWORD i = 0; i < XUSER_MAX_COUNT && get != nullptr; ++i) {
        if (!connected[i] && !lookInEmptySlots) {
            continue;
        }
        XINPUT_STATE state{};
        connected[i] = get(i, &state) == ERROR_SUCCESS;
        const Pad now = connected[i] ? readPad(stateOf(state.Gamepad), pads[i]) : Pad{};
        playPad(w, c, pads[i], now, firstPad + i);
        pads[i] = now;
    }
}

void openPads() { getState = loadXInput(); }

void readPads(World& w, Controls& c) { readXInputPads(w, c, getState); }
