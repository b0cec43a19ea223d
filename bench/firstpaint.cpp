// Ends the process right after the named top-level window has painted for the first time, so
// that a driver timing the whole process measures start-up to first paint. Linked into the
// benchmark copies of a program only.

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

namespace {

class FirstPaintExit final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!m_seen && event->type() == QEvent::Paint && watched->isWidgetType()
            && static_cast<QWidget *>(watched)->isWindow()
            && watched->objectName() == QLatin1String(ZORVEX_FIRST_PAINT_WINDOW)) {
            m_seen = true;
            // Queued, so that the painted pixels are flushed to the display first.
            QMetaObject::invokeMethod(
                this,
                [] {
                    std::fflush(nullptr);
                    std::_Exit(0);
                },
                Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_seen = false;
};

void installFirstPaintExit()
{
    QCoreApplication::instance()->installEventFilter(
        new FirstPaintExit(QCoreApplication::instance()));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installFirstPaintExit)
