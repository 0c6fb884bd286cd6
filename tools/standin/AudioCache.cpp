#include "tools/standin/AudioCache.h"

#include "tools/standin/AudioSynth.h"

#include <cstdlib>

namespace standin {

std::shared_ptr<const std::string> CAudioCache::Get(const St_CatalogueSong& song) {
    std::lock_guard lock(m_lock);
    auto& file = m_files[song.id];
    if (!file) {
        const auto seed = static_cast<uint32_t>(std::strtoul(song.id.c_str(), nullptr, 10));
        file = std::make_shared<const std::string>(CAudioSynth::MakeWav(song.seconds, song.key, seed));
    }
    return file;
}

}  // namespace standin
