#pragma once

#include <QString>

// Outcome of a file operation. A failure names the file and what went wrong, so that a
// window can tell the user instead of carrying on as if the data had been written.
class [[nodiscard]] IoStatus
{
public:
    static IoStatus success() { return IoStatus(); }
    static IoStatus failure(const QString &fileName, const QString &reason)
    {
        IoStatus s;
        s.m_ok = false;
        s.m_fileName = fileName;
        s.m_reason = reason;
        return s;
    }

    bool ok() const { return m_ok; }
    QString fileName() const { return m_fileName; }
    QString reason() const { return m_reason; }

private:
    IoStatus() = default;
    bool m_ok = true;
    QString m_fileName;
    QString m_reason;
};
