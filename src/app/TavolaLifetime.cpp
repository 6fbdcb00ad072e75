// The window's life: built and shown, unloaded for a new game, ended. The
// handlers of the game itself are in Tavola.cpp.
#include "app/Tavola.h"

#include "app/StartupTimes.h"
#include "exercise/RandomSource.h"
#include "ui/KeyPressFilter.h"
#include "ui/PictureButton.h"
#include "ui/Pictures.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPixmapCache>
#include <QRandomGenerator>
#include <QTimer>

Tavola::Tavola(TavolaServices services, ClassroomSettings settings)
    : m_services(std::move(services))
    , m_records(std::move(settings))
{
    if (!m_services.dialogs)
        m_services.dialogs = std::make_shared<QtDialogs>([this] { return shownOwner(); });
    if (!m_services.random)
        m_services.random = std::make_shared<MixingRandomSource>(QRandomGenerator::system()->generate64());
    if (!m_services.endProgram)
        m_services.endProgram = [] { QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection); };

    setObjectName(QStringLiteral("Tavola"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    // The client area has a fixed size: the window follows it and its menu bar.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

Tavola::~Tavola() = default;

void Tavola::showTavola()
{
    if (m_ended)
        return;
    if (!m_loaded)
        loadTavola();
    if (m_ended)
        return;
    show();
    raise();
    activateWindow();
    if (m_activatePending) {
        m_activatePending = false;
        Form_Activate();
    }
}

void Tavola::loadTavola()
{
    m_loaded = true;
    m_activatePending = true;
    m_judged = false;
    Form_Load();
}

void Tavola::buildWindow()
{
    // Every window of the game wears the icon, the prompt on screen too.
    if (QGuiApplication::windowIcon().isNull())
        QApplication::setWindowIcon(pictureIcon(Picture::WindowIcon));
    m_controls = buildControls(*this);
    setWindowTitle(QString::fromUtf8(windowSpec().caption));
    connectHandlers();
    // The clock waits for the start.
    m_controls.Timer1->stop();
    // Before any handler moves it, the focus rests on the first control in
    // tab order that can take it.
    m_controls.cmdExit->setFocus();
    markStartupStep("window-built");
}

void Tavola::unloadTavola()
{
    if (!m_loaded)
        return;
    m_loaded = false;
    m_controls.Timer1->stop();
    m_records.dropStart();
    hide();
    // The handler that asked for the unload may still be running inside one
    // of these objects: detach them now, delete them once it has returned.
    // (Taking it out of the window already hides it and leaves it without
    // a parent.)
    if (QWidget *surface = takeCentralWidget())
        surface->deleteLater();
    // The menu bar stays for the next game; its menus and entries go.
    QMenuBar *bar = menuBar();
    for (QAction *entry : bar->actions()) {
        bar->removeAction(entry);
        // A menu owns its entry on the bar.
        (entry->parent() == bar ? static_cast<QObject *>(entry) : entry->parent())->deleteLater();
    }
    m_controls = {};
    // The style caches a rendering of every dialog button and icon it
    // draws, keyed in ways that rarely repeat across games; a new game
    // starts with a clean cache so memory stays flat however long a
    // classroom keeps the program open.
    QPixmapCache::clear();
}

void Tavola::connectHandlers()
{
    const Controls &c = m_controls;
    connect(c.cmdNext, &QAbstractButton::clicked, this, [this] { cmdNext_Click(); });
    connect(c.cmdExit, &QAbstractButton::clicked, this, [this] { cmdExit_Click(); });
    connect(c.Next, &QAction::triggered, this, [this] { Next_Click(); });
    connect(c.Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    c.cmdNext->setDefault(true);
    new KeyPressFilter(c.txtAnswer, [this](std::int16_t &keyCode) { txtAnswer_KeyPress(keyCode); }, c.cmdNext);
    new KeyPressFilter(c.txtAnswer1, [this](std::int16_t &keyCode) { txtAnswer1_KeyPress(keyCode); }, c.cmdNext);
    m_menuFocus.watchMenu();
}

void Tavola::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

void Tavola::closeEvent(QCloseEvent *event)
{
    // The program never ends in the middle of a save: the close box waits
    // until it is written, or the folder stops answering.
    if (m_records.isWriting()) {
        event->ignore();
        return;
    }
    // The close box ends the game without the end-of-game steps: nothing
    // is saved, and a step that has not begun to write never will.
    m_records.abandon();
    event->accept();
    endProgram();
}

void Tavola::endProgram()
{
    if (m_ended)
        return;
    m_ended = true;
    if (m_controls.Timer1)
        m_controls.Timer1->stop();
    // A tick may end the game under another handler's dialog: close it so
    // that handler returns, sees m_ended and goes no further.
    m_services.dialogs->closeAll();
    hide();
    m_services.endProgram();
}
