#pragma once
// The program's one diagnostic call. Trace texts are part of the program's
// behaviour; where they go is a setting: by default nowhere, optionally a
// log file, and in tests a capturing sink.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#if defined(__GNUC__)
#define TONVIK_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define TONVIK_PRINTF(fmt, args)
#endif

// Receives each finished trace text. Called on the thread that traced, and
// possibly on several threads at once.
using TraceSink = std::function<void(std::string_view text)>;

// Secrets never reach a sink. Before a text is handed over, the value of
// every "key=value" whose key names a password ("password", "pass", "pwd",
// in any case and as part of a longer key) is replaced by kTraceMask, and
// so is every text given to HideInTraces, in each of the forms it travels
// in (as typed, UTF-8, URL-encoded, Base64).
inline constexpr std::string_view kTraceMask = "***";
// `secret` is CP936 text (a password as typed). The last few are kept.
void HideInTraces(std::string_view secret);
// What a sink would get for `text`.
std::string MaskTraceSecrets(std::string_view text);

// Installs the process-wide sink; an empty sink makes tracing write nothing.
void SetTraceSink(TraceSink sink);

// A sink that appends every text to a file, one text per line. The file is
// made readable by its owner only (also when it was there before); no sink
// when it cannot be.
TraceSink MakeFileTraceSink(const std::string& path);

// Formats and hands the text to the sink. Always returns 1.
int Trace(const char* format, ...) TONVIK_PRINTF(1, 2);

// The suffixes a trace scope adds to its text.
inline constexpr std::string_view kTraceEnterSuffix = " --->Enter\xE2\x96\xBC\r\n";  // "▼"
inline constexpr std::string_view kTraceLeaveSuffix = " --->Leave\xE2\x96\xB3\r\n";  // "△"
// The longest text a scope keeps before adding its suffix.
inline constexpr size_t kTraceScopeLimit = 1024;

// Traces its text with the Enter suffix when it opens and with the Leave
// suffix when it closes.
class CTraceScope {
public:
    explicit CTraceScope(const char* format, ...) TONVIK_PRINTF(2, 3);
    ~CTraceScope();
    CTraceScope(const CTraceScope&) = delete;
    CTraceScope& operator=(const CTraceScope&) = delete;

private:
    std::string m_text;
    bool m_active;
};

#define TONVIK_TRACE_CONCAT2(a, b) a##b
#define TONVIK_TRACE_CONCAT(a, b) TONVIK_TRACE_CONCAT2(a, b)
#define TRACE_SCOPE(...) CTraceScope TONVIK_TRACE_CONCAT(traceScope_, __LINE__)(__VA_ARGS__)
