#include "app/step_wait.h"

#include "app/platform.h"

bool waitForStepOrInput(const StepSchedule& schedule) {
    const auto wait = timeUntilNextStep(schedule, PaceClock::now());
    return wait <= PaceClock::duration::zero() || !waitForInput(wait);
}
