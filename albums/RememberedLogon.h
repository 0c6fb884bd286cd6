#pragma once
// The login remembered in section "Logon" of "TonvikMusic.ini": the user
// name, the password as its Base64 text, and the states of the
// remember-password and automatic-sign-in boxes. The file is kept readable
// by its owner only whenever it holds a password. Texts are CP936.

#include <string>

struct St_RememberedLogon {
    std::string user;
    std::string password;  // decoded
    bool rememberPass = false;
    bool autoLogon = false;
};

class CRememberedLogon {
public:
    static constexpr const char* kSection = "Logon";

    // Reads the section from the options file (g_strIniFile).
    static St_RememberedLogon Load();
    // After a successful sign-in: the name and the password when the
    // remember-password box is checked (else the password's key is removed
    // and the name emptied), and the automatic sign-in. A password that
    // cannot be kept private, or whose Base64 text would be too long, is not
    // remembered.
    static void Save(const std::string& user, const std::string& password, bool rememberPass, bool autoLogon);
    // After a failed sign-in: nothing is remembered any more (the password's
    // key is removed).
    static void Forget();
    // The remember-password box unchecked: neither the password (its key
    // is removed) nor the automatic sign-in are kept.
    static void StopRemembering();
};
