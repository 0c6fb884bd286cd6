#include "skin/controls/ControlArithmetic.h"

#include <QFontMetrics>

#include <algorithm>
#include <cmath>
#include <cstdint>

int SliderValueToPixel(const SliderAxis& axis, int minimum, int maximum, int value)
{
    const std::int64_t span = std::int64_t(maximum) - minimum;
    const std::int64_t track = std::int64_t(axis.length) - axis.marginHigh - axis.thumb - axis.marginLow;
    std::int64_t offset = 0;
    if (span > 0) {
        // floor, also for a value below the range
        const std::int64_t product = track * (std::int64_t(value) - minimum);
        offset = product / span;
        if (product % span != 0 && product < 0)
            --offset;
    }
    return int(axis.marginLow + offset + axis.thumb / 2);
}

int SliderPixelToValue(const SliderAxis& axis, int minimum, int maximum, int pixel)
{
    const std::int64_t track = std::int64_t(axis.length) - axis.marginHigh - axis.marginLow - axis.thumb;
    if (track <= 0 || maximum <= minimum)
        return minimum;
    const std::int64_t value =
        minimum + (std::int64_t(pixel) - axis.thumb / 2 - axis.marginLow) * (std::int64_t(maximum) - minimum) / track;
    return int(std::clamp<std::int64_t>(value, minimum, maximum));
}

int SliderClampPixel(const SliderAxis& axis, int pixel)
{
    const int low = axis.marginLow + axis.thumb / 2;
    const int high = axis.length - axis.marginHigh - axis.thumb / 2;
    return high < low ? low : std::clamp(pixel, low, high);
}

int CircleTrackY(int x, int centreX, int centreY, int radius)
{
    const double dx = double(x) - centreX;
    const double square = double(radius) * radius - dx * dx;
    if (square < 0)
        return 0;
    return centreY + int(std::sqrt(square));
}

bool ButtonHitTest(const QSize& size, const QPoint& point, bool round)
{
    if (!QRect(QPoint(0, 0), size).contains(point))
        return false;
    if (!round)
        return true;
    // Inside the inscribed ellipse, measured from pixel centres.
    const double rx = size.width() / 2.0, ry = size.height() / 2.0;
    const double dx = (point.x() + 0.5 - rx) / rx, dy = (point.y() + 0.5 - ry) / ry;
    return dx * dx + dy * dy <= 1.0;
}

int HoverButtonImageIndex(int imageCount, bool pressed, bool disabled, bool hover)
{
    if (imageCount <= 0)
        return -1;
    if (disabled)
        return imageCount >= 4 ? 3 : 0;
    if (pressed && imageCount > 2)
        return 2;
    if (hover && imageCount > 1)
        return 1;
    return 0;
}

std::vector<GradientBand> GradientBands(const QColor& from, const QColor& to, int width)
{
    std::vector<GradientBand> bands;
    if (width <= 0)
        return bands;
    const int steps = std::min(100, width);
    bands.reserve(size_t(steps));
    auto mix = [steps](int a, int b, int i) { return steps == 1 ? a : a + (b - a) * i / (steps - 1); };
    for (int i = 0; i < steps; ++i) {
        const int left = int(std::int64_t(width) * i / steps);
        const int right = int(std::int64_t(width) * (i + 1) / steps);
        bands.push_back({left, right - left,
                         QColor(mix(from.red(), to.red(), i), mix(from.green(), to.green(), i),
                                mix(from.blue(), to.blue(), i))});
    }
    return bands;
}

void CRollPosition::Step(int textWidth, int clientWidth)
{
    ++m_nScrollPos;
    // scrollPos > 1.1 × width, kept in integers
    if (std::int64_t(m_nScrollPos) * 10 > std::int64_t(textWidth) * 11)
        m_nScrollPos = -clientWidth;
}

bool LyricLinkHit(int linkX, int width, const QPoint& point)
{
    if (!(linkX > 0 && linkX < width - kLyricLinkWidth))
        return false;
    return point.x() >= linkX && point.x() < linkX + kLyricLinkWidth && point.y() >= 3 && point.y() <= 19;
}

bool TitleHasLyricLink(const QString& title)
{
    return !title.contains(QStringLiteral("正在缓冲")) && !title.contains(QStringLiteral("播放地址"));
}

TitleParts SplitTitle(const QString& title)
{
    const qsizetype dash = title.indexOf(QStringLiteral("--"));
    if (dash < 0)
        return {title, {}};
    return {title.left(dash), title.mid(dash)};
}

QString PlayTimeDisplayText(const QString& text, bool isTimeText, bool skin2)
{
    if (!isTimeText)
        return text;
    qsizetype start = 0;
    while (start < text.size() && text[start] == QLatin1Char('/'))
        ++start;
    const QString bare = text.mid(start);
    if (bare.isEmpty())
        return {};
    return skin2 ? QStringLiteral("/") + bare : bare;
}

QFont FontOfLogicalHeight(QFont font, int height)
{
    if (height < 0) {
        font.setPixelSize(-height);
    } else if (height > 0) {
        // The cell is taller than the em: step down from the cell height
        // until the whole cell fits.
        int size = height;
        font.setPixelSize(size);
        while (size > 1 && QFontMetrics(font).height() > height)
            font.setPixelSize(--size);
    }
    return font;
}

int ListDetailsOffset(int songCount, int fewOffset, int manyOffset)
{
    return songCount < kListFewSongs ? fewOffset : manyOffset;
}

QRect ListDetailsButtonRect(const QRect& row, int offset)
{
    return {row.left() + row.width() - offset, row.top(), kItemIconSize, kItemIconSize};
}

int ListTextIndent(int column, int number, bool playing)
{
    if (column == 0)
        return number < 10 ? 8 : 4;
    if (column == 1)
        return playing ? kItemIconSize - 4 + 2 : 0;
    return 20;
}

QRect ListPlayMarkRect(const QRect& row, int nameLeft)
{
    return {nameLeft - 4, row.top() + (row.height() - kItemIconSize) / 2, kItemIconSize, kItemIconSize};
}

ColorRef ListTextColour(int column, bool selected, bool playingRow, bool listPlays)
{
    if (column == 0)
        return selected || (playingRow && listPlays) ? kListHighlightText : kListText;
    if (selected || playingRow)
        return kListHighlightText;
    return column == 1 ? kListNameText : kListText;
}

QRect TreeButtonRect(const QRect& item, TreeButton button)
{
    const int left = button == TreeButton::Manage ? 200 : 220;
    return {item.left() + left, item.top() + 2, kItemIconSize, kItemIconSize};
}

TreeButton TreeButtonAt(const QRect& item, bool album, const QPoint& point)
{
    const TreeButton candidates[] = {album ? TreeButton::Manage : TreeButton::None,
                                     album ? TreeButton::PlayAlbum : TreeButton::Details};
    for (const TreeButton button : candidates) {
        if (button != TreeButton::None && TreeButtonRect(item, button).contains(point))
            return button;
    }
    return TreeButton::None;
}

QString TreeButtonTip(TreeButton button)
{
    switch (button) {
    case TreeButton::Manage: return QStringLiteral("管理");
    case TreeButton::PlayAlbum: return QStringLiteral("播放专辑");
    case TreeButton::Details: return QStringLiteral("详细");
    case TreeButton::None: break;
    }
    return {};
}

int TreeTextIndent(bool album) { return album ? 22 : 18; }

QRect TreeIconRect(const QRect& item, bool album)
{
    // Right in front of the text; the play mark 2 higher than the text's
    // line, which is centred in the item.
    const int centredTop = item.top() + (item.height() - kItemIconSize) / 2;
    return {item.left() + TreeTextIndent(album) - kItemIconSize, album ? centredTop : centredTop - 2, kItemIconSize,
            kItemIconSize};
}

AlbumNameCheck CheckAlbumName(const QString& typed, bool onAlbumPage)
{
    // A name of nothing but blanks names nothing.
    if (typed.trimmed().isEmpty())
        return onAlbumPage ? AlbumNameCheck{AlbumNameVerdict::Empty, {}}
                           : AlbumNameCheck{AlbumNameVerdict::Accepted, DefaultAlbumName()};
    if (onAlbumPage && typed.size() > kAlbumNameMaxLength)
        return {AlbumNameVerdict::TooLong, {}};
    return {AlbumNameVerdict::Accepted, typed};
}

QString AlbumNameNotice(AlbumNameVerdict verdict)
{
    switch (verdict) {
    case AlbumNameVerdict::Empty: return QStringLiteral("专辑名称不能为空！");
    case AlbumNameVerdict::TooLong: return QStringLiteral("专辑名称不能超过20个字符！");
    case AlbumNameVerdict::Accepted: break;
    }
    return {};
}

QString DefaultAlbumName() { return QStringLiteral("我的专辑"); }
