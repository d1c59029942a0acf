#include <SDL.h>

#include <algorithm>
#include <array>

#include "app/pads.h"
#include "input/gamepad.h"

// The desktop's pads, through SDL2's GameController API: its database of pads lays each out as the
// standard gamepad, whatever the driver that reads it (on Windows XInput, DirectInput, raw input or
// SDL's own for PlayStation and Switch pads), and it sees pads plugged in and pulled out. SDL opens
// no window or video of its own: freeglut keeps the game's window.

namespace {

struct OpenPad {
    SDL_GameController* controller = nullptr;
    Pad pad;
};
std::array<OpenPad, maxPads> pads;
bool opened = false;

float travel(Sint16 axis) { return std::max(-1.0F, static_cast<float>(axis) / 32767); }

PadState stateOf(SDL_GameController* controller) {
    PadState state;
    const auto button = [&](PadButton b, SDL_GameControllerButton from) {
        state.buttons[b] = SDL_GameControllerGetButton(controller, from) != 0 ? 1.0F : 0.0F;
    };
    button(padBottom, SDL_CONTROLLER_BUTTON_A);
    button(padRightShoulder, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER);
    button(padUp, SDL_CONTROLLER_BUTTON_DPAD_UP);
    button(padLeft, SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    button(padRight, SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    state.buttons[padRightTrigger] =
        travel(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_TRIGGERRIGHT));
    state.axes[leftStickX] = travel(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTX));
    state.axes[leftStickY] = travel(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTY));
    return state;
}

}  // namespace

void openPads() {
    // SDL never sees freeglut's window take the keyboard, and would hold back a pad's events meanwhile;
    // and Ctrl+C and the signals that end the game stay the game's, which SDL would turn into events.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    opened = SDL_Init(SDL_INIT_GAMECONTROLLER) == 0;
}

void readPads(World& w, Controls& c) {
    if (!opened) {
        return;
    }
    for (SDL_Event event; SDL_PollEvent(&event) != 0;) {
        if (event.type == SDL_CONTROLLERDEVICEADDED) {
            const auto free = std::find_if(pads.begin(), pads.end(),
                                           [](const OpenPad& p) { return p.controller == nullptr; });
            if (free != pads.end()) {
                free->controller = SDL_GameControllerOpen(event.cdevice.which);
            }
        } else if (event.type == SDL_CONTROLLERDEVICEREMOVED) {
            for (std::size_t i = 0; i < pads.size(); ++i) {
                SDL_GameController* controller = pads[i].controller;
                if (controller != nullptr && SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(
                                                 controller)) == event.cdevice.which) {
                    playPad(w, c, pads[i].pad, Pad{}, firstPad + static_cast<unsigned>(i));
                    SDL_GameControllerClose(controller);
                    pads[i] = {};
                }
            }
        }
    }
    for (std::size_t i = 0; i < pads.size(); ++i) {
        if (pads[i].controller != nullptr) {
            const Pad now = readPad(stateOf(pads[i].controller), pads[i].pad);
            playPad(w, c, pads[i].pad, now, firstPad + static_cast<unsigned>(i));
            pads[i].pad = now;
        }
    }
}
