#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include <SDL.h>

#include "app/pacing.h"
#include "app/pads.h"
#include "fake_clocks.h"
#include "world/update.h"
#include "world/world.h"

// A game pad played through the desktop's reading of pads, on an SDL virtual controller (no device
// needed): plugged in while the game plays, its D-pad, bottom button, stick and trigger pressed in
// turn, and pulled out with the trigger held. After each, `judge` looks at what more it can see: the
// Linux frame test at the frame in the game's window; the Windows unit tests, under Wine where no
// window can be had, at nothing more.
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
    const struct {
        const char* what;
        bool axis;
        int index, value;
    } presses[] = {
        {"the D-pad's left", false, SDL_CONTROLLER_BUTTON_DPAD_LEFT, 1},
        {"the bottom button", false, SDL_CONTROLLER_BUTTON_A, 1},
        {"the left stick pushed right", true, SDL_CONTROLLER_AXIS_LEFTX, 32767},
        {"the right trigger", true, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767},
    };
    for (const auto& press : presses) {
        SCOPED_TRACE(press.what);
        const float heading = w.heading;
        press.axis ? SDL_JoystickSetVirtualAxis(joystick, press.index, static_cast<Sint16>(press.value))
                   : SDL_JoystickSetVirtualButton(joystick, press.index, static_cast<Uint8>(press.value));
        play(6);
        EXPECT_EQ(press.index == SDL_CONTROLLER_BUTTON_DPAD_LEFT && !press.axis, w.heading > heading);
        EXPECT_EQ(press.index == SDL_CONTROLLER_AXIS_LEFTX && press.axis, w.heading < heading);
        if (press.index != SDL_CONTROLLER_AXIS_TRIGGERRIGHT || !press.axis) {
            press.axis ? SDL_JoystickSetVirtualAxis(joystick, press.index, 0)
                       : SDL_JoystickSetVirtualButton(joystick, press.index, 0);
        }
    }
    EXPECT_TRUE(w.thrustHeld && w.stopwatch->startTicks > 0) << "the trigger held, and the shot fired";
    SDL_JoystickClose(joystick);
    SDL_JoystickDetachVirtual(plugged);
    play(1);
    EXPECT_FALSE(w.thrustHeld) << "the trigger held as the pad was pulled out";
}
