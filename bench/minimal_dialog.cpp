// The floor for start-up and memory: the smallest Qt Widgets program that
// shows one dialog, the same input box the game opens first. Prints when it
// is on screen, as the game does under TARVIMONDA_STARTUP_TIMES.
#include <QApplication>
#include <QInputDialog>

#include <cstdio>
#include <ctime>

namespace {

class FirstPaint final : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!m_seen && event->type() == QEvent::Paint && watched->objectName() == QLatin1String("inputBox")) {
            m_seen = true;
            QMetaObject::invokeMethod(qApp, [] {
                timespec now{};
                clock_gettime(CLOCK_REALTIME, &now);
                std::fprintf(stderr, "minimal-dialog name-prompt %lld\n",
                             static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
                std::fflush(stderr);
            }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    bool m_seen = false;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    FirstPaint watch;
    app.installEventFilter(&watch);
    QInputDialog dialog;
    dialog.setObjectName(QStringLiteral("inputBox"));
    dialog.setWindowTitle(QStringLiteral("Tarvimonda"));
    dialog.setLabelText(QStringLiteral("Come ti chiami?"));
    dialog.exec();
    return 0;
}
