#pragma once
// Faults now and then, for long runs: every n-th request for a song's
// audio, a song's look-up (its information and its stream descriptor), the
// recommendations or a sign-in gets a fault of the kinds that request meets
// in the field, each kind in turn. Thread-safe.

#include "tools/standin/FaultTable.h"

#include <cstddef>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace standin {

class CChaos {
public:
    // Every `every`-th request of those kinds gets a fault; 0 (or less): none.
    void SetEvery(int every);
    int Every() const;
    // The fault for one request to `path` whose answer has `bodyLength`
    // bytes, if this one is due for one.
    std::optional<St_Fault> Take(const std::string& path, size_t bodyLength);
    // The faults given so far, by the kind of request ("audio", "lookup",
    // "recommend", "signin").
    std::map<std::string, size_t> Given() const;

private:
    mutable std::mutex m_lock;
    int m_every = 0;
    size_t m_seen = 0;
    std::map<std::string, size_t> m_given;
};

}  // namespace standin
