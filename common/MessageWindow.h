#pragma once
// The program-wide way to show a message to the user. The main frame owns
// it: short notices go to the self-closing tip, everything else to a message
// box captioned "Tonvik Player", with the program's windows locked while it
// shows. Windows and their logic reach it through this interface so that
// tests can record what would have been shown. Texts are CP936.

#include <string>

class QWidget;

// The buttons of a message box (as the Windows flags) and its answers.
inline constexpr unsigned kMbOk = 0x0;
inline constexpr unsigned kMbOkCancel = 0x1;
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

class IMessageWindow {
public:
    virtual ~IMessageWindow() = default;

    // Shows `text` over `owner` (nullptr: no owner) and returns the answer:
    // kIdOk or kIdCancel for a message box, kIdOk for a tip.
    virtual int ShowMessageWindow(QWidget* owner, const std::string& text, unsigned flags = kMbOk) = 0;
};
