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

// Every platform service, scripted: boxes answer from queues and note their titles, the clock
// and the event pump move only when told, random numbers come from a queue, and the windows
// asked for are noted.
struct FakeServices final : Dialogs, Clock, RandomSource, EventPump, WindowManager, HelpViewer
{
    bool message(QWidget *, const QString &, const QString &title, MessageIcon,
                 MessageButtons buttons) override
    {
        boxes << title;
        return buttons == MessageButtons::Ok || okAnswers.isEmpty() || okAnswers.dequeue();
    }
    QString input(QWidget *, const QString &, const QString &) override
    {
        return inputAnswers.isEmpty() ? QString() : inputAnswers.dequeue();
    }
    QDate currentDate() const override { return now.date(); }
    QTime currentTime() const override { return now.time(); }
    qint64 monotonicMs() const override { return monotonic; }
    void reseedFromClock() override { }
    float nextFraction() override { return fractions.isEmpty() ? 0.0f : fractions.dequeue(); }
    // Lets a test act in the middle of a wait, then moves the monotonic clock by the wait.
    void dispatchFor(int ms) override
    {
        waits << ms;
        duringDispatch();
        monotonic += ms;
    }
    void show(AppWindow which) override { windowsShown << which; }
    void unload(QWidget *) override { }
    void endProgram() override { }
    void displayTopic(QWidget *, const QString &) override { }
    void closeAll(QWidget *, const QString &) override { }

    QQueue<bool> okAnswers; // for boxes with Cancel, OK when none is left
    QQueue<QString> inputAnswers; // Cancel when none is left
    QStringList boxes; // the titles of the message boxes shown
    QDateTime now {QDate(2026, 12, 31), QTime(7, 5, 9)};
    qint64 monotonic = 1000;
    QQueue<float> fractions;
    std::function<void()> duringDispatch = [] {
    };
    QList<int> waits;
    QList<AppWindow> windowsShown;
    Services services {*this, *this, *this, *this, *this, *this};
};
