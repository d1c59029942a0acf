#include "app/step_wait.h"

// Alone in its file, so that a build linking its own `waitForNextStep` leaves this one out.
bool waitForNextStep(const StepSchedule& schedule) { return waitForStepOrInput(schedule); }
