#pragma once
// CPlayMainDlg: the small, fully skinned player window. It wears the skin
// chosen in "TonvikMusic.ini" (or its mini skin), cut to the shape of its
// background, and is the play controller's window half: its buttons, menus
// and sliders reach the controller, and the controller's displays show in
// its controls. The windows beside it (my-music panel, mini web browser,
// lyric window) and the frame that owns them all are reached only through
// IPlayerFrame; while one of them does not exist, whatever needs it does
// nothing.
//
// Every button, menu entry and tray command arrives as WM_COMMAND in the
// window's command table, so all of them take one path.

#include "common/WindowMessage.h"
#include "playback/MediaEngine.h"
#include "playback/PlayController.h"
#include "playback/PlayControllerPorts.h"
#include "playback/PlayerCompanions.h"
#include "playback/PlayerLooks.h"
#include "playback/PlayerPorts.h"
#include "playback/PlayerSession.h"
#include "skin/SkinPaths.h"

#include <QImage>
#include <QString>
#include <QWidget>

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CBitmapSlider;
class CEditTrans;
class CPictureEx;
class CRollTextStatic;
class CSkinButtonEx;
class CWndShadow;

class CPlayMainDlg : public QWidget, public CMessageTarget, public IPlayWindow {
    Q_OBJECT
public:
    // Where the window finds its skins and its settings.
    struct Places {
        std::string skinRoot;                // the folder holding "Skin2" and "Skin"
        std::filesystem::path settingsFile;  // "TonvikMusic.ini"
    };
    // The program's own: its folder and the options file in it.
    static Places ProgramPlaces();

    static constexpr const char* kWindowTitle = "Tonvik Player";
    // The orderly close's last wait before the process ends.
    static constexpr std::chrono::milliseconds kCloseSettle{1000};

    // Builds the window from the skin (OnInitDialog); it is not shown yet.
    CPlayMainDlg(IPlayerFrame& frame, std::unique_ptr<CMediaEngine> engine, Places places = ProgramPlaces());
    ~CPlayMainDlg() override;

    // The orderly close: saves the play list, lets the album worker and the
    // sign-out finish within their bounds, stops playback and ends the
    // process with exit code 0 through the frame.
    void CloseApp();
    // Shown, restored and in front (a second start, the tray).
    void ShowAndRestore();
    // The panel's play mode changed: the repeat-one switch follows.
    void OnPlayModeChanged();
    // The panel was shown or hidden: the list button follows.
    void FollowPanel();
    // The volume (0 to kVolumeMax) and the place in the song (seconds), set
    // from outside the window the way its sliders set them.
    void SetVolume(int volume);
    void SeekTo(int seconds);
    // Does what a player key does (CPlayerKeyMap), with the commands of the
    // buttons and menus; false when the key has nothing to do here.
    bool PerformKey(PlayerKey action);

    CPlayController& Controller() { return *m_controller; }
    CMediaEngine& Engine() { return *m_engine; }
    const CPlayerLooks& Looks() const { return m_looks; }
    bool IsTopMost() const { return m_frame.IsTopMost(); }
    // The background in use; null when the skin's could not be loaded.
    const QImage& Background() const { return m_background; }

    // The controls by number.
    CSkinButtonEx* Button(int id) const;
    CBitmapSlider* VolumeSlider() const { return m_pVolume; }
    CBitmapSlider* PositionSlider() const { return m_pPosition; }
    CRollTextStatic* TitleText() const { return m_pTitle; }
    CRollTextStatic* TimeText() const { return m_pTime; }
    CRollTextStatic* DurationText() const { return m_pDuration; }
    CPictureEx* AnimationPicture() const { return m_pAnimation; }
    CEditTrans* SearchEdit() const { return m_pSearch; }
    // Whether a button shows the pictures of its other state (pause,
    // muted, repeat-one on, list open, mini mode).
    bool ShowsStateFace(int id) const;

    // IPlayWindow
    void SetTitle(const std::string& text) override;
    void SetTitleScrolling(bool scrolling) override;
    void SetTimeText(const std::string& text) override;
    void SetDurationText(const std::string& text) override;
    void ShowPauseImage(bool pause) override;
    void SetAnimation(Animation animation) override;
    void EnablePositionSlider(bool enable) override;
    void SetPositionRange(int seconds) override;
    void SetPositionValue(int seconds) override;
    int SliderValue(int control) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    // A button's two faces, read with the skin.
    struct ButtonFaces {
        SkinButtonFiles files;
        SkinButtonFiles stateFiles;
        QString tooltip;
        QString stateTooltip;
        int shown = -1;  // which face shows: -1 none yet, 0 normal, 1 state
    };

    void OnInitDialog();
    void CreateControls();
    std::vector<QWidget*> TabOrder() const;
    void FocusSearch();
    void SeekBy(int seconds);
    void RegisterHandlers();
    void LoadSkin(const std::string& folder);
    void ApplyShadowLook();
    bool ButtonInState(int id) const;
    void ApplyButtonState(int id);
    bool IsSeen() const;
    void UpdateMotion();

    void OnPlayPause();
    void OnMute();
    void StepVolume(int steps);
    void ApplyVolume(int volume);
    int VolumeToSlider(int volume) const;
    void OnRepeatOne();
    void SetPlayMode(int mode);
    void ToggleCompanion(CShownCompanions::Which which);
    void OnMiniMode();
    void OnRotate();
    void ChooseSkin(const char* skin);
    void OnSearch();
    void OnMyPage();
    void OnLogOut();
    void OnTopMost();
    void PopupMenu(int menu, int button);
    LRESULT OnSysCommand(WPARAM command);
    void HidePlayer();
    void DockPanel();

    IPlayerFrame& m_frame;
    Places m_places;
    CCompanionRelay m_relay;
    std::unique_ptr<CMediaEngine> m_engine;
    std::unique_ptr<CPlayController> m_controller;
    CPlayerLooks m_looks;
    CPlayerSession m_session;
    CShownCompanions m_miniShown;       // hidden on entering mini mode
    CShownCompanions m_minimizedShown;  // minimised with the player
    bool m_bClosing = false;
    bool m_bPauseImage = false;
    bool m_bTitleRolling = false;  // the controller wants the title to roll
    bool m_bVolumeReversed = false;

    QImage m_background;
    std::map<int, CSkinButtonEx*> m_buttons;
    std::map<int, ButtonFaces> m_faces;
    CPictureEx* m_pAnimation = nullptr;
    CRollTextStatic* m_pTitle = nullptr;
    CRollTextStatic* m_pTime = nullptr;
    CRollTextStatic* m_pDuration = nullptr;
    CBitmapSlider* m_pVolume = nullptr;
    CBitmapSlider* m_pPosition = nullptr;
    CEditTrans* m_pSearch = nullptr;

    Animation m_animation = Animation::Stopped;
    SkinAnimationFiles m_animationFiles;
    std::string m_loadedAnimation;

    std::unique_ptr<CWndShadow> m_shadow;
    std::optional<QPoint> m_dragOffset;
};
