// The game itself: start, new game, information, end, each exercise, each
// answer and the countdown. The window's own life is in TavolaLifetime.cpp.
#include "app/Tavola.h"

#include "exercise/ExerciseGenerator.h"
#include "exercise/Gradient.h"
#include "play/Countdown.h"
#include "play/Judge.h"
#include "state/Numbers.h"
#include "ui/ExerciseDrawing.h"
#include "ui/Label.h"
#include "ui/PictureButton.h"
#include "ui/Surface.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPointer>
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

// ---- Game flow ----------------------------------------------------------

void Tavola::Form_Load()
{
    m_state.rightAnswers = 0;
    m_state.wrongAnswers = 0;
    // The prompt needs nothing of the window: the record keeper starts and
    // the window is built once the prompt is on screen, while the pupil
    // types a name.
    m_besidePrompt.add([this] { m_records.beginStart(); });
    m_besidePrompt.add([this] { buildWindow(); });
    const QString name = m_services.dialogs->inputBox(QStringLiteral("Come ti chiami?"), kAppTitle);
    m_besidePrompt.runNow();
    m_services.dialogs->messageBox(QStringLiteral(" ") + name + QStringLiteral(" vediamo se sei un vero campione  "),
                                kAppTitle, Dialogs::Icon::None);
    const Controls &c = m_controls;
    c.lblnome1->setCaption(name);
    m_state.winDir = GetSystemDir();
    m_state.fileNum = RecordKeeping::kFileNumber;
    // The keeper has read the record long before a pupil has typed a name:
    // a problem is then told before the clock starts. On a share that is
    // slow or silent the game goes on, and the record, or the problem, is
    // shown when the keeper answers.
    if (m_records.startAnswered()) {
        if (!showStartRecord(m_records.finishStart(shownOwner())))
            return;
    } else {
        // Not the design's placeholders meanwhile: no record is known yet.
        c.lblpunti->setCaption({});
        c.lblnome->setCaption({});
        m_records.whenStarted(this, [this](const record::Outcome &record) { showStartRecord(record); });
    }
    startCountdown();
    m_state.rightAnswers = 0;
    m_state.wrongAnswers = 0;
    refreshClock();
}

bool Tavola::showStartRecord(const record::Outcome &record)
{
    if (!m_loaded || m_ended)
        return false;
    m_controls.lblpunti->setCaption(record.pair.score);
    m_controls.lblnome->setCaption(record.pair.name);
    // Said at every start while it lasts: the game goes on, but no record
    // can be kept, and the teacher should hear of it.
    if (const auto problem = startProblem(record, m_records.context())) {
        m_services.dialogs->messageBox(*problem, kAppTitle, Dialogs::Icon::Warning);
        return m_loaded && !m_ended;
    }
    return true;
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
    // Whether the score beats the record depends on the record shown: a
    // start the keeper has not answered yet is waited for first.
    if (m_records.startPending() && !showStartRecord(m_records.finishStart(shownOwner())))
        return;
    const Controls &c = m_controls;
    m_state.fileNum = RecordKeeping::kFileNumber;
    const record::GameEndOutcome outcome = m_records.finishGame(
        {m_state.rightAnswers, m_state.wrongAnswers, c.lblnome1->caption(), c.lblpunti->caption()}, shownOwner());
    for (const RecordMessage &message : endMessages(outcome))
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
    m_controls.surface->setDrawing([shade = m_state.backgroundShade](QPainter &painter, const QSize &size,
                                                                       const QRect &exposed) {
        paintGradient(painter, size, shade, exposed);
    });
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
    // Only the path: the record keeper makes, checks and reads the folder
    // beside the window, where a share that does not answer cannot hold it.
    return m_records.folderShown() + u'/';
}
