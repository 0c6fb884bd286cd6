#pragma once
// The user accounts of the stand-in, read from its users file (UTF-8), and
// the one signed-in user the album requests act for.

#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

namespace standin {

struct St_Account {
    std::string name;      // UTF-8
    std::string password;  // as typed
    std::string uid;
    std::string userInfo;  // UTF-8
};

class CAccounts {
public:
    bool Load(const std::filesystem::path& file, std::string& error);

    const St_Account* FindByName(const std::string& utf8Name) const;
    const St_Account* FindByUid(const std::string& uid) const;
    const std::vector<St_Account>& All() const { return m_accounts; }

    // The signed-in user ("" when none). Album requests carry no user, so
    // they act for the user who signed in last.
    void SetSignedIn(const std::string& uid);
    std::string SignedIn() const;

private:
    std::vector<St_Account> m_accounts;
    mutable std::mutex m_lock;
    std::string m_signedIn;
};

}  // namespace standin
