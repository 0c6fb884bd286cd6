// Binding the update library at start-up and for the update check, with
// stand-in libraries in a program folder of the test's own.

#include "app/PatchwellBinding.h"
#include "platform/Shell.h"
#include "tests/app/startup/StartupTestSupport.h"

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

using tonvik::platform::SetShellRecorder;
using tonvik::platform::ShellRequest;

namespace {

class PatchwellBindingTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("PATCHWELL_STANDIN_LOG", QByteArray::fromStdString((m_folder / "patchwell.log").string()));
        qunsetenv("PATCHWELL_STANDIN_ANSWER");
        SetShellRecorder([this](const ShellRequest& request) {
            std::lock_guard lock(m_mutex);
            m_started.push_back(request);
            return m_startSucceeds;
        });
    }
    void TearDown() override {
        SetShellRecorder({});
        qunsetenv("PATCHWELL_STANDIN_LOG");
        qunsetenv("PATCHWELL_STANDIN_ANSWER");
    }

    void AddLibrary(const char* library) const {
        std::filesystem::copy_file(library, m_folder / "libPatchwell.so");
    }
    void AddInstaller() const { m_folder.Write("Up_date.exe", "#!/bin/sh\n"); }
    std::string LibraryLog() const { return TempDir::Read(m_folder / "patchwell.log"); }
    std::vector<ShellRequest> Started() {
        std::lock_guard lock(m_mutex);
        return m_started;
    }

    TempDir m_folder;
    std::mutex m_mutex;
    std::vector<ShellRequest> m_started;
    bool m_startSucceeds = true;
};

}  // namespace

TEST_F(PatchwellBindingTest, ANewVersionStartsTheInstallerWithInstallAndTheProjectCode) {
    AddLibrary(TONVIK_STANDIN_LIBRARY);
    AddInstaller();
    qputenv("PATCHWELL_STANDIN_ANSWER", "1");

    EXPECT_EQ(SetupNewVersionDllIn(m_folder.Path(), kPatchwellProjectCode), 1);
    EXPECT_EQ(LibraryLog(), "SetPrjCode 5\nSetupNewVersion\n");
    const auto started = Started();
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].kind, ShellRequest::Kind::Program);
    EXPECT_EQ(started[0].target, (m_folder / "Up_date.exe").string());
    EXPECT_EQ(started[0].arguments, (std::vector<std::string>{"install", "5"}));
}

TEST_F(PatchwellBindingTest, NoNewVersionStartsNothing) {
    AddLibrary(TONVIK_STANDIN_LIBRARY);
    AddInstaller();
    EXPECT_EQ(SetupNewVersionDllIn(m_folder.Path(), kPatchwellProjectCode), 0);
    EXPECT_EQ(LibraryLog(), "SetPrjCode 5\nSetupNewVersion\n");
    EXPECT_TRUE(Started().empty());
}

TEST_F(PatchwellBindingTest, OnlyTheLowEightBitsOfTheAnswerCount) {
    AddLibrary(TONVIK_STANDIN_LIBRARY);
    AddInstaller();
    qputenv("PATCHWELL_STANDIN_ANSWER", "256");
    EXPECT_EQ(SetupNewVersionDllIn(m_folder.Path(), kPatchwellProjectCode), 0);
    qputenv("PATCHWELL_STANDIN_ANSWER", "257");
    EXPECT_EQ(SetupNewVersionDllIn(m_folder.Path(), kPatchwellProjectCode), 1);
}

TEST_F(PatchwellBindingTest, AMissingInstallerMeansStartingAsUsual) {
    AddLibrary(TONVIK_STANDIN_LIBRARY);
    qputenv("PATCHWELL_STANDIN_ANSWER", "1");
    EXPECT_EQ(SetupNewVersionDllIn(m_folder.Path(), kPatchwellProjectCode), 0);
    EXPECT_TRUE(Started().empty());
}

TEST_F(PatchwellBindingTest, AnInstallerThatCannotBeStartedMeansStartingAsUsual) {
    AddLibrary(TONVIK_STANDIN_LIBRARY);
    AddInstaller();
    qputenv("PATCHWELL_STANDIN_ANSWER", "1");
    m_startSucceeds = false;
    EXPECT_EQ(SetupNewVersionDllIn(m_folder.Path(), kPatchwellProjectCode), 0);
    EXPECT_EQ(Started().size(), 1u);
}

TEST_F(PatchwellBindingTest, AMissingLibraryOrOneWithoutExportsIsSkipped) {
    AddInstaller();
    EXPECT_EQ(SetupNewVersionDllIn(m_folder.Path(), kPatchwellProjectCode), 0);
    CheckPatchwellIn(m_folder.Path(), 3, "6.00.451", kPatchwellProjectCode);

    AddLibrary(TONVIK_STANDIN_EMPTY_LIBRARY);
    EXPECT_EQ(SetupNewVersionDllIn(m_folder.Path(), kPatchwellProjectCode), 0);
    CheckPatchwellIn(m_folder.Path(), 3, "6.00.451", kPatchwellProjectCode);
    EXPECT_TRUE(Started().empty());
    EXPECT_EQ(LibraryLog(), "");
}

TEST_F(PatchwellBindingTest, CheckPatchwellHandsOverTheCodeTheVersionAndTheProject) {
    AddLibrary(TONVIK_STANDIN_LIBRARY);
    CheckPatchwellIn(m_folder.Path(), 42, "6.00.451", kPatchwellProjectCode);
    EXPECT_EQ(LibraryLog(), "SetPrjCode 5\nCheckUpdate 42 6.00.451 5\n");
}
