#pragma once

#include "app/pacing.h"

// Waits, ready for input, until the schedule's next step is due. Returns false when input for the
// window arrived first: its callback then runs before the step, which shows it at once.
bool waitForStepOrInput(const StepSchedule& schedule);

// The idle callback's wait; true when the step is to run now. The game waits with
// `waitForStepOrInput`; the benchmark build links its own definition in place of the game's, to
// compare other ways of pacing the same loop.
bool waitForNextStep(const StepSchedule& schedule);
