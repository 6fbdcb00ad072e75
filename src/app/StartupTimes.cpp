#include "app/StartupTimes.h"

#include "app/Dialogs.h"
#include "ui/WindowDescription.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <cstdio>
#include <ctime>

namespace {

void printMoment(const char *what)
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::fprintf(stderr, "tarvimonda-startup %s %lld\n", what,
                 static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    std::fflush(stderr);
}

// A paint is on screen once the event loop has flushed it: the moment is
// taken by a call queued behind the paint.
void printAfterThisEvent(const char *what)
{
    QMetaObject::invokeMethod(qApp, [what] { printMoment(what); }, Qt::QueuedConnection);
}

class StartupWatch final : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QString name = watched->objectName();
        switch (m_step) {
        case Step::Prompt:
            if (event->type() == QEvent::Paint && name == QLatin1String(kInputBoxName)) {
                printAfterThisEvent("name-prompt");
                m_step = Step::Greeting;
            }
            break;
        case Step::Greeting:
            if (event->type() == QEvent::Hide && name == QLatin1String(kMessageBoxName)) {
                printMoment("greeting-ok");
                m_step = Step::Exercise;
            }
            break;
        case Step::Exercise:
            if (event->type() == QEvent::Paint && name == QLatin1String(kClientAreaName)) {
                printAfterThisEvent("first-exercise");
                m_step = Step::Done;
                deleteLater();
            }
            break;
        case Step::Done: break;
        }
        return false;
    }

private:
    enum class Step { Prompt, Greeting, Exercise, Done };
    Step m_step = Step::Prompt;
};

} // namespace

void markStartupStep(const char *step)
{
    static const bool asked = !qEnvironmentVariableIsEmpty("TARVIMONDA_STARTUP_TIMES");
    if (!asked)
        return;
    const QByteArray what = QByteArray("step ") + step;
    printMoment(what.constData());
}

void reportStartupTimesWhenAsked()
{
    if (qEnvironmentVariableIsEmpty("TARVIMONDA_STARTUP_TIMES"))
        return;
    qApp->installEventFilter(new StartupWatch(qApp));
}
