#pragma once
// The songs' audio files, synthesized on first request and then kept.
// Thread-safe.

#include "tools/standin/Catalogue.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace standin {

class CAudioCache {
public:
    std::shared_ptr<const std::string> Get(const St_CatalogueSong& song);

private:
    std::mutex m_lock;
    std::map<std::string, std::shared_ptr<const std::string>> m_files;
};

}  // namespace standin
