// Presses the scissors button once the counting window has painted, and ends the process once the
// settings window has painted, writing the milliseconds between the two to standard output: the
// wait a user has between leaving a round and seeing the history. Linked into a benchmark copy of
// the program only.

#include <QAbstractButton>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

namespace {

class CutThenPaint final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Paint || !watched->isWidgetType()
            || !static_cast<QWidget *>(watched)->isWindow())
            return QObject::eventFilter(watched, event);
        auto *window = static_cast<QWidget *>(watched);
        if (!m_counting && window->objectName() == QLatin1String("frmMain")) {
            // Behind all that is waiting, as a user's click comes once the counting window is on
            // screen and the program has finished starting.
            m_counting = window;
            QCoreApplication::postEvent(this, new QEvent(QEvent::User), Qt::LowEventPriority);
        } else if (m_clicked.isValid() && !m_painted
                   && window->objectName() == QLatin1String("frmSettei")) {
            m_painted = true;
            QMetaObject::invokeMethod(
                this,
                [this] {
                    std::printf("%.3f\n", double(m_clicked.nsecsElapsed()) / 1e6);
                    std::fflush(nullptr);
                    std::_Exit(0);
                },
                Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

    void customEvent(QEvent *) override
    {
        m_clicked.start();
        m_counting->findChild<QAbstractButton *>(QStringLiteral("cmdCut"))->click();
    }

private:
    QWidget *m_counting = nullptr;
    QElapsedTimer m_clicked;
    bool m_painted = false;
};

void installCutThenPaint()
{
    QCoreApplication::instance()->installEventFilter(
        new CutThenPaint(QCoreApplication::instance()));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installCutThenPaint)
