#include "codepage932.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>

namespace {

const char kCodecName[] = "windows-31j";
constexpr char16_t kCarriedByteBase = 0xDC00;

bool isLeadByte(uchar b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
bool isTrailByte(uchar b)
{
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}
bool isCarriedByte(QChar c)
{
    return c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF;
}
bool hasCarriedByte(QStringView text)
{
    return std::any_of(text.begin(), text.end(), isCarriedByte);
}

// The codec trades 1A, 1C and 7F among themselves in both directions; text with them takes the
// slow paths, which keep ASCII as it is.
bool hasTradedAscii(QByteArrayView bytes)
{
    return bytes.contains('\x1a') || bytes.contains('\x1c') || bytes.contains('\x7f');
}
bool hasTradedAscii(QStringView text)
{
    return text.contains(QChar(0x1A)) || text.contains(QChar(0x1C)) || text.contains(QChar(0x7F));
}

bool endsInsideCharacter(QByteArrayView bytes)
{
    qsizetype i = 0;
    const qsizetype n = bytes.size();
    while (i < n) {
        if (isLeadByte(uchar(bytes[i]))) {
            if (i + 1 == n)
                return true;
            i += isTrailByte(uchar(bytes[i + 1])) ? 2 : 1;
        } else {
            i += 1;
        }
    }
    return false;
}

// Slow path for input with errors: one character at a time, so that every byte that does not
// decode can be carried through on its own.
void decodeCharacterwise(QByteArrayView bytes, CodePage932::Decoded &out)
{
    QStringDecoder decoder(kCodecName, QStringConverter::Flag::Stateless);
    out.text.clear();
    out.text.reserve(bytes.size());
    qsizetype i = 0;
    while (i < bytes.size()) {
        const uchar b = uchar(bytes[i]);
        qsizetype len = 1;
        if (isLeadByte(b) && i + 1 < bytes.size() && isTrailByte(uchar(bytes[i + 1])))
            len = 2;
        if (b < 0x80) {
            out.text.append(QLatin1Char(char(b)));
            i += 1;
            continue;
        }
        decoder.resetState();
        const QString ch = decoder.decode(bytes.sliced(i, len));
        // The codec marks what it cannot decode with U+001A, which no byte at or above 0x80
        // stands for.
        const bool bad = ch.size() != 1 || ch[0] == QChar(0x1A)
            || ch[0] == QChar::ReplacementCharacter || isLeadByte(b) != (len == 2);
        // A byte below 0x80 after the lead is a character of its own (EC 74 is no character,
        // but 74 is "t"); a carried byte there would not encode back.
        if (bad) {
            len = len == 2 && uchar(bytes[i + 1]) < 0x80 ? 1 : len;
            for (qsizetype k = 0; k < len; ++k) {
                out.badByteOffsets.append(i + k);
                out.text.append(QChar(char16_t(kCarriedByteBase + uchar(bytes[i + k]))));
            }
        } else {
            out.text.append(ch);
        }
        i += len;
    }
}

} // namespace

namespace CodePage932 {

Decoded decode(QByteArrayView bytes)
{
    Decoded out;
    QStringDecoder decoder(kCodecName, QStringConverter::Flag::Stateless);
    out.text = decoder.decode(bytes);
    // The codec swallows a lead byte at the very end without reporting an error.
    // Some unassigned pairs (EC 74) come back as a substitute without an error being flagged.
    if (decoder.hasError() || endsInsideCharacter(bytes) || hasTradedAscii(bytes)
        || out.text.contains(QChar::ReplacementCharacter) || out.text.contains(QChar(0x1A)))
        decodeCharacterwise(bytes, out);
    return out;
}

Encoded encode(QStringView text)
{
    Encoded out;
    QStringEncoder encoder(kCodecName, QStringConverter::Flag::Stateless);
    if (!hasCarriedByte(text) && !hasTradedAscii(text)) {
        out.bytes = encoder.encode(text);
        if (!encoder.hasError())
            return out;
        out.bytes.clear();
    }
    // Character by character, to carry stray bytes back and to name what cannot be written.
    out.bytes.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (isCarriedByte(c)) {
            out.bytes.append(char(c.unicode() - kCarriedByteBase));
            continue;
        }
        // As decoding reads them.
        if (c.unicode() < 0x80) {
            out.bytes.append(char(c.unicode()));
            continue;
        }
        qsizetype len = 1;
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            len = 2;
        // A fresh encoder each time: the codec's error flag survives resetState().
        QStringEncoder single(kCodecName, QStringConverter::Flag::Stateless);
        const QByteArray b = single.encode(text.sliced(i, len));
        if (single.hasError() || (c.isSurrogate() && len == 1))
            out.unencodable.append(text.sliced(i, len));
        else
            out.bytes.append(b);
        i += len - 1;
    }
    return out;
}

bool canEncode(QStringView text)
{
    return !hasCarriedByte(text) && encode(text).ok();
}

} // namespace CodePage932
