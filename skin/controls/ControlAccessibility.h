#pragma once
// What screen readers learn of the skinned controls through Qt's
// accessibility interface (AT-SPI on Linux): a button is a push button named
// by its tooltip (or its accessible name) that can be pressed, a slider a
// slider with its value and range, a rolling or plain text a label that
// says its text. The controls install the factory when the first of them is
// made.

#include <QString>

// Registers the interfaces of the skinned controls with QAccessible (once).
void InstallControlAccessibility();

// How a song of a list or of the album tree is read: "title — singer".
QString SongReaderName(const QString& title, const QString& singer);
