#pragma once

#include <QList>
#include <QString>

struct Item
{
    QString name;
    qint16 target = 0;
};

// The registered items in file order. Positions are 1-based, as everywhere in the program.
class ItemTable
{
public:
    qint16 count() const { return qint16(m_items.size()); }
    bool isEmpty() const { return m_items.isEmpty(); }

    const QString &name(int position) const { return at(position).name; }
    qint16 target(int position) const { return at(position).target; }
    void setItem(int position, const QString &name, qint16 target);

    const QList<Item> &items() const { return m_items; }
    void replaceAll(QList<Item> items) { m_items = std::move(items); }

private:
    const Item &at(int position) const;
    QList<Item> m_items;
};
