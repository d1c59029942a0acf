#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include <SDL.h>

#include "app/pacing.h"
#include "app/pads.h"
#include "fake_clocks.h"
#include "world/update.h"
#include "world/world.h"

// A pad read as the desktop reads pads, an SDL virtual controller: plugged in while the game plays,
// its D-pad, bottom button, stick and trigger pressed in turn, pulled out with the trigger held; after
// each, `judge` looks at what more it can see (the Linux frame test, the window's frame).
inline void playAVirtualPad(World& w, Controls& c, const std::function<void()>& judge) {
    FakeClocks clocks;
    int step = 0;
    const auto play = [&](int steps) {  // as the desktop's loop does: the pads read, then the step
        for (const int last = step + steps; step < last; ++step) {
            clocks.setNowMs(std::chrono::duration_cast<std::chrono::milliseconds>(step * stepPeriod).count());
            readPads(w, c);
            updateWorld(w);
        }
        judge();
    };
    SDL_VirtualJoystickDesc pad{};
    pad.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    pad.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    pad.naxes = SDL_CONTROLLER_AXIS_MAX;
    pad.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    play(5);
    const int plugged = SDL_JoystickAttachVirtualEx(&pad);
    ASSERT_GE(plugged, 0) << SDL_GetError();
    SDL_Joystick* const joystick = SDL_JoystickOpen(plugged);
    const auto set = [&](bool axis, int index, int value) {
        axis ? SDL_JoystickSetVirtualAxis(joystick, index, static_cast<Sint16>(value))
             : SDL_JoystickSetVirtualButton(joystick, index, static_cast<Uint8>(value));
    };
    // Each held for six steps: what, whether an axis, its index, its value, and which way it turns.
    const std::tuple<const char*, bool, int, int, int> presses[] = {
        {"the D-pad's left", false, SDL_CONTROLLER_BUTTON_DPAD_LEFT, 1, 1},
        {"the bottom button", false, SDL_CONTROLLER_BUTTON_A, 1, 0},
        {"the left stick pushed right", true, SDL_CONTROLLER_AXIS_LEFTX, 32767, -1},
        {"the right trigger", true, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767, 0}};
    for (const auto& [what, axis, index, value, turn] : presses) {
        SCOPED_TRACE(what);
        const float heading = w.heading;
        set(axis, index, value);
        play(6);
        EXPECT_EQ((w.heading > heading) - (w.heading < heading), turn) << "the turn";
        if (!axis || index != SDL_CONTROLLER_AXIS_TRIGGERRIGHT) {  // the trigger stays held
            set(axis, index, 0);
        }
    }
    EXPECT_TRUE(w.thrustHeld && w.stopwatch->startTicks > 0) << "the trigger held, and the shot fired";
    SDL_JoystickClose(joystick);
    SDL_JoystickDetachVirtual(plugged);
    play(1);
    EXPECT_FALSE(w.thrustHeld) << "the trigger held as the pad was pulled out";
}
