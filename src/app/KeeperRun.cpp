#include "app/KeeperRun.h"

#include "app/KeeperProcesses.h"
#include "app/WaitNotice.h"
#include "keeper/KeeperProtocol.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QProcess>

#include <memory>
#include <utility>
#include <unistd.h>

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

KeeperRun::KeeperRun(const QString &program, const QByteArray &request, int limitMs)
    : m_limitMs(limitMs)
{
    m_process = keeperprocess::newProcess();
    connect(m_process, &QProcess::readyReadStandardOutput, this, &KeeperRun::readOutput);
    connect(m_process, &QProcess::finished, this, [this] {
        readOutput();
        end(Ended::Failed);
    });
    connect(m_process, &QProcess::errorOccurred, this, [this, program](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        m_error = ::access(QFile::encodeName(program).constData(), X_OK) == 0 ? EIO : errno;
        end(Ended::Failed);
    });
    m_limit.setSingleShot(true);
    connect(&m_limit, &QTimer::timeout, this, &KeeperRun::onLimit);
    m_limit.start(limitMs);
    m_process->start(program, {});
    m_process->write(request);
}

KeeperRun::~KeeperRun()
{
    if (m_process->state() == QProcess::NotRunning) {
        delete m_process;
        return;
    }
    disconnect(m_process, nullptr, this, nullptr);
    if (!m_writing)
        m_process->closeWriteChannel();
    keeperprocess::leaveBehind(m_process);
}

void KeeperRun::readOutput()
{
    m_output += m_process->readAllStandardOutput();
    const QByteArray ready = keeper::kReady.toByteArray() + '\n';
    if (m_output.startsWith(ready)) {
        m_output.remove(0, ready.size());
        // Only while the window still waits: once it has told the pupil
        // that nothing was saved, nothing may be written.
        if (!m_ended) {
            m_writing = true;
            m_writingFor.start();
            m_process->write(keeper::kGo.toByteArray() + '\n');
        }
    }
    if (m_output.endsWith(keeper::kDone.toByteArray() + '\n'))
        end(Ended::Answered);
}

void KeeperRun::onLimit()
{
    if (!m_writing) {
        end(Ended::GaveUp);
        return;
    }
    // Told "go", the keeper waits for the other games' saves (at most the
    // window's own limit) and then writes: it is given both.
    const qint64 allowed = qint64(m_limitMs) + std::min(m_limitMs, kWriteGraceMs);
    if (m_writingFor.elapsed() < allowed) {
        m_limit.start(int(allowed - m_writingFor.elapsed()));
        return;
    }
    end(Ended::CutShort);
}

void KeeperRun::end(Ended ended)
{
    if (m_ended)
        return;
    m_ended = ended;
    m_limit.stop();
    // A keeper that has not begun to write reads the end of its input as
    // "stop", and writes nothing.
    if (ended != Ended::Answered && m_process->state() != QProcess::NotRunning)
        m_process->closeWriteChannel();
    if (m_loop)
        m_loop->quit();
    if (m_then && m_thenContext)
        QMetaObject::invokeMethod(m_thenContext, std::exchange(m_then, {}), Qt::QueuedConnection);
}

void KeeperRun::whenEnded(QObject *context, std::function<void()> then)
{
    m_thenContext = context;
    m_then = std::move(then);
    if (m_ended && m_thenContext)
        QMetaObject::invokeMethod(m_thenContext, std::exchange(m_then, {}), Qt::QueuedConnection);
}

void KeeperRun::abandon()
{
    if (!isWriting())
        end(Ended::GaveUp);
}

KeeperRun::Result KeeperRun::wait(const QString &notice, QWidget *owner)
{
    if (!m_ended) {
        const DropInput dropInput;
        std::unique_ptr<WaitNotice> shown;
        QTimer noticeTimer;
        noticeTimer.setSingleShot(true);
        connect(&noticeTimer, &QTimer::timeout, this, [&] { shown = std::make_unique<WaitNotice>(notice, owner); });
        noticeTimer.start(kNoticeAfterMs);
        QEventLoop loop;
        m_loop = &loop;
        loop.exec();
        m_loop = nullptr;
        // The loop ended some other way (the program quits): never taken
        // for an answer.
        if (!m_ended)
            end(m_writing ? Ended::CutShort : Ended::GaveUp);
    }
    return {*m_ended, *m_ended == Ended::Answered ? m_output : QByteArray(), m_error};
}
