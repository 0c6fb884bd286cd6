#include "albums/RememberedLogon.h"

#include "common/Text.h"
#include "common/Trace.h"
#include "common/WellKnownPaths.h"
#include "platform/PrivateFile.h"
#include "platform/Profile.h"

#include <optional>

namespace {

constexpr const char* kUser = "User";
constexpr const char* kPass = "Pass";
constexpr const char* kRememberPass = "RemberPass";
constexpr const char* kAutoLogon = "AutoLogon";

void Write(const char* key, const std::string& value) {
    if (!WritePrivateProfileString(CRememberedLogon::kSection, key, value, g_strIniFile))
        Trace("RememberedLogon===Failed to write %s.", key);
}

// A password that is not wanted leaves no trace in the file, not even an
// empty key.
void RemovePassword() {
    if (!DeletePrivateProfileKey(CRememberedLogon::kSection, kPass, g_strIniFile))
        Trace("RememberedLogon===Failed to remove %s.", kPass);
}

// The Base64 text to store, or nullopt when the password must not be
// stored: too long for its key, or the file cannot be made private.
std::optional<std::string> StorablePassword(const std::string& password) {
    std::optional<std::string> encoded = EncodePassword(password);
    if (!encoded) {
        Trace("RememberedLogon===Password too long to remember.");
        return std::nullopt;
    }
    if (!tonvik::platform::RestrictToOwner(g_strIniFile)) {
        Trace("RememberedLogon===Cannot make %s private.", g_strIniFile.c_str());
        return std::nullopt;
    }
    return encoded;
}

}  // namespace

St_RememberedLogon CRememberedLogon::Load() {
    St_RememberedLogon saved;
    saved.autoLogon = GetPrivateProfileInt(kSection, kAutoLogon, 0, g_strIniFile) != 0;
    saved.rememberPass = GetPrivateProfileInt(kSection, kRememberPass, 0, g_strIniFile) != 0;
    saved.user = GetPrivateProfileString(kSection, kUser, "", g_strIniFile);
    saved.password = Base64Decode(GetPrivateProfileString(kSection, kPass, "", g_strIniFile));
    // A file written before it was kept private is narrowed now.
    if (!saved.password.empty()) tonvik::platform::RestrictToOwner(g_strIniFile);
    return saved;
}

void CRememberedLogon::Save(const std::string& user, const std::string& password, bool rememberPass,
                            bool autoLogon) {
    const std::optional<std::string> encoded = rememberPass ? StorablePassword(password) : std::nullopt;
    if (encoded) {
        Write(kRememberPass, "1");
        Write(kUser, user);
        Write(kPass, *encoded);
    } else {
        Write(kRememberPass, rememberPass ? "0" : "");
        Write(kUser, rememberPass ? user : "");
        RemovePassword();
    }
    Write(kAutoLogon, autoLogon ? "1" : "0");
}

void CRememberedLogon::Forget() {
    Write(kRememberPass, "0");
    Write(kAutoLogon, "0");
    Write(kUser, "");
    RemovePassword();
}

void CRememberedLogon::StopRemembering() {
    Write(kRememberPass, "0");
    Write(kAutoLogon, "0");
    RemovePassword();
}
