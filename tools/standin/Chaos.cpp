#include "tools/standin/Chaos.h"

#include <string_view>

namespace standin {
namespace {

// The kind of request a path is, or nullptr when chaos leaves it alone.
const char* KindOf(std::string_view path) {
    if (path.rfind("/songhall/audio/", 0) == 0) return "audio";
    if (path == "/songhall/port/tonvik/playlist.php" || path.rfind("/songhall/stream/", 0) == 0) return "lookup";
    if (path == "/songhall/port/tonvik/recommend_song.php") return "recommend";
    if (path == "/shequ/port/tonvik/login.php") return "signin";
    return nullptr;
}

St_Fault FaultFor(std::string_view kind, size_t turn, size_t bodyLength) {
    // Audio breaks off a third of the way in: reset, stalled, or cut short.
    if (kind == "audio") {
        static constexpr FaultKind kKinds[] = {FaultKind::Drop, FaultKind::Hang, FaultKind::CutShort};
        return MakeFault(kKinds[turn % 3], 0, bodyLength / 3 + 1, 1);
    }
    if (kind == "lookup") {
        static constexpr FaultKind kKinds[] = {FaultKind::Drop, FaultKind::HtmlError404, FaultKind::MalformedXml,
                                               FaultKind::None};
        const FaultKind chosen = kKinds[turn % 4];
        return MakeFault(chosen, chosen == FaultKind::None ? 2000 : 0, 0, 1);
    }
    static constexpr FaultKind kKinds[] = {FaultKind::Drop, FaultKind::MalformedXml, FaultKind::HtmlError200};
    return MakeFault(kKinds[turn % 3], 0, 0, 1);
}

}  // namespace

void CChaos::SetEvery(int every) {
    std::lock_guard lock(m_lock);
    m_every = every > 0 ? every : 0;
    m_seen = 0;
}

int CChaos::Every() const {
    std::lock_guard lock(m_lock);
    return m_every;
}

std::optional<St_Fault> CChaos::Take(const std::string& path, size_t bodyLength) {
    const char* kind = KindOf(path);
    std::lock_guard lock(m_lock);
    if (m_every == 0 || kind == nullptr) return std::nullopt;
    if (++m_seen % static_cast<size_t>(m_every) != 0) return std::nullopt;
    return FaultFor(kind, m_given[kind]++, bodyLength);
}

std::map<std::string, size_t> CChaos::Given() const {
    std::lock_guard lock(m_lock);
    return m_given;
}

}  // namespace standin
