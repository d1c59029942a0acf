#include "event_stream.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

namespace {

// Room for seconds of a free-running loop's events between two reads.
constexpr int pipeBytes = 1 << 20;

}  // namespace

EventStream::EventStream() {
    int ends[2];
    if (pipe(ends) != 0) {
        throw std::runtime_error("cannot make the event pipe");
    }
    harnessEnd_ = ends[0];
    gameEnd_ = ends[1];
    fcntl(harnessEnd_, F_SETFD, FD_CLOEXEC);
    fcntl(harnessEnd_, F_SETPIPE_SZ, pipeBytes);
}

EventStream::~EventStream() {
    closeGameEnd();
    close(harnessEnd_);
}

void EventStream::closeGameEnd() {
    if (gameEnd_ >= 0) {
        close(gameEnd_);
        gameEnd_ = -1;
    }
}

bool EventStream::readUntilKeys(std::size_t keyCallbacks, std::int64_t deadlineNs) {
    return readWhile([&] { return keyCallbacks_ < keyCallbacks; }, deadlineNs);
}

bool EventStream::readToEnd(std::int64_t deadlineNs) {
    return readWhile([&] { return !ended_; }, deadlineNs);
}

bool EventStream::readWhile(const std::function<bool()>& waiting, std::int64_t deadlineNs) {
    char bytes[1 << 16];
    while (waiting()) {
        const std::int64_t left = deadlineNs - monotonicNs();
        if (left <= 0 || ended_) {
            return !waiting();
        }
        pollfd readable{harnessEnd_, POLLIN, 0};
        if (poll(&readable, 1, static_cast<int>(left / 1'000'000 + 1)) <= 0) {
            continue;
        }
        const ssize_t count = read(harnessEnd_, bytes, sizeof bytes);
        if (count <= 0) {
            ended_ = true;
        } else {
            take(bytes, static_cast<std::size_t>(count));
        }
    }
    return true;
}

void EventStream::take(const char* bytes, std::size_t count) {
    partial_.insert(partial_.end(), bytes, bytes + count);
    std::size_t used = 0;
    for (; partial_.size() - used >= sizeof(Event); used += sizeof(Event)) {
        Event e{};
        std::memcpy(&e, partial_.data() + used, sizeof e);
        keyCallbacks_ += e.kind == EventKind::keyDown || e.kind == EventKind::keyUp ? 1 : 0;
        events_.push_back(e);
    }
    partial_.erase(partial_.begin(), partial_.begin() + static_cast<std::ptrdiff_t>(used));
}
