#include "filetext.h"

#include "codepage932.h"

namespace FileText {

namespace {
const QByteArrayView kUtf8Mark("\xEF\xBB\xBF");
} // namespace

Encoding encodingOf(QByteArrayView bytes)
{
    return bytes.startsWith(kUtf8Mark) ? Encoding::Utf8 : Encoding::CodePage932;
}

QByteArrayView markOf(Encoding encoding)
{
    return encoding == Encoding::Utf8 ? kUtf8Mark : QByteArrayView();
}

QString decode(QByteArrayView bytes)
{
    const Encoding encoding = encodingOf(bytes);
    return decode(bytes.sliced(markOf(encoding).size()), encoding);
}

QString decode(QByteArrayView bytes, Encoding encoding)
{
    if (encoding == Encoding::Utf8)
        return QString::fromUtf8(bytes);
    return CodePage932::decode(bytes).text;
}

QByteArray encode(QStringView text, Encoding encoding)
{
    if (encoding == Encoding::Utf8)
        return text.toUtf8();
    return CodePage932::encode(text).bytes;
}

} // namespace FileText
