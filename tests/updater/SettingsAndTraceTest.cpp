#include "updater/Gbk.h"
#include "updater/PatchwellTrace.h"
#include "updater/UpdateHosts.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using namespace patchwell;

TEST(UpdateHosts, DefaultsToTheLocalStandIn) {
    TempDir dir;
    const UpdateHosts hosts = ReadUpdateHosts(dir.Path());
    EXPECT_EQ(hosts.update, "127.0.0.1:18080");
    EXPECT_EQ(hosts.gamePatch, "127.0.0.1:18080");
    EXPECT_EQ(HostAddress(hosts.update, "/download/music/Update.xml"),
              "http://127.0.0.1:18080/download/music/Update.xml");
}

TEST(UpdateHosts, ReadsPatchwellIniBesideTheProgram) {
    TempDir dir;
    dir.Write("Patchwell.ini", "[hosts]\r\nupdate=update.example:8080\r\nGamePatch=\r\n");
    const UpdateHosts hosts = ReadUpdateHosts(dir.Path());
    EXPECT_EQ(hosts.update, "update.example:8080") << "section and key names ignore case";
    EXPECT_EQ(hosts.gamePatch, "127.0.0.1:18080") << "an empty host falls back to the default";
}

TEST(PatchwellTrace, GoesToTheInstalledSinkThenBackToStandardOutput) {
    std::string seen;
    SetTraceOutSink([&](std::string_view text) { seen += text; });
    TraceOut("No text files found.\n");
    TraceOut("Copied all text files.\n");
    SetTraceOutSink({});
    EXPECT_EQ(seen, "No text files found.\nCopied all text files.\n");

    testing::internal::CaptureStdout();
    TraceOut("Could not create new directory.\n");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Could not create new directory.\n");
}

TEST(Gbk, ConvertsLiteralsToCp936AndBack) {
    EXPECT_EQ(Gbk("升级"), "\xC9\xFD\xBC\xB6");
    EXPECT_EQ(GbkToUtf8("\xC9\xFD\xBC\xB6"), "升级");
    EXPECT_EQ(Gbk("plain"), "plain");
}
