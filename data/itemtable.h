#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

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
    // Whatever replaces the table wholesale, other than a read of the item list file, leaves a
    // table that may not be written back over that file.
    void replaceAll(QList<Item> items)
    {
        m_items = std::move(items);
        m_fileBytes.reset();
    }

    // The item list file's bytes as this table was last read from it or written to it; none
    // when the table did not come from a successful read. A rewrite needs them, and needs the
    // file to hold them still. A note about the file rather than part of the items, so that a
    // write from a const table refreshes it too.
    const std::optional<QByteArray> &fileBytes() const { return m_fileBytes; }
    void setFileBytes(std::optional<QByteArray> bytes) const { m_fileBytes = std::move(bytes); }

private:
    const Item &at(int position) const;
    QList<Item> m_items;
    mutable std::optional<QByteArray> m_fileBytes;
};
