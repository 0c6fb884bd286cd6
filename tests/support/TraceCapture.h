#pragma once
// Collects every trace text while it lives.

#include <mutex>
#include <string>
#include <vector>

class TraceCapture {
public:
    TraceCapture();
    ~TraceCapture();
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    std::vector<std::string> Lines() const;
    // Whether some text equals `text` exactly.
    bool Has(const std::string& text) const;
    // How many texts contain `part`.
    int CountContaining(const std::string& part) const;
    void Clear();

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
};
