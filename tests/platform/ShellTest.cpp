// Programs started by the player, through a stand-in of the desktop's
// opener first on PATH: what any local user could read of them (their
// arguments and environment under /proc), and the page that leads the
// browser on to an address holding a password.

#include "platform/Paths.h"
#include "platform/PrivateFile.h"
#include "platform/Shell.h"
#include "tests/support/FakeOpener.h"
#include "tests/support/TempDir.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace tonvik::platform;

namespace {

// Sets an environment variable while it lives.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const QByteArray& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name)) {
        qputenv(name, value);
    }
    ~ScopedVariable() {
        if (m_had) qputenv(m_name, m_old);
        else qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

bool AnyHolds(const std::vector<std::string>& texts, const std::string& part) {
    for (const std::string& text : texts)
        if (text.find(part) != std::string::npos) return true;
    return false;
}

}  // namespace

TEST(Shell, APasswordAddressReachesTheBrowserOnlyThroughAPrivatePageThatGoesAway) {
    TempDir runtime;
    std::filesystem::permissions(runtime.Path(), std::filesystem::perms::owner_all);
    ScopedVariable runtimeFolder("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.Path().string()));
    ScopedVariable flags("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    ScopedVariable sandbox("QTWEBENGINE_DISABLE_SANDBOX", "1");
    FakeOpener opener;

    const std::string address = "http://127.0.0.1:9/login.php?uid=a&password=s3cr%26t&redirect_url=http://127.0.0.1:9/shequ/u/";
    ASSERT_TRUE(OpenUrlPrivately(address, std::chrono::milliseconds(300)));
    ASSERT_GT(opener.WaitForStart(), 0);
    const std::vector<std::string> arguments = opener.Arguments();
    ASSERT_EQ(arguments.size(), 3u) << "the shell, the opener, the page";
    EXPECT_FALSE(AnyHolds(arguments, "s3cr"));
    EXPECT_FALSE(AnyHolds(arguments, "password"));
    const std::filesystem::path page = arguments[2];
    EXPECT_EQ(page.parent_path(), RuntimeFolder());
    EXPECT_EQ(PermissionBits(page), 0600);
    const std::string text = TempDir::Read(page);
    EXPECT_EQ(text, LeadingPage(address));
    EXPECT_NE(text.find("content=\"0;url=http://127.0.0.1:9/login.php?uid=a&amp;password=s3cr%26t&amp;redirect_url="),
              std::string::npos);
    EXPECT_NE(text.find("location.replace(\"http://127.0.0.1:9/login.php?uid=a&password=s3cr%26t&redirect_url="),
              std::string::npos);
    // The engine's variables are this process's alone.
    const auto environment = opener.Environment();
    EXPECT_EQ(environment.count("QTWEBENGINE_CHROMIUM_FLAGS"), 0u);
    EXPECT_EQ(environment.count("QTWEBENGINE_DISABLE_SANDBOX"), 0u);
    EXPECT_EQ(environment.count("PATH"), 1u);
    opener.Release();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !std::filesystem::exists(page); }, 10000));

    // Plain addresses and programs (the update installer) start the same way.
    ASSERT_TRUE(OpenUrl("http://127.0.0.1:9/shequ/TonvikPlayer.shtml"));
    ASSERT_GT(opener.WaitForStart(), 0);
    EXPECT_EQ(opener.Arguments().back(), "http://127.0.0.1:9/shequ/TonvikPlayer.shtml");
    EXPECT_EQ(opener.Environment().count("QTWEBENGINE_CHROMIUM_FLAGS"), 0u);
    opener.Release();
    ASSERT_TRUE(StartProgram(opener.Program(), {"install", "5"}, runtime.Path()));
    ASSERT_GT(opener.WaitForStart(), 0);
    EXPECT_EQ(opener.Arguments().back(), "5");
    EXPECT_EQ(opener.Environment().count("QTWEBENGINE_DISABLE_SANDBOX"), 0u);
    opener.Release();

    // Without an opener nothing is written.
    ScopedVariable noPath("PATH", QByteArray::fromStdString(runtime.Path().string()));
    EXPECT_FALSE(OpenUrlPrivately(address));
    EXPECT_TRUE(std::filesystem::is_empty(runtime.Path()));
}
