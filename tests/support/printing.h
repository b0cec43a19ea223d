#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <cstring>

// QTest prints the Japanese of a QString as \u escapes. A failure should show the words the user
// saw, so texts are compared through this wrapper, which prints them as they are.
struct Text
{
    QString value;

    Text() = default;
    Text(const QString &text)
        : value(text)
    { }
    Text(const char *text)
        : value(QString::fromUtf8(text))
    { }
    friend bool operator==(const Text &, const Text &) = default;
};
using Texts = QList<Text>;

inline Texts texts(const QStringList &list)
{
    return Texts(list.begin(), list.end());
}

inline char *printable(const QString &text)
{
    return qstrdup(text.toUtf8().constData());
}

inline char *toString(const Text &text)
{
    return printable(u'"' + text.value + u'"');
}
