#pragma once

#include "clock.h"
#include "dialogs.h"
#include "eventpump.h"
#include "helpviewer.h"
#include "printing.h"
#include "randomsource.h"
#include "services.h"
#include "windowmanager.h"

#include <QDateTime>
#include <QQueue>
#include <functional>

// A message box as the user meets it: what it says, how it looks and what Enter presses.
struct Box
{
    QString title;
    QString text;
    MessageIcon icon = MessageIcon::Warning;
    MessageButtons buttons = MessageButtons::Ok;
    DefaultButton defaultButton = DefaultButton::Ok;
    friend bool operator==(const Box &, const Box &) = default;
};

inline char *toString(const Box &box)
{
    return printable(QString("[%1] %2 (%3, %4, Enter: %5)")
                         .arg(box.title, box.text,
                              box.icon == MessageIcon::Warning ? "warning" : "information",
                              box.buttons == MessageButtons::Ok ? "OK" : "OK and Cancel",
                              box.defaultButton == DefaultButton::Ok ? "OK" : "Cancel"));
}

// An input box: its title and the question it asks.
struct Prompt
{
    QString title;
    QString prompt;
    friend bool operator==(const Prompt &, const Prompt &) = default;
};

inline char *toString(const Prompt &prompt)
{
    return printable(QString("[%1] %2").arg(prompt.title, prompt.prompt));
}

// Every platform service, scripted: boxes answer from queues and are noted whole, the clock and
// the event pump move only when told, random numbers come from a queue, and the windows asked
// for are noted.
struct FakeServices final : Dialogs, Clock, RandomSource, EventPump, WindowManager, HelpViewer
{
    bool message(QWidget *, const QString &text, const QString &title, MessageIcon icon,
                 MessageButtons buttons, DefaultButton defaultButton) override
    {
        boxes << Box {title, text, icon, buttons, defaultButton};
        return buttons == MessageButtons::Ok || okAnswers.isEmpty() || okAnswers.dequeue();
    }
    QString input(QWidget *, const QString &prompt, const QString &title) override
    {
        prompts << Prompt {title, prompt};
        return inputAnswers.isEmpty() ? QString() : inputAnswers.dequeue();
    }
    // The titles of the message boxes shown, in order.
    Texts titles() const
    {
        Texts out;
        for (const Box &box : boxes)
            out << box.title;
        return out;
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
    QList<Box> boxes; // the message boxes shown
    QList<Prompt> prompts; // the input boxes shown
    QDateTime now {QDate(2026, 12, 31), QTime(7, 5, 9)};
    qint64 monotonic = 1000;
    QQueue<float> fractions;
    std::function<void()> duringDispatch = [] {
    };
    QList<int> waits;
    QList<AppWindow> windowsShown;
    Services services {*this, *this, *this, *this, *this, *this};
};
