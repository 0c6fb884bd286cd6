#pragma once
// CPictureEx: a static control that shows a picture file. An animated GIF
// is cut into its frames (GifFrames.h), each decoded on its own, and played
// by an animation thread that composes them into a surface the control
// copies when it paints (or, where the window system can slide a picture
// strip by itself, composed once into a strip that the window system moves
// on: then nothing of the program wakes for the frames); every other picture the image loader reads (BMP,
// PNG, JPEG, a one-frame GIF) is shown still. Used by the player window for
// the skin's "Static4" animation.

#include "platform/StripMover.h"
#include "skin/picture/AnimationStrip.h"
#include "skin/picture/PictureAnimation.h"

#include <QWidget>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// Pictures larger than this on either side are refused: the control sits
// in a skin's small picture area, and each side costs memory twice over
// (the surface and the saved area).
inline constexpr int kMaxPictureSide = 4096;
// All decoded frames of one animation together hold at most this many
// pixels; frames past it are left out.
inline constexpr long long kMaxAnimationPixels = 16LL * 1024 * 1024;
// Files larger than this are not read.
inline constexpr long long kMaxPictureFileBytes = 32LL * 1024 * 1024;
// How long Stop waits for the animation thread.
inline constexpr std::chrono::milliseconds kPictureStopTimeout{5000};
// The section of "Skin.ini" whose bitmap is the animation's background.
inline constexpr const char* kPictureBackgroundSection = "Static4";

class CPictureEx : public QWidget {
    Q_OBJECT
public:
    explicit CPictureEx(QWidget* parent = nullptr);
    ~CPictureEx() override;

    // The skin whose "Static4" bitmap is the background (root without a
    // trailing separator, folder e.g. "Skin2"). Until set: the program's
    // folder and the skin chosen in "TonvikMusic.ini".
    void SetSkin(std::string root, std::string folder);

    // Reads the whole file and loads it. False when it cannot be read or
    // holds no picture; the control is then empty.
    bool LoadPicture(const std::filesystem::path& fileName);
    // Loads a picture held in memory.
    bool Load(std::string_view data);
    // Starts the animation when there are several frames; otherwise draws
    // the still picture. 1 when a still picture was drawn, else 0.
    int ShowPicture();
    // Ends the animation thread; the picture stays loaded.
    void Stop();
    // Stops and frees everything.
    void UnLoad();

    bool IsGif() const { return m_bIsGif; }
    bool IsReady() const { return m_bIsInitialized; }
    bool IsPlaying() const { return m_thread.Running() || m_bMoverShows; }
    QSize PictureSize() const { return QSize(m_nWidth, m_nHeight); }
    const CAnimationFrames& Frames() const;
    int CurrentFrame() const;
    // A copy of the composed picture.
    QImage Surface() const;

    // While another motion of the window ticks (the rolling title), frames
    // drawn between two ticks are shown at the next one, so that both reach
    // the screen in one repaint instead of two.
    void FollowTick(bool following);
    // A tick of that motion: shows the frame drawn since the last one.
    void Tick();

    // Whether a playing animation may be moved by the window system (on by
    // default); applies from the next start.
    void SetWindowSystemMotion(bool allowed) { m_bMoverAllowed = allowed; }
    bool MovedByWindowSystem() const { return m_bMoverShows; }

    // Seams for measurement and tests.
    void SetStopTimeout(std::chrono::milliseconds timeout) { m_stopTimeout = timeout; }
    void SetFrameObserver(std::function<void(int)> observer) { m_observer = std::move(observer); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    class CUpdateLink;

    bool LoadStill(std::string_view data);
    bool LoadGif(std::string_view data);
    bool PrepareSurface(int width, int height);
    QImage BackgroundImage() const;
    void CutUpdateLink();
    bool StartOnMover();
    void LeaveMover();
    void FollowMotion();

    std::string m_strSkinRoot;
    std::string m_strSkinFolder;
    bool m_bSkinSet = false;

    bool m_bIsGif = false;
    int m_nGlobalCTSize = 0;
    QImage m_picture;  // the still picture
    std::shared_ptr<const CAnimationFrames> m_frames;
    int m_nWidth = 0;
    int m_nHeight = 0;
    bool m_bIsInitialized = false;
    std::shared_ptr<CPictureSurface> m_surface;

    CAnimationThread m_thread;
    std::shared_ptr<CUpdateLink> m_link;
    std::chrono::milliseconds m_stopTimeout = kPictureStopTimeout;
    std::function<void(int)> m_observer;
    bool m_bFollowTick = false;
    bool m_bFramePending = false;

    std::optional<CAnimationStrip> m_strip;
    bool m_bStripComposed = false;  // tried once a picture: nothing where it cannot be
    std::unique_ptr<tonvik::platform::IStripMover> m_pMover;
    std::optional<std::chrono::milliseconds> m_moverPeriod;  // the one the mover (or its absence) was asked with
    bool m_bMoverAllowed = true;
    bool m_bMoverShows = false;
    bool m_bMoverFailTraced = false;
};
