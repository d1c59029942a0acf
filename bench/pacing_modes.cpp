// The benchmark build's wait for the next step, linked in place of the game's: the pace named in
// ASTEROIDS_BENCH_PACING, to set the game's own beside a loop that never waits ("free-running") and
// one that sleeps until the step is due, deaf to input ("plain-sleep").

#include <cstdlib>
#include <string_view>
#include <thread>

#include "app/step_wait.h"

bool waitForNextStep(const StepSchedule& schedule) {
    static const std::string_view pacing = [] {
        const char* named = std::getenv("ASTEROIDS_BENCH_PACING");
        return named != nullptr ? named : "";
    }();
    if (pacing == "free-running") {
        return true;
    }
    if (pacing == "plain-sleep") {
        std::this_thread::sleep_for(timeUntilNextStep(schedule, PaceClock::now()));
        return true;
    }
    return waitForStepOrInput(schedule);
}
