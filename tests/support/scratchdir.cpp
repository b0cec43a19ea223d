#include "scratchdir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

ScratchDir::ScratchDir()
    : m_previous(QDir::currentPath())
{
    QVERIFY2(m_dir.isValid(), "no temporary directory");
    QDir::setCurrent(m_dir.path());
}

ScratchDir::~ScratchDir()
{
    QDir::setCurrent(m_previous);
}

void ScratchDir::write(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(fileName));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray ScratchDir::read(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return file.readAll();
}

bool ScratchDir::exists(const QString &fileName)
{
    return QFileInfo::exists(fileName);
}

QStringList ScratchDir::entries()
{
    return QDir::current().entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray hex(const char *spaced)
{
    return QByteArray::fromHex(QByteArray(spaced));
}
