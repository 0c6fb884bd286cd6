// The update check at start against the service stand-in: the update code
// reaches the update library, "quit" opens the updating page and ends the
// start, and a service that hangs, answers garbage or is gone costs the
// start at most the check's bound and counts as a failed check.

#include "app/PatchwellBinding.h"
#include "app/StartupUpdate.h"
#include "common/WellKnownPaths.h"
#include "platform/Shell.h"
#include "tests/support/TempDir.h"
#include "tests/support/TraceCapture.h"
#include "tools/standin/StandIn.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

using namespace std::chrono_literals;

namespace {

constexpr const char* kCheckPath = "/songhall/intro/tonvik/updatecheck.xml";

struct St_LibraryCall {
    int code;
    std::string version;
    int project;
};

class StartupUpdateTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_standIn.Start()) << m_standIn.Error();
        SetupWellKnownPaths(m_program.Path());
        m_program.Write("TonvikMusic.ini", "[Hosts]\r\nService=" + m_standIn.Host() + "\r\n");
        tonvik::platform::SetShellRecorder([this](const tonvik::platform::ShellRequest& request) {
            m_opened.push_back(request);
            return true;
        });
    }
    void TearDown() override {
        tonvik::platform::SetShellRecorder({});
        m_standIn.ReleaseHung();
        m_standIn.Stop();
    }

    // The production check, with the update library recorded.
    CStartupUpdate Check(std::chrono::milliseconds bound = CStartupUpdate::kDefaultBound) {
        return CStartupUpdate(
            [](UpdateCheckResult& result, GenericHTTPClient& client) { return CCheckXml().CheckUpdate(result, client); },
            [this](int code, const char* version, int project) { m_library.push_back({code, version, project}); },
            bound);
    }

    TempDir m_state;
    TempDir m_program;
    TraceCapture m_traces;
    standin::CStandIn m_standIn{standin::OptionsWithState(m_state.Path())};
    std::vector<tonvik::platform::ShellRequest> m_opened;
    std::vector<St_LibraryCall> m_library;
};

}  // namespace

TEST_F(StartupUpdateTest, TheUpdateCodeGoesToTheUpdateLibrary) {
    m_standIn.SetUpdateCheck("7", "0");
    EXPECT_EQ(Check().Run(), CStartupUpdate::Outcome::Checked);
    ASSERT_EQ(m_library.size(), 1u);
    EXPECT_EQ(m_library[0].code, 7);
    EXPECT_EQ(m_library[0].version, "6.00.451");
    EXPECT_EQ(m_library[0].project, kPatchwellProjectCode);
    EXPECT_TRUE(m_traces.Has("===========Call CheckPatchwell===="));
    EXPECT_TRUE(m_traces.Has("Update:7 6.00.451"));
    EXPECT_TRUE(m_opened.empty());
    EXPECT_EQ(m_standIn.RequestsFor(kCheckPath).size(), 1u);

    // A code that is no number still lets the library check, with 0.
    m_standIn.SetUpdateCheck("seven", "");
    EXPECT_EQ(Check().Run(), CStartupUpdate::Outcome::Checked);
    ASSERT_EQ(m_library.size(), 2u);
    EXPECT_EQ(m_library[1].code, 0);
    EXPECT_TRUE(m_traces.Has("Update:0 6.00.451"));
}

TEST_F(StartupUpdateTest, QuitOpensTheUpdatingPageAndEndsTheStart) {
    m_standIn.SetUpdateCheck("3", "1");
    EXPECT_EQ(Check().Run(), CStartupUpdate::Outcome::Quit);
    ASSERT_EQ(m_opened.size(), 1u);
    EXPECT_EQ(m_opened[0].kind, tonvik::platform::ShellRequest::Kind::Url);
    EXPECT_EQ(m_opened[0].target, m_standIn.Url("/songhall/intro/tonvik/updating.shtml"));
    EXPECT_TRUE(m_library.empty());
}

TEST_F(StartupUpdateTest, AHangingServiceDelaysTheStartByAtMostTheBound) {
    m_standIn.SetFault(kCheckPath, standin::MakeFault(standin::FaultKind::Hang));
    const auto began = std::chrono::steady_clock::now();
    const CStartupUpdate::Outcome outcome = Check().Run();
    const auto took = std::chrono::steady_clock::now() - began;
    EXPECT_EQ(outcome, CStartupUpdate::Outcome::Failed);
    EXPECT_EQ(m_standIn.RequestsFor(kCheckPath).size(), 1u) << "the service did get the request";
    EXPECT_GE(took, CStartupUpdate::kDefaultBound) << "only the bound ended the wait";
    EXPECT_LT(took, CStartupUpdate::kDefaultBound + 3s);
    EXPECT_TRUE(m_library.empty());
    EXPECT_TRUE(m_opened.empty());
    EXPECT_EQ(m_traces.CountContaining("CheckUpdate===No answer within"), 1);
}

TEST_F(StartupUpdateTest, GarbageOrNoServiceIsAFailedCheck) {
    using standin::FaultKind;
    for (FaultKind kind : {FaultKind::MalformedXml, FaultKind::HtmlError200, FaultKind::HtmlError404,
                           FaultKind::EmptyBody, FaultKind::CutShort, FaultKind::Drop, FaultKind::Oversize}) {
        SCOPED_TRACE(static_cast<int>(kind));
        m_standIn.SetFault(kCheckPath, standin::MakeFault(kind));
        EXPECT_EQ(Check().Run(), CStartupUpdate::Outcome::Failed);
    }
    m_standIn.Stop();
    EXPECT_EQ(Check().Run(), CStartupUpdate::Outcome::Failed);
    EXPECT_TRUE(m_library.empty());
    EXPECT_TRUE(m_opened.empty());
}
