#include "app/WaitNotice.h"

#include "app/Dialogs.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

WaitNotice::WaitNotice(const QString &text, QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QLatin1String(kObjectName));
    setWindowTitle(kAppTitle);
    setAccessibleName(text);
    auto *label = new QLabel(text, this);
    label->setTextFormat(Qt::PlainText);
    auto *bar = new QProgressBar(this);
    bar->setRange(0, 0); // busy: no end is known
    bar->setAccessibleName(text);
    bar->setTextVisible(false);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(bar);
    setModal(false);
    show();
    // Centred on the window, and inside the screen however the window was
    // moved, as every dialog of the game.
    if (owner) {
        QWidget *window = owner->window();
        const QScreen *screen = window->screen();
        move(dialogPosition(frameGeometry(), window->frameGeometry(), screen ? screen->availableGeometry() : QRect()));
    }
    raise();
    activateWindow();
}

void WaitNotice::keyPressEvent(QKeyEvent *event)
{
    // Escape would close it while the wait goes on.
    event->accept();
}

void WaitNotice::closeEvent(QCloseEvent *event) { event->ignore(); }
