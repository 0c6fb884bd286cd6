#include "common/System.h"

#include "platform/Network.h"
#include "tests/support/TempDir.h"

#include <QByteArray>
#include <QtGlobal>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace {
// Points the user's data folder at a temporary folder for one test.
class DataHome {
public:
    DataHome() : m_old(qgetenv("XDG_DATA_HOME")) { qputenv("XDG_DATA_HOME", QByteArray(m_dir.Path().c_str())); }
    ~DataHome() {
        if (m_old.isEmpty()) qunsetenv("XDG_DATA_HOME");
        else qputenv("XDG_DATA_HOME", m_old);
    }
    const TempDir& Dir() const { return m_dir; }

private:
    TempDir m_dir;
    QByteArray m_old;
};
}  // namespace

TEST(DataFolder, CreatesVeloraAndTheNamedFolder) {
    DataHome home;
    const auto folder = GetDataFolder("TonvikMusic");
    EXPECT_EQ(folder, home.Dir().Path() / "Velora" / "TonvikMusic");
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    // A second call finds everything in place.
    EXPECT_EQ(GetDataFolder("TonvikMusic"), folder);
}

TEST(DataFolder, PlainFilesInTheWayAreReplacedByFolders) {
    DataHome home;
    home.Dir().Write("Velora", "not a folder");
    EXPECT_EQ(GetDataFolder("TonvikMusic"), home.Dir().Path() / "Velora" / "TonvikMusic");
    std::ofstream(home.Dir().Path() / "Velora" / "Other") << "file";
    const auto other = GetDataFolder("Other");
    EXPECT_TRUE(std::filesystem::is_directory(other));
    EXPECT_TRUE(std::filesystem::is_directory(home.Dir().Path() / "Velora" / "TonvikMusic"));
}

TEST(OsFamily, VersionsMapToTheirCodes) {
    EXPECT_EQ(OsFamilyFromVersion(OsPlatform::Windows9x, 4, 0), 1);
    EXPECT_EQ(OsFamilyFromVersion(OsPlatform::Windows9x, 4, 10), 2);
    EXPECT_EQ(OsFamilyFromVersion(OsPlatform::Windows9x, 4, 90), 2);
    EXPECT_EQ(OsFamilyFromVersion(OsPlatform::WindowsNt, 4, 0), 3);
    EXPECT_EQ(OsFamilyFromVersion(OsPlatform::WindowsNt, 3, 51), 3);
    EXPECT_EQ(OsFamilyFromVersion(OsPlatform::WindowsNt, 5, 0), 4);
    EXPECT_EQ(OsFamilyFromVersion(OsPlatform::WindowsNt, 5, 1), 5);
    EXPECT_EQ(OsFamilyFromVersion(OsPlatform::WindowsNt, 5, 2), 6);
    EXPECT_EQ(OsFamilyFromVersion(OsPlatform::WindowsNt, 6, 0), 7);
    // Newer versions, 6.1 among them, are "other": no "Global\" prefix.
    EXPECT_EQ(OsFamilyFromVersion(OsPlatform::WindowsNt, 6, 1), 0);
    EXPECT_EQ(OsFamilyFromVersion(OsPlatform::WindowsNt, 10, 0), 0);
    int edition = -5;
    EXPECT_EQ(GetOsFamily(&edition), 0);
    EXPECT_EQ(edition, 0);
    EXPECT_EQ(IsNtPlatform(), 1);
}

namespace {

using tonvik::platform::InterfaceAddress;

InterfaceAddress Address(std::initializer_list<uint8_t> bytes, bool up = true, bool loopback = false) {
    InterfaceAddress address;
    address.up = up;
    address.loopback = loopback;
    address.family = bytes.size() == 4 ? InterfaceAddress::Family::IPv4 : InterfaceAddress::Family::IPv6;
    std::copy(bytes.begin(), bytes.end(), address.bytes.begin());
    return address;
}

}  // namespace

TEST(Network, OnlyAReachableAddressOnALiveInterfaceCounts) {
    const InterfaceAddress loopback4 = Address({127, 0, 0, 1}, true, true);
    const InterfaceAddress loopback6 = Address({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, true, true);
    const InterfaceAddress linkLocal6 = Address({0xFE, 0x80, 0, 0, 0, 0, 0, 0, 0, 0xFC, 0xFF, 0xFE, 0, 0, 0, 1});
    const InterfaceAddress selfAssigned4 = Address({169, 254, 3, 4});
    const InterfaceAddress lan4 = Address({192, 168, 3, 4});
    const InterfaceAddress global6 = Address({0x20, 0x01, 0x0D, 0xB8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2});

    // What a machine without a network has: whatever its host name maps to.
    EXPECT_EQ(NetworkAvailableFromInterfaces({}), 0);
    EXPECT_EQ(NetworkAvailableFromInterfaces({loopback4, loopback6, linkLocal6, selfAssigned4}), 0);
    EXPECT_EQ(NetworkAvailableFromInterfaces({Address({127, 0, 1, 1})}), 0);
    // A cable pulled: the address stays, the interface is no longer running.
    EXPECT_EQ(NetworkAvailableFromInterfaces({Address({192, 168, 3, 4}, false)}), 0);
    EXPECT_EQ(NetworkAvailableFromInterfaces({Address({192, 168, 3, 4}, true, true)}), 0);

    EXPECT_EQ(NetworkAvailableFromInterfaces({loopback4, lan4}), 1);
    EXPECT_EQ(NetworkAvailableFromInterfaces({loopback6, linkLocal6, global6}), 1);
}

TEST(Network, TestSeamForcesTheState) {
    tonvik::platform::SetNetworkStateOverride(false);
    EXPECT_EQ(IsNetworkAvailable(), 0);
    tonvik::platform::SetNetworkStateOverride(true);
    EXPECT_EQ(IsNetworkAvailable(), 1);
    tonvik::platform::SetNetworkStateOverride(std::nullopt);
    const auto addresses = tonvik::platform::InterfaceAddresses();
    EXPECT_EQ(IsNetworkAvailable(), NetworkAvailableFromInterfaces(addresses));
    // The system's own list: the loopback is there and is known for one.
    EXPECT_TRUE(std::any_of(addresses.begin(), addresses.end(), [](const InterfaceAddress& address) {
        return address.loopback && address.family == InterfaceAddress::Family::IPv4 && address.bytes[0] == 127;
    }));
}
