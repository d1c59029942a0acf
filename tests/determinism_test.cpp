#include <gtest/gtest.h>

#include "session.h"

// The scripted four-second game, stepped at 60 per second, hashed after every step: turns, thrust
// and shots in flight all go into one number, which must be the one the rules give. It comes from
// tests/rules_model.py, the rules written a second time in Python, never from a build of this
// code; to derive it again:
//
//     build/default/tests/replay_sessions | python3 tests/rules_model.py   # its "session 0"
//
// The cos and sin of GNU's C library are part of the value.

namespace {

TEST(Determinism, ScriptedSessionReplaysToTheHashTheRulesGive) {
    const Session session = scriptedSession();
    Replay game(session.layout);
    std::uint64_t hash = hashStart;
    int stepsWithTheShotFlying = 0;
    for (const Input& input : session.inputs) {
        game.apply(input);
        if (input.kind == InputKind::step) {
            hash = hashed(hash, stateWords(game.world()));
            stepsWithTheShotFlying += game.world().bullet->fired ? 1 : 0;
        }
    }
    EXPECT_GT(stepsWithTheShotFlying, 100);
    EXPECT_EQ(hash, 0x43b56c779d5d36a0U) << std::hex << hash;
}

}  // namespace
