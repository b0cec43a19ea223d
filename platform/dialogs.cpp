#include "dialogs.h"

#include <QAbstractButton>
#include <QInputDialog>
#include <QMessageBox>

namespace {

// A box placed over a window that is not on screen (the counting window asks before it is ever
// shown) would open where that window would be, at the screen's corner; with no parent, Qt
// centres it on the screen.
QWidget *placeOver(QWidget *parent)
{
    return parent && parent->isVisible() ? parent : nullptr;
}

} // namespace

bool QtDialogs::message(QWidget *parent, const QString &text, const QString &title,
                        MessageIcon icon, MessageButtons buttons, DefaultButton defaultButton)
{
    QMessageBox box(icon == MessageIcon::Warning ? QMessageBox::Warning : QMessageBox::Information,
                    title, text,
                    buttons == MessageButtons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel
                                                        : QMessageBox::Ok,
                    placeOver(parent));
    const bool cancelFirst
        = buttons == MessageButtons::OkCancel && defaultButton == DefaultButton::Cancel;
    box.setDefaultButton(cancelFirst ? QMessageBox::Cancel : QMessageBox::Ok);
    if (QAbstractButton *ok = box.button(QMessageBox::Ok))
        ok->setText(QStringLiteral("OK"));
    if (QAbstractButton *cancel = box.button(QMessageBox::Cancel))
        cancel->setText(QStringLiteral("キャンセル"));
    return box.exec() == QMessageBox::Ok;
}

QString QtDialogs::input(QWidget *parent, const QString &prompt, const QString &title)
{
    QInputDialog dialog(placeOver(parent));
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(QString());
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("キャンセル"));
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.textValue();
}
