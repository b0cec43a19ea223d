#pragma once

#include "historyindex.h"

#include <QAbstractListModel>

// The lines of lstRireki, one per record: "<n> _ <date> _ <time> _ <count>", numbered from 1.
// A line is put together only when it is asked for, which the list does for the rows on screen.
class HistoryModel final : public QAbstractListModel
{
public:
    using QAbstractListModel::QAbstractListModel;

    void setIndex(HistoryIndex index);
    void clear() { setIndex(HistoryIndex()); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // The search of a key typed in the list: every line starts with its number, so most lines
    // are told apart by that alone, without reading their record.
    QModelIndexList match(const QModelIndex &start, int role, const QVariant &value, int hits = 1,
                          Qt::MatchFlags flags
                          = Qt::MatchFlags(Qt::MatchStartsWith | Qt::MatchWrap)) const override;

private:
    HistoryIndex m_index;
};
