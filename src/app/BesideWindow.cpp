#include "app/BesideWindow.h"

#include "app/WaitNotice.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <memory>

namespace {

// The game is over or not yet begun while a step runs: what the pupil
// types or clicks meanwhile is dropped, not kept to act on a dialog that
// comes after.
class DropInput : public QObject
{
public:
    DropInput() { qApp->installEventFilter(this); }
    ~DropInput() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
            return watched->isWidgetType();
        default:
            return false;
        }
    }
};

} // namespace

constexpr qint64 kEagerMs = 10;

bool waitBesideWindow(const std::function<bool()> &done, WorkGate &gate, const WaitOptions &options)
{
    if (done())
        return true;
    const DropInput dropInput;
    QEventLoop loop;
    QElapsedTimer elapsed;
    elapsed.start();
    std::unique_ptr<WaitNotice> notice;
    bool gaveUp = false;
    QTimer poll;
    // Most steps end within a few milliseconds: look at every turn of the
    // event loop at first, then every millisecond.
    poll.setTimerType(Qt::PreciseTimer);
    poll.setInterval(0);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) {
            loop.quit();
        } else if (poll.interval() == 0 && elapsed.elapsed() >= kEagerMs) {
            poll.setInterval(1);
        } else if (elapsed.elapsed() >= options.limitMs && gate.abandon()) {
            gaveUp = true;
            loop.quit();
        } else if (!notice && elapsed.elapsed() >= options.noticeAfterMs) {
            notice = std::make_unique<WaitNotice>(options.notice, options.owner);
            poll.setInterval(10);
        }
    });
    poll.start();
    loop.exec();
    // A step that ended right as the wait gave up still counts.
    return !gaveUp || done();
}
