#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "protocol.h"

// The harness's end of the pipe on which the instrumented game sends its events. The harness reads
// whenever it waits, so that the game never blocks on a full pipe.
class EventStream {
public:
    EventStream();  // the writing end is left open across exec, for the game to inherit
    ~EventStream();
    EventStream(const EventStream&) = delete;
    EventStream& operator=(const EventStream&) = delete;

    int gameEnd() const { return gameEnd_; }
    // Once the game has its copy: from then on the pipe ends when the game does.
    void closeGameEnd();

    // Reads what arrives until the deadline: the harness's way of waiting.
    void readUntil(std::int64_t deadlineNs) {
        readWhile([] { return true; }, deadlineNs);
    }
    // Read what arrives until their condition holds; false if the deadline passes first.
    bool readUntilKeys(std::size_t keyCallbacks, std::int64_t deadlineNs);
    bool readToEnd(std::int64_t deadlineNs);

    const std::vector<Event>& events() const { return events_; }

private:
    bool readWhile(const std::function<bool()>& waiting, std::int64_t deadlineNs);
    void take(const char* bytes, std::size_t count);

    int harnessEnd_ = -1;
    int gameEnd_ = -1;
    bool ended_ = false;
    std::size_t keyCallbacks_ = 0;
    std::vector<char> partial_;
    std::vector<Event> events_;
};
