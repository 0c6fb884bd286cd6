#pragma once
// The note on the desktop when a song starts to play: its title and its
// singer. Off unless the user switched it on (tray menu); the switch is kept
// in the options file, section "Option", key "SongNotice".

#include "notify/MprisPort.h"

#include <QDBusMessage>
#include <QObject>
#include <QString>

#include <filesystem>
#include <functional>

class CSongNotice {
public:
    static constexpr const char* kSection = "Option";
    static constexpr const char* kKey = "SongNotice";

    // Shows a note; false when it could not be shown.
    using Presenter = std::function<bool(const QString& title, const QString& text)>;

    CSongNotice(std::filesystem::path settingsFile, Presenter presenter);

    bool IsOn() const { return m_on; }
    // Switches the note on or off and saves the choice; false when it could
    // not be saved (the switch holds for this run anyway).
    bool SetOn(bool on);

    // A song started to play: the note, when switched on. The text is the
    // singer; the title falls back to the song identifier when it is empty.
    void OnTrackStarted(const MprisTrack& track);
    // The note's texts for a song.
    static QString TitleOf(const MprisTrack& track);
    static QString TextOf(const MprisTrack& track);

private:
    std::filesystem::path m_settingsFile;
    Presenter m_presenter;
    bool m_on = false;
};

// Shows notes through the desktop's notification service
// (org.freedesktop.Notifications) on the session bus, each note replacing
// the one before and naming the program's desktop entry. The text is plain
// text even where the service reads markup. Never waits for the service:
// without a session bus, or when the service does not take the note (none
// runs), the note goes to the fallback (the tray icon's balloon) and the
// reason to the traces.
class CDesktopNotes : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kServiceName = "org.freedesktop.Notifications";
    static constexpr const char* kDesktopEntry = "com.velora.TonvikMusic";

    using Fallback = std::function<void(const QString& title, const QString& text)>;

    explicit CDesktopNotes(Fallback fallback = {}, QObject* parent = nullptr);

    // False when the note reached neither the service nor a fallback.
    bool Show(const QString& title, const QString& text);

    // The call that shows a note: the text escaped for services that read
    // markup in it, the hint naming the desktop entry.
    static QDBusMessage NotifyCall(const QString& title, const QString& text, unsigned replacesId);

private:
    bool Fall(const QString& title, const QString& text);

    Fallback m_fallback;
    unsigned m_lastId = 0;
};
