// The window's keys, menu, icon and timers: the tab order, the answer box's
// length, access keys and the focused button's mark, the menu tree.
#include "GameFixture.h"
#include "TestClasses.h"

#include "ui/PictureButton.h"

#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTimer>

class ControlsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { installFontSubstitutes(); }

    void tabOrderAndZeroWidthBox()
    {
        GameFixture game;
        game.start();
        auto *cmdNext = game.find<PictureButton>("cmdNext");
        cmdNext->setEnabled(true);
        QWidget *expected[] = {game.find("cmdExit"), cmdNext, game.find("txtAnswer"), game.find("Command1"),
                               game.find("txtAnswer1")};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(expected[i]->nextInFocusChain() != nullptr, true);
        expected[0]->setFocus();
        QVERIFY(game.window->focusWidget() == expected[0] && (expected[0]->focusPolicy() & Qt::TabFocus));
        for (int i = 1; i < 5; ++i) {
            QWidget *next = expected[i - 1]->nextInFocusChain();
            while (next && !(next->focusPolicy() & Qt::TabFocus))
                next = next->nextInFocusChain();
            QCOMPARE(next, expected[i]);
        }
        // The zero-width box is shown, enabled and takes the focus and keys.
        auto *hidden = game.find<QLineEdit>("txtAnswer1");
        QCOMPARE(hidden->width(), 0);
        QVERIFY(hidden->isVisible() && hidden->isEnabled());
    }

    void answerBoxTakesFourCharacters()
    {
        GameFixture game;
        game.start();
        auto *box = game.find<QLineEdit>("txtAnswer");
        box->setFocus();
        QTest::keyClicks(box, "12345");
        QCOMPARE(box->text(), QStringLiteral("1234"));
    }

    void accessKeysAndFocusedButtons()
    {
        GameFixture game;
        game.start();
        auto *cmdNext = game.find<PictureButton>("cmdNext");
        QSignalSpy nextClicks(cmdNext, &QAbstractButton::clicked);
        QCOMPARE(cmdNext->shortcut(), QKeySequence(Qt::ALT | Qt::Key_N));
        QCOMPARE(game.find<PictureButton>("cmdExit")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_X));
        // Disabled: neither the access key nor a click reaches it.
        QTest::mouseClick(cmdNext, Qt::LeftButton);
        QCOMPARE(nextClicks.count(), 0);
        cmdNext->setEnabled(true);
        cmdNext->setFocus();
        QTest::keyClick(cmdNext, Qt::Key_Space);
        QTRY_COMPARE(nextClicks.count(), 1);
        // The click drew a new exercise, which disables the button again.
        QVERIFY(!cmdNext->isEnabled());
        cmdNext->setEnabled(true);
        cmdNext->setFocus();
        QTest::keyClick(cmdNext, Qt::Key_Return);
        QTRY_COMPARE(nextClicks.count(), 2);
    }

    // Before any Tab: styles draw a focus frame only after one.
    void theFocusedButtonShowsItsMarkAtOnce()
    {
        GameFixture game;
        game.start();
        auto *cmdExit = game.find<PictureButton>("cmdExit");
        QVERIFY(!cmdExit->hasFocus());
        const QImage plain = cmdExit->grab().toImage();
        cmdExit->setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY(cmdExit->hasFocus());
        QVERIFY(cmdExit->grab().toImage() != plain);
    }

    void menuTreeAsDesigned()
    {
        GameFixture game;
        game.start();
        const QList<QAction *> bar = game.window->menuBar()->actions();
        QCOMPARE(bar.size(), 3);
        QCOMPARE(bar[0]->objectName(), QStringLiteral("INFOMAZIONI"));
        QCOMPARE(bar[1]->objectName(), QStringLiteral("copy"));
        QCOMPARE(bar[2]->objectName(), QStringLiteral("Next"));
        QCOMPARE(bar[2]->text(), QStringLiteral("Nuovo"));
        QCOMPARE(game.find<QMenu>("INFOMAZIONI")->actions().first()->objectName(), QStringLiteral("Tmer"));
        auto *tr = game.find<QMenu>("tr");
        QCOMPARE(tr->title(), QStringLiteral("programma freeware"));
        QCOMPARE(game.find<QMenu>("copy")->actions().first(), tr->menuAction());
        QCOMPARE(tr->actions().first()->objectName(), QStringLiteral("ik"));
        for (QAction *action : game.window->findChildren<QAction *>())
            QVERIFY(action->shortcut().isEmpty() && !action->isCheckable() && action->isEnabled());
    }

    void windowIconAtEverySize()
    {
        GameFixture game;
        game.start();
        const QIcon icon = game.window->windowIcon();
        const QList<QSize> sizes = icon.availableSizes();
        for (int side : {16, 22, 24, 32, 48, 64, 96, 128, 256}) {
            QVERIFY2(sizes.contains(QSize(side, side)), qPrintable(QString::number(side)));
            // Drawn for that size, not scaled from another: sharp, and not blank.
            const QImage image = icon.pixmap(QSize(side, side), 1.0).toImage();
            QCOMPARE(image.size(), QSize(side, side));
            QVERIFY(image.pixelColor(side / 2, side / 2).alpha() > 0);
        }
    }

    void timersAsDesigned()
    {
        GameFixture game;
        game.start();
        auto *timer1 = game.find<QTimer>("Timer1");
        QCOMPARE(timer1->interval(), 1000);
        QCOMPARE(timer1->timerType(), Qt::PreciseTimer);
        QVERIFY(timer1->isActive());
        auto *timer2 = game.find<QTimer>("Timer2");
        QCOMPARE(timer2->interval(), 0);
        QVERIFY(!timer2->isActive());
    }
};

TestClass controlsTest() { return testClass<ControlsTest>(); }

#include "test_window_controls.moc"
