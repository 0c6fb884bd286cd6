#include "skin/controls/RollTextStatic.h"

#include "skin/controls/ControlAccessibility.h"
#include "skin/controls/ControlColour.h"
#include "skin/controls/ControlFont.h"
#include "skin/controls/SkinImage.h"

#include "common/Text.h"
#include "common/Trace.h"
#include "platform/StripMover.h"
#include "skin/SkinChoice.h"
#include "skin/SkinDescription.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>

#include <algorithm>
#include <utility>

namespace {

// The ground the window system can show the title on: the control's
// background when it covers the control and each of its rows is one colour,
// so that the title drawn over it once looks the same wherever it stands.
QImage UniformGround(const QPixmap& background, QSize size)
{
    if (background.isNull() || background.hasAlphaChannel() || background.devicePixelRatio() != 1.0 ||
        background.width() < size.width() || background.height() < size.height())
        return {};
    const QImage ground = background.toImage().copy(QRect(QPoint(), size)).convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < ground.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(ground.constScanLine(y));
        if (std::any_of(row, row + ground.width(), [row](QRgb pixel) { return pixel != row[0]; }))
            return {};
    }
    return ground;
}

const char* SectionOf(CRollTextStatic::Variant variant, bool isTimeText)
{
    if (variant == CRollTextStatic::Variant::Title)
        return "Static0";
    return isTimeText ? "Static5" : "Static1";
}

}  // namespace

CRollTextStatic::CRollTextStatic(QWidget* parent, Variant variant)
    : QWidget(parent)
    , m_variant(variant)
    , m_normalFont(QApplication::font())
{
    InstallControlAccessibility();
    m_normalFont.setWeight(QFont::Normal);
    m_underlineFont = m_normalFont;
    m_underlineFont.setUnderline(true);
    m_boldFont = m_normalFont;
    m_boldFont.setPixelSize(14);
    m_boldFont.setWeight(QFont::Black);
    m_timeFont = QFont();
    m_timeFont.setFamilies(WithCjkFallback(QString::fromLatin1(kSkinTimeFontFace)));
    m_rollTimer.setInterval(kRollIntervalMs);
    connect(&m_rollTimer, &QTimer::timeout, this, &CRollTextStatic::RollStep);
}

CRollTextStatic::~CRollTextStatic() = default;

void CRollTextStatic::SetVariant(Variant variant)
{
    m_variant = variant;
    ApplySkin();
    TitleChanged();
}

void CRollTextStatic::SetTimeText(bool isTimeText)
{
    m_bTimeText = isTimeText;
    ApplySkin();
    TitleChanged();
}

void CRollTextStatic::SetSkin(const CSkinDescription& skin)
{
    m_pSkin = std::make_unique<CSkinDescription>(skin);
    ApplySkin();
    TitleChanged();
}

void CRollTextStatic::ApplySkin()
{
    if (!m_pSkin)
        return;
    const CSkinDescription& skin = *m_pSkin;
    const char* section = SectionOf(m_variant, m_bTimeText);
    m_bSkin2 = IsClassicFamily(skin.Paths().Folder());
    m_crText = ColorRefToQColor(skin.TextColour(section));
    const std::string name = skin.Name(section);
    m_background = name.empty() ? QPixmap()
                                : QPixmap::fromImage(ScreenPicture(LoadSkinImage(skin.BitmapFile(section), "CRollTextStatic::SetSkin")));
    if (m_variant == Variant::Plain) {
        const SkinFont font = skin.Font(section);
        m_timeFont = QFont();
        m_timeFont.setFamilies(WithCjkFallback(QString::fromLatin1(kSkinTimeFontFace)));
        if (font.weight > 0)
            m_timeFont.setWeight(QFont::Weight(std::clamp(font.weight, 1, 1000)));
        m_timeFont = FontOfLogicalHeight(m_timeFont, font.height);
    }
    UpdateOpacity();
}

void CRollTextStatic::SetText(const QString& text)
{
    if (text == m_strText)
        return;
    m_strText = text;
    TitleChanged();
}

void CRollTextStatic::TitleChanged()
{
    m_nTextWidth = -1;
    m_bStripValid = false;
    update();
    if (m_bRolling)
        FollowRoll();
}

void CRollTextStatic::UpdateOpacity()
{
    const QSizeF covered = m_background.deviceIndependentSize();
    setAttribute(Qt::WA_OpaquePaintEvent,
                 !m_background.isNull() && covered.width() >= width() && covered.height() >= height());
}

void CRollTextStatic::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    UpdateOpacity();
    TitleChanged();
}

QString CRollTextStatic::DisplayText() const { return PlayTimeDisplayText(m_strText, m_bTimeText, m_bSkin2); }

void CRollTextStatic::StartRolling()
{
    m_bRolling = true;
    // From the start again, wherever the roll was: the window system's
    // scene, if it shows, is shown again at 0.
    m_bMoverShows = false;
    m_roll.Reset();
    FollowRoll();
    update();
}

void CRollTextStatic::StopRolling()
{
    m_bRolling = false;
    FollowRoll();
    m_roll.Reset();
    update();
}

void CRollTextStatic::RollStep()
{
    if (m_bMoverShows) {
        m_pMover->Step();
        return;
    }
    m_roll.Step(TextWidth(), width());
    update();
    emit rolled();
}

int CRollTextStatic::ScrollPos() const { return m_bMoverShows ? m_pMover->Position() : m_roll.Position(); }

void CRollTextStatic::SetWindowSystemMotion(bool allowed)
{
    m_bMoverAllowed = allowed;
    if (m_bRolling)
        FollowRoll();
}

void CRollTextStatic::SetRollInterval(std::chrono::milliseconds interval)
{
    m_rollInterval = interval;
    m_rollTimer.setInterval(int(interval.count()));
    // The window system's mover keeps the time it was made with.
    LeaveMover();
    m_pMover.reset();
    m_bMoverMade = false;
    if (m_bRolling)
        FollowRoll();
}

void CRollTextStatic::FollowRoll()
{
    if (m_bRolling && ShowOnMover()) {
        m_rollTimer.stop();
        m_pMover->Start();
        SetTicking(false);
        return;
    }
    LeaveMover();
    if (!m_bRolling)
        m_rollTimer.stop();
    else if (!m_rollTimer.isActive())
        m_rollTimer.start();
    SetTicking(m_bRolling);
}

bool CRollTextStatic::ShowOnMover()
{
    if (!m_bMoverAllowed || m_variant != Variant::Title || !isVisible() || devicePixelRatioF() != 1.0)
        return false;
    QWidget* top = window();
    if (top->internalWinId() == 0)
        return false;
    const QImage ground = UniformGround(m_background, size());
    if (ground.isNull())
        return false;
    const QPixmap& strip = TitleStrip();
    if (strip.isNull())
        return false;
    if (!std::exchange(m_bMoverMade, true))
        m_pMover = tonvik::platform::CreateStripMover(m_rollInterval);
    if (!m_pMover)
        return false;
    // The strip drawn once over the ground's colours, as each step would
    // draw it over the background.
    QImage picture(strip.size(), QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        std::fill(row, row + picture.width(), ground.pixel(0, y));
    }
    {
        QPainter painter(&picture);
        painter.drawPixmap(0, 0, strip);
    }
    tonvik::platform::IStripMover::Scene scene;
    scene.window = top->internalWinId();
    scene.frame = QRect(mapTo(top, QPoint()), size());
    scene.ground = ground;
    scene.strip = picture;
    scene.rule = [textWidth = TextWidth(), width = width()](int position) {
        CRollPosition roll(position);
        roll.Step(textWidth, width);
        return roll.Position();
    };
    if (!m_pMover->Show(scene, ScrollPos())) {
        if (m_bMoverShows)
            m_roll = CRollPosition(m_pMover->Position());
        m_bMoverShows = false;
        if (!std::exchange(m_bMoverFailTraced, true))
            Trace("CRollTextStatic::ShowOnMover : the window system cannot move the title, it is repainted each step");
        return false;
    }
    m_bMoverShows = true;
    return true;
}

void CRollTextStatic::LeaveMover()
{
    if (!m_bMoverShows)
        return;
    m_roll = CRollPosition(m_pMover->Position());
    m_bMoverShows = false;
    m_pMover->Hide();
    update();
}

void CRollTextStatic::SetTicking(bool ticking)
{
    if (std::exchange(m_bTicking, ticking) != ticking)
        emit tickingChanged(ticking);
}

void CRollTextStatic::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    if (m_bMoverShows)
        FollowRoll();
}

void CRollTextStatic::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The window's native window may be a new one.
    if (m_bRolling)
        FollowRoll();
}

void CRollTextStatic::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (m_bMoverShows)
        FollowRoll();
}

int CRollTextStatic::TextWidth() const
{
    if (m_nTextWidth >= 0)
        return m_nTextWidth;
    if (m_variant == Variant::Plain) {
        m_nTextWidth = QFontMetrics(m_timeFont).horizontalAdvance(DisplayText());
    } else if (!m_bSkin2) {
        m_nTextWidth = QFontMetrics(m_normalFont).horizontalAdvance(m_strText);
    } else {
        const TitleParts parts = SplitTitle(m_strText);
        m_nTextWidth = QFontMetrics(m_boldFont).horizontalAdvance(parts.name) +
                       QFontMetrics(m_normalFont).horizontalAdvance(parts.rest);
    }
    return m_nTextWidth;
}

bool CRollTextStatic::HasLyricLink() const
{
    return m_variant == Variant::Title && !m_strText.isEmpty() && TitleHasLyricLink(m_strText);
}

void CRollTextStatic::paintEvent(QPaintEvent*)
{
    // The window's backing store already makes each frame reach the screen
    // whole; a surface of its own per step would only cost the copy.
    QPainter painter(this);
    painter.setClipRect(rect());
    if (!m_background.isNull())
        painter.drawPixmap(0, 0, m_background);
    painter.setPen(m_crText);
    if (m_variant == Variant::Title)
        PaintTitle(painter);
    else
        PaintPlain(painter);
}

void CRollTextStatic::PaintTitle(QPainter& painter)
{
    const QPixmap& strip = TitleStrip();
    if (!strip.isNull())
        painter.drawPixmap(TextX(), 0, strip);
}

const QPixmap& CRollTextStatic::TitleStrip()
{
    if (m_bStripValid)
        return m_titleStrip;
    m_bStripValid = true;
    const bool link = HasLyricLink();
    const int width = TextWidth() + (link ? QFontMetrics(m_underlineFont).horizontalAdvance(LyricLinkText()) : 0);
    if (width <= 0 || height() <= 0) {
        m_titleStrip = QPixmap();
        return m_titleStrip;
    }
    const qreal ratio = devicePixelRatioF();
    m_titleStrip = QPixmap(QSizeF(width * ratio, height() * ratio).toSize());
    m_titleStrip.setDevicePixelRatio(ratio);
    m_titleStrip.fill(Qt::transparent);
    QPainter painter(&m_titleStrip);
    painter.setPen(m_crText);
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip;
    int x = 0;
    auto draw = [&](const QFont& font, const QString& text) {
        const int advance = QFontMetrics(font).horizontalAdvance(text);
        painter.setFont(font);
        painter.drawText(QRect(x, 0, advance, height()), flags, text);
        x += advance;
    };
    if (m_bSkin2) {
        const TitleParts parts = SplitTitle(m_strText);
        draw(m_boldFont, parts.name);
        draw(m_normalFont, parts.rest);
    } else {
        draw(m_normalFont, m_strText);
    }
    if (link)
        draw(m_underlineFont, LyricLinkText());
    return m_titleStrip;
}

void CRollTextStatic::PaintPlain(QPainter& painter)
{
    painter.setFont(m_timeFont);
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, DisplayText());
}

void CRollTextStatic::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && HasLyricLink() &&
        LyricLinkHit(LinkX(), width(), event->position().toPoint())) {
        emit lyricToggleRequested();
        return;
    }
    QWidget::mousePressEvent(event);
}
