#include "common/Trace.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <mutex>

namespace {

std::mutex g_sinkMutex;
std::shared_ptr<const TraceSink> g_sink;  // guarded by g_sinkMutex
std::atomic<bool> g_hasSink{false};       // lets Trace skip formatting when nobody listens

std::shared_ptr<const TraceSink> CurrentSink() {
    if (!g_hasSink.load(std::memory_order_acquire)) return nullptr;
    std::lock_guard lock(g_sinkMutex);
    return g_sink;
}

std::string FormatV(const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (needed <= 0) return {};
    std::string text(static_cast<size_t>(needed), '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, args);
    return text;
}

void Emit(const std::shared_ptr<const TraceSink>& sink, std::string_view text) {
    // The sink is called without any lock held, so a sink may trace itself
    // or take its own locks freely.
    if (sink && *sink) (*sink)(text);
}

}  // namespace

void SetTraceSink(TraceSink sink) {
    std::shared_ptr<const TraceSink> next;
    if (sink) next = std::make_shared<const TraceSink>(std::move(sink));
    std::lock_guard lock(g_sinkMutex);
    g_sink = std::move(next);
    g_hasSink.store(g_sink != nullptr, std::memory_order_release);
}

TraceSink MakeFileTraceSink(const std::string& path) {
    struct LogFile {
        std::mutex mutex;
        std::ofstream out;
    };
    auto file = std::make_shared<LogFile>();
    file->out.open(path, std::ios::binary | std::ios::app);
    if (!file->out) return {};
    return [file](std::string_view text) {
        std::lock_guard lock(file->mutex);
        file->out.write(text.data(), static_cast<std::streamsize>(text.size()));
        if (text.empty() || text.back() != '\n') file->out.put('\n');
        file->out.flush();
    };
}

int Trace(const char* format, ...) {
    auto sink = CurrentSink();
    if (!sink) return 1;
    va_list args;
    va_start(args, format);
    const std::string text = FormatV(format, args);
    va_end(args);
    Emit(sink, text);
    return 1;
}

CTraceScope::CTraceScope(const char* format, ...) : m_active(false) {
    auto sink = CurrentSink();
    if (!sink) return;
    va_list args;
    va_start(args, format);
    m_text = FormatV(format, args);
    va_end(args);
    if (m_text.size() > kTraceScopeLimit) m_text.resize(kTraceScopeLimit);
    m_active = true;
    Emit(sink, m_text + std::string(kTraceEnterSuffix));
}

CTraceScope::~CTraceScope() {
    if (!m_active) return;
    Emit(CurrentSink(), m_text + std::string(kTraceLeaveSuffix));
}
