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
#include <QStringList>
#include <functional>

// Message and input boxes that answer from a script and remember what they were asked.
class FakeDialogs final : public Dialogs
{
public:
    struct Shown
    {
        QString kind; // "message" or "input"
        QString text; // message text or prompt
        QString title;
        MessageIcon icon = MessageIcon::Warning;
        MessageButtons buttons = MessageButtons::Ok;
    };

    bool message(QWidget *, const QString &text, const QString &title, MessageIcon icon,
                 MessageButtons buttons) override
    {
        record({"message", text, title, icon, buttons});
        // An OK-only box is always OK; otherwise the next scripted answer, OK when none is left.
        return buttons == MessageButtons::Ok || okAnswers.isEmpty() || okAnswers.dequeue();
    }
    QString input(QWidget *, const QString &prompt, const QString &title) override
    {
        record({"input", prompt, title, MessageIcon::Information, MessageButtons::OkCancel});
        return inputAnswers.isEmpty() ? QString() : inputAnswers.dequeue(); // none left: Cancel
    }

    QQueue<bool> okAnswers;
    QQueue<QString> inputAnswers;
    // Runs while a box is open, as a user would act on the windows behind it.
    std::function<void(const Shown &)> onShow;
    QList<Shown> shown;

private:
    void record(const Shown &s)
    {
        shown << s;
        if (onShow)
            onShow(s);
    }
};

// A clock that only moves when told to.
class FakeClock final : public Clock
{
public:
    QDate currentDate() const override
    {
        const QDate d = now.date();
        // Moves on between the two readings of a record's stamp when a test asks for it.
        const_cast<FakeClock *>(this)->now = now.addMSecs(msAfterDateReading);
        return d;
    }
    QTime currentTime() const override { return now.time(); }
    qint64 monotonicMs() const override { return monotonic; }

    QDateTime now {QDate(2026, 12, 31), QTime(7, 5, 9)};
    qint64 monotonic = 1000;
    int msAfterDateReading = 0;
};

// Hands out scripted fractions (0 when none is left) and counts reseeds and draws.
class FakeRandom final : public RandomSource
{
public:
    void reseedFromClock() override { ++reseeds; }
    float nextFraction() override
    {
        ++draws;
        return fractions.isEmpty() ? 0.0f : fractions.dequeue();
    }

    QQueue<float> fractions;
    int reseeds = 0;
    int draws = 0;
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
        if (duringDispatch)
            duringDispatch();
        m_clock.monotonic += ms;
    }

    std::function<void()> duringDispatch;
    QList<int> waits;

private:
    FakeClock &m_clock;
};

// Records window requests instead of creating windows.
class FakeWindows final : public WindowManager
{
public:
    void show(AppWindow which) override { shown << which; }
    void unload(QWidget *window) override { unloaded << window; }
    void endProgram() override { ++ended; }

    QList<AppWindow> shown;
    QList<QWidget *> unloaded;
    int ended = 0;
};

class FakeHelp final : public HelpViewer
{
public:
    void displayTopic(QWidget *, const QString &helpFile) override { displayed << helpFile; }
    void closeAll(QWidget *, const QString &helpFile) override { closed << helpFile; }

    QStringList displayed;
    QStringList closed;
};

// One set of fakes, wired together.
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
