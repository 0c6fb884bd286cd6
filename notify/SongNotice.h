#pragma once
// The note on the desktop when a song starts to play: its title and its
// singer. Off unless the user switched it on (tray menu); the switch is kept
// in the options file, section "Option", key "SongNotice".

#include "notify/MprisPort.h"

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
// the one before. Never waits for the service: a call that goes wrong is
// traced when its answer comes.
class CDesktopNotes : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kServiceName = "org.freedesktop.Notifications";

    explicit CDesktopNotes(QObject* parent = nullptr);

    // False when there is no session bus.
    bool Show(const QString& title, const QString& text);

private:
    unsigned m_lastId = 0;
};
