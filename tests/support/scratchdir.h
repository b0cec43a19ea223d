#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// A fresh empty current directory for one test; the previous one comes back afterwards.
class ScratchDir
{
public:
    ScratchDir() { QDir::setCurrent(m_dir.path()); }
    ~ScratchDir() { QDir::setCurrent(m_previous); }

    QString path() const { return m_dir.path(); }

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
    static bool exists(const QString &fileName) { return QFileInfo::exists(fileName); }
    static QStringList entries()
    {
        return QDir::current().entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }

private:
    QTemporaryDir m_dir;
    QString m_previous = QDir::currentPath();
};

// Bytes from hex written with spaces: hex("22 95 A0").
inline QByteArray hex(const char *spaced)
{
    return QByteArray::fromHex(spaced);
}
