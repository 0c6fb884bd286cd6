#include "updater/ui/UiTrace.h"

#include <cstdio>
#include <mutex>

namespace patchwell {

namespace {
std::mutex& SinkLock() {
    static std::mutex lock;
    return lock;
}
UiTraceSink& Sink() {
    static UiTraceSink sink;
    return sink;
}
}  // namespace

void SetUiTraceSink(UiTraceSink sink) {
    std::lock_guard guard(SinkLock());
    Sink() = std::move(sink);
}

void UiTrace(std::string_view text) {
    UiTraceSink sink;
    {
        std::lock_guard guard(SinkLock());
        sink = Sink();
    }
    // Called outside the lock so a sink may trace or replace itself.
    if (sink) {
        sink(text);
        return;
    }
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

}  // namespace patchwell
