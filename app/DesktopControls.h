#pragma once
// The player as a citizen of the desktop: the media controls on the session
// bus (media keys, the sound menu, playerctl) and the note of the song that
// starts to play. The frame makes one once the player window and the panel
// exist. The port below answers the media controls through the same
// commands as the player's own buttons.

#include "common/WindowMessage.h"
#include "notify/MprisPort.h"

#include <QString>

#include <filesystem>
#include <functional>
#include <memory>

class CDesktopNotes;
class CMprisService;
class CPlayMainDlg;
class CSongNotice;
class IPlayerFrame;

class CPlayerMediaPort : public IMprisPort {
public:
    // `frame` takes the show and the orderly-close requests.
    CPlayerMediaPort(CPlayMainDlg& player, IPlayerFrame& frame, CMessageHandle frameHandle);

    MprisStatus Status() const override;
    std::optional<MprisTrack> Track() const override;
    std::int64_t PositionUs() const override;
    double Volume() const override;
    int PlayMode() const override;
    MprisListPlace ListPlace() const override;
    bool HasSongToStart() const override;

    void PlayPause() override;
    void Stop() override;
    void Next() override;
    void Previous() override;
    void SetVolume(double volume) override;
    std::int64_t SeekTo(std::int64_t positionUs) override;
    void SetPlayMode(int mode) override;
    void Raise() override;
    void Quit() override;

private:
    // The player's buttons work only while it takes input (no message on
    // screen, no close under way).
    bool Command(int command);

    CPlayMainDlg& m_player;
    IPlayerFrame& m_frame;
    CMessageHandle m_frameHandle;
};

class CDesktopControls {
public:
    // Shows a song's note where the desktop has no notification service.
    using NoteFallback = std::function<void(const QString& title, const QString& text)>;

    CDesktopControls(CPlayMainDlg& player, IPlayerFrame& frame, CMessageHandle frameHandle,
                     const std::filesystem::path& settingsFile, NoteFallback noteFallback);
    ~CDesktopControls();
    CDesktopControls(const CDesktopControls&) = delete;
    CDesktopControls& operator=(const CDesktopControls&) = delete;

    // The tray menu's switch of the song note.
    bool SongNoticeOn() const;
    void ToggleSongNotice();

    // The desktop's actions, as its media keys do them.
    void PlayPause() { m_port.PlayPause(); }
    void Next() { m_port.Next(); }

    // The media-player object the desktop's calls reach.
    CMprisService& MediaService() { return *m_service; }

private:
    CPlayerMediaPort m_port;
    std::unique_ptr<CMprisService> m_service;
    std::unique_ptr<CDesktopNotes> m_notes;
    std::unique_ptr<CSongNotice> m_notice;
};
