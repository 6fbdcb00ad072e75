// The window's messages and its own title: where the dialogs open, the
// information, the clock under a message, the window minimised.
#include "GameFixture.h"
#include "TestClasses.h"

#include <QScreen>
#include <QTimer>
#include <QWindow>

class DialogsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { installFontSubstitutes(); }

    void minimisingRenamesTheWindowForGood()
    {
        GameFixture game;
        game.start();
        game.window->setWindowState(Qt::WindowMinimized);
        QTRY_COMPARE(game.window->windowTitle(), QStringLiteral("Gioca con i monomi"));
        game.window->setWindowState(Qt::WindowNoState);
        QTest::qWait(5);
        QCOMPARE(game.window->windowTitle(), QStringLiteral("Gioca con i monomi"));
    }

    void informationMessage()
    {
        GameFixture game;
        game.start();
        game.answerer->press("OK");
        game.window->copy_Click();
        const auto &info = game.answerer->seen.last();
        QCOMPARE(info.title, QStringLiteral("Tarvimonda"));
        QCOMPARE(info.icon, QMessageBox::Information);
        QCOMPARE(info.buttons, QStringList{"OK"});
        QVERIFY(info.text.contains("Tarvimonda"));
        QVERIFY(info.plainText);
    }

    void dialogsBelongToTheShownWindow()
    {
        GameFixture game;
        struct Look
        {
            QWidget *parent;
            QWindow *transientParent;
            QRect frame;
        };
        QList<Look> looks;
        auto lookThenPress = [&looks](const QString &button) {
            return [&looks, button](QWidget *dialog) {
                looks.append({dialog->parentWidget(),
                              dialog->windowHandle() ? dialog->windowHandle()->transientParent() : nullptr,
                              dialog->frameGeometry()});
                DialogAnswerer::clickButton(dialog, button);
            };
        };
        // Before the window is shown: the prompts open on their own.
        game.answerer->then(lookThenPress("OK")).then(lookThenPress("OK"));
        game.window->showTavola();
        QCOMPARE(looks.size(), 2);
        for (const Look &look : looks)
            QVERIFY(!look.parent);
        QCOMPARE(game.caption("lblnome1"), QString()); // the prompt was answered with OK
        // Once it is shown: kept above it, centred on it where that fits on
        // the screen (800 x 600 here), moved inside the screen where not.
        const QRect screen = game.window->screen()->availableGeometry();
        for (const auto &[place, centred] : {std::pair{QPoint(400, 300), false}, std::pair{QPoint(60, 40), true}}) {
            game.window->move(place);
            QTRY_COMPARE(game.window->pos(), place);
            const int before = looks.size();
            game.answerer->then(lookThenPress("No")).then(lookThenPress("OK"));
            game.window->Next_Click();
            game.window->copy_Click();
            QCOMPARE(looks.size(), before + 2);
            for (int i = before; i < looks.size(); ++i) {
                QCOMPARE(looks[i].parent, game.window.get());
                QCOMPARE(looks[i].transientParent, game.window->windowHandle());
                const QPoint offset = looks[i].frame.center() - game.window->frameGeometry().center();
                QCOMPARE(offset.manhattanLength() <= 40, centred);
                QVERIFY2(screen.contains(looks[i].frame), qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
            }
        }
        // A new game hides the window: its prompts open on their own again.
        game.answerer->then(lookThenPress(QString::fromUtf8("Sì"))).then(lookThenPress("OK")).then(lookThenPress("OK"));
        game.window->Next_Click();
        QCOMPARE(looks.at(looks.size() - 3).parent, game.window.get());
        QVERIFY(!looks.at(looks.size() - 2).parent);
        QVERIFY(!looks.last().parent);
        QCOMPARE(game.answerer->unexpected(), 0);
    }

    void countdownTicksUnderAModalMessage()
    {
        GameFixture game;
        game.start();
        game.find<QTimer>("Timer1")->setInterval(5);
        QString clockWhileOpen;
        game.answerer->then([&](QWidget *dialog) {
            // The clock shown moves on under the message, however slowly a
            // loaded machine delivers the ticks.
            (void)QTest::qWaitFor([&] { return game.caption("lblconto") < QStringLiteral("00:14:57"); }, 10'000);
            clockWhileOpen = game.caption("lblconto");
            DialogAnswerer::clickButton(dialog, "OK");
        });
        game.window->copy_Click();
        QVERIFY2(clockWhileOpen < QStringLiteral("00:14:57"), qPrintable(clockWhileOpen));
    }
};

TestClass dialogsTest() { return testClass<DialogsTest>(); }

#include "test_game_flow_dialogs.moc"
