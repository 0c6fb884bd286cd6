#pragma once
// What the models of the song list and the album tree share: they show a
// lock-protected list as it was at their last refresh, refresh themselves
// on their own thread whenever the list tells of a change, and bring the
// rows they show to a fresh look at the list with each row kept in its
// place (a selection stays on its row, as the platform's list and tree
// controls keep it).

#include "skin/controls/ListChangeRelay.h"

#include <QModelIndex>

#include <algorithm>
#include <iterator>
#include <vector>

// `QtModel` is the Qt model class to derive from; `List` a CSongList or a
// CAlbumList.
template <typename QtModel, typename List>
class CListModelBase : public QtModel {
public:
    // Takes the list's rows afresh now (it also happens by itself after
    // every change of the list).
    virtual void Refresh() = 0;

protected:
    // The list must outlive the model.
    CListModelBase(List& list, QObject* parent)
        : QtModel(parent)
        , m_list(list)
        , m_relay(this, [this] { Refresh(); })
        , m_nListenerToken(list.AddChangeListener(m_relay.Listener()))
    {
    }
    ~CListModelBase() override { m_list.RemoveChangeListener(m_nListenerToken); }

    List& ShownList() const { return m_list; }

    // Makes `shown` as long as `fresh`, removing the rows past its end or
    // appending fresh ones, with the notices the views need. Returns how
    // many rows both have: those the caller compares and updates.
    template <typename Row>
    int MatchRowCount(std::vector<Row>& shown, std::vector<Row>& fresh, const QModelIndex& parent = {})
    {
        const int before = int(shown.size());
        const int after = int(fresh.size());
        if (after < before) {
            this->beginRemoveRows(parent, after, before - 1);
            shown.resize(size_t(after));
            this->endRemoveRows();
        } else if (after > before) {
            this->beginInsertRows(parent, before, after - 1);
            shown.insert(shown.end(), std::make_move_iterator(fresh.begin() + before),
                         std::make_move_iterator(fresh.end()));
            this->endInsertRows();
        }
        return std::min(before, after);
    }

private:
    List& m_list;
    CListChangeRelay m_relay;
    int m_nListenerToken;
};
