// What a screen reader reads of the window, and the keyboard path into the
// information menu.
#include "GameFixture.h"

#include "ui/Surface.h"

#include <QAccessible>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>

namespace {

QString accessibleText(QWidget *widget, QAccessible::Text what)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(widget);
    return iface ? iface->text(what) : QStringLiteral("<no interface>");
}

} // namespace

class AccessibilityTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { installFontSubstitutes(); }

    void everyControlHasAnItalianName()
    {
        GameFixture game;
        game.start();
        const QList<std::pair<const char *, QString>> expected{
            {"txtAnswer", "Risposta"},
            {"cmdNext", "Nuovo calcolo"},
            {"cmdExit", "Esci"},
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
            if (widget->isHidden() || (qobject_cast<QLabel *>(widget) && qobject_cast<QLabel *>(widget)->text().isEmpty()
                                       && widget->focusPolicy() == Qt::NoFocus && widget->toolTip().isEmpty()
                                       && widget->accessibleName().isEmpty()))
                continue;
            QVERIFY2(!accessibleText(widget, QAccessible::Name).isEmpty(), qPrintable(widget->objectName()));
        }
        // Tooltips are the descriptions.
        for (const char *name : {"txtAnswer", "cmdNext", "cmdExit", "lblScore", "Image1", "lblTime"})
            QCOMPARE(accessibleText(game.find(name), QAccessible::Description), game.find(name)->toolTip());
    }

    void theExerciseAndTheValuesAreRead()
    {
        GameFixture game;
        game.start();
        const QString description = accessibleText(game.find("txtAnswer1"), QAccessible::Description);
        QVERIFY2(description.startsWith("Espressione: "), qPrintable(description));
        QVERIFY(description.contains("a vale " + game.caption("lblvalb")));
        QVERIFY(description.contains("b vale " + game.caption("lblvala")));
        QVERIFY(description.contains(game.caption("lblNum1") + game.caption("lblmon3")));
        QCOMPARE(accessibleText(game.find("lblvalb"), QAccessible::Name), "Valore di a: " + game.caption("lblvalb"));
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

    void informationMenuOpensFromTheKeyboard()
    {
        GameFixture game;
        game.start();
        game.answerer->press("OK");
        auto *copy = game.find<QMenu>("copy");
        copy->popup(QPoint(10, 10));
        QTRY_COMPARE(game.answerer->seen.size(), 3);
        QCOMPARE(game.answerer->seen.last().icon, QMessageBox::Information);
        // Then the submenu opens as after a click, without a second message.
        QTRY_VERIFY(copy->isVisible());
        QTest::qWait(20);
        QCOMPARE(game.answerer->seen.size(), 3);
        copy->hide();
    }
};

QTEST_MAIN(AccessibilityTest)
#include "test_accessibility.moc"
