// The animated picture as a control: still pictures, the animation thread's
// delays and disposals measured on generated GIFs, stopping, reloading
// while animating, and files it must refuse. Runs under AddressSanitizer in
// the debug build, which catches any frame freed under a running thread.

#include "skin/picture/GifFrames.h"
#include "skin/picture/PictureEx.h"
#include "tests/skin/picture/GifTestFiles.h"
#include "tests/support/TempDir.h"
#include "tests/support/TraceCapture.h"

#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Frames as the animation thread reports them, with the time each was drawn.
class FrameLog {
public:
    std::function<void(int)> Observer() {
        return [this](int index) {
            {
                std::lock_guard lock(m_mutex);
                m_entries.push_back({index, Clock::now(), std::this_thread::get_id()});
            }
            m_changed.notify_all();
        };
    }
    // Waits (bounded) until `count` frames were drawn.
    bool WaitFor(size_t count, std::chrono::milliseconds limit = 10s) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, limit, [&] { return m_entries.size() >= count; });
    }
    size_t Count() const {
        std::lock_guard lock(m_mutex);
        return m_entries.size();
    }
    struct Entry {
        int index;
        Clock::time_point at;
        std::thread::id thread;
    };
    std::vector<Entry> Entries() const {
        std::lock_guard lock(m_mutex);
        return m_entries;
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Entry> m_entries;
};

long long Millis(Clock::duration d) { return std::chrono::duration_cast<std::chrono::milliseconds>(d).count(); }

// A skin folder whose "Static4" bitmap is a solid yellow square.
struct YellowSkin {
    TempDir dir;
    YellowSkin(QSize size = QSize(20, 20)) {
        std::filesystem::create_directories(dir / "Skin2");
        dir.Write("Skin2/Skin.ini", "[Static4]\r\nName=Back\r\n");
        dir.Write("Skin2/Back.bmp", EncodeStill(size, Qt::yellow, "BMP"));
    }
    std::string Root() const { return dir.Path().string(); }
};

class PictureExTest : public ::testing::Test {
protected:
    void SetUp() override { picture.SetSkin(empty.Path().string(), "NoSkin"); }
    TempDir empty;
    CPictureEx picture;
};

struct StillCase {
    const char* format;
    int tolerance;
};

class PictureExStillTest : public PictureExTest, public ::testing::WithParamInterface<StillCase> {};

TEST_P(PictureExStillTest, ShowsAStillPictureWithoutAThread) {
    const std::string file = EncodeStill(QSize(30, 20), QColor(10, 200, 30), GetParam().format);
    ASSERT_FALSE(file.empty());
    ASSERT_TRUE(picture.Load(file));
    EXPECT_FALSE(picture.IsGif());
    EXPECT_EQ(picture.PictureSize(), QSize(30, 20));
    EXPECT_EQ(picture.size(), QSize(30, 20));
    EXPECT_EQ(picture.ShowPicture(), 1);
    EXPECT_FALSE(picture.IsPlaying());
    const QImage surface = picture.Surface();
    ASSERT_EQ(surface.size(), QSize(30, 20));
    EXPECT_TRUE(SameColour(surface.pixelColor(15, 10), QColor(10, 200, 30), GetParam().tolerance));
    // The control paints what the surface holds.
    const QImage painted = picture.grab().toImage();
    EXPECT_TRUE(SameColour(painted.pixelColor(29, 19), QColor(10, 200, 30), GetParam().tolerance));
}

INSTANTIATE_TEST_SUITE_P(Formats, PictureExStillTest,
                         ::testing::Values(StillCase{"BMP", 0}, StillCase{"PNG", 0}, StillCase{"JPEG", 12}),
                         [](const auto& info) { return std::string(info.param.format); });

TEST_F(PictureExTest, AOneFrameGifIsDrawnOnceWithoutAThread) {
    ASSERT_TRUE(picture.Load(BuildGif(QSize(8, 8), {{QRect(0, 0, 8, 8), kBlue, 10, 1}})));
    EXPECT_TRUE(picture.IsGif());
    EXPECT_TRUE(picture.Frames().empty());
    EXPECT_EQ(picture.ShowPicture(), 1);
    EXPECT_FALSE(picture.IsPlaying());
    EXPECT_TRUE(SameColour(picture.Surface().pixelColor(4, 4), kGifBlue));
}

TEST_F(PictureExTest, TheShippedSkinAnimationsLoadAndPlay) {
    for (const char* skin : {"Skin", "Skin2"}) {
        SCOPED_TRACE(skin);
        picture.SetSkin(TONVIK_DATA_DIR, skin);
        ASSERT_TRUE(picture.LoadPicture(std::filesystem::path(TONVIK_DATA_DIR) / skin / "Playing.gif"));
        EXPECT_GT(picture.Frames().size(), 1u);
        EXPECT_EQ(picture.ShowPicture(), 0);
        EXPECT_TRUE(picture.IsPlaying());
        picture.UnLoad();
        EXPECT_FALSE(picture.IsPlaying());
    }
}

TEST_F(PictureExTest, FramesKeepTheDelaysAndDisposalsOfTheFile) {
    ASSERT_TRUE(picture.Load(BuildGif(QSize(10, 10), {{QRect(0, 0, 10, 10), kRed, 5, 2},
                                                       {QRect(1, 2, 3, 4), kGreen, 0, 3},
                                                       {QRect(0, 0, 5, 5), kBlue, 0, 0, false}})));
    const CAnimationFrames& frames = picture.Frames();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].delay, 5);
    EXPECT_EQ(frames[0].disposal, 2);
    EXPECT_EQ(frames[1].Rect(), QRect(1, 2, 3, 4));
    EXPECT_EQ(frames[1].image.size(), QSize(3, 4));
    EXPECT_EQ(frames[1].disposal, 3);
    EXPECT_EQ(frames[2].delay, -1);
}

TEST_F(PictureExTest, FramesStayForTheirDelays) {
    // 50 ms, 300 ms, 100 ms (delay 0) and 100 ms.
    ASSERT_TRUE(picture.Load(BuildGif(QSize(6, 6), {{QRect(0, 0, 6, 6), kRed, 5, 1},
                                                     {QRect(0, 0, 6, 6), kGreen, 30, 1},
                                                     {QRect(0, 0, 6, 6), kBlue, 0, 1},
                                                     {QRect(0, 0, 6, 6), kBlack, 10, 1}})));
    FrameLog log;
    picture.SetFrameObserver(log.Observer());
    EXPECT_EQ(picture.ShowPicture(), 0);
    ASSERT_TRUE(log.WaitFor(6));
    picture.Stop();
    const auto entries = log.Entries();
    const long long expected[] = {50, 300, 100, 100};
    for (size_t i = 0; i + 1 < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(entries[i].index, static_cast<int>(i % 4));
        const long long shown = Millis(entries[i + 1].at - entries[i].at);
        EXPECT_GE(shown, expected[i % 4]);
        EXPECT_LT(shown, expected[i % 4] + 3000);
    }
}

TEST_F(PictureExTest, AFrameWithoutControlExtensionStaysUntilStopped) {
    ASSERT_TRUE(picture.Load(BuildGif(QSize(6, 6), {{QRect(0, 0, 6, 6), kRed, 0, 1, false},
                                                     {QRect(0, 0, 6, 6), kGreen, 5, 1}})));
    FrameLog log;
    picture.SetFrameObserver(log.Observer());
    picture.ShowPicture();
    ASSERT_TRUE(log.WaitFor(1));
    EXPECT_FALSE(log.WaitFor(2, 700ms));
    const auto before = Clock::now();
    picture.Stop();
    EXPECT_LT(Millis(Clock::now() - before), 3000);
    EXPECT_FALSE(picture.IsPlaying());
    EXPECT_EQ(log.Count(), 1u);
}

TEST_F(PictureExTest, DisposalTwoBringsBackTheSkinBackground) {
    YellowSkin skin;
    picture.SetSkin(skin.Root(), "Skin2");
    ASSERT_TRUE(picture.Load(BuildGif(QSize(20, 20), {{QRect(0, 0, 20, 20), kRed, 5, 2},
                                                       {QRect(0, 0, 5, 5), kBlue, 0, 1, false}})));
    FrameLog log;
    picture.SetFrameObserver(log.Observer());
    picture.ShowPicture();
    ASSERT_TRUE(log.WaitFor(2));
    const QImage surface = picture.Surface();
    EXPECT_TRUE(SameColour(surface.pixelColor(2, 2), kGifBlue));
    EXPECT_TRUE(SameColour(surface.pixelColor(12, 12), Qt::yellow));
}

TEST_F(PictureExTest, DisposalOneLeavesTheFrameInPlace) {
    YellowSkin skin;
    picture.SetSkin(skin.Root(), "Skin2");
    ASSERT_TRUE(picture.Load(BuildGif(QSize(20, 20), {{QRect(0, 0, 20, 20), kRed, 5, 1},
                                                       {QRect(0, 0, 5, 5), kBlue, 0, 1, false}})));
    FrameLog log;
    picture.SetFrameObserver(log.Observer());
    picture.ShowPicture();
    ASSERT_TRUE(log.WaitFor(2));
    EXPECT_TRUE(SameColour(picture.Surface().pixelColor(12, 12), kGifRed));
}

TEST_F(PictureExTest, DisposalThreeRestoresTheAreaUnderTheFrame) {
    ASSERT_TRUE(picture.Load(BuildGif(QSize(20, 20), {{QRect(0, 0, 20, 20), kRed, 5, 1},
                                                       {QRect(0, 0, 5, 5), kBlue, 5, 3},
                                                       {QRect(10, 10, 5, 5), kGreen, 0, 1, false}})));
    FrameLog log;
    picture.SetFrameObserver(log.Observer());
    picture.ShowPicture();
    ASSERT_TRUE(log.WaitFor(3));
    const QImage surface = picture.Surface();
    EXPECT_TRUE(SameColour(surface.pixelColor(2, 2), kGifRed));
    EXPECT_TRUE(SameColour(surface.pixelColor(12, 12), kGifGreen));
}

TEST_F(PictureExTest, AfterTheLastFrameTheLoopStartsOverOnTheBackground) {
    YellowSkin skin;
    picture.SetSkin(skin.Root(), "Skin2");
    ASSERT_TRUE(picture.Load(BuildGif(QSize(20, 20), {{QRect(0, 0, 5, 5), kRed, 5, 1},
                                                       {QRect(10, 10, 5, 5), kBlue, 5, 1}})));
    FrameLog log;
    picture.SetFrameObserver(log.Observer());
    picture.ShowPicture();
    // No frame has a disposal that draws the background: yellow can only
    // come from the start of a new loop.
    ASSERT_TRUE(log.WaitFor(3));
    picture.Stop();
    const auto entries = log.Entries();
    EXPECT_EQ(entries[2].index, 0);
    // Stopped at the earliest in frame 0 of the second loop: the blue frame
    // of the first loop was painted over by the background.
    const QImage surface = picture.Surface();
    EXPECT_TRUE(SameColour(surface.pixelColor(18, 18), Qt::yellow));
}

TEST_F(PictureExTest, StopAndUnLoadCanBeRepeated) {
    picture.Stop();
    picture.UnLoad();
    ASSERT_TRUE(picture.Load(BuildGif(QSize(6, 6), {{QRect(0, 0, 6, 6), kRed, 5, 1}, {QRect(0, 0, 6, 6), kBlue, 5, 1}})));
    picture.ShowPicture();
    EXPECT_TRUE(picture.IsPlaying());
    picture.Stop();
    picture.Stop();
    EXPECT_FALSE(picture.IsPlaying());
    EXPECT_TRUE(picture.IsReady());
    // Shown again after a stop, it plays again.
    picture.ShowPicture();
    EXPECT_TRUE(picture.IsPlaying());
    picture.UnLoad();
    picture.UnLoad();
    EXPECT_FALSE(picture.IsReady());
    EXPECT_FALSE(picture.IsGif());
    EXPECT_EQ(picture.PictureSize(), QSize(0, 0));
    EXPECT_TRUE(picture.Frames().empty());
    EXPECT_EQ(picture.ShowPicture(), 0);
}

TEST_F(PictureExTest, LoadingWhileAnimatingStopsTheFirstThreadFirst) {
    TraceCapture traces;
    FrameLog log;
    picture.SetFrameObserver(log.Observer());
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(picture.Load(BuildGif(QSize(16, 16), {{QRect(0, 0, 16, 16), kRed, 0, 2},
                                                           {QRect(4, 4, 8, 8), kBlue, 0, 3},
                                                           {QRect(0, 0, 16, 16), kGreen, 0, 1}})));
        const size_t before = log.Count();
        picture.ShowPicture();
        ASSERT_TRUE(log.WaitFor(before + 2));
        ASSERT_TRUE(picture.Load(EncodeStill(QSize(4, 4), Qt::white, "PNG")));
        EXPECT_FALSE(picture.IsPlaying());
        const size_t stopped = log.Count();
        // The first thread has ended: it draws nothing more.
        QTest::qWait(250);
        EXPECT_EQ(log.Count(), stopped);
        EXPECT_EQ(picture.ShowPicture(), 1);
    }
    EXPECT_EQ(traces.CountContaining("time out"), 0);
}

TEST_F(PictureExTest, AThreadThatDoesNotEndInTimeIsLeftWithWhatItUses) {
    TraceCapture traces;
    auto release = std::make_shared<CStopEvent>();
    auto probe = std::make_shared<int>(0);
    const std::weak_ptr<int> watch = probe;
    FrameLog log;
    auto record = log.Observer();
    picture.SetFrameObserver([release, probe, record](int index) {
        record(index);
        release->Wait(20s);  // stands for a frame that takes too long
    });
    probe.reset();
    picture.SetStopTimeout(200ms);
    ASSERT_TRUE(picture.Load(BuildGif(QSize(6, 6), {{QRect(0, 0, 6, 6), kRed, 5, 1}, {QRect(0, 0, 6, 6), kBlue, 5, 1}})));
    picture.ShowPicture();
    ASSERT_TRUE(log.WaitFor(1));

    const auto before = Clock::now();
    picture.UnLoad();
    EXPECT_LT(Millis(Clock::now() - before), 3000);
    EXPECT_TRUE(traces.Has("CPictureEx::Stop()===time out."));
    EXPECT_FALSE(picture.IsPlaying());
    EXPECT_TRUE(picture.Frames().empty());

    // The control is usable at once while the old thread still hangs.
    picture.SetFrameObserver({});
    ASSERT_TRUE(picture.Load(EncodeStill(QSize(5, 5), Qt::cyan, "PNG")));
    EXPECT_EQ(picture.ShowPicture(), 1);

    // Let the old thread go: it ends by itself and lets go of what it held.
    release->Set();
    QTRY_VERIFY_WITH_TIMEOUT(watch.expired(), 10000);
    EXPECT_EQ(log.Count(), 1u);
    EXPECT_TRUE(SameColour(picture.Surface().pixelColor(2, 2), Qt::cyan));
}

class CountingPicture : public CPictureEx {
public:
    std::atomic<int> paints{0};

protected:
    void paintEvent(QPaintEvent* event) override {
        ++paints;
        CPictureEx::paintEvent(event);
    }
};

TEST(PictureExPaintTest, RepaintsAsFramesAreDrawn) {
    TempDir empty;
    CountingPicture picture;
    picture.SetSkin(empty.Path().string(), "NoSkin");
    ASSERT_TRUE(picture.Load(BuildGif(QSize(6, 6), {{QRect(0, 0, 6, 6), kRed, 5, 1}, {QRect(0, 0, 6, 6), kBlue, 5, 1}})));
    picture.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&picture));
    const int before = picture.paints;
    picture.ShowPicture();
    // Nothing else asks for a repaint: only the frames drawn by the thread.
    QTRY_VERIFY_WITH_TIMEOUT(picture.paints >= before + 5, 10000);
    picture.Stop();
    const QImage painted = picture.grab().toImage();
    const QColor shown = painted.pixelColor(3, 3);
    EXPECT_TRUE(SameColour(shown, kGifRed) || SameColour(shown, kGifBlue));
}

struct RefusedCase {
    const char* name;
    std::string bytes;
};

class PictureExRefusedTest : public PictureExTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(PictureExRefusedTest, LeavesTheControlEmpty) {
    // A picture loaded before must be gone too.
    ASSERT_TRUE(picture.Load(EncodeStill(QSize(4, 4), Qt::white, "PNG")));
    TraceCapture traces;
    EXPECT_FALSE(picture.Load(GetParam().bytes));
    EXPECT_FALSE(picture.IsReady());
    EXPECT_FALSE(picture.IsPlaying());
    EXPECT_EQ(picture.ShowPicture(), 0);
    EXPECT_GT(traces.CountContaining("CPictureEx::Load"), 0);
}

std::vector<RefusedCase> RefusedCases() {
    using namespace std::string_literals;
    return {
        {"Empty", ""},
        {"NotAPicture", "hello, world"},
        {"GifHeaderOnly", "GIF89a\x01\0"s},
        {"GifWithoutFrames", GifHeader(QSize(4, 4)) + ";"},
        {"HugeScreen", BuildGif(QSize(65535, 65535), {{QRect(0, 0, 2, 2), kRed}, {QRect(0, 0, 2, 2), kBlue}})},
        {"ZeroScreen", BuildGif(QSize(0, 0), {{QRect(0, 0, 2, 2), kRed}, {QRect(0, 0, 2, 2), kBlue}})},
        {"OnlyZeroSizeFrames", BuildGif(QSize(4, 4), {{QRect(0, 0, 0, 0), kRed}, {QRect(0, 0, 0, 3), kBlue}})},
        {"HugeStill", EncodeStill(QSize(4100, 2), Qt::red, "PNG")},
    };
}

INSTANTIATE_TEST_SUITE_P(Files, PictureExRefusedTest, ::testing::ValuesIn(RefusedCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PictureExTest, TenThousandFramesAreCappedAndHugeFramesLeftOut) {
    std::string file = GifHeader(QSize(2, 2));
    for (int i = 0; i < 10000; ++i) file += GifControl(0, 0) + GifImage(QRect(0, 0, 2, 2), kGreen);
    file += ";";
    {
        TraceCapture capped;
        ASSERT_TRUE(picture.Load(file));
        EXPECT_EQ(picture.Frames().size(), kMaxGifFrames);
        EXPECT_EQ(capped.CountContaining("only the first 1024 frames kept"), 1);
    }

    // Frames claiming more pixels than the animation may hold are left out.
    std::string big = GifHeader(QSize(4, 4));
    big += GifImage(QRect(0, 0, 4, 4), kRed);
    // 65535 x 65535 claimed, one empty data sub-block given.
    big += std::string(",\0\0\0\0\xFF\xFF\xFF\xFF\0\x02\x01\x00\x00", 14);
    big += GifImage(QRect(0, 0, 4, 4), kGreen);
    big += ";";
    TraceCapture traces;
    ASSERT_TRUE(picture.Load(big));
    EXPECT_EQ(picture.Frames().size(), 2u);
    EXPECT_EQ(traces.CountContaining("left out"), 1);
}

TEST_F(PictureExTest, KeptHostileFilesLoadSafelyOrNotAtAll) {
    const std::filesystem::path cases = std::filesystem::path(TONVIK_DATA_DIR) / ".." / "tests" / "skin" / "picture" / "gif_cases";
    int replayed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(cases)) {
        SCOPED_TRACE(entry.path().filename().string());
        const bool loaded = picture.LoadPicture(entry.path());
        EXPECT_EQ(picture.IsReady(), loaded);
        if (loaded) {
            EXPECT_LE(picture.PictureSize().width(), kMaxPictureSide);
            EXPECT_LE(picture.PictureSize().height(), kMaxPictureSide);
            EXPECT_LE(picture.Frames().size(), kMaxGifFrames);
            // Run the animation over whatever frames survived.
            picture.ShowPicture();
            QTest::qWait(30);
        }
        picture.UnLoad();
        ++replayed;
    }
    EXPECT_GT(replayed, 0);
}

// Counts the paint events a widget receives.
struct PaintCount : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

TEST_F(PictureExTest, FramesWaitForTheTickTheyFollow) {
    ASSERT_TRUE(picture.Load(BuildGif(QSize(6, 6), {{QRect(0, 0, 6, 6), kRed, 2, 1},
                                                     {QRect(0, 0, 6, 6), kGreen, 2, 1}})));
    picture.resize(6, 6);
    picture.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&picture));
    QCoreApplication::processEvents();
    PaintCount count;
    picture.installEventFilter(&count);
    FrameLog log;
    picture.SetFrameObserver(log.Observer());

    picture.FollowTick(true);
    picture.ShowPicture();
    ASSERT_TRUE(log.WaitFor(3));
    QCoreApplication::processEvents();
    EXPECT_EQ(count.paints, 0) << "frames drawn between ticks wait for the next tick";
    picture.Tick();
    QCoreApplication::processEvents();
    EXPECT_EQ(count.paints, 1) << "the frames since the last tick are shown at once";

    picture.FollowTick(false);
    const size_t drawn = log.Count();
    ASSERT_TRUE(log.WaitFor(drawn + 2));
    EXPECT_TRUE(QTest::qWaitFor([&] { return count.paints > 1; }, 5000)) << "without a tick each frame shows";
    picture.Stop();
}

TEST_F(PictureExTest, MissingFilesAreNotLoaded) {
    TraceCapture traces;
    EXPECT_FALSE(picture.LoadPicture(empty / "missing.gif"));
    EXPECT_FALSE(picture.IsReady());
    EXPECT_EQ(traces.CountContaining("CPictureEx::LoadPicture"), 1);
}

}  // namespace
