// The playing picture moved by the X server itself, on a real X server: it
// shows only pictures the animation thread composes, one after another in
// time, without a repaint here, and a stop gives the control its own
// picture of the frame it stopped at.

#include "skin/picture/PictureEx.h"
#include "tests/skin/window/ServerPixels.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <mutex>
#include <set>
#include <string>

namespace {

QByteArray Pixels(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    QByteArray bytes;
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb pixel = rgb.pixel(x, y) & 0xFFFFFF;
            bytes.append(reinterpret_cast<const char*>(&pixel), sizeof pixel);
        }
    return bytes;
}

struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

}  // namespace

TEST(PictureOnWindowSystem, ShowsTheThreadsPicturesInTimeWithoutRepaintingAndStopKeepsTheFrame) {
    if (!OnX11()) GTEST_SKIP() << "needs an X server (Xvfb)";
    QWidget window;
    window.resize(120, 90);
    auto* picture = new CPictureEx(&window);
    picture->SetSkin(TONVIK_DATA_DIR, "Skin2");
    ASSERT_TRUE(picture->LoadPicture(std::string(TONVIK_DATA_DIR) + "/Skin2/Playing.gif"));
    picture->move(30, 20);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    // Every picture the thread composes over two loops.
    const size_t frames = picture->Frames().size();
    std::mutex mutex;
    std::set<QByteArray> composed;
    size_t drawn = 0;
    picture->SetFrameObserver([&](int) {
        const QByteArray shown = Pixels(picture->Surface());
        std::lock_guard lock(mutex);
        composed.insert(shown);
        ++drawn;
    });
    picture->SetWindowSystemMotion(false);
    picture->ShowPicture();
    const auto drawnEnough = [&] {
        std::lock_guard lock(mutex);
        return drawn >= 2 * frames + 1;
    };
    QTRY_VERIFY_WITH_TIMEOUT(drawnEnough(), 10000);
    picture->Stop();
    picture->SetFrameObserver({});
    picture->SetWindowSystemMotion(true);
    // A frame the thread drew just before it stopped may still wait to be
    // shown: its report, then the repaint that report asks for.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents();

    PaintCounter counter;
    picture->installEventFilter(&counter);
    picture->ShowPicture();
    ASSERT_TRUE(picture->MovedByWindowSystem());
    std::set<QByteArray> seen;
    QElapsedTimer watch;
    watch.start();
    while (watch.elapsed() < 1200) {
        const QByteArray shown = Pixels(ServerPixels(*picture));
        EXPECT_TRUE(composed.count(shown)) << "a picture the thread never showed, at " << watch.elapsed() << " ms";
        seen.insert(shown);
        QTest::qWait(20);
    }
    // 80 ms a frame: about 15 in that time, at least a few seen.
    EXPECT_GE(seen.size(), 5u);
    EXPECT_EQ(counter.paints, 0);

    picture->Stop();
    EXPECT_FALSE(picture->MovedByWindowSystem());
    EXPECT_FALSE(picture->IsPlaying());
    picture->repaint();
    const QByteArray stopped = Pixels(ServerPixels(*picture));
    EXPECT_EQ(stopped, Pixels(picture->Surface()));
    EXPECT_TRUE(composed.count(stopped));
}
