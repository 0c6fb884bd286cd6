#pragma once
// The rows of a song list for the skinned list view: number, song, singer
// and the details column. The model shows the list as it was at its last
// refresh, taken whole under the list's lock, so a view never sees a list
// half-changed by a worker; every change of the list brings a refresh on
// the model's thread.

#include "skin/controls/ListModelBase.h"

#include <QAbstractTableModel>
#include <QString>

#include <vector>

class CSongList;

class CSongListModel : public CListModelBase<QAbstractTableModel, CSongList> {
    Q_OBJECT
public:
    enum Column { kColumnNumber = 0, kColumnSong = 1, kColumnSinger = 2, kColumnIcon = 3, kColumnCount = 4 };
    // bool: the row's song carries the playing mark.
    static constexpr int kPlayingRole = Qt::UserRole + 1;
    // The blanks in front of the playing song's name that make room for the
    // play mark.
    static constexpr const char* kPlayingIndent = "   ";

    explicit CSongListModel(CSongList& list, QObject* parent = nullptr);
    ~CSongListModel() override;

    CSongList& List() const { return ShownList(); }
    void Refresh() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct Row {
        QString name;
        QString singer;
        bool playing = false;
        bool operator==(const Row&) const = default;
    };

    std::vector<Row> m_rows;
};
