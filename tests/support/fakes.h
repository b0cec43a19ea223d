#pragma once

#include "clock.h"
#include "dialogs.h"
#include "eventpump.h"
#include "helpviewer.h"
#include "randomsource.h"
#include "services.h"
#include "windowmanager.h"

#include <QDateTime>
#include <QQueue>
#include <functional>
#include <utility>

// Message and input boxes that answer from a script; message boxes leave their titles.
struct FakeDialogs final : Dialogs
{
    bool message(QWidget *, const QString &, const QString &title, MessageIcon,
                 MessageButtons buttons) override
    {
        shown << title;
        return buttons == MessageButtons::Ok || okAnswers.isEmpty() || okAnswers.dequeue();
    }
    QString input(QWidget *, const QString &, const QString &) override
    {
        return inputAnswers.isEmpty() ? QString() : inputAnswers.dequeue();
    }

    QQueue<bool> okAnswers; // for boxes with Cancel, OK when none is left
    QQueue<QString> inputAnswers; // Cancel when none is left
    QStringList shown;
};

// A clock that only moves when told to.
struct FakeClock final : Clock
{
    QDate currentDate() const override
    {
        return std::exchange(now, now.addMSecs(msAfterDateReading)).date();
    }
    QTime currentTime() const override { return now.time(); }
    qint64 monotonicMs() const override { return monotonic; }

    mutable QDateTime now {QDate(2026, 12, 31), QTime(7, 5, 9)};
    qint64 monotonic = 1000;
    int msAfterDateReading = 0; // moves the clock on between the two readings of a stamp
};

struct FakeRandom final : RandomSource
{
    void reseedFromClock() override { }
    float nextFraction() override { return fractions.isEmpty() ? 0.0f : fractions.dequeue(); }

    QQueue<float> fractions;
};

// Advances the fake clock by each wait and lets a test act in the middle of it.
class FakeEventPump final : public EventPump
{
public:
    explicit FakeEventPump(FakeClock &clock)
        : m_clock(clock)
    { }
    void dispatchFor(int ms) override
    {
        waits << ms;
        duringDispatch();
        m_clock.monotonic += ms;
    }

    std::function<void()> duringDispatch = [] {
    };
    QList<int> waits;

private:
    FakeClock &m_clock;
};

struct FakeWindows final : WindowManager
{
    void show(AppWindow which) override { shown << which; }
    void unload(QWidget *) override { }
    void endProgram() override { }

    QList<AppWindow> shown;
};

struct FakeHelp final : HelpViewer
{
    void displayTopic(QWidget *, const QString &) override { }
    void closeAll(QWidget *, const QString &) override { }
};

struct FakeServices
{
    FakeDialogs dialogs;
    FakeClock clock;
    FakeRandom random;
    FakeEventPump events {clock};
    FakeWindows windows;
    FakeHelp help;
    Services services {dialogs, clock, random, events, windows, help};
};
