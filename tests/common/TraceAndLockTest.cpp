#include "common/MFMutex.h"
#include "common/SafetyDC.h"
#include "common/Trace.h"
#include "common/TraceSettings.h"

#include "tests/support/TempDir.h"
#include "tests/support/TraceCapture.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

TEST(Trace, FormatsAndReturnsOne) {
    TraceCapture capture;
    EXPECT_EQ(Trace("DoStop : %d Caller:%s", 2, "OnButtonStop"), 1);
    EXPECT_EQ(capture.Lines(), std::vector<std::string>{"DoStop : 2 Caller:OnButtonStop"});
}

TEST(Trace, WritesNothingWithoutASink) {
    SetTraceSink({});
    EXPECT_EQ(Trace("nobody listens %s", "here"), 1);
    { TRACE_SCOPE("quiet..."); }
    TraceCapture capture;  // installed afterwards: saw nothing of the above
    EXPECT_TRUE(capture.Lines().empty());
}

TEST(Trace, ScopeAddsEnterAndLeave) {
    TraceCapture capture;
    {
        TRACE_SCOPE("PlaySong...");
        Trace("inside");
    }
    const std::vector<std::string> expected = {"PlaySong... --->Enter▼\r\n", "inside", "PlaySong... --->Leave△\r\n"};
    EXPECT_EQ(capture.Lines(), expected);
}

TEST(Trace, ScopeCutsLongTexts) {
    TraceCapture capture;
    const std::string longText(3000, 'x');
    { TRACE_SCOPE("%s", longText.c_str()); }
    const auto lines = capture.Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string(kTraceScopeLimit, 'x') + std::string(kTraceEnterSuffix));
    EXPECT_EQ(lines[1], std::string(kTraceScopeLimit, 'x') + std::string(kTraceLeaveSuffix));
}

TEST(Trace, FileSinkAppendsOneTextPerLine) {
    TempDir dir;
    const auto path = (dir / "trace.log").string();
    SetTraceSink(MakeFileTraceSink(path));
    Trace("first %d", 1);
    { TRACE_SCOPE("scope"); }
    SetTraceSink({});
    EXPECT_EQ(TempDir::Read(path), "first 1\nscope --->Enter▼\r\nscope --->Leave△\r\n");
    EXPECT_FALSE(MakeFileTraceSink((dir / "no" / "such" / "x.log").string()));
    // The traces are the user's alone, also in a file that was open to all.
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::filesystem::permissions(path, std::filesystem::perms::others_read, std::filesystem::perm_options::add);
    SetTraceSink(MakeFileTraceSink(path));
    SetTraceSink({});
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST(Trace, PasswordsNeverReachASink) {
    TraceCapture capture;
    // Values of keys that name a password, in any case, wherever they stand.
    Trace("ParseURL===URL:%s", "http://h/login.php?username=me&password=p%26w#frag");
    Trace("Pass=c2VjcmV0 PWD=x1;user_password=\"q\" bypass=1 password= passwordless");
    EXPECT_EQ(capture.Lines()[0], "ParseURL===URL:http://h/login.php?username=me&password=***#frag");
    EXPECT_EQ(capture.Lines()[1], "Pass=*** PWD=***;user_password=\"***\" bypass=*** password= passwordless");

    // A password the program knows, in each form it travels in, anywhere.
    HideInTraces("s3cret&Pa");
    { TRACE_SCOPE("Logon %s", "s3cret&Pa"); }
    Trace("answer: %s", "czNjcmV0JlBh, typed s3cret%26Pa, s3cret&Pa");
    const std::vector<std::string> lines = capture.Lines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[2], "Logon *** --->Enter▼\r\n");
    EXPECT_EQ(lines[3], "Logon *** --->Leave△\r\n");
    EXPECT_EQ(lines[4], "answer: ***, typed ***, ***");
    EXPECT_EQ(MaskTraceSecrets("no secret here"), "no secret here");
    // Too short to be masked everywhere (it would mask most of every text).
    HideInTraces("ab");
    EXPECT_EQ(MaskTraceSecrets("a tab"), "a tab");
}

TEST(Trace, ManyThreadsTraceAtOnce) {
    TraceCapture capture;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 500; ++i) Trace("thread %d line %d", t, i);
        });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(capture.CountContaining("thread "), 2000);
}

TEST(MFMutex, IsReentrantForItsOwner) {
    CMFMutex mutex;
    CMFAutoLock outer(mutex);
    CMFAutoLock inner(mutex);  // would deadlock on a plain mutex
    SUCCEED();
}

TEST(MFMutex, ExcludesOtherThreads) {
    // Read-modify-write steps that lose updates unless the lock keeps the
    // threads apart; nested locking on the way in as the lists do.
    CMFMutex mutex;
    long long counter = 0;
    auto work = [&] {
        for (int i = 0; i < 100000; ++i) {
            CMFAutoLock outer(mutex);
            CMFAutoLock inner(mutex);
            const long long seen = counter;
            counter = seen + 1;
        }
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    EXPECT_EQ(counter, 200000);
}

namespace {
class PaintProbe : public QWidget {
public:
    bool hadPainter = false;

protected:
    void paintEvent(QPaintEvent*) override {
        CSafetyDC dc(this);
        hadPainter = dc.get() != nullptr;
        if (dc) dc.get()->fillRect(rect(), Qt::red);
    }
};
}  // namespace

TEST(SafetyDC, PaintsDuringAPaintEventOnly) {
    TraceCapture capture;
    PaintProbe widget;
    widget.resize(20, 10);
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(Qt::black);
    widget.render(&image);
    EXPECT_TRUE(widget.hadPainter);
    EXPECT_EQ(image.pixelColor(5, 5), QColor(Qt::red));
    EXPECT_FALSE(capture.Has("CSafetyDC : GetDC failed! HWND"));

    {
        CSafetyDC outside(&widget);
        EXPECT_EQ(outside.get(), nullptr);
    }
    {
        CSafetyDC none(nullptr);
        EXPECT_FALSE(none);
    }
    EXPECT_EQ(capture.CountContaining("CSafetyDC : GetDC failed! HWND"), 2);
}

TEST(Trace, OptionsFileRoutesTracesToALogFile) {
    TempDir dir;
    const auto ini = dir.Write("TonvikMusic.ini", "[Trace]\r\nFile=logs.txt\r\n");
    RouteTraceBySettings(ini);
    Trace("routed %d", 5);
    dir.Write("TonvikMusic.ini", "[SKIN]\r\nKind=2\r\n");
    RouteTraceBySettings(ini);
    Trace("not routed");
    EXPECT_EQ(TempDir::Read(dir / "logs.txt"), "routed 5\n");
}
