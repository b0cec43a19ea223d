#pragma once

#include "itemtable.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

const QString kList = "項目一覧.txt";
// "12月31日","07時05分09秒", in front of the count of every record stamped by FakeServices.
const QByteArray kStamp = QByteArray::fromHex(
    "22 31 32 8C 8E 33 31 93 FA 22 2C 22 30 37 8E 9E 30 35 95 AA 30 39 95 62 22 2C");

// A fresh empty current directory for one test; the previous one comes back afterwards.
class ScratchDir
{
public:
    ScratchDir() { QDir::setCurrent(m_dir.path()); }
    ~ScratchDir() { QDir::setCurrent(m_previous); }

    static void write(const QString &fileName, const QByteArray &bytes)
    {
        QFile file(fileName);
        QVERIFY2(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size(),
                 qPrintable(fileName));
    }
    static QByteArray read(const QString &fileName)
    {
        QFile file(fileName);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    static QStringList entries()
    {
        return QDir::current().entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }

private:
    QTemporaryDir m_dir;
    QString m_previous = QDir::currentPath();
};

// An item list of ASCII names, as the program writes one.
inline QByteArray listBytes(const QList<Item> &items)
{
    QByteArray bytes;
    for (const Item &item : items)
        bytes += '"' + item.name.toLatin1() + "\"," + QByteArray::number(item.target) + "\r\n";
    return bytes;
}

// Every entry below the folder with its inode, mode, link target and bytes, and if asked its
// time of change: any write, creation or deletion shows, even one that leaves the same bytes.
inline QStringList snapshot(const QString &folder, bool times)
{
    QStringList out;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    for (struct stat st {}; it.hasNext() && lstat(QFile::encodeName(it.next()), &st) == 0;)
        out << QString("%1 %2 %3 %4 ")
                    .arg(it.filePath())
                    .arg(st.st_ino)
                    .arg(st.st_mode, 0, 8)
                    .arg(times ? st.st_mtim.tv_nsec : 0)
                + QFile::symLinkTarget(it.filePath()) + ScratchDir::read(it.filePath()).toHex();
    out.sort();
    return out;
}
