#pragma once

#include <QString>

class QWidget;

enum class MessageIcon { Warning, Information };
enum class MessageButtons { Ok, OkCancel };
// The button Enter presses. A box that asks before something is lost defaults to Cancel.
enum class DefaultButton { Ok, Cancel };

// Modal message and input boxes.
class Dialogs
{
public:
    virtual ~Dialogs() = default;
    // True only when the user chose OK; closing the box counts as Cancel.
    virtual bool message(QWidget *parent, const QString &text, const QString &title,
                         MessageIcon icon, MessageButtons buttons = MessageButtons::Ok,
                         DefaultButton defaultButton = DefaultButton::Ok)
        = 0;
    // The typed text on OK, the empty text on Cancel.
    virtual QString input(QWidget *parent, const QString &prompt, const QString &title) = 0;
};

class QtDialogs final : public Dialogs
{
public:
    bool message(QWidget *parent, const QString &text, const QString &title, MessageIcon icon,
                 MessageButtons buttons = MessageButtons::Ok,
                 DefaultButton defaultButton = DefaultButton::Ok) override;
    QString input(QWidget *parent, const QString &prompt, const QString &title) override;
};
