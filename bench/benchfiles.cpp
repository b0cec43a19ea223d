#include "benchfiles.h"

#include "codepage932.h"
#include "itemlist.h"

#include <QFile>

namespace BenchFiles {

QByteArray history(int count)
{
    // Every stamp is made of the same few pieces, so a million records take moments to make.
    const auto cp932 = [](const char16_t *text) {
        return CodePage932::encode(QStringView(text)).bytes;
    };
    const QByteArray month = cp932(u"月"), day = cp932(u"日"), hour = cp932(u"時"),
                     minute = cp932(u"分"), second = cp932(u"秒");
    const auto twoDigits = [](int value) {
        return QByteArray::number(value).rightJustified(2, '0');
    };
    QByteArray bytes;
    bytes.reserve(qsizetype(count) * 32);
    for (int k = 0; k < count; ++k) {
        bytes += '"' + twoDigits(k % 12 + 1) + month + twoDigits(k % 28 + 1) + day + "\",\""
            + twoDigits(k % 24) + hour + twoDigits(k % 60) + minute + twoDigits((k * 7) % 60)
            + second + "\"," + QByteArray::number(k % 40 + 1) + "\r\n";
    }
    return bytes;
}

QByteArray itemList(int count)
{
    QByteArray bytes;
    for (int k = 1; k <= count; ++k)
        bytes += ItemList::encodeRecord(itemName(k), QString::number(10 + k % 90));
    return bytes;
}

void write(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(fileName));
}

QString itemName(int number)
{
    return QStringLiteral("腕立て伏せ%1").arg(number);
}

} // namespace BenchFiles
