#include "lyrics/LyricRenderer.h"

#include "common/Text.h"
#include "lyrics/LyricWindowIds.h"
#include "skin/controls/ControlColour.h"
#include "skin/controls/ControlFont.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>

#include <algorithm>

namespace {

// Laid-out line texts kept before the cache starts afresh; a frame shows a
// few dozen at most.
constexpr size_t kTextCacheLimit = 256;

// The search link of the no-lyric face.
const QString& SearchLinkText() {
    static const QString text = QStringLiteral("搜索歌词");
    return text;
}

}  // namespace

int LineHeightFor(int logicalHeight) {
    if (logicalHeight > 0) return logicalHeight + 4;
    if (logicalHeight < 0) return 4 - logicalHeight;
    return kFallbackFontHeight + 4;
}

int LogicalHeightOf(const QFont& font) { return -QFontInfo(font).pixelSize(); }

QFont DefaultLyricFont() {
    QFont font = QApplication::font();
    font.setFamilies(WithCjkFallback(font.family()));
    return font;
}

QFont LargeLyricFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setFamilies(WithCjkFallback(QStringLiteral("宋体")));
    font.setPixelSize(kFallbackFontHeight);
    font.setWeight(QFont::Normal);
    return font;
}

CLyricRenderer::CLyricRenderer() : m_blanks(QStringLiteral("  ")) { SetFont(DefaultLyricFont()); }

void CLyricRenderer::SetLyric(const LyricModel& model) {
    const auto& lines = model.displayLines();
    m_lines.clear();
    m_lines.reserve(static_cast<size_t>(model.displayCount()));
    for (int line = 0; line < model.displayCount(); ++line)
        m_lines.push_back(FromAnsi(lines[static_cast<size_t>(line)].text));
    m_texts.clear();
    m_nBoldLine = -1;
    ResetStrip();
}

void CLyricRenderer::SetFont(const QFont& font) {
    m_font = font;
    m_boldFont = font;
    m_boldFont.setWeight(QFont::Bold);
    m_nLineHeight = LineHeightFor(LogicalHeightOf(font));
    m_texts.clear();
    m_nBoldLine = -1;
    ResetStrip();
}

void CLyricRenderer::ResetStrip() {
    m_strip.Reset(LineCount(), [this](int line) {
        const QFontMetrics metrics(m_font);
        return int64_t{metrics.horizontalAdvance(m_lines[static_cast<size_t>(line)])} +
               metrics.horizontalAdvance(m_blanks);
    });
}

int CLyricRenderer::VerticalStep() const {
    const QFontMetrics metrics(m_font);
    const int internalLeading = std::max(0, metrics.height() - QFontInfo(m_font).pixelSize());
    return std::max(1, metrics.height() + internalLeading);
}

void CLyricRenderer::SetCut(int maxChars, int align) {
    if (maxChars == m_nCutChars && align == m_nCutAlign) return;
    m_nCutChars = maxChars;
    m_nCutAlign = align;
    m_texts.clear();
    m_nBoldLine = -1;
}

QString CLyricRenderer::Shown(int line) const {
    const QString& text = m_lines[static_cast<size_t>(line)];
    if (m_nCutChars <= 0 || text.size() <= m_nCutChars) return text;
    // The part the alignment keeps in the area: the start, the middle or
    // the end of the line.
    if (m_nCutAlign == kAlignRight) return text.right(m_nCutChars);
    if (m_nCutAlign == kAlignCentre) return text.mid((text.size() - m_nCutChars) / 2, m_nCutChars);
    return text.left(m_nCutChars);
}

const QStaticText& CLyricRenderer::Text(int line, bool bold) {
    if (bold) {
        if (m_nBoldLine != line) {
            m_boldText = QStaticText(Shown(line));
            m_boldText.setTextFormat(Qt::PlainText);
            m_boldText.prepare(QTransform(), m_boldFont);
            m_nBoldLine = line;
        }
        return m_boldText;
    }
    auto found = m_texts.find(line);
    if (found != m_texts.end()) return found->second;
    if (m_texts.size() >= kTextCacheLimit) m_texts.clear();
    QStaticText text(Shown(line));
    text.setTextFormat(Qt::PlainText);
    text.prepare(QTransform(), m_font);
    return m_texts.emplace(line, std::move(text)).first->second;
}

QRect CLyricRenderer::Paint(QPainter& painter, const LyricFrame& frame, const LyricModel& model) {
    if (model.songId().empty() || frame.display.isEmpty()) return {};
    painter.save();
    painter.setClipRect(frame.display);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    QRect link;
    if (LineCount() == 0) {
        link = PaintNoLyric(painter, frame, model);
    } else if (frame.mode == LyricMode::Vertical) {
        // No character is narrower than a pixel or two: more than this many
        // never fit in the area.
        SetCut(frame.display.width() / 2 + 2, frame.align);
        PaintVertical(painter, frame);
    } else {
        SetCut(0, 0);
        PaintHorizontal(painter, frame);
    }
    painter.restore();
    return link;
}

int64_t CLyricRenderer::ColumnTop(const LyricFrame& frame) const {
    // The column starts two lines down, so the current line keeps two lines
    // of what came before above it.
    return int64_t{frame.display.top()} + 2 * m_nLineHeight - frame.offset;
}

int64_t CLyricRenderer::StripOrigin(const LyricFrame& frame) const {
    // The strip starts in the middle of the area: the current line begins
    // there and moves left as it plays.
    return int64_t{frame.display.left()} + frame.display.width() / 2 - frame.offset;
}

int64_t CLyricRenderer::Widening(const LyricFrame& frame) {
    // The bold current line is wider than measured; the lines after it move
    // over by the difference.
    if (frame.current < 0 || frame.current >= LineCount()) return 0;
    return std::max<int64_t>(0, static_cast<int64_t>(Text(frame.current, true).size().width()) +
                                    QFontMetrics(m_boldFont).horizontalAdvance(m_blanks) -
                                    m_strip.Span(frame.current));
}

int CLyricRenderer::LineAt(const LyricFrame& frame, const QPoint& at) {
    if (LineCount() == 0 || !frame.display.contains(at)) return -1;
    if (frame.mode == LyricMode::Vertical) {
        const int64_t from = at.y() - ColumnTop(frame);
        if (from < 0 || m_nLineHeight <= 0) return -1;
        const int64_t line = from / m_nLineHeight;
        return line < LineCount() ? static_cast<int>(line) : -1;
    }
    const int64_t x = at.x() - StripOrigin(frame);
    if (x < 0) return -1;
    const int current = frame.current;
    const bool lit = current >= 0 && current < LineCount();
    const int64_t widening = Widening(frame);
    int line = m_strip.LineAt(x);
    if (lit && line >= current) {
        // The bold current line reaches over the start of those after it.
        line = x < m_strip.Offset(current) + m_strip.Span(current) + widening ? current
                                                                               : m_strip.LineAt(x - widening);
    }
    return line >= 0 && line < LineCount() ? line : -1;
}

QRect CLyricRenderer::LineRect(const LyricFrame& frame, int line) {
    if (line < 0 || line >= LineCount()) return {};
    const QRect& area = frame.display;
    if (frame.mode == LyricMode::Vertical) {
        const int64_t y = ColumnTop(frame) + int64_t{line} * m_nLineHeight;
        if (y > area.bottom() || y + m_nLineHeight < area.top()) return {};
        return QRect(area.left(), static_cast<int>(y), area.width(), m_nLineHeight).intersected(area);
    }
    const bool lit = frame.current >= 0 && frame.current < LineCount();
    const int64_t widening = Widening(frame);
    const int64_t x = StripOrigin(frame) + m_strip.Offset(line) + (lit && line > frame.current ? widening : 0);
    const int64_t width = m_strip.Span(line) + (line == frame.current ? widening : 0);
    if (x > area.right() || x + width < area.left()) return {};
    const int64_t left = std::max<int64_t>(x, area.left());
    const int64_t right = std::min<int64_t>(x + width, int64_t{area.right()} + 1);
    return QRect(static_cast<int>(left), area.top() + (area.height() - m_nLineHeight) / 2,
                 static_cast<int>(right - left), m_nLineHeight);
}

void CLyricRenderer::PaintVertical(QPainter& painter, const LyricFrame& frame) {
    const QRect& area = frame.display;
    const int lineHeight = m_nLineHeight;
    const int textHeight = QFontMetrics(m_font).height();
    const int64_t top = ColumnTop(frame);
    const int64_t first = std::max<int64_t>(0, (area.top() - top) / lineHeight - 1);
    for (int64_t line = first; line < LineCount(); ++line) {
        const int64_t y = top + line * lineHeight;
        if (y > area.bottom()) break;
        const bool current = line == frame.current;
        const QStaticText& text = Text(static_cast<int>(line), current);
        const int width = static_cast<int>(text.size().width());
        int x = area.left();
        if (frame.align == kAlignCentre) x = area.left() + area.width() / 2 - width / 2;
        else if (frame.align == kAlignRight) x = area.left() + area.width() - width;
        painter.setFont(current ? m_boldFont : m_font);
        painter.setPen(current ? frame.currentColour : frame.lineColour);
        painter.drawStaticText(QPointF(x, static_cast<double>(y) + (lineHeight - textHeight) / 2.0), text);
    }
}

void CLyricRenderer::PaintHorizontal(QPainter& painter, const LyricFrame& frame) {
    const QRect& area = frame.display;
    const int textHeight = QFontMetrics(m_font).height();
    const double y = area.top() + (area.height() - textHeight) / 2.0;
    const int64_t origin = StripOrigin(frame);
    const bool lit = frame.current >= 0 && frame.current < LineCount();
    const int64_t widening = Widening(frame);
    const int64_t firstVisible = int64_t{area.left()} - origin - widening;
    for (int line = std::max(0, m_strip.LineAt(firstVisible)); line < LineCount(); ++line) {
        const int64_t x = origin + m_strip.Offset(line) + (lit && line > frame.current ? widening : 0);
        if (x > area.right()) break;
        if (x + m_strip.Span(line) + widening < area.left()) continue;
        const bool current = line == frame.current;
        painter.setFont(current ? m_boldFont : m_font);
        painter.setPen(current ? frame.currentColour : frame.lineColour);
        painter.drawStaticText(QPointF(static_cast<double>(x), y), Text(line, current));
    }
}

QRect CLyricRenderer::PaintNoLyric(QPainter& painter, const LyricFrame& frame, const LyricModel& model) {
    const QRect& area = frame.display;
    const int lineHeight = m_nLineHeight;
    // A blank line, the song's name, a blank line and the search link,
    // centred in the area.
    const int top = area.top() + (area.height() - 4 * lineHeight) / 2;
    painter.setFont(m_font);
    painter.setPen(frame.lineColour);
    painter.drawText(QRect(area.left(), top + lineHeight, area.width(), lineHeight), Qt::AlignCenter,
                     FromAnsi(model.songName()));
    const QFontMetrics metrics(m_font);
    const int width = metrics.horizontalAdvance(SearchLinkText());
    const QRect link(area.left() + (area.width() - width) / 2, top + 3 * lineHeight, width, lineHeight);
    painter.setPen(ColorRefToQColor(frame.linkHover ? kSearchLinkHoverColour : kSearchLinkColour));
    painter.drawText(link, Qt::AlignCenter, SearchLinkText());
    return link;
}
