#include "skin/controls/RollTextStatic.h"

#include "skin/controls/ControlColour.h"
#include "skin/controls/ControlFont.h"
#include "skin/controls/MemDC.h"
#include "skin/controls/SkinImage.h"

#include "common/Text.h"
#include "skin/SkinChoice.h"
#include "skin/SkinDescription.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

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
    update();
}

void CRollTextStatic::SetTimeText(bool isTimeText)
{
    m_bTimeText = isTimeText;
    ApplySkin();
    update();
}

void CRollTextStatic::SetSkin(const CSkinDescription& skin)
{
    m_pSkin = std::make_unique<CSkinDescription>(skin);
    ApplySkin();
    update();
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
                                : QPixmap::fromImage(LoadSkinImage(skin.BitmapFile(section), "CRollTextStatic::SetSkin"));
    if (m_variant == Variant::Plain) {
        const SkinFont font = skin.Font(section);
        m_timeFont = QFont();
        m_timeFont.setFamilies(WithCjkFallback(QString::fromLatin1(kSkinTimeFontFace)));
        if (font.weight > 0)
            m_timeFont.setWeight(QFont::Weight(std::clamp(font.weight, 1, 1000)));
        m_timeFont = FontOfLogicalHeight(m_timeFont, font.height);
    }
}

void CRollTextStatic::SetText(const QString& text)
{
    m_strText = text;
    update();
}

QString CRollTextStatic::DisplayText() const { return PlayTimeDisplayText(m_strText, m_bTimeText, m_bSkin2); }

void CRollTextStatic::StartRolling()
{
    m_bRolling = true;
    m_roll.Reset();
    m_rollTimer.start();
    update();
}

void CRollTextStatic::StopRolling()
{
    m_bRolling = false;
    m_rollTimer.stop();
    m_roll.Reset();
    update();
}

void CRollTextStatic::RollStep()
{
    m_roll.Step(TextWidth(), width());
    update();
}

int CRollTextStatic::TextWidth() const
{
    if (m_variant == Variant::Plain)
        return QFontMetrics(m_timeFont).horizontalAdvance(DisplayText());
    if (!m_bSkin2)
        return QFontMetrics(m_normalFont).horizontalAdvance(m_strText);
    const TitleParts parts = SplitTitle(m_strText);
    return QFontMetrics(m_boldFont).horizontalAdvance(parts.name) +
           QFontMetrics(m_normalFont).horizontalAdvance(parts.rest);
}

bool CRollTextStatic::HasLyricLink() const
{
    return m_variant == Variant::Title && !m_strText.isEmpty() && TitleHasLyricLink(m_strText);
}

void CRollTextStatic::paintEvent(QPaintEvent*)
{
    QPainter target(this);
    CMemDC memDC(target, rect());
    QPainter& painter = memDC.Painter();
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
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip;
    int x = TextX();
    auto draw = [&](const QFont& font, const QString& text) {
        painter.setFont(font);
        painter.drawText(QRect(x, 0, QFontMetrics(font).horizontalAdvance(text), height()), flags, text);
        x += QFontMetrics(font).horizontalAdvance(text);
    };
    if (m_bSkin2) {
        const TitleParts parts = SplitTitle(m_strText);
        draw(m_boldFont, parts.name);
        draw(m_normalFont, parts.rest);
    } else {
        draw(m_normalFont, m_strText);
    }
    if (HasLyricLink())
        draw(m_underlineFont, LyricLinkText());
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
