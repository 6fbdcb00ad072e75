#include "app/Tavola.h"

#include "exercise/ExerciseGenerator.h"
#include "exercise/Gradient.h"
#include "exercise/RandomSource.h"
#include "play/Countdown.h"
#include "play/Judge.h"
#include "play/Numbers.h"
#include "record/GameEnd.h"
#include "ui/ExerciseDrawing.h"
#include "ui/KeyPressFilter.h"
#include "ui/Label.h"
#include "ui/PictureButton.h"
#include "ui/Pictures.h"
#include "ui/Surface.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QLayout>
#include <QLineEdit>
#include <QPixmapCache>
#include <QPointer>
#include <QRandomGenerator>
#include <QTimer>

namespace {

constexpr std::int16_t kBackspace = 8;
constexpr std::int16_t kEnter = 13;

// The answer box takes digits, signs and Backspace; any other key but Enter
// is dropped (keyCode 0). True for Enter.
bool isEnterAfterFilter(std::int16_t &keyCode)
{
    const bool digit = keyCode >= '0' && keyCode <= '9';
    if (digit || keyCode == '+' || keyCode == '-' || keyCode == kBackspace)
        return false;
    if (keyCode != kEnter)
        keyCode = 0;
    return keyCode == kEnter;
}

const QString kNewGameText = QStringLiteral("INIZIAMO UNA NUOVA GARA  ?");
const QString kNewGameTitle = QStringLiteral("INIZIARE NUOVA GARA");
const QString kMinimisedTitle = QStringLiteral("Gioca con i monomi");
QString aboutText()
{
    return QStringLiteral(
        "Tarvimonda %1\n\n"
        "Un gioco per allenarsi a calcolare il valore di un'espressione con i monomi.\n"
        "Scrivi il risultato e premi Invio; hai 15 minuti per dare più risposte esatte "
        "che puoi e battere il record.\n\n"
        "Programma libero e gratuito, distribuito con la licenza GNU GPL versione 3 o successiva.")
        .arg(QCoreApplication::applicationVersion());
}

} // namespace

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
    m_controls = buildControls(*this);
    setWindowTitle(QString::fromUtf8(windowSpec().caption));
    setWindowIcon(pictureIcon(Picture::WindowIcon));
    connectHandlers();
    m_loaded = true;
    m_activatePending = true;
    m_judged = false;
    // Before any handler moves it, the focus rests on the first control in
    // tab order that can take it.
    m_controls.cmdExit->setFocus();
    Form_Load();
}

void Tavola::unloadTavola()
{
    if (!m_loaded)
        return;
    m_loaded = false;
    m_controls.Timer1->stop();
    hide();
    // The handler that asked for the unload may still be running inside one
    // of these objects: detach them now, delete them once it has returned.
    QWidget *surface = takeCentralWidget();
    QWidget *bar = menuWidget();
    setMenuWidget(nullptr);
    for (QWidget *old : {surface, bar}) {
        if (!old)
            continue;
        old->hide();
        old->setParent(nullptr);
        old->deleteLater();
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
    // until it is done.
    if (m_waitingOnDisk) {
        event->ignore();
        return;
    }
    // The close box ends the game without the end-of-game steps: nothing
    // is saved.
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

// ---- Game flow ----------------------------------------------------------

void Tavola::Form_Load()
{
    const Controls &c = m_controls;
    m_state.rightAnswers = 0;
    m_state.wrongAnswers = 0;
    c.Timer1->stop();
    const QString name = m_services.dialogs->inputBox(QStringLiteral("Come ti chiami?"), kAppTitle);
    m_services.dialogs->messageBox(QStringLiteral(" ") + name + QStringLiteral(" vediamo se sei un vero campione  "),
                                kAppTitle, Dialogs::Icon::None);
    c.lblnome1->setCaption(name);
    m_state.winDir = GetSystemDir();
    m_state.fileNum = RecordKeeping::kFileNumber;
    const StartRecord record = m_records.readAtStart(m_state.winDir, shownOwner());
    // Said at every start while it lasts, before the clock starts: the
    // game goes on, but no record can be kept, and the teacher should hear
    // of it.
    if (record.problem) {
        m_services.dialogs->messageBox(*record.problem, kAppTitle, Dialogs::Icon::Warning);
        if (m_ended || !m_loaded)
            return;
    }
    startCountdown();
    m_state.rightAnswers = 0;
    m_state.wrongAnswers = 0;
    c.lblpunti->setCaption(record.shown.score);
    c.lblnome->setCaption(record.shown.name);
    refreshClock();
}

void Tavola::Form_Activate() { cmdNext_Click(); }

void Tavola::Form_Resize()
{
    if (isMinimized())
        setWindowTitle(kMinimisedTitle);
}

void Tavola::Next_Click()
{
    const QPointer<QWidget> resume = m_controls.surface->focusWidget();
    const Dialogs::Answer answer = m_services.dialogs->askYesNo(kNewGameText, kNewGameTitle);
    if (m_ended)
        return;
    if (answer != Dialogs::Answer::No)
        unloadTavola();
    showTavola();
    m_menuFocus.resumeFocus(resume);
}

void Tavola::copy_Click()
{
    const QPointer<QWidget> resume = m_controls.surface->focusWidget();
    m_services.dialogs->messageBox(aboutText(), kAppTitle, Dialogs::Icon::Information);
    m_menuFocus.resumeFocus(resume);
}

void Tavola::cmdExit_Click()
{
    if (m_ending || m_ended)
        return;
    // Stop the countdown first: its ticks must not end the game twice while
    // the confirmation is open.
    m_ending = true;
    m_controls.Timer1->stop();
    const Controls &c = m_controls;
    m_state.fileNum = RecordKeeping::kFileNumber;
    m_waitingOnDisk = true;
    const GameEndOutcome outcome = m_records.finishGame(
        m_state.winDir,
        {c.lblpunti->caption(), c.lblScore->caption(), c.lblnome1->caption(), c.lblScore1->caption(),
         c.lblScore2->caption()},
        shownOwner());
    m_waitingOnDisk = false;
    for (const RecordKeeping::Message &message : RecordKeeping::messagesFor(outcome))
        if (!m_ended)
            m_services.dialogs->messageBox(message.text, kAppTitle, message.icon);
    endProgram();
}

// ---- Exercise -------------------------------------------------------------

void Tavola::cmdNext_Click()
{
    clearExercise(m_controls);
    const ExerciseView view = drawExercise(m_state, *m_services.random);
    paintBackground();
    showExercise(m_controls, view);
    m_judged = false;
}

void Tavola::paintBackground()
{
    paintGradient(m_controls.surface->drawingToCover(), m_state.backgroundShade);
    m_controls.surface->update();
}

// ---- Answers --------------------------------------------------------------

void Tavola::txtAnswer_KeyPress(std::int16_t &keyCode)
{
    // One judgement an exercise: a second Enter would multiply the stored
    // products again and count the same answer twice.
    if (!isEnterAfterFilter(keyCode) || m_judged)
        return;
    m_judged = true;
    const Controls &c = m_controls;
    const Verdict verdict = judgeAnswer(m_state, c.lblvala->caption(), c.lblvalb->caption(), c.txtAnswer->text());
    showVerdict(c, verdict, m_state.expectedValue);
}

void Tavola::txtAnswer1_KeyPress(std::int16_t &)
{
    // The character stays in this box; only the focus moves on.
    m_controls.txtAnswer->setFocus();
}

// ---- Countdown ------------------------------------------------------------

void Tavola::startCountdown()
{
    m_controls.Timer1->start();
    countdown::startCountdown(m_state);
    m_controls.lblconto->setCaption(countdown::clockText(m_state));
}

void Tavola::refreshClock()
{
    countdown::refreshClock(m_state);
    m_controls.lblconto->setCaption(countdown::clockText(m_state));
}

void Tavola::Timer1_Timer()
{
    using countdown::TickOutcome;
    switch (countdown::tickCountdown(m_state, m_controls.lblconto->caption())) {
    case TickOutcome::EndOfGame: cmdExit_Click(); break;
    case TickOutcome::CountedDown: m_controls.lblconto->setCaption(countdown::clockText(m_state)); break;
    case TickOutcome::Idle: break;
    }
}

// ---- Record files ---------------------------------------------------------

QString Tavola::GetSystemDir()
{
    // Only the path: the folder is made, checked and read beside the
    // window, where a share that does not answer cannot hold it.
    return m_records.folderPath();
}
