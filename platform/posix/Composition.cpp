#include "platform/Composition.h"

#include <atomic>

namespace tonvik::platform {
namespace {
// 0 = ask the system, 1 = forced off, 2 = forced on.
std::atomic<int> g_override{0};
}  // namespace

bool IsCompositionEnabled() {
    switch (g_override.load()) {
    case 1: return false;
    case 2: return true;
    // A POSIX desktop has no common query for it: count it as off, so that
    // windows that want a shadow draw their own.
    default: return false;
    }
}

void SetCompositionOverride(std::optional<bool> enabled) {
    g_override.store(enabled ? (*enabled ? 2 : 1) : 0);
}

}  // namespace tonvik::platform
