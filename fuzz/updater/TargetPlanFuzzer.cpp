// Package download planning against arbitrary package addresses and local
// file names, as a manifest from the network may carry them.

#include "updater/TargetPlan.h"
#include "updater/WorkFolder.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\n');
    const std::string_view target = input.substr(0, split);
    const std::string_view localFile = split == std::string_view::npos ? std::string_view() : input.substr(split + 1);

    patchwell::PartRange range;
    std::vector<std::string> parts;
    // Walk the parts the way the package poll does, one finished part at a time.
    for (int step = 0; step < 4; ++step) {
        const patchwell::PlannedTarget planned = patchwell::PlanTarget(target, localFile, range, parts);
        if (parts.empty() || parts.size() > static_cast<size_t>(patchwell::kMaxParts) + 1) std::abort();
        if (range.Exists() && (range.first < 1 || range.last < range.first || range.last > patchwell::kMaxParts)) {
            std::abort();
        }
        // A plain file name never becomes one that leaves its folder.
        const size_t slash = target.rfind('/');
        const std::string_view name = slash == std::string_view::npos ? target : target.substr(slash + 1);
        if (range.Exists() && patchwell::IsPlainFileName(name) && planned.downloadName.find('/') != std::string::npos) {
            std::abort();
        }
        parts.erase(parts.begin());
    }
    return 0;
}
