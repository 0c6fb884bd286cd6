#include "platform/ProcessMemory.h"

#include <unistd.h>
#if defined(__SANITIZE_ADDRESS__)
extern "C" void __sanitizer_purge_allocator();  // the checking allocator's own
#elif defined(__GLIBC__)
#include <malloc.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace tonvik::platform {
namespace {

// The parent of each live process.
std::map<long, long> ParentsOfAll() {
    std::map<long, long> parents;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line)) continue;
        // "pid (name) state ppid ...": the name may hold blanks and brackets.
        const size_t close = line.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream rest(line.substr(close + 1));
        char state = 0;
        long parent = 0;
        if (rest >> state >> parent) parents[std::stol(name)] = parent;
    }
    return parents;
}

bool AddRollup(long pid, ProcessTreeMemory& sum) {
    std::ifstream rollup("/proc/" + std::to_string(pid) + "/smaps_rollup");
    if (!rollup) return false;
    std::string key;
    std::int64_t kb = 0;
    std::string unit;
    while (rollup >> key) {
        if (key == "Pss:" && rollup >> kb >> unit) {
            sum.proportionalKb += kb;
        } else if (key == "Rss:" && rollup >> kb >> unit) {
            sum.residentKb += kb;
        } else {
            rollup.ignore(1 << 12, '\n');
        }
    }
    ++sum.processes;
    return true;
}

}  // namespace

std::optional<ProcessTreeMemory> OwnProcessTreeMemory() {
    const std::map<long, long> parents = ParentsOfAll();
    std::vector<long> tree{static_cast<long>(::getpid())};
    for (size_t at = 0; at < tree.size(); ++at) {
        for (const auto& [pid, parent] : parents) {
            if (parent == tree[at]) tree.push_back(pid);
        }
    }
    ProcessTreeMemory sum;
    if (!AddRollup(tree.front(), sum)) return std::nullopt;
    for (size_t at = 1; at < tree.size(); ++at) AddRollup(tree[at], sum);  // a child may just have ended
    return sum;
}

std::optional<std::int64_t> OwnAnonymousResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("RssAnon:", 0) == 0) return std::stoll(line.substr(8));
    }
    return std::nullopt;
}

void ReturnFreeMemory() {
#if defined(__SANITIZE_ADDRESS__)
    // The checking build's allocator keeps freed blocks aside for a while
    // and its free pages in its own heaps.
    __sanitizer_purge_allocator();
#elif defined(__GLIBC__)
    ::malloc_trim(0);
#endif
}

void LimitAllocatorHeaps() {
#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
    if (std::getenv("MALLOC_ARENA_MAX") == nullptr) ::mallopt(M_ARENA_MAX, 2);
#endif
}

}  // namespace tonvik::platform
