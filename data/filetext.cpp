#include "filetext.h"

#include "codepage932.h"

#include <QStringDecoder>

namespace FileText {

namespace {

const QByteArrayView kUtf8Mark("\xEF\xBB\xBF");
constexpr char16_t kCarriedByteBase = 0xDC00;

// Qt's own reader turns a byte that is not UTF-8 into U+FFFD, which a rewrite would then store
// as EF BF BD, and it drops a U+FEFF at the start of whatever piece it is given. A hand-made
// file keeps its bytes here: a stray byte is carried as U+DC00 + byte, as in code page 932 files.
QString decodeUtf8(QByteArrayView bytes)
{
    // Stateless: a character cut off at the end is an error here, not kept for a next piece.
    QStringDecoder strict(QStringConverter::Utf8,
                          QStringConverter::Flag::Stateless
                              | QStringConverter::Flag::ConvertInitialBom);
    QString text = strict.decode(bytes);
    if (!strict.hasError())
        return text;
    text.clear();
    text.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size();) {
        const uchar lead = uchar(bytes[i]);
        if (lead < 0x80) {
            text += QChar(char16_t(lead));
            ++i;
            continue;
        }
        int length = 0;
        char32_t code = 0, smallest = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, code = lead & 0x1F, smallest = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, code = lead & 0x0F, smallest = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, code = lead & 0x07, smallest = 0x10000;
        }
        bool valid = length > 0 && i + length <= bytes.size();
        for (int k = 1; valid && k < length; ++k) {
            const uchar next = uchar(bytes[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        valid = valid && code >= smallest && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
        if (!valid) {
            text += QChar(char16_t(kCarriedByteBase + lead));
            ++i;
            continue;
        }
        if (QChar::requiresSurrogates(code)) {
            text += QChar(QChar::highSurrogate(code));
            text += QChar(QChar::lowSurrogate(code));
        } else {
            text += QChar(char16_t(code));
        }
        i += length;
    }
    return text;
}

bool isCarriedByte(QStringView text, qsizetype at)
{
    const char16_t c = text[at].unicode();
    return c >= kCarriedByteBase + 0x80 && c <= kCarriedByteBase + 0xFF
        && (at == 0 || !text[at - 1].isHighSurrogate());
}

QByteArray encodeUtf8(QStringView text)
{
    QByteArray bytes;
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isCarriedByte(text, i))
            continue;
        bytes += text.sliced(runStart, i - runStart).toUtf8();
        bytes += char(text[i].unicode() - kCarriedByteBase);
        runStart = i + 1;
    }
    return bytes + text.sliced(runStart).toUtf8();
}

} // namespace

Encoding encodingOf(QByteArrayView bytes)
{
    return bytes.startsWith(kUtf8Mark) ? Encoding::Utf8 : Encoding::CodePage932;
}

QByteArrayView markOf(Encoding encoding)
{
    return encoding == Encoding::Utf8 ? kUtf8Mark : QByteArrayView();
}

qsizetype textStart(QByteArrayView bytes)
{
    if (encodingOf(bytes) != Encoding::Utf8)
        return 0;
    return bytes.sliced(kUtf8Mark.size()).startsWith(kUtf8Mark) ? 2 * kUtf8Mark.size()
                                                                : kUtf8Mark.size();
}

QString decode(QByteArrayView bytes)
{
    return decode(bytes.sliced(textStart(bytes)), encodingOf(bytes));
}

QString decode(QByteArrayView bytes, Encoding encoding)
{
    if (encoding == Encoding::Utf8)
        return decodeUtf8(bytes);
    return CodePage932::decode(bytes).text;
}

QByteArray encode(QStringView text, Encoding encoding)
{
    if (encoding == Encoding::Utf8)
        return encodeUtf8(text);
    return CodePage932::encode(text).bytes;
}

} // namespace FileText
