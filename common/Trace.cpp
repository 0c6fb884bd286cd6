#include "common/Trace.h"

#include "common/Text.h"
#include "platform/PrivateFile.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <deque>
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

// The secrets given to HideInTraces, each in every form it travels in.
// Forms shorter than this are left alone: masking them would hide most of
// every text.
constexpr size_t kShortestMaskedForm = 3;
constexpr size_t kKeptSecrets = 8;
std::mutex g_secretMutex;
std::deque<std::vector<std::string>> g_secrets;  // guarded by g_secretMutex, newest last
std::atomic<bool> g_hasSecrets{false};

bool IsKeyCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '-'; }

bool NamesAPassword(std::string_view key) {
    std::string lower(key);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    return lower.find("pass") != std::string::npos || lower.find("pwd") != std::string::npos;
}

// Masks the values of password keys in "key=value" pieces.
std::string MaskPasswordValues(std::string_view text) {
    static constexpr std::string_view kValueEnds = "&#; \t\r\n\"'<>,";
    std::string out;
    size_t copied = 0;
    for (size_t equals = text.find('='); equals != std::string_view::npos; equals = text.find('=', equals + 1)) {
        size_t keyStart = equals;
        while (keyStart > 0 && IsKeyCharacter(text[keyStart - 1])) --keyStart;
        if (keyStart == equals || keyStart < copied || !NamesAPassword(text.substr(keyStart, equals - keyStart))) continue;
        size_t valueStart = equals + 1;
        size_t valueEnd = std::string_view::npos;
        if (valueStart < text.size() && (text[valueStart] == '"' || text[valueStart] == '\'')) {
            // A quoted value: up to its closing quote.
            const char quote = text[valueStart++];
            valueEnd = text.find(quote, valueStart);
        } else {
            valueEnd = text.find_first_of(kValueEnds, valueStart);
        }
        if (valueEnd == std::string_view::npos) valueEnd = text.size();
        if (valueEnd == valueStart) continue;
        out.append(text.substr(copied, valueStart - copied));
        out += kTraceMask;
        copied = valueEnd;
        equals = valueEnd - 1;
    }
    out.append(text.substr(copied));
    return out;
}

void MaskForm(std::string& text, const std::string& form) {
    for (size_t at = text.find(form); at != std::string::npos; at = text.find(form, at + kTraceMask.size())) {
        text.replace(at, form.size(), kTraceMask);
    }
}

void Emit(const std::shared_ptr<const TraceSink>& sink, std::string_view text) {
    // The sink is called without any lock held, so a sink may trace itself
    // or take its own locks freely.
    if (sink && *sink) (*sink)(MaskTraceSecrets(text));
}

}  // namespace

void SetTraceSink(TraceSink sink) {
    std::shared_ptr<const TraceSink> next;
    if (sink) next = std::make_shared<const TraceSink>(std::move(sink));
    std::lock_guard lock(g_sinkMutex);
    g_sink = std::move(next);
    g_hasSink.store(g_sink != nullptr, std::memory_order_release);
}

void HideInTraces(std::string_view secret) {
    std::vector<std::string> forms;
    for (std::string form : {std::string(secret), AnsiToUtf8(secret), UrlEncode(AnsiToUtf8(secret)), Base64Encode(secret)}) {
        if (form.size() >= kShortestMaskedForm && std::find(forms.begin(), forms.end(), form) == forms.end())
            forms.push_back(std::move(form));
    }
    if (forms.empty()) return;
    // The longest first, so that no shorter form leaves part of a longer one.
    std::sort(forms.begin(), forms.end(), [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    std::lock_guard lock(g_secretMutex);
    auto known = std::find(g_secrets.begin(), g_secrets.end(), forms);
    if (known != g_secrets.end()) g_secrets.erase(known);
    g_secrets.push_back(std::move(forms));
    if (g_secrets.size() > kKeptSecrets) g_secrets.pop_front();
    g_hasSecrets.store(true, std::memory_order_release);
}

std::string MaskTraceSecrets(std::string_view text) {
    std::string masked = text.find('=') == std::string_view::npos ? std::string(text) : MaskPasswordValues(text);
    if (!g_hasSecrets.load(std::memory_order_acquire)) return masked;
    std::lock_guard lock(g_secretMutex);
    for (auto secret = g_secrets.rbegin(); secret != g_secrets.rend(); ++secret) {
        for (const std::string& form : *secret) MaskForm(masked, form);
    }
    return masked;
}

TraceSink MakeFileTraceSink(const std::string& path) {
    // The traces tell what the user did; they are the user's alone.
    if (!tonvik::platform::RestrictToOwner(path)) return {};
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
