#include "itemtable.h"

void ItemTable::setItem(int position, const QString &name, qint16 target)
{
    Q_ASSERT(position >= 1 && position <= m_items.size());
    Item &item = m_items[position - 1];
    item.name = name;
    item.target = target;
}

const Item &ItemTable::at(int position) const
{
    Q_ASSERT(position >= 1 && position <= m_items.size());
    return m_items.at(position - 1);
}
