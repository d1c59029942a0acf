#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "game_process.h"
#include "virtual_display.h"
#include "x_session.h"

namespace {

using std::chrono::milliseconds;

const char* const title = "Bexum Asteroids Game";

class Program : public ::testing::Test {
protected:
    void SetUp() override {
        window = x.waitForWindow(title, milliseconds(10'000));
        ASSERT_NE(window, 0U) << "no game window within 10 s";
        x.focus(window);
    }
    VirtualDisplay display;
    XSession x{display.name()};
    GameProcess game{ASTEROIDS_EXECUTABLE, display.name()};
    Window window = 0;
};

TEST_F(Program, OpensItsTitledWindowAtTheTopLeft) {
    EXPECT_EQ(x.title(window), title);
    const Rect where = x.geometry(window);
    EXPECT_EQ(where.left, 0);
    EXPECT_EQ(where.top, 0);
    EXPECT_EQ(where.right, 720);
    EXPECT_EQ(where.bottom, 640);
}

TEST_F(Program, ClosingTheWindowEndsTheProcessCleanly) {
    x.requestClose(window);
    EXPECT_EQ(game.waitForExit(milliseconds(10'000)), 0);
}

}  // namespace
