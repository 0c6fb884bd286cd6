#pragma once
// CLyricDlg: the lyric window. A frameless, skinned, resizable tool window
// (no task-bar entry) that shows the playing song's lyric and scrolls it in
// step with the play messages (WM_LYRIC_SYNC), as a vertical column or one
// horizontal strip. The scrolling lives in CLyricScroller, the drawing in
// CLyricRenderer, the geometry in LyricLayout, the menu rules in LyricMenu
// and the stored options in CLyricOptions; the window ties them to the
// screen, the mouse, the skin and the settings.

#include "common/MessageWindow.h"
#include "common/WindowMessage.h"
#include "lyrics/LyricLayout.h"
#include "lyrics/LyricMenu.h"
#include "lyrics/LyricModel.h"
#include "lyrics/LyricOptions.h"
#include "lyrics/LyricRenderer.h"
#include "lyrics/LyricScrollPacer.h"
#include "lyrics/LyricScroller.h"
#include "lyrics/LyricWindowIds.h"
#include "notify/CompanionShowing.h"
#include "notify/WndShadow.h"
#include "playback/PlayerPorts.h"

#include <QElapsedTimer>
#include <QFont>
#include <QImage>
#include <QMenu>
#include <QSettings>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class CSkinButtonEx;

// What the window is made with; every member may stay empty.
struct LyricWindowSetup {
    // The folder that holds the skin folders; empty: the program's folder.
    std::string skinRoot;
    // The full skin to wear first; empty: the skin chosen in "TonvikMusic.ini".
    std::string skinFolder;
    // Where the options live; empty: the user's settings ("Velora", "Music").
    std::unique_ptr<QSettings> settings;
    // Where failures are shown to the user; empty: they are only traced.
    IMessageWindow* messages = nullptr;
    // Asks the user for a font; empty: the platform's font dialog.
    std::function<std::optional<QFont>(const QFont& current, QWidget* parent)> chooseFont;
    // Moves the song to a position (ms), for a click on a timed line; empty:
    // lines are not clickable.
    std::function<void(uint32_t positionMs)> seek;
};

class CLyricDlg : public QWidget, public CMessageTarget, public ILyricWindow, private ILyricScrollHost {
    Q_OBJECT
public:
    explicit CLyricDlg(LyricWindowSetup setup = {});
    ~CLyricDlg() override;

    // The windows beside the player.
    bool IsShown() const override;
    void ShowWindow(bool show) override;
    void MinimizeWindow() override;
    void RestoreWindow() override;
    void BringToFront() override;
    void SetSkin(const std::string& skinFolder) override;
    void EnableWindow(bool enable) override;

    // The play controller's lyric sink.
    void PostLyric(WPARAM wParam, LPARAM lParam) override;
    void LoadLyric(const std::string& id, const std::string& name, const std::string& lyric) override;

    // Loads the lyric of a song (CP936 texts) and starts at its first line;
    // `redraw` repaints at once.
    void SetLyric(const std::string& id, const std::string& name, const std::string& text, bool redraw);

    // State, for the player, tools and tests.
    const LyricModel& Model() const { return m_model; }
    const CLyricScroller& Scroller() const { return m_scroller; }
    bool ScrollTimerActive() const { return m_scrollTimer.isActive(); }
    // The time per pixel the scroll timer was last started with.
    uint32_t ScrollTimerInterval() const { return m_nScrollInterval; }
    int LineHeight() const { return m_renderer.LineHeight(); }
    int Align() const { return m_options.Align(); }
    LyricFontChoice FontChoice() const { return m_fontChoice; }
    bool AlwaysOnTop() const { return m_bAlwaysOnTop; }
    // The frame's always-on-top state: the window stays on top while either
    // it or its own "总在前面" is on.
    void SetFrameTopMost(bool topMost);
    const std::string& SkinFolder() const { return m_strSkinFolder; }
    // The background picture's own size: the smallest the window gets.
    QSize NaturalSize() const { return m_background.size(); }
    QRect LyricArea() const { return m_parts.area; }
    QRect ButtonRect(int control) const;
    // Where the search link of the no-lyric face was drawn last.
    QRect SearchLinkRect() const { return m_searchLink; }
    // The menu as a right-click would show it now.
    std::vector<CLyricMenuItem> ContextMenu() const;
    // The line the keyboard is on (Up and Down move it, Enter plays from
    // it), or -1 before the first key.
    int KeyLine() const { return m_nKeyLine; }
    // The pop-up menu last shown, or null.
    QMenu* ShownMenu() const { return m_menu.get(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // The scroll logic's window.
    void StartScrollTimer(uint32_t intervalMs) override;
    void StopScrollTimer() override;
    void RepaintLyric() override;

    void BindCommands();
    // Binds a manual timing command, whose correction is kept for the song.
    void BindCorrection(int command, std::function<void()> correct);
    LyricFrame Frame() const;
    // A click (no drag) on a line of a timed lyric moves the song there.
    void SeekToLineAt(const QPoint& at);
    void SeekToLine(int line, const char* how);
    LRESULT OnSync(WPARAM code, LPARAM argument);
    void Layout();
    void RebuildBackground();
    // The stretched picture at the screen's ratio, from m_screenBackground.
    QImage ScreenStretched() const;
    void ChooseFont(LyricFontChoice choice);
    void SetHorizontal(bool horizontal);
    void SetAlign(int align);
    void ToggleTopMost();
    void HideWindow();
    void CopyLyric();
    void OpenErrorReport();
    void OpenLyricSearch();
    void UpdateCursor(const QPoint& at);
    void SetLinkHover(bool hover);
    // Shows a failure (UTF-8 text) to the user, once the present event is over.
    void ShowFailure(const char* text);

    LyricModel m_model;
    CLyricRenderer m_renderer;
    CLyricScroller m_scroller;
    CLyricOptions m_options;
    IMessageWindow* m_pMessages;
    std::function<std::optional<QFont>(const QFont&, QWidget*)> m_chooseFont;
    std::function<void(uint32_t)> m_seek;

    std::string m_strSkinRoot;
    std::string m_strSkinFolder;
    QImage m_background;  // the skin's picture at its own size
    QImage m_screenBackground;  // the same prepared for the screen (maybe its double-size twin)
    QImage m_stretched;   // the picture stretched over the window, for the screen
    LyricParts m_placed;  // where the skin put the parts
    LyricParts m_parts;   // where they are at the window's size
    QColor m_lineColour;
    QColor m_currentColour;
    CSkinButtonEx* m_pClose;
    CSkinButtonEx* m_pUp;
    CSkinButtonEx* m_pDown;
    CWndShadow m_shadow;

    QTimer m_scrollTimer;   // timer 1: one pixel of scrolling
    uint32_t m_nScrollInterval = 0;
    CScrollPacer m_pacer;
    QElapsedTimer m_clock;
    bool m_bInTick = false;
    // The scroll timer runs only while the window shows; since when (ms of
    // m_clock) the lyric's position has not moved on.
    bool m_bScrollHeld = true;
    int64_t m_nHeldSince = 0;
    CCompanionShowing m_showing{*this, m_shadow, m_strSkinFolder, kLyricRestoreDelayMs};  // timer 3
    LyricFontChoice m_fontChoice = LyricFontChoice::Default;
    bool m_bAlwaysOnTop = false;
    bool m_bFrameTopMost = false;

    // The mouse: the search link, dragging the text, moving or sizing the
    // window by hand where the desktop does not do it.
    QRect m_searchLink;
    bool m_bLinkHover = false;
    bool m_bDragging = false;
    QPoint m_dragFrom;
    enum class Track { None, Move, Resize } m_track = Track::None;
    unsigned m_nEdges = 0;
    QRect m_trackStart;
    QPoint m_trackFrom;

    std::unique_ptr<QMenu> m_menu;
    int m_nKeyLine = -1;
};
