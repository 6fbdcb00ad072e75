#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <QPointer>

#include <functional>
#include <optional>

class QEventLoop;
class QProcess;
class QWidget;

// One step of the record keeper, beside the window: the keeper is a process
// of its own, and the window waits for it through Qt's signals with its
// event loop running, so it repaints and answers screen readers. A folder
// that does not answer holds only the keeper, never the window.
class KeeperRun : public QObject
{
public:
    enum class Ended {
        Answered, // the keeper's reply is in
        GaveUp,   // the limit passed before it began to write: it never will
        CutShort, // the limit passed while it wrote: not confirmed
        Failed,   // it could not start, or ended without a reply
    };
    struct Result
    {
        Ended ended = Ended::Failed;
        QByteArray reply;
        int error = 0; // Failed to start: why
    };

    // Starts a keeper with the request. The window gives up on it after
    // limitMs unless it has been told "go" by then; once told, it gets
    // limitMs more for the lock, and as long again (at most kWriteGraceMs)
    // for the writes.
    KeeperRun(const QString &program, const QByteArray &request, int limitMs);
    // A keeper still running is left behind, never waited for: it writes
    // nothing once given up, and a write under way finishes on its own.
    ~KeeperRun() override;

    static constexpr int kNoticeAfterMs = 500;
    static constexpr int kWriteGraceMs = 10'000;

    // Waits with the event loop running; after kNoticeAfterMs a small window
    // says what it waits for. What is typed or clicked meanwhile is dropped.
    Result wait(const QString &notice, QWidget *owner);
    bool isWriting() const { return m_writing && !m_ended; }
    bool hasEnded() const { return m_ended.has_value(); }
    // Calls then through context's event queue once the run has ended: never
    // from inside this object, which its caller may then destroy.
    void whenEnded(QObject *context, std::function<void()> then);
    // Gives up now, unless the keeper writes.
    void abandon();

private:
    void readOutput();
    void onLimit();
    void end(Ended ended);

    QProcess *m_process = nullptr;
    QByteArray m_output;
    int m_limitMs;
    bool m_writing = false;
    QElapsedTimer m_writingFor;
    std::optional<Ended> m_ended;
    int m_error = 0;
    QTimer m_limit;
    QEventLoop *m_loop = nullptr;
    QPointer<QObject> m_thenContext;
    std::function<void()> m_then;
};
