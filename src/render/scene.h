#pragma once

// The display callback: draws one frame of the game's world and shows it. Changes nothing.
void displayScene();

// The 50 by 50 field's projection and the render state, once the window exists. No reshape
// callback is needed: the square field stretches to fill the window at any size.
void setUpRendering();
