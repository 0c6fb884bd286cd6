#include "common/System.h"

#include "platform/Network.h"
#include "tests/support/TempDir.h"

#include <QByteArray>
#include <QtGlobal>

#include <gtest/gtest.h>

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

TEST(Network, AddressRule) {
    EXPECT_EQ(NetworkAvailableFromAddress(std::nullopt), 0);
    EXPECT_EQ(NetworkAvailableFromAddress(std::string()), 0);
    EXPECT_EQ(NetworkAvailableFromAddress(std::string("127.0.0.1")), 0);
    EXPECT_EQ(NetworkAvailableFromAddress(std::string("127.0.1.1")), 1);
    EXPECT_EQ(NetworkAvailableFromAddress(std::string("192.168.3.4")), 1);
}

TEST(Network, TestSeamForcesTheState) {
    tonvik::platform::SetNetworkStateOverride(false);
    EXPECT_EQ(IsNetworkAvailable(), 0);
    tonvik::platform::SetNetworkStateOverride(true);
    EXPECT_EQ(IsNetworkAvailable(), 1);
    tonvik::platform::SetNetworkStateOverride(std::nullopt);
    EXPECT_EQ(IsNetworkAvailable(), NetworkAvailableFromAddress(tonvik::platform::FirstHostAddress()));
}
