// Shows the player background of a skin, cut to its shape by its key
// colour, with the shadow the player gives it, over a light backdrop.
// Prints "ready" once everything is on screen and ends after the given
// number of seconds.
//
//   shadowshot <skin folder> [seconds]

#include "common/Bitmap.h"
#include "notify/WndShadow.h"
#include "tools/support/Backdrop.h"

#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <filesystem>

namespace {

constexpr ColorRef kKeyColour = Rgb(0x13, 0x13, 0x13);

class CSkinnedWindow : public QWidget {
public:
    explicit CSkinnedWindow(QImage picture) : QWidget(nullptr, Qt::FramelessWindowHint), m_picture(std::move(picture)) {
        setFixedSize(m_picture.size());
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.drawImage(0, 0, m_picture);
    }

private:
    QImage m_picture;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: shadowshot <skin folder> [seconds]\n");
        return 2;
    }
    const std::filesystem::path skin = argv[1];
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 10;
    const auto background = LoadBitmapFile(skin / "PlayerBack.bmp");
    if (!background) {
        std::fprintf(stderr, "shadowshot: cannot read %s\n", (skin / "PlayerBack.bmp").string().c_str());
        return 1;
    }

    CBackdrop backdrop;
    backdrop.setGeometry(0, 0, 640, 360);
    backdrop.show();

    CSkinnedWindow player(background->ToImage());
    player.setMask(BitmapToRegion(*background, kKeyColour));
    player.move(100, 90);

    // The player's shadow for this skin family.
    CWndShadow shadow;
    if (!shadow.Create(&player)) {
        std::fprintf(stderr, "shadowshot: no shadows on this display\n");
        return 1;
    }
    shadow.SetShadowSize(6);
    shadow.SetShadowSoftness(8);
    shadow.SetShadowDarkness(250);
    shadow.SetShadowOffset(0, 0);
    shadow.SetShadowColor(Rgb(0, 0, 0));
    player.show();

    QTimer::singleShot(1000, [] {
        std::printf("ready\n");
        std::fflush(stdout);
    });
    QTimer::singleShot(seconds * 1000, &application, &QApplication::quit);
    return application.exec();
}
