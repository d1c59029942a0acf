#pragma once

#include <sys/types.h>

#include <cstdint>

// The process's resident memory in KiB, as the kernel counts it; -1 once it has gone.
std::int64_t residentKiB(pid_t pid);
