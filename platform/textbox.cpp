#include "textbox.h"

#include <QAccessibleWidget>
#include <QFontMetrics>

namespace {

class AccessibleTextBox final : public QAccessibleWidget,
                                public QAccessibleTextInterface,
                                public QAccessibleEditableTextInterface
{
public:
    explicit AccessibleTextBox(QLineEdit *box)
        : QAccessibleWidget(box, QAccessible::EditableText)
    { }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        if (type == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text which) const override
    {
        return which == QAccessible::Value ? box()->text() : QAccessibleWidget::text(which);
    }
    void setText(QAccessible::Text which, const QString &text) override
    {
        if (which == QAccessible::Value && !box()->isReadOnly())
            box()->setText(text);
        else
            QAccessibleWidget::setText(which, text);
    }
    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = box()->isReadOnly();
        state.editable = !box()->isReadOnly();
        state.selectableText = true;
        return state;
    }

    // One run without attributes over the whole text.
    QString attributes(int, int *startOffset, int *endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

    void selection(int index, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = 0;
        if (index == 0 && box()->hasSelectedText()) {
            *startOffset = box()->selectionStart();
            *endOffset = box()->selectionEnd();
        }
    }
    int selectionCount() const override { return box()->hasSelectedText() ? 1 : 0; }
    void addSelection(int startOffset, int endOffset) override
    {
        setSelection(0, startOffset, endOffset);
    }
    void removeSelection(int) override { box()->deselect(); }
    void setSelection(int, int startOffset, int endOffset) override
    {
        box()->setSelection(startOffset, endOffset - startOffset);
    }
    int cursorPosition() const override { return box()->cursorPosition(); }
    void setCursorPosition(int position) override { box()->setCursorPosition(position); }
    QString text(int startOffset, int endOffset) const override
    {
        return box()->text().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(box()->text().size()); }
    QRect characterRect(int offset) const override
    {
        const QFontMetrics metrics(box()->font());
        const QString text = box()->text();
        const QRect inside = box()->contentsRect().marginsRemoved(box()->textMargins());
        const QRect local(inside.x() + metrics.horizontalAdvance(text.left(offset)), inside.y(),
                          metrics.horizontalAdvance(text.mid(offset, 1)), inside.height());
        return {box()->mapToGlobal(local.topLeft()), local.size()};
    }
    int offsetAtPoint(const QPoint &point) const override
    {
        return box()->cursorPositionAt(box()->mapFromGlobal(point));
    }
    void scrollToSubstring(int startIndex, int endIndex) override
    {
        box()->setCursorPosition(endIndex);
        box()->setCursorPosition(startIndex);
    }

    void deleteText(int startOffset, int endOffset) override
    {
        replaceText(startOffset, endOffset, {});
    }
    void insertText(int offset, const QString &text) override { replaceText(offset, offset, text); }
    void replaceText(int startOffset, int endOffset, const QString &text) override
    {
        if (!box()->isReadOnly())
            box()->setText(box()->text().replace(startOffset, endOffset - startOffset, text));
    }

private:
    QLineEdit *box() const { return static_cast<QLineEdit *>(widget()); }
};

QAccessibleInterface *accessibleTextBox(const QString &className, QObject *object)
{
    if (className == QLatin1String(TextBox::staticMetaObject.className()))
        return new AccessibleTextBox(static_cast<TextBox *>(object));
    return nullptr;
}

void installAccessibleTextBox()
{
    static const bool installed = [] {
        QAccessible::installFactory(accessibleTextBox);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace

TextBox::TextBox(QWidget *parent)
    : TextBox(QString(), parent)
{ }

TextBox::TextBox(const QString &text, QWidget *parent)
    : QLineEdit(text, parent)
{
    installAccessibleTextBox();
}
