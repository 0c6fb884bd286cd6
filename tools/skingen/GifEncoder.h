#pragma once
// A small GIF89a writer for the skins' animated pictures: one global colour
// table for all frames (the player cuts frames apart and glues each to the
// file's header and global table), full-size frames left in place
// (disposal 1), and an endless loop.

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRgb>
#include <QVector>

// At most 256 colours that stand for every colour of the frames: the exact
// colours when there are few enough, else the most frequent colour cells.
QVector<QRgb> BuildGifPalette(const QList<QImage>& frames);

// The LZW-compressed image data of `indices` with the given minimum code
// size, as data sub-blocks ended by the zero-length block.
QByteArray GifLzwBlocks(const QByteArray& indices, int minCodeSize);

// `delay` in hundredths of a second for every frame. Frames share the size
// of the first one.
QByteArray EncodeAnimatedGif(const QList<QImage>& frames, int delay);
