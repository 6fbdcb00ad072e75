// What a screen reader reads of the window, and when it reads it: every
// control named in Italian, the exercise as a sentence, the verdict and the
// counters as they change, a dialog after another given its pause.
#include "GameFixture.h"
#include "TestClasses.h"

#include "app/Dialogs.h"
#include "ui/AccessibleNames.h"
#include "ui/Surface.h"

#include <QAccessible>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>

namespace {

QString accessibleText(QWidget *widget, QAccessible::Text what)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(widget);
    return iface ? iface->text(what) : QStringLiteral("<no interface>");
}

} // namespace

class ScreenReaderTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { installFontSubstitutes(); }

    void everyControlHasAnItalianName()
    {
        GameFixture game;
        game.start();
        const QList<std::pair<const char *, QString>> expected{
            {"txtAnswer", "Inserisci il valore"},
            {"cmdNext", "Nuovo calcolo"},
            {"cmdExit", "Exit"},
            {"lblconto", "Tempo restante: 00:15:00"},
            {"lblScore", "Risposte esatte: 0"},
            {"lblScore1", "Risposte errate: 0"},
            {"lblScore2", "Risposte totali: 0"},
            {"lblnome1", "Sfidante: Luca"},
            {"lblpunti", "Punti del record"},
            {"Image1", "Cronometro"},
        };
        for (const auto &[name, text] : expected)
            QCOMPARE(accessibleText(game.find(name), QAccessible::Name), text);
        // Every control that can take the focus, or shows something, is named.
        for (QWidget *widget : game.c().surface->findChildren<QWidget *>()) {
            if (widget->isHidden() || (qobject_cast<Label *>(widget) && qobject_cast<Label *>(widget)->caption().isEmpty()
                                       && widget->focusPolicy() == Qt::NoFocus && widget->toolTip().isEmpty()
                                       && widget->accessibleName().isEmpty()))
                continue;
            QVERIFY2(!accessibleText(widget, QAccessible::Name).isEmpty(), qPrintable(widget->objectName()));
        }
        // Tooltips are the descriptions, blanks tidied, where they are Italian
        // and say what the control does.
        for (const char *name : {"txtAnswer", "lblScore", "Image1", "lblTime"})
            QCOMPARE(accessibleText(game.find(name), QAccessible::Description), game.find(name)->toolTip().simplified());
        QCOMPARE(accessibleText(game.find("cmdNext"), QAccessible::Description), "Passa al calcolo successivo");
        QVERIFY(accessibleText(game.find("cmdExit"), QAccessible::Description).startsWith("Termina la partita"));
    }

    void theExerciseAndTheValuesAreRead()
    {
        GameFixture game;
        game.start();
        const QString description = accessibleText(game.find("txtAnswer1"), QAccessible::Description);
        QVERIFY2(description.startsWith("Espressione: "), qPrintable(description));
        QVERIFY(description.contains("a vale " + spokenSigns(game.caption("lblvalb")) + ","));
        QVERIFY(description.contains("b vale " + spokenSigns(game.caption("lblvala")) + "."));
        QCOMPARE(accessibleText(game.find("lblvalb"), QAccessible::Name),
                 "Valore di a: " + spokenSigns(game.caption("lblvalb")));
    }

    void signsAreSpokenAsWords()
    {
        QCOMPARE(spokenSigns("Sbagliato!! -7"), QStringLiteral("Sbagliato!! meno 7"));
        QCOMPARE(spokenSigns("+3"), QString::fromUtf8("più 3"));
        QCOMPARE(spokenSigns(QString::fromUtf8("\u22124")), QStringLiteral("meno 4"));
        QCOMPARE(spokenSigns("Anna-Maria - 12-3"), QStringLiteral("Anna-Maria - 12meno 3"));
        // On screen the caption keeps its hyphen; only the name speaks it.
        GameFixture game;
        game.start();
        game.find<Label>("lblvala")->setCaption("-3");
        QCOMPARE(game.caption("lblvala"), QStringLiteral("-3"));
        QCOMPARE(accessibleText(game.find("lblvala"), QAccessible::Name), QStringLiteral("Valore di b: meno 3"));
    }

    void theExerciseIsReadAsASentence()
    {
        GameFixture game;
        game.start();
        const QList<std::pair<const char *, const char *>> row{
            {"lblNum3", "-2"}, {"lblmon", "a"}, {"lblNum1", "+"}, {"lblmon3", "b"},
            {"lblNum2", "-"}, {"lblmon4", "b"}, {"lblNum4", "+4"}, {"lblmon1", "a"},
            {"lblvalb", "-5"}, {"lblvala", "3"}};
        for (const auto &[name, caption] : row)
            game.find<Label>(name)->setCaption(caption);
        QCOMPARE(describeExercise(game.c()),
                 QString::fromUtf8("Espressione: meno 2 a più b meno b più 4 a. a vale meno 5, b vale 3. "
                                   "Premi un tasto qualsiasi per passare alla casella della risposta, "
                                   "poi scrivi il risultato e premi Invio."));
        // Each new exercise puts its own sentence on the box that takes the focus.
        for (int round = 0; round < 5; ++round) {
            game.window->cmdNext_Click();
            QCOMPARE(game.window->focusWidget(), game.find("txtAnswer1"));
            QCOMPARE(accessibleText(game.find("txtAnswer1"), QAccessible::Description), describeExercise(game.c()));
        }
    }

    void theVerdictRidesOnTheButtonThatTakesTheFocus()
    {
        GameFixture game;
        game.start();
        auto *cmdNext = game.find("cmdNext");
        // Worth 3 x 2 + (-1) x 13 = -7.
        game.state().sumA = 3;
        game.state().sumB = -1;
        game.find<Label>("lblvala")->setCaption("2");
        game.find<Label>("lblvalb")->setCaption("13");
        game.find<QLineEdit>("txtAnswer")->setText("7");
        std::int16_t enter = 13;
        game.window->txtAnswer_KeyPress(enter);
        QCOMPARE(game.caption("lblMessage"), QStringLiteral("Sbagliato!! -7"));
        QCOMPARE(game.window->focusWidget(), cmdNext);
        QCOMPARE(accessibleText(cmdNext, QAccessible::Description),
                 QStringLiteral("Sbagliato!! Il risultato giusto era meno 7. Premi Invio per un nuovo calcolo."));
        QCOMPARE(accessibleText(game.find("lblMessage"), QAccessible::Name), QStringLiteral("Esito: Sbagliato!! meno 7"));

        game.window->cmdNext_Click();
        QCOMPARE(accessibleText(cmdNext, QAccessible::Description), QStringLiteral("Passa al calcolo successivo"));
        game.state().sumA = 1;
        game.state().sumB = 0;
        game.find<Label>("lblvala")->setCaption("2");
        game.find<QLineEdit>("txtAnswer")->setText("2");
        enter = 13;
        game.window->txtAnswer_KeyPress(enter);
        QCOMPARE(accessibleText(cmdNext, QAccessible::Description),
                 QStringLiteral("Esatto. Sei okkk!!! Premi Invio per un nuovo calcolo."));
    }

    void theVerdictAndCountersAreReadWhenTheyChange()
    {
        GameFixture game;
        game.start();
        game.find<QLineEdit>("txtAnswer")->setText("99");
        std::int16_t enter = 13;
        game.window->txtAnswer_KeyPress(enter);
        QVERIFY(accessibleText(game.find("lblMessage"), QAccessible::Name).startsWith("Esito: Sbagliato!! "));
        QCOMPARE(accessibleText(game.find("lblScore1"), QAccessible::Name), QStringLiteral("Risposte errate: 1"));
        QCOMPARE(accessibleText(game.find("lblScore2"), QAccessible::Name), QStringLiteral("Risposte totali: 1"));
        game.window->Timer1_Timer();
        QCOMPARE(accessibleText(game.find("lblconto"), QAccessible::Name), QStringLiteral("Tempo restante: 00:14:59"));
    }

    // One dialog closing and the next opening at once: with a screen reader
    // listening the next waits its pause, without one it comes at once.
    void aDialogRightAfterAnotherWaitsForTheScreenReader()
    {
        for (const bool listening : {true, false}) {
            QtDialogs dialogs({}, [listening] { return listening; });
            QElapsedTimer clock;
            clock.start();
            qint64 closed = -1;
            qint64 shown = -1;
            QTimer answerer;
            answerer.callOnTimeout([&] {
                if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                    if (closed >= 0 && shown < 0)
                        shown = clock.elapsed();
                    dialog->accept();
                }
            });
            answerer.start(1);
            dialogs.messageBox(QStringLiteral("primo"), kAppTitle, Dialogs::Icon::None);
            closed = clock.elapsed();
            dialogs.messageBox(QStringLiteral("secondo"), kAppTitle, Dialogs::Icon::None);
            QVERIFY(shown >= 0);
            if (listening)
                QVERIFY2(shown - closed >= QtDialogs::kScreenReaderPauseMs - 5, qPrintable(QString::number(shown - closed)));
            else
                QVERIFY2(shown - closed < QtDialogs::kScreenReaderPauseMs - 50, qPrintable(QString::number(shown - closed)));
        }
    }
};

TestClass screenReaderTest() { return testClass<ScreenReaderTest>(); }

#include "test_accessibility_reading.moc"
