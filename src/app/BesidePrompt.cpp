#include "app/BesidePrompt.h"

#include "app/Dialogs.h"

#include <QCoreApplication>
#include <QEvent>

#include <utility>

namespace {
const QEvent::Type kRunEvent = QEvent::Type(QEvent::registerEventType());
} // namespace

void BesidePrompt::add(std::function<void()> work)
{
    m_work.push_back(std::move(work));
    watch(true);
}

void BesidePrompt::runNow()
{
    watch(false);
    for (const auto &work : std::exchange(m_work, {}))
        work();
}

void BesidePrompt::watch(bool on)
{
    if (on == m_watching)
        return;
    m_watching = on;
    if (on)
        QCoreApplication::instance()->installEventFilter(this);
    else
        QCoreApplication::instance()->removeEventFilter(this);
}

bool BesidePrompt::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint && watched->objectName() == QLatin1String(kInputBoxName)) {
        watch(false);
        // Low priority: after what the paint posted (the flush to the
        // screen, what a screen reader is told), so that the prompt is
        // seen first.
        QCoreApplication::postEvent(this, new QEvent(kRunEvent), Qt::LowEventPriority);
    }
    return false;
}

bool BesidePrompt::event(QEvent *event)
{
    if (event->type() != kRunEvent)
        return QObject::event(event);
    runNow();
    return true;
}
