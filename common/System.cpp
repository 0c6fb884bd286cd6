#include "common/System.h"

#include "common/Trace.h"
#include "platform/Paths.h"

#include <algorithm>
#include <system_error>

namespace {

using tonvik::platform::InterfaceAddress;

bool IsReachableAddress(const InterfaceAddress& address) {
    const auto& b = address.bytes;
    if (address.family == InterfaceAddress::Family::IPv4) {
        if (b[0] == 0 || b[0] == 127) return false;  // unspecified, loopback
        return !(b[0] == 169 && b[1] == 254);        // link-local: taken for want of a network
    }
    if (b[0] == 0xFF) return false;                           // multicast
    if (b[0] == 0xFE && (b[1] & 0xC0) == 0x80) return false;  // link-local
    const bool zeroPrefix = std::all_of(b.begin(), b.end() - 1, [](uint8_t byte) { return byte == 0; });
    return !(zeroPrefix && b.back() <= 1);                    // unspecified, loopback
}

// Makes sure `path` is a folder: a plain file in its way is deleted.
bool EnsureFolder(const std::filesystem::path& path) {
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(path, ec);
    if (!ec && std::filesystem::exists(status) && !std::filesystem::is_directory(std::filesystem::status(path, ec))) {
        std::filesystem::remove(path, ec);
    }
    if (std::filesystem::is_directory(path, ec)) return true;
    std::filesystem::create_directories(path, ec);
    return !ec && std::filesystem::is_directory(path, ec);
}

}  // namespace

std::filesystem::path GetDataFolder(std::string_view name) {
    const std::filesystem::path base = tonvik::platform::UserDataFolder();
    if (base.empty()) return {};
    std::error_code ec;
    std::filesystem::create_directories(base, ec);

    std::filesystem::path path = base / "Velora";
    if (!EnsureFolder(path)) {
        Trace("GetDataFolder===Can not create %s", path.c_str());
        return {};
    }
    path /= std::string(name);
    if (!EnsureFolder(path)) {
        Trace("GetDataFolder===Can not create %s", path.c_str());
        return {};
    }
    return path;
}

int IsNtPlatform() { return 1; }

int OsFamilyFromVersion(OsPlatform platform, unsigned major, unsigned minor) {
    switch (platform) {
    case OsPlatform::Windows9x:
        if (major == 4 && minor == 0) return 1;
        if (major == 4 && (minor == 10 || minor == 90)) return 2;
        return 0;
    case OsPlatform::WindowsNt:
        if (major <= 4) return 3;
        if (major == 5 && minor == 0) return 4;
        if (major == 5 && minor == 1) return 5;
        if (major == 5 && minor == 2) return 6;
        if (major == 6 && minor == 0) return 7;
        return 0;
    case OsPlatform::Other:
        return 0;
    }
    return -1;
}

int GetOsFamily(int* edition) {
    if (edition) *edition = 0;
    return OsFamilyFromVersion(OsPlatform::Other, 0, 0);
}

int NetworkAvailableFromInterfaces(const std::vector<InterfaceAddress>& addresses) {
    for (const InterfaceAddress& address : addresses) {
        if (address.up && !address.loopback && IsReachableAddress(address)) return 1;
    }
    return 0;
}

int IsNetworkAvailable() {
    if (auto forced = tonvik::platform::NetworkStateOverride()) return *forced ? 1 : 0;
    return NetworkAvailableFromInterfaces(tonvik::platform::InterfaceAddresses());
}
