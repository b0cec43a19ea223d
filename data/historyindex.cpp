#include "historyindex.h"

#include "fieldreader.h"
#include "filetext.h"
#include "textfile.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <bit>
#include <cstring>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

#ifdef __SSE2__
#include <emmintrin.h>
#endif

// Lines and fields are found on the bytes, by the rules the field reader applies to the decoded
// text. Blanks, commas, quotes and line ends are never part of a longer character in either
// encoding, so a field's bytes are exactly those its text is decoded from.

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}
bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

struct Line
{
    const char *end = nullptr; // its line end, or the end of the bytes
    bool record = false;
    bool damaged = false;
    QByteArrayView count;
};

// Any line, a byte at a time.
Line scanLine(const char *p, const char *end)
{
    Line line;
    const char *const lineEnd = std::find_if(p, end, isLineEnd);
    const QByteArrayView readable
        = TextFile::readablePart(QByteArrayView(p, lineEnd - p), line.damaged);
    if (line.damaged) {
        // The fields are read from the readable part only, and the line ends where it ends.
        line = scanLine(readable.data(), readable.data() + readable.size());
        line.record = line.record && !readable.isEmpty();
        line.damaged = true;
        line.end = lineEnd;
        return line;
    }
    while (p < end && isBlank(*p))
        ++p;
    if (p == end || isLineEnd(*p)) {
        line.end = p;
        return line;
    }
    line.record = true;
    for (int field = 0;; ++field) {
        while (p < end && isBlank(*p))
            ++p;
        const char *from = p;
        const char *to = nullptr;
        if (p < end && *p == '"') {
            from = ++p;
            while (p < end && *p != '"' && !isLineEnd(*p))
                ++p;
            to = p;
            // Whatever follows the closing quote up to the next comma is dropped.
            while (p < end && *p != ',' && !isLineEnd(*p))
                ++p;
        } else {
            while (p < end && *p != ',' && !isLineEnd(*p))
                ++p;
            to = p;
        }
        if (field == 2)
            line.count = QByteArrayView(from, to - from);
        if (p == end || *p != ',')
            break;
        ++p;
    }
    line.end = p;
    return line;
}

// Up to 64 bytes ahead as bit masks, bit k for byte k, so that a short line is taken apart with
// a few bit operations instead of tests on every byte.
struct Window
{
    quint64 lineEnd = 0, quote = 0, comma = 0, damaging = 0;
};

// Adds the bytes at p + from up to p + to, in steps of 16, to the window.
inline void classify(Window &w, const char *p, int from, int to)
{
#ifdef __SSE2__
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    const __m128i quote = _mm_set1_epi8('"'), comma = _mm_set1_epi8(',');
    const __m128i lastControl = _mm_set1_epi8(0x1F), del = _mm_set1_epi8(0x7F);
    const __m128i tab = _mm_set1_epi8('\t');
    const auto bits = [](__m128i matches) {
        return quint64(uint(_mm_movemask_epi8(matches)));
    };
    for (int k = from; k < to; k += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + k));
        w.lineEnd |= bits(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf))) << k;
        w.quote |= bits(_mm_cmpeq_epi8(v, quote)) << k;
        w.comma |= bits(_mm_cmpeq_epi8(v, comma)) << k;
        // Line ends are control bytes too: they are taken out where the line is known.
        const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(v, lastControl), v);
        w.damaging |= bits(_mm_andnot_si128(_mm_cmpeq_epi8(v, tab),
                                            _mm_or_si128(control, _mm_cmpeq_epi8(v, del))))
            << k;
    }
#else
    for (int i = from; i < to; ++i) {
        const quint64 bit = quint64(1) << i;
        w.lineEnd |= isLineEnd(p[i]) ? bit : 0;
        w.quote |= p[i] == '"' ? bit : 0;
        w.comma |= p[i] == ',' ? bit : 0;
        w.damaging |= TextFile::damages(uchar(p[i])) || isLineEnd(p[i]) ? bit : 0;
    }
#endif
}

// The first set bit at or after from (below 64), or 64.
int nextSet(quint64 mask, int from)
{
    const quint64 rest = mask >> from;
    return rest ? from + std::countr_zero(rest) : 64;
}

// A line that ends within the window: the same as scanLine, on the masks.
inline Line scanShortLine(const char *p, const Window &w)
{
    const int end = std::countr_zero(w.lineEnd);
    Line line;
    line.end = p + end;
    // The usual record, "date","time",count: a line of four quotes with its only two commas
    // right after the second and the fourth. However the first two fields begin, each ends at
    // one of these commas, and the count runs from the second to the line end.
    const quint64 inLine = (quint64(1) << end) - 1;
    const quint64 quotes = w.quote & inLine;
    const quint64 afterFirst = quotes & (quotes - 1);
    const quint64 afterSecond = afterFirst & (afterFirst - 1);
    const quint64 afterThird = afterSecond & (afterSecond - 1);
    if (afterThird && !(afterThird & (afterThird - 1))) {
        const int dateEnd = std::countr_zero(afterFirst);
        const int timeEnd = std::countr_zero(afterThird);
        const quint64 commas = (quint64(1) << (dateEnd + 1)) | (quint64(1) << (timeEnd + 1));
        if ((w.comma & inLine) == commas) {
            // Blanks in front of the count make no difference to its number.
            line.record = true;
            line.count = QByteArrayView(p + timeEnd + 2, end - timeEnd - 2);
            return line;
        }
    }
    int pos = 0;
    while (pos < end && isBlank(p[pos]))
        ++pos;
    if (pos == end)
        return line;
    line.record = true;
    for (int field = 0;; ++field) {
        while (pos < end && isBlank(p[pos]))
            ++pos;
        int from = pos;
        int to = 0;
        if (pos < end && p[pos] == '"') {
            from = pos + 1;
            to = std::min(nextSet(w.quote, from), end);
            pos = std::min(nextSet(w.comma, to), end);
        } else {
            to = pos = std::min(nextSet(w.comma, pos), end);
        }
        if (field == 2)
            line.count = QByteArrayView(p + from, to - from);
        if (pos >= end)
            break;
        ++pos;
    }
    return line;
}

// Every line passes here: a rule about lines that hold no record goes here, once for both ways
// of reading them.
inline Line nextLine(const char *p, const char *end)
{
    if (end - p >= 64) {
        // A record is some 30 bytes long: half a window mostly does.
        Window w;
        classify(w, p, 0, 32);
        if (!w.lineEnd)
            classify(w, p, 32, 64);
        // A damaged line takes the slow way.
        if (w.lineEnd && !(w.damaging & ((quint64(1) << std::countr_zero(w.lineEnd)) - 1)))
            return scanShortLine(p, w);
    }
    return scanLine(p, end);
}

// A count's number is read from its first characters and ends at the first one that is not
// ASCII. ASCII bytes decode to themselves in both encodings, and any other byte starts a
// character that is not, so the bytes up to there stand for the text.
double addTextToTotal(double total, QByteArrayView count)
{
    qsizetype ascii = 0;
    while (ascii < count.size() && uchar(count[ascii]) < 0x80)
        ++ascii;
    char16_t text[64];
    if (ascii > qsizetype(std::size(text)))
        return History::addToTotal(total, QString::fromLatin1(count.first(ascii)));
    std::copy(count.begin(), count.begin() + ascii, text);
    return History::addToTotal(total, QStringView(text, ascii));
}

// Whole numbers are the usual count. Such a number of a few digits is read exactly, and making
// the total whole changes nothing, so only the limits of History::addToTotal remain to apply.
double addToTotal(double total, QByteArrayView count)
{
    if (count.isEmpty() || count.size() > 9)
        return addTextToTotal(total, count);
    int value = 0;
    for (const char c : count) {
        if (c < '0' || c > '9')
            return addTextToTotal(total, count);
        value = value * 10 + (c - '0');
    }
    return std::clamp(total + value, -History::kTotalLimit, History::kTotalLimit);
}

// Millions of small pages cost some systems more to map than the file costs to read, so the
// offsets of a long history ask for large ones.
void adviseLargePages(void *data, size_t size)
{
#ifdef Q_OS_LINUX
    const auto page = uintptr_t(4096);
    const uintptr_t from = (reinterpret_cast<uintptr_t>(data) + page - 1) & ~(page - 1);
    const uintptr_t to = (reinterpret_cast<uintptr_t>(data) + size) & ~(page - 1);
    if (to > from)
        madvise(reinterpret_cast<void *>(from), to - from, MADV_HUGEPAGE);
#else
    Q_UNUSED(data);
    Q_UNUSED(size);
#endif
}

QString decodeLine(QByteArrayView line, FileText::Encoding encoding)
{
    // A mark that starts a later line is a character of that line, as in the whole-file reader.
    return FileText::decode(line, encoding);
}

} // namespace

IoStatus HistoryIndex::read(const QString &itemName)
{
    *this = HistoryIndex();
    QFile file;
    IoStatus status = History::open(itemName, file);
    if (!status.ok() || !file.isOpen())
        return status;
    readRecords(file);
    // Only the number of a damaged line needs the lines counted, and such a line is rare.
    if (m_damagedAt >= 0 && file.seek(0))
        m_damagedLine = TextFile::lineAfter(file.read(m_damagedAt));
    if (file.error() != QFileDevice::NoError) {
        status = IoStatus::failure(History::fileName(itemName), file.errorString(), IoAction::Read);
        *this = HistoryIndex();
        return status;
    }
    m_itemName = itemName;
    return status;
}

void HistoryIndex::readRecords(QFile &file)
{
    m_fileSize = file.size();
    m_modified = file.fileTime(QFileDevice::FileModificationTime);
    // Room for records of 16 bytes, up to 16 million: room reserved but never filled costs no
    // memory, and a longer history grows its room as it goes.
    m_starts.reserve(size_t(std::min<qint64>(m_fileSize / 16, 1 << 24) + 1));
    adviseLargePages(m_starts.data(), m_starts.capacity() * sizeof(qint64));

    // One piece at a time; a line that runs past the piece is carried over to the next one. A
    // short file takes a piece of its size.
    QByteArray piece(qsizetype(std::clamp<qint64>(m_fileSize + 1, 4096, 256 * 1024)),
                     Qt::Uninitialized);
    qint64 offset = 0; // of piece[0] in the file
    qsizetype filled = 0, pos = 0;
    bool first = true, atEnd = false;
    while (!atEnd) {
        if (pos > 0) {
            std::memmove(piece.data(), piece.constData() + pos, size_t(filled - pos));
            offset += pos;
            filled -= pos;
            pos = 0;
        }
        if (filled == piece.size())
            piece.resize(piece.size() * 2);
        const qint64 read = file.read(piece.data() + filled, piece.size() - filled);
        atEnd = read <= 0;
        filled += std::max<qint64>(read, 0);
        const char *const base = piece.constData();
        if (first) {
            const QByteArrayView mark = FileText::markOf(FileText::Encoding::Utf8);
            if (!atEnd && filled < 2 * mark.size())
                continue;
            first = false;
            m_encoding = FileText::encodingOf(QByteArrayView(base, filled));
            pos = FileText::textStart(QByteArrayView(base, filled));
        }
        const char *const end = base + filled;
        while (pos < filled) {
            const Line line = nextLine(base + pos, end);
            if (line.end == end && !atEnd)
                break;
            if (line.damaged && m_damagedAt < 0)
                m_damagedAt = offset + pos;
            if (line.record) {
                m_starts.push_back(offset + pos);
                m_total = addToTotal(m_total, line.count);
            }
            // CR LF is one line end: taking the LF as a line of its own would cost as much as
            // the record before it.
            pos = line.end - base;
            if (pos < filled && base[pos] == '\r')
                ++pos;
            if (pos < filled && base[pos] == '\n')
                ++pos;
        }
    }
}

History::Record HistoryIndex::record(qsizetype row) const
{
    if (row < m_shownFrom || row >= m_shownFrom + m_shown.size())
        readShown(row);
    const qsizetype k = row - m_shownFrom;
    return k >= 0 && k < m_shown.size() ? m_shown[k] : History::Record();
}

void HistoryIndex::readShown(qsizetype row) const
{
    // The rows a list shows together are read with one opening of the file: up to a screenful
    // from the row asked for, the records' bytes taken whole from where the first one starts.
    const qsizetype kRows = 64, kBytes = 64 * 1024;
    m_shown.clear();
    m_shownFrom = row;
    QFile file;
    if (!History::open(m_itemName, file).ok() || !file.isOpen() || file.size() != m_fileSize
        || file.fileTime(QFileDevice::FileModificationTime) != m_modified
        || !file.seek(m_starts[size_t(row)]))
        return;
    qsizetype rows = std::min(kRows, size() - row);
    while (rows > 1 && m_starts[size_t(row + rows - 1)] - m_starts[size_t(row)] > kBytes)
        rows /= 2;
    const qint64 from = m_starts[size_t(row)];
    // The last row's line ends at the next record or before; the last record's at the file's end.
    const qint64 to = row + rows < size() ? m_starts[size_t(row + rows)] : m_fileSize;
    const QByteArray bytes = file.read(to - from);
    for (qsizetype k = 0; k < rows; ++k) {
        const qsizetype start = m_starts[size_t(row + k)] - from;
        if (start > bytes.size())
            break;
        const char *const first = bytes.constData() + start;
        const QByteArrayView line(
            first, std::find_if(first, bytes.constData() + bytes.size(), isLineEnd) - first);
        bool damaged = false;
        const QString text = decodeLine(TextFile::readablePart(line, damaged), m_encoding);
        FieldReader reader(text);
        QStringView fields[3];
        const int n = reader.nextRecord(fields, 3);
        m_shown.append({fields[0].toString(), n > 1 ? fields[1].toString() : QString(),
                        n > 2 ? fields[2].toString() : QString()});
    }
}
