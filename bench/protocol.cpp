#include "protocol.h"

#include <array>
#include <ctime>
#include <utility>

namespace {

constexpr std::array<std::pair<Pacing, std::string_view>, 3> names = {{
    {Pacing::shipped, "shipped"},
    {Pacing::freeRunning, "free-running"},
    {Pacing::plainSleep, "plain-sleep"},
}};

}  // namespace

std::string_view pacingName(Pacing pacing) {
    for (const auto& [p, name] : names) {
        if (p == pacing) {
            return name;
        }
    }
    return "?";
}

std::optional<Pacing> pacingNamed(std::string_view name) {
    for (const auto& [p, n] : names) {
        if (n == name) {
            return p;
        }
    }
    return std::nullopt;
}

std::int64_t monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}
