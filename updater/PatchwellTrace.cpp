#include "updater/PatchwellTrace.h"

#include <cstdio>
#include <mutex>

namespace patchwell {

namespace {
std::mutex& SinkLock() {
    static std::mutex lock;
    return lock;
}
TraceOutSink& Sink() {
    static TraceOutSink sink;
    return sink;
}
}  // namespace

void TraceOut(std::string_view text) {
    std::lock_guard guard(SinkLock());
    if (Sink()) {
        Sink()(text);
        return;
    }
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void SetTraceOutSink(TraceOutSink sink) {
    std::lock_guard guard(SinkLock());
    Sink() = std::move(sink);
}

}  // namespace patchwell
