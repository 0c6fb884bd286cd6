#include "lyrics/LyricDlg.h"

#include "common/MessageIds.h"
#include "common/Text.h"
#include "common/TopLevelWindow.h"
#include "common/Trace.h"
#include "common/WellKnownPaths.h"
#include "lyrics/LyricWindowIds.h"
#include "platform/Shell.h"
#include "service/ServiceHosts.h"
#include "skin/SkinChoice.h"
#include "skin/SkinDescription.h"
#include "skin/SkinPaths.h"
#include "skin/controls/ControlColour.h"
#include "skin/controls/FocusMark.h"
#include "skin/controls/SkinButtonEx.h"
#include "skin/controls/SkinImage.h"

#include <QApplication>
#include <QBitmap>
#include <QClipboard>
#include <QCloseEvent>
#include <QFontDialog>
#include <QGuiApplication>
#include <QHideEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QSettings>
#include <QShowEvent>
#include <QWindow>

#include <algorithm>
#include <exception>
#include <limits>
#include <utility>

namespace {

constexpr const char* kSkinWindow = "Wnd_Lyric";
constexpr const char* kSkinClose = "Wnd_Lyric_Btn0";
constexpr const char* kSkinUp = "Wnd_Lyric_Btn1";
constexpr const char* kSkinDown = "Wnd_Lyric_Btn2";
constexpr const char* kSkinArea = "Wnd_Lyric_Static";

// The size of a window whose skin gives none.
constexpr QSize kFallbackSize(300, 340);

// A play position from a message: milliseconds, never negative.
uint32_t PositionOf(LPARAM argument) {
    return static_cast<uint32_t>(std::clamp<LPARAM>(argument, 0, std::numeric_limits<uint32_t>::max()));
}

std::optional<QFont> AskForFont(const QFont& current, QWidget* parent) {
    bool chosen = false;
    const QFont font = QFontDialog::getFont(&chosen, current, parent);
    if (!chosen) return std::nullopt;
    return font;
}

Qt::Edges QtEdges(unsigned edges) {
    Qt::Edges result;
    if (edges & kEdgeLeft) result |= Qt::LeftEdge;
    if (edges & kEdgeTop) result |= Qt::TopEdge;
    if (edges & kEdgeRight) result |= Qt::RightEdge;
    if (edges & kEdgeBottom) result |= Qt::BottomEdge;
    return result;
}

Qt::CursorShape SizingCursor(unsigned edges) {
    const bool horizontal = edges & (kEdgeLeft | kEdgeRight);
    const bool vertical = edges & (kEdgeTop | kEdgeBottom);
    if (horizontal && vertical) {
        const bool falling = (edges & kEdgeLeft) ? (edges & kEdgeTop) : (edges & kEdgeBottom);
        return falling ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor;
    }
    return horizontal ? Qt::SizeHorCursor : Qt::SizeVerCursor;
}

void FillMenu(QMenu& target, const std::vector<CLyricMenuItem>& items, CMessageTarget& commands) {
    for (const CLyricMenuItem& item : items) {
        if (item.IsSeparator()) {
            target.addSeparator();
        } else if (item.IsSubmenu()) {
            QMenu* sub = target.addMenu(QString::fromUtf8(item.text));
            sub->setEnabled(item.enabled);
            FillMenu(*sub, item.children, commands);
        } else {
            QAction* action = target.addAction(QString::fromUtf8(item.text));
            action->setEnabled(item.enabled);
            action->setCheckable(item.checked);
            action->setChecked(item.checked);
            const int command = item.command;
            QObject::connect(action, &QAction::triggered, &target, [&commands, command] { commands.OnCommand(command); });
        }
    }
}

}  // namespace

CLyricDlg::CLyricDlg(LyricWindowSetup setup)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint),
      CMessageTarget(this),
      m_scroller(m_model, m_renderer.Strip(), *this),
      m_options(std::move(setup.settings)),
      m_pMessages(setup.messages),
      m_chooseFont(setup.chooseFont ? std::move(setup.chooseFont) : AskForFont),
      m_seek(std::move(setup.seek)),
      m_strSkinRoot(setup.skinRoot.empty() ? SkinRoot() : std::move(setup.skinRoot)),
      m_pClose(new CSkinButtonEx(this, IDC_LYRIC_CLOSE)),
      m_pUp(new CSkinButtonEx(this, IDC_LYRIC_UP)),
      m_pDown(new CSkinButtonEx(this, IDC_LYRIC_DOWN)) {
    setMouseTracking(true);
    // The lines are chosen with the keyboard too.
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);

    m_scrollTimer.setSingleShot(true);
    m_scrollTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_scrollTimer, &QTimer::timeout, this, [this] {
        m_bInTick = true;
        m_scroller.Tick();
        m_bInTick = false;
    });
    m_clock.start();

    BindCommands();
    m_shadow.Create(this);
    SetSkin(setup.skinFolder.empty() ? ReadSkinChoice(g_strIniFile) : setup.skinFolder);
    m_scroller.ChangeFont(m_renderer.LineHeight(), m_renderer.VerticalStep());
    m_scroller.SetMode(m_options.Horizontal() ? LyricMode::Horizontal : LyricMode::Vertical);
}

CLyricDlg::~CLyricDlg() { TRACE_SCOPE("~CLyricDlg..."); }

void CLyricDlg::BindCommands() {
    SetMessageHandler(WM_LYRIC_SYNC, [this](WPARAM code, LPARAM argument) { return OnSync(code, argument); });

    SetCommandHandler(IDC_LYRIC_CLOSE, [this] { HideWindow(); });
    SetCommandHandler(ID_LYRIC_HIDE, [this] { HideWindow(); });
    // Up and down walk the lines of a timed lyric, and scroll one without.
    BindCorrection(IDC_LYRIC_UP, [this] {
        if (m_model.hasTiming()) m_scroller.PreviousLine();
        else m_scroller.Step(+1, width());
    });
    BindCorrection(IDC_LYRIC_DOWN, [this] {
        if (m_model.hasTiming()) m_scroller.NextLine();
        else m_scroller.Step(-1, width());
    });
    BindCorrection(ID_LYRIC_NEXT_LINE, [this] { m_scroller.NextLine(); });
    BindCorrection(ID_LYRIC_PREV_LINE, [this] { m_scroller.PreviousLine(); });
    BindCorrection(ID_LYRIC_AHEAD, [this] { m_scroller.Ahead(); });
    BindCorrection(ID_LYRIC_BACK, [this] { m_scroller.Back(); });
    BindCorrection(ID_LYRIC_RESTORE, [this] { m_scroller.Restore(); });

    SetCommandHandler(ID_LYRIC_TOPMOST, [this] { ToggleTopMost(); });
    SetCommandHandler(ID_LYRIC_COPY, [this] { CopyLyric(); });
    SetCommandHandler(ID_LYRIC_FONT_DEFAULT, [this] { ChooseFont(LyricFontChoice::Default); });
    SetCommandHandler(ID_LYRIC_FONT_LARGE, [this] { ChooseFont(LyricFontChoice::Large); });
    SetCommandHandler(ID_LYRIC_FONT_OTHER, [this] { ChooseFont(LyricFontChoice::Custom); });
    SetCommandHandler(ID_LYRIC_ALIGN_LEFT, [this] { SetAlign(kAlignLeft); });
    SetCommandHandler(ID_LYRIC_ALIGN_CENTRE, [this] { SetAlign(kAlignCentre); });
    SetCommandHandler(ID_LYRIC_ALIGN_RIGHT, [this] { SetAlign(kAlignRight); });
    SetCommandHandler(ID_LYRIC_HORIZONTAL, [this] { SetHorizontal(true); });
    SetCommandHandler(ID_LYRIC_VERTICAL, [this] { SetHorizontal(false); });
    SetCommandHandler(ID_LYRIC_REPORT, [this] { OpenErrorReport(); });
    SetCommandHandler(IDC_LYRIC_REPORT, [this] { OpenErrorReport(); });
}

void CLyricDlg::BindCorrection(int command, std::function<void()> correct) {
    SetCommandHandler(command, [this, correct = std::move(correct)] {
        correct();
        // The song plays with this correction again the next time.
        if (m_model.hasTiming()) m_options.StoreShift(m_model.songId(), m_scroller.UserShift());
    });
}

// ---------------------------------------------------------------- the player's side

bool CLyricDlg::IsShown() const { return m_showing.IsShown(); }

void CLyricDlg::ShowWindow(bool show) { m_showing.ShowWindow(show); }

void CLyricDlg::MinimizeWindow() { m_showing.Minimize(); }

void CLyricDlg::RestoreWindow() { m_showing.Restore(); }

void CLyricDlg::BringToFront() { raise(); }

void CLyricDlg::EnableWindow(bool enable) { setEnabled(enable); }

void CLyricDlg::PostLyric(WPARAM wParam, LPARAM lParam) { PostMessage(Handle(), WM_LYRIC_SYNC, wParam, lParam); }

void CLyricDlg::LoadLyric(const std::string& id, const std::string& name, const std::string& lyric) {
    SetLyric(id, name, lyric, true);
}

void CLyricDlg::SetLyric(const std::string& id, const std::string& name, const std::string& text, bool redraw) {
    const int line = m_model.SetLyric(id, name, text);
    m_renderer.SetLyric(m_model);
    m_scroller.Reset(line);
    if (m_model.hasTiming()) {
        if (const int32_t shift = m_options.Shift(m_model.songId()); shift != 0) {
            m_scroller.SetShift(shift);
            Trace("CLyricDlg===The correction of %s: %d ms", m_model.songId().c_str(), shift);
        }
    }
    m_bLinkHover = false;
    m_nKeyLine = -1;
    if (redraw) repaint();
}

LRESULT CLyricDlg::OnSync(WPARAM code, LPARAM argument) {
    Trace("=====>OnMyMessage %d,%d", static_cast<int>(code), static_cast<int>(argument));
    switch (code) {
    case ILyricSink::kJump:
        try {
            m_scroller.Play(PositionOf(argument));
        } catch (const std::exception&) {
            ShowFailure("异常：_PLAY");
        }
        break;
    case ILyricSink::kResume:
        try {
            m_scroller.Resume();
        } catch (const std::exception&) {
            ShowFailure("异常：_RESUME");
        }
        break;
    case ILyricSink::kPause:
    case ILyricSink::kStop:
        m_scroller.Pause();
        break;
    default:
        break;
    }
    // A hidden window takes the position the message gave as of now.
    if (m_bScrollHeld) m_nHeldSince = m_clock.elapsed();
    return 0;
}

// ---------------------------------------------------------------- skin and layout

void CLyricDlg::SetSkin(const std::string& skinFolder) {
    m_strSkinFolder = skinFolder;
    const CSkinDescription skin(m_strSkinRoot, skinFolder);
    // Layout and region follow the picture at layout size; the screen gets
    // the sharpest picture there is.
    m_background = LoadSkinImage(skin.BitmapFile(kSkinWindow), "CLyricDlg::SetSkin", 1.0);
    m_screenBackground =
        m_background.isNull()
            ? QImage()
            : ScreenPicture(LoadSkinImage(skin.BitmapFile(kSkinWindow), "CLyricDlg::SetSkin"), ScreenPictureRatio(),
                            kSkinKeyColour);

    QRect window = skin.Rect(kSkinWindow);
    QSize size = window.size().expandedTo(m_background.size());
    if (size.isEmpty()) size = kFallbackSize;
    m_placed = {size, skin.Rect(kSkinClose), skin.Rect(kSkinUp), skin.Rect(kSkinDown), skin.Rect(kSkinArea)};

    const struct {
        CSkinButtonEx* button;
        const char* section;
        const char* tip;
    } buttons[] = {{m_pClose, kSkinClose, "关闭"}, {m_pUp, kSkinUp, "向上"}, {m_pDown, kSkinDown, "向下"}};
    for (const auto& entry : buttons) {
        const SkinButtonFiles files = skin.ButtonFiles(entry.section);
        entry.button->SetImages(files.normal, files.over, files.click, QString::fromUtf8(entry.tip));
    }
    m_lineColour = ColorRefToQColor(skin.BackColour(kSkinArea));
    m_currentColour = ColorRefToQColor(skin.TextColour(kSkinArea));

    ApplySkinShadowLook(m_shadow, skinFolder);

    setMinimumSize(m_background.isNull() ? QSize(kCaptionBand * 4, kCaptionBand * 4) : m_background.size());
    setGeometry(QRect(PlaceInsideScreen(QRect(window.topLeft(), size)), size));
    // A hidden window hears of its new size only when shown: lay it out now.
    Layout();
    RebuildBackground();
    update();
}

void CLyricDlg::Layout() {
    m_parts = LayoutLyricParts(m_placed, size());
    m_pClose->setGeometry(m_parts.close);
    m_pUp->setGeometry(m_parts.up);
    m_pDown->setGeometry(m_parts.down);
}

void CLyricDlg::RebuildBackground() {
    QRegion region;
    try {
        if (m_background.isNull()) {
            m_stretched = QImage();
        } else {
            QImage stretched(size(), QImage::Format_RGB32);
            QPainter painter(&stretched);
            for (const StretchPiece& piece : NinePieceStretch(m_background.size(), size()))
                painter.drawImage(piece.target, m_background, piece.source);
            painter.end();
            // The window is cut along the skin's key colour: the bitmap's
            // cleared bits, which the region leaves out, are the key pixels.
            region = QRegion(QBitmap::fromImage(stretched.createMaskFromColor(
                qRgb(int(RedOf(kSkinKeyColour)), int(GreenOf(kSkinKeyColour)), int(BlueOf(kSkinKeyColour))),
                Qt::MaskInColor)));
            m_stretched = qFuzzyCompare(m_screenBackground.devicePixelRatio(), 1.0) ? std::move(stretched) : ScreenStretched();
        }
    } catch (const std::exception&) {
        ShowFailure("ResizeBackGroundBmpToRgn崩溃...");
    }
    if (region.isEmpty()) clearMask();
    else setMask(region);
}

QImage CLyricDlg::ScreenStretched() const {
    const qreal ratio = m_screenBackground.devicePixelRatio();
    QImage stretched((QSizeF(size()) * ratio).toSize(), QImage::Format_RGB32);
    stretched.setDevicePixelRatio(ratio);
    QPainter painter(&stretched);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const StretchPiece& piece : NinePieceStretch(m_background.size(), size())) {
        const QRectF source(QPointF(piece.source.topLeft()) * ratio, QSizeF(piece.source.size()) * ratio);
        painter.drawImage(QRectF(piece.target), m_screenBackground, source);
    }
    return stretched;
}

void CLyricDlg::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Trace("=====>CLyricDlg::OnSize:UPDATE_EASYSIZE");
    Layout();
    RebuildBackground();
    update();
}

QRect CLyricDlg::ButtonRect(int control) const {
    if (control == IDC_LYRIC_CLOSE) return m_pClose->geometry();
    if (control == IDC_LYRIC_UP) return m_pUp->geometry();
    if (control == IDC_LYRIC_DOWN) return m_pDown->geometry();
    return {};
}

// ---------------------------------------------------------------- painting

LyricFrame CLyricDlg::Frame() const {
    LyricFrame frame;
    frame.display = DisplayRect(m_parts.area);
    frame.mode = m_scroller.Mode();
    frame.align = m_options.Align();
    frame.current = m_scroller.CurrentLine();
    frame.offset = m_scroller.Offset();
    frame.lineColour = m_lineColour;
    frame.currentColour = m_currentColour;
    frame.linkHover = m_bLinkHover;
    return frame;
}

void CLyricDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    try {
        if (m_stretched.isNull()) painter.fillRect(rect(), palette().window());
        else painter.drawImage(0, 0, m_stretched);
        const LyricFrame frame = Frame();
        m_searchLink = m_renderer.Paint(painter, frame, m_model);
        if (hasFocus() && m_nKeyLine >= 0) {
            const QRect line = m_renderer.LineRect(frame, m_nKeyLine);
            if (!line.isEmpty()) DrawFocusMark(painter, line, m_currentColour);
        }
    } catch (const std::exception&) {
        ShowFailure("OnPaint 崩溃");
    }
}

void CLyricDlg::StartScrollTimer(uint32_t intervalMs) {
    m_nScrollInterval = intervalMs;
    if (m_bScrollHeld) return;
    const int64_t wait = m_pacer.Schedule(m_clock.elapsed(), intervalMs, m_bInTick);
    m_scrollTimer.start(static_cast<int>(std::min<int64_t>(wait, std::numeric_limits<int>::max())));
}

void CLyricDlg::StopScrollTimer() { m_scrollTimer.stop(); }

void CLyricDlg::RepaintLyric() { update(m_parts.area); }

// ---------------------------------------------------------------- the mouse

void CLyricDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    const QPoint at = event->position().toPoint();
    m_nEdges = EdgesAt(at, size(), kSizingBorder);
    QWindow* handle = windowHandle();
    if (m_nEdges != kEdgeNone) {
        // The desktop sizes the window where it can; elsewhere we follow the mouse.
        if (!handle || !handle->startSystemResize(QtEdges(m_nEdges))) m_track = Track::Resize;
    } else if (at.y() < kCaptionBand) {
        if (!handle || !handle->startSystemMove()) m_track = Track::Move;
    } else if (m_model.displayCount() == 0 && m_searchLink.contains(at)) {
        OpenLyricSearch();
    } else if (m_parts.area.contains(at) && m_model.displayCount() > 0) {
        m_bDragging = true;
        m_dragFrom = at;
        m_scroller.BeginDrag(at);
        setCursor(Qt::ClosedHandCursor);
    }
    m_trackStart = geometry();
    m_trackFrom = event->globalPosition().toPoint();
}

void CLyricDlg::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const QPoint moved = event->globalPosition().toPoint() - m_trackFrom;
    if (m_track == Track::Resize) {
        setGeometry(ResizedRect(m_trackStart, m_nEdges, moved, minimumSize()));
    } else if (m_track == Track::Move) {
        move(m_trackStart.topLeft() + moved);
    } else if (m_bDragging) {
        m_scroller.DragTo(at);
    } else {
        UpdateCursor(at);
    }
}

void CLyricDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    m_track = Track::None;
    const QPoint at = event->position().toPoint();
    if (std::exchange(m_bDragging, false) && (at - m_dragFrom).manhattanLength() < QApplication::startDragDistance())
        SeekToLineAt(at);
    UpdateCursor(event->position().toPoint());
}

void CLyricDlg::mouseDoubleClickEvent(QMouseEvent* event) {
    // A double-click on the caption gives the window the skin's own size.
    if (event->button() == Qt::LeftButton && event->position().y() < kCaptionBand && !m_background.isNull())
        resize(m_background.size());
}

void CLyricDlg::SeekToLineAt(const QPoint& at) {
    // The text followed the mouse: the line under the button now is the one
    // it went down on.
    if (m_seek && m_model.hasTiming()) SeekToLine(m_renderer.LineAt(Frame(), at), "clicked");
}

void CLyricDlg::SeekToLine(int line, const char* how) {
    if (!m_seek || !m_model.hasTiming()) return;
    if (line < 0 || line >= m_model.displayCount()) return;
    const uint32_t start = m_model.displayLines()[static_cast<size_t>(line)].start;
    if (!IsStartTime(start)) return;
    // The song goes where the lyric, with the user's correction, shows the line.
    const int64_t position = std::max<int64_t>(0, int64_t{start} - m_scroller.UserShift());
    Trace("CLyricDlg===Line %d %s: to %lld ms", line, how, static_cast<long long>(position));
    m_seek(static_cast<uint32_t>(position));
}

void CLyricDlg::focusInEvent(QFocusEvent* event) {
    // The chosen line's mark shows only while the keys come here.
    update(m_parts.area);
    QWidget::focusInEvent(event);
}

void CLyricDlg::focusOutEvent(QFocusEvent* event) {
    update(m_parts.area);
    QWidget::focusOutEvent(event);
}

void CLyricDlg::keyPressEvent(QKeyEvent* event) {
    const int count = m_model.displayCount();
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (!plain || count == 0) return QWidget::keyPressEvent(event);
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down: {
        // The first key starts on the line being sung.
        const int from = m_nKeyLine >= 0 ? m_nKeyLine : std::clamp(m_scroller.CurrentLine(), 0, count - 1);
        const int step = m_nKeyLine < 0 ? 0 : (event->key() == Qt::Key_Up ? -1 : 1);
        m_nKeyLine = std::clamp(from + step, 0, count - 1);
        update(m_parts.area);
        break;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
        SeekToLine(m_nKeyLine >= 0 ? m_nKeyLine : m_scroller.CurrentLine(), "chosen");
        break;
    default: return QWidget::keyPressEvent(event);
    }
    event->accept();
}

void CLyricDlg::UpdateCursor(const QPoint& at) {
    const unsigned edges = EdgesAt(at, size(), kSizingBorder);
    const bool overLink = m_model.displayCount() == 0 && m_searchLink.contains(at);
    SetLinkHover(overLink);
    if (edges != kEdgeNone) setCursor(SizingCursor(edges));
    else if (overLink) setCursor(Qt::PointingHandCursor);
    else if (at.y() >= kCaptionBand && m_parts.area.contains(at) && m_model.displayCount() > 0)
        setCursor(Qt::OpenHandCursor);
    else unsetCursor();
}

void CLyricDlg::SetLinkHover(bool hover) {
    if (hover == m_bLinkHover) return;
    m_bLinkHover = hover;
    update(m_searchLink);
}

void CLyricDlg::leaveEvent(QEvent* event) {
    SetLinkHover(false);
    QWidget::leaveEvent(event);
}

// ---------------------------------------------------------------- the menu and its commands

std::vector<CLyricMenuItem> CLyricDlg::ContextMenu() const {
    CLyricMenuState state;
    state.alwaysOnTop = m_bAlwaysOnTop;
    state.font = m_fontChoice;
    state.align = m_options.Align();
    state.horizontal = m_scroller.Mode() == LyricMode::Horizontal;
    state.hasSongId = !m_model.songId().empty();
    state.hasTiming = m_model.hasTiming();
    state.restoreEnabled = m_scroller.RestoreEnabled();
    state.hasLines = m_model.displayCount() > 0;
    return BuildLyricMenu(state);
}

void CLyricDlg::contextMenuEvent(QContextMenuEvent* event) {
    const std::vector<CLyricMenuItem> items = ContextMenu();
    m_menu = std::make_unique<QMenu>();
    FillMenu(*m_menu, items, *this);
    QPoint at = event->globalPos();
    const QScreen* screen = this->screen();
    const int height = m_menu->sizeHint().height();
    if (screen && LyricMenuOpensUpwards(screen->availableGeometry().bottom(), at.y(), height)) at.ry() -= height;
    m_menu->popup(at);
}

void CLyricDlg::ChooseFont(LyricFontChoice choice) {
    if (choice == m_fontChoice && choice != LyricFontChoice::Custom) return;
    QFont font;
    if (choice == LyricFontChoice::Default) {
        font = DefaultLyricFont();
    } else if (choice == LyricFontChoice::Large) {
        font = LargeLyricFont();
    } else {
        const std::optional<QFont> chosen = m_chooseFont(m_renderer.Font(), this);
        if (!chosen) return;
        font = *chosen;
    }
    m_fontChoice = choice;
    m_renderer.SetFont(font);
    m_scroller.ChangeFont(m_renderer.LineHeight(), m_renderer.VerticalStep());
}

void CLyricDlg::SetHorizontal(bool horizontal) {
    m_options.SetHorizontal(horizontal);
    m_scroller.SetMode(horizontal ? LyricMode::Horizontal : LyricMode::Vertical);
}

void CLyricDlg::SetAlign(int align) {
    if (m_options.SetAlign(align)) RepaintLyric();
}

void CLyricDlg::ToggleTopMost() {
    m_bAlwaysOnTop = !m_bAlwaysOnTop;
    SetStaysOnTop(*this, m_bAlwaysOnTop || m_bFrameTopMost);
}

void CLyricDlg::SetFrameTopMost(bool topMost) {
    m_bFrameTopMost = topMost;
    SetStaysOnTop(*this, m_bAlwaysOnTop || m_bFrameTopMost);
}

void CLyricDlg::HideWindow() {
    m_options.StoreWindowRect(geometry());
    hide();
}

void CLyricDlg::closeEvent(QCloseEvent* event) {
    m_options.StoreWindowRect(geometry());
    // The desktop's close is refused: the window is hidden by its own button
    // and menu, and lives as long as the program. The program's own close
    // (when it ends) goes through.
    if (event->spontaneous()) event->ignore();
    else event->accept();
}

void CLyricDlg::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (event->spontaneous() || m_bScrollHeld) return;
    // Nobody sees the lyric: no timer scrolls it meanwhile.
    m_bScrollHeld = true;
    m_nHeldSince = m_clock.elapsed();
    m_scrollTimer.stop();
}

void CLyricDlg::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous() || !m_bScrollHeld) return;
    m_bScrollHeld = false;
    // Back in step with the song, which went on while the window was away.
    m_scroller.CatchUp(static_cast<uint64_t>(std::max<int64_t>(0, m_clock.elapsed() - m_nHeldSince)));
}

void CLyricDlg::CopyLyric() {
    std::string text;
    for (int line = 0; line < m_model.displayCount(); ++line)
        text += m_model.displayLines()[static_cast<size_t>(line)].text + "\r\n";
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) {
        ShowFailure("Cannot open the Clipboard");
        return;
    }
    // As text, so that every program pastes the Chinese lines as they are.
    const QString copied = FromAnsi(text);
    clipboard->setText(copied);
    if (clipboard->text() != copied) ShowFailure("Unable to set Clipboard data");
}

void CLyricDlg::OpenErrorReport() {
    if (m_model.songId().empty()) return;
    const std::string url = ServiceAddress("/songhall/findbug/suebug.php?id=" + UrlEncode(m_model.songId()));
    if (!tonvik::platform::OpenUrl(url)) Trace("CLyricDlg===Cannot open %s", url.c_str());
}

void CLyricDlg::OpenLyricSearch() {
    const std::string url =
        HostAddress(ReadServiceHosts().lyricSearch, "/g?k=" + UrlEncode(m_model.songName()) + "&ss=lyric");
    if (!tonvik::platform::OpenUrl(url)) Trace("CLyricDlg===Cannot open %s", url.c_str());
}

void CLyricDlg::ShowFailure(const char* text) {
    Trace("CLyricDlg===%s", text);
    if (!m_pMessages) return;
    const std::string message = Cp936(text);
    QMetaObject::invokeMethod(
        this, [this, message] { m_pMessages->ShowMessageWindow(this, message); }, Qt::QueuedConnection);
}
