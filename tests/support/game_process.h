#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

// The built game, started as its own process on the given X display: the program and its
// arguments, such as {"wine", "asteroids.exe"}. Killed on destruction if it is still running.
class GameProcess {
public:
    GameProcess(const std::vector<std::string>& command, const std::string& displayName);
    ~GameProcess();
    GameProcess(const GameProcess&) = delete;
    GameProcess& operator=(const GameProcess&) = delete;

    // The exit status once the process has ended by itself within the timeout; -1 if a signal
    // ended it; nothing if it is still running.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    bool ended_ = false;
};
