#pragma once
// How ShowMessageWindow shows a text: short notices about caching, song
// addresses, playback and the network go to the self-closing tip, every
// other text to a message box.

#include <QString>

struct MessageWindowStyle {
    bool tip = false;
    QString text;        // what is shown
    int tipDelayMs = 0;  // the tip's time on the screen; 0 for its default
};

inline constexpr int kNetworkTipDelayMs = 8000;

MessageWindowStyle StyleOfMessage(const QString& text);
