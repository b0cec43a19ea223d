#pragma once

#include "clock.h"
#include "dialogs.h"
#include "eventpump.h"
#include "helpviewer.h"
#include "randomsource.h"
#include "services.h"
#include "windowmanager.h"

#include <QDateTime>
#include <QList>
#include <QQueue>
#include <QStringList>
#include <functional>

class QWidget;

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

    bool message(QWidget *parent, const QString &text, const QString &title, MessageIcon icon,
                 MessageButtons buttons) override;
    QString input(QWidget *parent, const QString &prompt, const QString &title) override;

    // Answers for OK/Cancel boxes, in order; when none is left the answer is OK.
    QQueue<bool> okAnswers;
    // Answers for input boxes, in order; when none is left the answer is Cancel (empty).
    QQueue<QString> inputAnswers;
    // Runs while a box is open, as a user would act on the windows behind it.
    std::function<void(const Shown &)> onShow;

    QList<Shown> shown;
    QStringList titles() const;
};

// A clock that only moves when told to.
class FakeClock final : public Clock
{
public:
    QDate currentDate() const override;
    QTime currentTime() const override;
    qint64 monotonicMs() const override { return monotonic; }

    QDateTime now {QDate(2026, 12, 31), QTime(7, 5, 9)};
    qint64 monotonic = 1000;
    // Advanced by this much after every reading of the date, to test the two separate readings.
    int msAfterDateReading = 0;
    mutable int dateReadings = 0;
};

// Hands out scripted fractions; counts reseeds.
class FakeRandom final : public RandomSource
{
public:
    void reseedFromClock() override { ++reseeds; }
    float nextFraction() override;

    QQueue<float> fractions; // when empty: 0.0
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
    void dispatchFor(int ms) override;

    std::function<void()> duringDispatch;
    QList<int> waits;

private:
    FakeClock &m_clock;
};

// Records window requests instead of creating windows.
class FakeWindows final : public WindowManager
{
public:
    void show(AppWindow which) override { shown.append(which); }
    void unload(QWidget *window) override { unloaded.append(window); }
    void endProgram() override { ++ended; }

    QList<AppWindow> shown;
    QList<QWidget *> unloaded;
    int ended = 0;
};

class FakeHelp final : public HelpViewer
{
public:
    void displayTopic(QWidget *, const QString &helpFile) override { displayed.append(helpFile); }
    void closeAll(QWidget *, const QString &helpFile) override { closed.append(helpFile); }

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
