#pragma once
// How much memory a process and the processes it started use, for the
// benchmarks that weigh a component living in helper processes.

#include <cstdint>
#include <optional>

namespace tonvik::platform {

struct ProcessTreeMemory {
    std::int64_t proportionalKb = 0;  // shared pages split between their users
    std::int64_t residentKb = 0;      // every resident page counted in full
    int processes = 0;
};

// The memory of this process and of all its descendants; nullopt when the
// system does not tell.
std::optional<ProcessTreeMemory> OwnProcessTreeMemory();

}  // namespace tonvik::platform
