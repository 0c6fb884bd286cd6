#include "skin/controls/SongListModel.h"

#include "skin/controls/ControlAccessibility.h"

#include "common/Text.h"
#include "model/SongList.h"

#include <algorithm>

CSongListModel::CSongListModel(CSongList& list, QObject* parent) : CListModelBase(list, parent) { Refresh(); }

CSongListModel::~CSongListModel() = default;

void CSongListModel::Refresh()
{
    std::vector<Row> rows;
    for (const St_SongInfo& song : List().Snapshot())
        rows.push_back({FromAnsi(song.name), FromAnsi(song.singer), song.playing == kPlayingMark});

    const int common = MatchRowCount(m_rows, rows);
    int first = common, last = -1;
    for (int i = 0; i < common; ++i) {
        if (m_rows[size_t(i)] == rows[size_t(i)])
            continue;
        m_rows[size_t(i)] = std::move(rows[size_t(i)]);
        first = std::min(first, i);
        last = i;
    }
    if (last >= first)
        emit dataChanged(index(first, 0), index(last, kColumnCount - 1));
}

int CSongListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }

int CSongListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant CSongListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return {};
    const Row& row = m_rows[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case kColumnNumber: return QString::number(index.row() + 1);
        case kColumnSong: return row.playing ? QLatin1String(kPlayingIndent) + row.name : row.name;
        case kColumnSinger: return row.singer;
        default: return QString();
        }
    case Qt::AccessibleTextRole:
        // The song's cell is read as the song: "title — singer".
        if (index.column() == kColumnSong) return SongReaderName(row.name, row.singer);
        return {};
    case Qt::TextAlignmentRole: return int(Qt::AlignLeft | Qt::AlignVCenter);
    case kPlayingRole: return row.playing;
    default: return {};
    }
}

QVariant CSongListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char* const kNames[kColumnCount] = {"Num", "Song", "Singer", "ICON"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumnCount)
        return {};
    return QString::fromLatin1(kNames[section]);
}
