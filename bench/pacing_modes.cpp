// The benchmark build's wait for the next step, in place of the game's: the pace the harness chose,
// with the time of every step taken.

#include <thread>

#include "app/step_wait.h"
#include "game_recorder.h"

bool waitForNextStep(const StepSchedule& schedule) {
    bool due = true;
    switch (chosenPacing()) {
    case Pacing::shipped: due = waitForStepOrInput(schedule); break;
    case Pacing::freeRunning: break;
    case Pacing::plainSleep:
        std::this_thread::sleep_for(timeUntilNextStep(schedule, PaceClock::now()));
        break;
    }
    if (due) {
        recordEvent(EventKind::step);
    }
    return due;
}
