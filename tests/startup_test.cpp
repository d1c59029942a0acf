#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "virtual_display.h"

// The real game started where it cannot open its window: one line of its own that says what is
// wrong and what to do, and status 1, at once.

namespace {

struct Outcome {
    int status;
    std::string output;  // standard output and error together
};

// Runs the game through the shell with the given environment changes and arguments. A game that
// has not ended after 30 s is stopped and reported with timeout's status 124.
Outcome runGame(const std::string& environment, const std::string& arguments) {
    const std::string command =
        "timeout 30 env " + environment + " " + ASTEROIDS_EXECUTABLE + " " + arguments + " 2>&1";
    FILE* game = popen(command.c_str(), "r");
    if (game == nullptr) {
        return {-1, "cannot run " + command};
    }
    Outcome outcome{-1, {}};
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, game) != nullptr) {
        outcome.output += buffer;
    }
    const int status = pclose(game);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

// A display number with no X server behind it.
std::string absentDisplay() {
    for (int n = 4711;; ++n) {
        struct stat socket {};
        if (stat(("/tmp/.X11-unix/X" + std::to_string(n)).c_str(), &socket) != 0) {
            return ":" + std::to_string(n);
        }
    }
}

TEST(Startup, WithNoDisplayPrintsOneLineOnWhatToDoAndExitsWithStatusOne) {
    const VirtualDisplay working;
    const std::string absent = absentDisplay();
    const struct {
        std::string environment, arguments, mentions;
    } cases[] = {
        {"-u DISPLAY", "", "DISPLAY is not set"},
        {"DISPLAY=", "", "DISPLAY is not set"},
        {"DISPLAY=" + absent, "", "\"" + absent + "\""},
        // GLUT takes the display from the command line before DISPLAY, and so does the check.
        {"DISPLAY=" + working.name(), "-display " + absent, "\"" + absent + "\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.environment + " " + c.arguments);
        const Outcome outcome = runGame(c.environment, c.arguments);
        EXPECT_EQ(outcome.status, 1);
        EXPECT_EQ(outcome.output.find("asteroids: "), 0U) << outcome.output;
        EXPECT_NE(outcome.output.find(c.mentions), std::string::npos) << outcome.output;
        EXPECT_NE(outcome.output.find("run the game from a desktop session, or set DISPLAY"),
                  std::string::npos)
            << outcome.output;
        EXPECT_EQ(outcome.output.find('\n'), outcome.output.size() - 1) << "one line: " << outcome.output;
    }
}

}  // namespace
