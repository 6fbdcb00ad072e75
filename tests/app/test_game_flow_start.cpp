// The start of a game: the name asked before the window shows, then the
// greeting.
#include "GameFixture.h"
#include "TestClasses.h"

#include <QInputDialog>
#include <QTimer>

namespace {
const QString kGreeting = QStringLiteral(" vediamo se sei un vero campione  ");
} // namespace

class GameStartTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { installFontSubstitutes(); }

    void startUpAsksTheNameThenGreetsBeforeShowing()
    {
        GameFixture game;
        game.start(QStringLiteral("Luca"));
        const auto &seen = game.answerer->seen;
        QCOMPARE(seen.size(), 2);
        QCOMPARE(seen[0].kind, QStringLiteral("input"));
        QCOMPARE(seen[0].title, QStringLiteral("Tarvimonda"));
        QCOMPARE(seen[0].text, QStringLiteral("Come ti chiami?"));
        QCOMPARE(seen[0].initialInput, QString());
        QVERIFY(seen[0].buttons.contains("OK") && seen[0].buttons.contains("Annulla"));
        QCOMPARE(seen[1].text, QStringLiteral(" Luca") + kGreeting);
        QCOMPARE(seen[1].title, QStringLiteral("Tarvimonda"));
        QCOMPARE(seen[1].buttons, QStringList{"OK"});
        QVERIFY(!seen[0].windowVisible && !seen[1].windowVisible);

        QVERIFY(game.window->isVisible());
        QCOMPARE(game.window->windowTitle(), QStringLiteral("Calcola il valore della seguente tarvimonda"));
        QCOMPARE(game.caption("lblnome1"), QStringLiteral("Luca"));
        QCOMPARE(game.caption("lblconto"), QStringLiteral("00:15:00"));
        QCOMPARE(game.window->state().secondsLeft, 900);
        QVERIFY(game.find<QTimer>("Timer1")->isActive());
        // First run: both record files made empty and shown empty.
        QCOMPARE(game.readFile("esprle.txt"), QByteArray());
        QCOMPARE(game.readFile("nesprle.txt"), QByteArray());
        QCOMPARE(game.caption("lblpunti"), QString());
        QCOMPARE(game.window->state().winDir, game.folder.path() + '/');
        // The first exercise stands, the focus waits in the zero-width box.
        QVERIFY(!game.caption("lblvala").isEmpty() && game.caption("lblvala") != "b");
        QVERIFY(!game.find("cmdNext")->isEnabled());
        QCOMPARE(game.window->focusWidget(), game.find("txtAnswer1"));
        QCOMPARE(game.answerer->unexpected(), 0);
    }

    // The name prompt comes first: the window is built, its icon set and the
    // record keeper started once the prompt is on screen, while it waits.
    void theNamePromptComesFirst()
    {
        GameFixture game;
        struct : QObject
        {
            std::function<bool()> built;
            bool builtFirst = false;
            bool eventFilter(QObject *watched, QEvent *event) override
            {
                builtFirst |= event->type() == QEvent::Show && watched->objectName() == u"inputBox" && built();
                return false;
            }
        } atShow;
        atShow.built = [&] { return game.find("lblScore") != nullptr; };
        qApp->installEventFilter(&atShow);
        bool beside = false;
        game.answerer->then([&](QWidget *prompt) {
            beside = QTest::qWaitFor([&] { return atShow.built() && game.window->recordReadyToShow(); })
                     && prompt->windowIcon().availableSizes().contains(QSize(256, 256));
            qobject_cast<QInputDialog *>(prompt)->accept();
        }).press("OK");
        game.window->showTavola();
        QVERIFY(!atShow.builtFirst && beside);
    }

    void cancelledNameGivesTheBareGreeting()
    {
        GameFixture game;
        game.answerer->cancel().press("OK");
        game.window->showTavola();
        QCOMPARE(game.answerer->seen[1].text, QStringLiteral(" ") + kGreeting);
        QVERIFY(game.answerer->seen[1].text.startsWith("  vediamo"));
        QCOMPARE(game.caption("lblnome1"), QString());
    }

    void namesAreNeverMarkup()
    {
        GameFixture game;
        const QString markup = QStringLiteral("<b>Zoe</b>");
        game.start(markup);
        QVERIFY(game.answerer->seen[1].plainText);
        QVERIFY(game.answerer->seen[0].plainText);
        QCOMPARE(game.caption("lblnome1"), markup);
    }
};

TestClass gameStartTest() { return testClass<GameStartTest>(); }

#include "test_game_flow_start.moc"
