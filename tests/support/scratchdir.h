#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A fresh empty current directory for one test; the previous one comes back afterwards.
class ScratchDir
{
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir &) = delete;
    ScratchDir &operator=(const ScratchDir &) = delete;

    QString path() const { return m_dir.path(); }

    static void write(const QString &fileName, const QByteArray &bytes);
    static QByteArray read(const QString &fileName);
    static bool exists(const QString &fileName);
    // Names of the files in the current directory, sorted.
    static QStringList entries();

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

// Bytes from hex written with spaces: hex("22 95 A0").
QByteArray hex(const char *spaced);
