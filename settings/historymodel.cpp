#include "historymodel.h"

namespace {

const QString kSeparator = QStringLiteral(" _ ");

QString numberPart(int row)
{
    return QString::number(row + 1) + kSeparator;
}

} // namespace

void HistoryModel::setIndex(HistoryIndex index)
{
    beginResetModel();
    m_index = std::move(index);
    endResetModel();
}

int HistoryModel::rowCount(const QModelIndex &parent) const
{
    // A history past the list's row range is listed up to it.
    return parent.isValid() ? 0 : int(qMin(m_index.size(), qsizetype(INT_MAX)));
}

QVariant HistoryModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.parent().isValid()
        || index.row() >= rowCount())
        return QVariant();
    const History::Record record = m_index.record(index.row());
    return numberPart(index.row()) + record.date + kSeparator + record.time + kSeparator
        + record.count;
}

QModelIndexList HistoryModel::match(const QModelIndex &start, int role, const QVariant &value,
                                    int hits, Qt::MatchFlags flags) const
{
    const Qt::MatchFlags typed = Qt::MatchStartsWith | Qt::MatchWrap;
    if (role != Qt::DisplayRole || (flags & ~Qt::MatchCaseSensitive) != typed || hits != 1
        || !start.isValid() || start.parent().isValid())
        return QAbstractListModel::match(start, role, value, hits, flags);
    const QString text = value.toString();
    const Qt::CaseSensitivity cs
        = flags & Qt::MatchCaseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const int rows = rowCount();
    for (int k = 0; k < rows; ++k) {
        const int row = (start.row() + k) % rows;
        const QString number = numberPart(row);
        // The number decides, unless the typed text goes on past it.
        const bool found = text.size() <= number.size()
            ? number.startsWith(text, cs)
            : text.startsWith(number, cs) && data(this->index(row)).toString().startsWith(text, cs);
        if (found)
            return {this->index(row)};
    }
    return {};
}
