#pragma once

#include <windows.h>
#include <xinput.h>

#include "input/controls.h"

struct World;

// Windows' pads, through XInput's XInputGetState, loaded when the game starts.
using XInputGetStateFunction = DWORD(WINAPI*)(DWORD, XINPUT_STATE*);

// The XInputGetState of the first of xinput1_4, xinput1_3 and xinput9_1_0 that Windows has, or null.
XInputGetStateFunction loadXInput();

// readPads with the XInputGetState given.
void readXInputPads(World& w, Controls& c, XInputGetStateFunction getState);
