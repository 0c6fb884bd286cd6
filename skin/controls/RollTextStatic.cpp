#include "skin/controls/RollTextStatic.h"

#include "skin/controls/ControlAccessibility.h"
#include "skin/controls/ControlColour.h"
#include "skin/controls/ControlFont.h"
#include "skin/controls/SkinImage.h"

#include "common/Text.h"
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
    const bool was = std::exchange(m_bRolling, true);
    m_roll.Reset();
    m_rollTimer.start();
    update();
    if (!was)
        emit rollingChanged(true);
}

void CRollTextStatic::StopRolling()
{
    const bool was = std::exchange(m_bRolling, false);
    m_rollTimer.stop();
    m_roll.Reset();
    update();
    if (was)
        emit rollingChanged(false);
}

void CRollTextStatic::RollStep()
{
    m_roll.Step(TextWidth(), width());
    update();
    emit rolled();
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
