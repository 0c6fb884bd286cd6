#pragma once
// How much memory a process and the processes it started use, for the
// benchmarks that weigh a component living in helper processes; and giving
// the memory this process freed back to the system.

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

// The resident pages of this process that belong to no file (its heaps and
// stacks), in KiB; nullopt when the system does not tell.
std::optional<std::int64_t> OwnAnonymousResidentKb();

// Hands the pages the allocator holds free back to the system. Threads that
// come and go (each song's streaming threads) leave free pages scattered over
// the allocator's heaps, which it keeps resident until told.
void ReturnFreeMemory();

// Keeps the allocator to a couple of heaps for all threads instead of one
// per thread that ever ran at once: the streaming threads each song makes
// spread the program's small allocations over up to eight heaps a core,
// whose partly used pages stay resident (a long run grew by ~12 MB in half
// an hour; with two heaps it stays flat). Call first thing in main(), before
// any thread; a limit the user set (MALLOC_ARENA_MAX) stands.
void LimitAllocatorHeaps();

}  // namespace tonvik::platform
