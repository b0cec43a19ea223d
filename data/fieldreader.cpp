#include "fieldreader.h"

namespace {
bool isLineEnd(QChar c)
{
    return c == u'\r' || c == u'\n';
}
bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}
} // namespace

void FieldReader::skipBlankLines()
{
    const qsizetype n = m_text.size();
    qsizetype p = m_pos;
    while (p < n) {
        if (isBlank(m_text[p])) {
            ++p;
        } else if (isLineEnd(m_text[p])) {
            ++p;
            m_pos = p;
        } else {
            return;
        }
    }
    m_pos = n;
}

bool FieldReader::atEnd()
{
    skipBlankLines();
    return m_pos >= m_text.size();
}

int FieldReader::nextRecord(QStringView *fields, int maxFields)
{
    skipBlankLines();
    const qsizetype n = m_text.size();
    if (m_pos >= n)
        return 0;

    int count = 0;
    qsizetype p = m_pos;
    for (;;) {
        while (p < n && isBlank(m_text[p]))
            ++p;
        QStringView value;
        if (p < n && m_text[p] == u'"') {
            const qsizetype start = p + 1;
            qsizetype end = start;
            while (end < n && m_text[end] != u'"' && !isLineEnd(m_text[end]))
                ++end;
            value = m_text.sliced(start, end - start);
            p = end < n && m_text[end] == u'"' ? end + 1 : end;
            while (p < n && m_text[p] != u',' && !isLineEnd(m_text[p]))
                ++p;
        } else {
            const qsizetype start = p;
            while (p < n && m_text[p] != u',' && !isLineEnd(m_text[p]))
                ++p;
            value = m_text.sliced(start, p - start);
        }
        if (count < maxFields)
            fields[count] = value;
        ++count;
        if (p < n && m_text[p] == u',') {
            ++p;
            continue;
        }
        break;
    }
    // Consume the line end: CR LF, CR or LF.
    if (p < n && m_text[p] == u'\r')
        ++p;
    if (p < n && m_text[p] == u'\n')
        ++p;
    m_pos = p;
    return count < maxFields ? count : maxFields;
}
