#pragma once
// Windows icon files with 32-bit images (alpha and an AND mask), one entry
// per size.

#include <QByteArray>
#include <QImage>
#include <QList>

QByteArray EncodeIcon(const QList<QImage>& images);
