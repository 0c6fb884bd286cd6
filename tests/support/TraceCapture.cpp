#include "tests/support/TraceCapture.h"

#include "common/Trace.h"

#include <algorithm>

TraceCapture::TraceCapture() {
    SetTraceSink([this](std::string_view text) {
        std::lock_guard lock(m_mutex);
        m_lines.emplace_back(text);
    });
}

TraceCapture::~TraceCapture() { SetTraceSink({}); }

std::vector<std::string> TraceCapture::Lines() const {
    std::lock_guard lock(m_mutex);
    return m_lines;
}

bool TraceCapture::Has(const std::string& text) const {
    std::lock_guard lock(m_mutex);
    return std::find(m_lines.begin(), m_lines.end(), text) != m_lines.end();
}

int TraceCapture::CountContaining(const std::string& part) const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(std::count_if(m_lines.begin(), m_lines.end(),
                                          [&](const std::string& line) { return line.find(part) != std::string::npos; }));
}

void TraceCapture::Clear() {
    std::lock_guard lock(m_mutex);
    m_lines.clear();
}
