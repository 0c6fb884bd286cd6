#pragma once
// GIF files written for the picture tests: solid-coloured frames at chosen
// places with chosen delays and disposals, drawn from a four-colour global
// table, and the raw pieces hostile files are made of.

#include <QColor>
#include <QRect>
#include <QSize>

#include <string>
#include <vector>

// The global colour table of every test GIF, by index.
inline const QColor kGifBlack(0, 0, 0);
inline const QColor kGifRed(255, 0, 0);
inline const QColor kGifGreen(0, 255, 0);
inline const QColor kGifBlue(0, 0, 255);
enum TestColour { kBlack = 0, kRed = 1, kGreen = 2, kBlue = 3 };

struct TestFrame {
    QRect rect;
    TestColour colour = kRed;
    int delay = 10;     // hundredths of a second
    int disposal = 1;
    bool control = true;  // false: no graphic control extension
};

// "GIF89a", the logical screen and the four-colour global table.
std::string GifHeader(QSize screen);
// A graphic control extension.
std::string GifControl(int delay, int disposal);
// An image descriptor with its LZW data, filled with one colour.
std::string GifImage(const QRect& rect, TestColour colour);
std::string BuildGif(QSize screen, const std::vector<TestFrame>& frames);

// A still picture of one colour in the given format ("BMP", "PNG", "JPEG").
std::string EncodeStill(QSize size, QColor colour, const char* format);

bool SameColour(QColor a, QColor b, int tolerance = 0);
