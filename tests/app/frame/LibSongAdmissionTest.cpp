// Which songs chosen on pages are taken: a few requests at a time, one of
// each, and a song played at most once a second, with a clock of the test's.

#include "app/LibSongAdmission.h"
#include "tests/support/TraceCapture.h"

#include <gtest/gtest.h>

using Verdict = CLibSongAdmission::Verdict;

namespace {

class LibSongAdmissionTest : public ::testing::Test {
protected:
    void Pass(std::chrono::milliseconds time) { now += time; }

    std::chrono::steady_clock::time_point now{std::chrono::hours(1)};
    TraceCapture traces;
    CLibSongAdmission admission{[this] { return now; }};
};

}  // namespace

TEST_F(LibSongAdmissionTest, AFloodOfRequestsLeavesAFewEachTakenOnce) {
    // 200 requests to add, in a second, 100 of them twice.
    int taken = 0;
    for (int i = 0; i < 200; ++i) {
        const std::u16string ids = u"300" + std::u16string(1, char16_t(u'0' + i % 100 / 10)) + char16_t(u'0' + i % 10);
        if (admission.Admit(false, ids) == Verdict::Taken) ++taken;
        Pass(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(taken, int(CLibSongAdmission::kPendingLimit));
    EXPECT_EQ(admission.Pending(), CLibSongAdmission::kPendingLimit);
    EXPECT_EQ(traces.CountContaining("OnLibSong===Dropped"), 200 - taken) << "each dropped one traced once";

    // One waiting is done: one more is taken, and an identical one is the same request.
    admission.Finished();
    EXPECT_EQ(admission.Admit(false, u"30001"), Verdict::SameAsWaiting) << "30001 still waits";
    EXPECT_EQ(admission.Admit(false, u"40000"), Verdict::Taken);
    EXPECT_EQ(admission.Admit(false, u"40001"), Verdict::TooMany);
    // Adding and playing the same songs are two requests.
    while (admission.Pending() > 1) admission.Finished();
    EXPECT_EQ(admission.Admit(true, u"40000"), Verdict::Taken);
    for (size_t i = 0; i < CLibSongAdmission::kPendingLimit + 2; ++i) admission.Finished();
    EXPECT_EQ(admission.Pending(), 0u);
}

TEST_F(LibSongAdmissionTest, APlayIsTakenAtMostOnceASecond) {
    EXPECT_EQ(admission.Admit(true, u"1"), Verdict::Taken);
    admission.Finished();
    Pass(std::chrono::milliseconds(999));
    EXPECT_EQ(admission.Admit(true, u"2"), Verdict::PlayTooSoon);
    EXPECT_EQ(admission.Admit(false, u"2"), Verdict::Taken) << "adding is not playing";
    EXPECT_EQ(traces.CountContaining("OnLibSong===Dropped : a song was played less than 1000 ms ago."), 1);
    Pass(std::chrono::milliseconds(1));
    EXPECT_EQ(admission.Admit(true, u"2"), Verdict::Taken);
    // A dropped play does not move the second on.
    Pass(std::chrono::milliseconds(500));
    EXPECT_EQ(admission.Admit(true, u"3"), Verdict::PlayTooSoon);
    Pass(std::chrono::milliseconds(500));
    EXPECT_EQ(admission.Admit(true, u"3"), Verdict::Taken);
}
