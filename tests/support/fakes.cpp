#include "fakes.h"

bool FakeDialogs::message(QWidget *, const QString &text, const QString &title, MessageIcon icon,
                          MessageButtons buttons)
{
    Shown s {QStringLiteral("message"), text, title, icon, buttons};
    shown.append(s);
    if (onShow)
        onShow(s);
    if (buttons == MessageButtons::Ok)
        return true;
    return okAnswers.isEmpty() ? true : okAnswers.dequeue();
}

QString FakeDialogs::input(QWidget *, const QString &prompt, const QString &title)
{
    Shown s {QStringLiteral("input"), prompt, title, MessageIcon::Information,
             MessageButtons::OkCancel};
    shown.append(s);
    if (onShow)
        onShow(s);
    return inputAnswers.isEmpty() ? QString() : inputAnswers.dequeue();
}

QStringList FakeDialogs::titles() const
{
    QStringList out;
    for (const Shown &s : shown)
        out.append(s.title);
    return out;
}

QDate FakeClock::currentDate() const
{
    ++dateReadings;
    const QDate d = now.date();
    const_cast<FakeClock *>(this)->now = now.addMSecs(msAfterDateReading);
    return d;
}

QTime FakeClock::currentTime() const
{
    return now.time();
}

float FakeRandom::nextFraction()
{
    ++draws;
    return fractions.isEmpty() ? 0.0f : fractions.dequeue();
}

void FakeEventPump::dispatchFor(int ms)
{
    waits.append(ms);
    if (duringDispatch)
        duringDispatch();
    m_clock.monotonic += ms;
}
