#pragma once

#include "clock.h"
#include "dialogs.h"
#include "eventpump.h"
#include "helpviewer.h"
#include "randomsource.h"
#include "services.h"
#include "windowmanager.h"

#include <QDateTime>

// Services that answer at once: every box is confirmed, and the clock and the event pump only
// pretend to wait, so that a benchmark times the program and not a user or a wall clock.
class BenchDialogs final : public Dialogs
{
public:
    bool message(QWidget *, const QString &, const QString &, MessageIcon, MessageButtons) override
    {
        return true;
    }
    QString input(QWidget *, const QString &, const QString &) override { return {}; }
};

class BenchClock final : public Clock
{
public:
    QDate currentDate() const override { return QDate(2026, 5, 9); }
    QTime currentTime() const override { return QTime(23, 49, 31); }
    qint64 monotonicMs() const override { return monotonic; }

    qint64 monotonic = 0;
};

class BenchRandom final : public RandomSource
{
public:
    void reseedFromClock() override { }
    float nextFraction() override { return 0.5f; }
};

class BenchEventPump final : public EventPump
{
public:
    explicit BenchEventPump(BenchClock &clock)
        : m_clock(clock)
    { }
    void dispatchFor(int ms) override;

private:
    BenchClock &m_clock;
};

class BenchHelp final : public HelpViewer
{
public:
    void displayTopic(QWidget *, const QString &) override { }
    void closeAll(QWidget *, const QString &) override { }
};

// Records nothing: the window benchmarks drive one window at a time.
class BenchNoWindows final : public WindowManager
{
public:
    void show(AppWindow) override { }
    void unload(QWidget *) override { }
    void endProgram() override { }
};

struct BenchServices
{
    explicit BenchServices(WindowManager &windows)
        : services {dialogs, clock, random, events, windows, help}
    { }

    BenchDialogs dialogs;
    BenchClock clock;
    BenchRandom random;
    BenchEventPump events {clock};
    BenchHelp help;
    Services services;
};
