#include "tools/standin/Accounts.h"

#include "platform/AtomicFile.h"
#include "tools/standin/TextUtil.h"

namespace standin {

bool CAccounts::Load(const std::filesystem::path& file, std::string& error) {
    m_accounts.clear();
    std::string content;
    if (!tonvik::platform::ReadWholeFile(file, content)) {
        error = "cannot read " + file.string();
        return false;
    }
    for (std::string line : Split(content, '\n')) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const std::vector<std::string> fields = Split(line, '\t');
        if (fields.size() < 3 || fields[0].empty() || !IsDecimalId(fields[2])) {
            error = "bad account line: " + line;
            return false;
        }
        m_accounts.push_back({fields[0], fields[1], fields[2], fields.size() > 3 ? fields[3] : fields[0]});
    }
    return true;
}

const St_Account* CAccounts::FindByName(const std::string& utf8Name) const {
    for (const auto& account : m_accounts) {
        if (account.name == utf8Name) return &account;
    }
    return nullptr;
}

const St_Account* CAccounts::FindByUid(const std::string& uid) const {
    for (const auto& account : m_accounts) {
        if (account.uid == uid) return &account;
    }
    return nullptr;
}

void CAccounts::SetSignedIn(const std::string& uid) {
    std::lock_guard lock(m_lock);
    m_signedIn = uid;
}

std::string CAccounts::SignedIn() const {
    std::lock_guard lock(m_lock);
    return m_signedIn;
}

}  // namespace standin
