// The window as a pupil sees it: every object of its design, at its place,
// with its caption, font, colour and tooltip, and labels sized to their
// captions as a QLabel sizes them.
#include "GameFixture.h"
#include "TestClasses.h"

#include "ui/PictureButton.h"
#include "ui/Surface.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

class LayoutTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { installFontSubstitutes(); }

    void everyNamedObjectExistsWithItsKind()
    {
        GameFixture game;
        game.start();
        const QStringList labels{"Label1", "Label2", "Label3", "Label4", "Label5", "Label6", "Label7", "Label8",
                                 "Label9", "Label10", "Label11", "Label12", "Label13", "Label14", "Label15",
                                 "lblconto", "lblvala", "lblvalb", "lblNum1", "lblNum2", "lblNum3", "lblNum4",
                                 "lblmon", "lblmon1", "lblmon3", "lblmon4", "lblnom5", "lblMessage", "lblScore",
                                 "lblScore1", "lblScore2", "lblnome1", "lblnome", "lblpunti", "lblTime"};
        // Labels are QLabels, as any tool that reads a Qt window expects,
        // and never read their captions as markup.
        for (const QString &name : labels) {
            const QLabel *label = game.window->findChild<QLabel *>(name);
            QVERIFY2(label, qPrintable(name));
            QCOMPARE(label->textFormat(), Qt::PlainText);
        }
        for (const char *counter : {"lblScore", "lblScore1", "lblScore2"})
            QCOMPARE(game.window->findChild<QLabel *>(counter)->text(), QStringLiteral("0"));
        QVERIFY(game.window->findChild<QLabel *>("Image1"));
        QVERIFY(game.window->findChild<QLineEdit *>("txtAnswer"));
        QVERIFY(game.window->findChild<QLineEdit *>("txtAnswer1"));
        QVERIFY(game.window->findChild<PictureButton *>("cmdNext"));
        QVERIFY(game.window->findChild<PictureButton *>("cmdExit"));
        QVERIFY(game.window->findChild<QPushButton *>("Command1"));
        for (const char *name : {"Timer1", "Timer2"})
            QVERIFY2(game.window->findChild<QTimer *>(name), name);
        for (const char *name : {"INFOMAZIONI", "copy", "tr"})
            QVERIFY2(game.window->findChild<QMenu *>(name), name);
        for (const char *name : {"Tmer", "ik", "Next"})
            QVERIFY2(game.window->findChild<QAction *>(name), name);
    }

    void controlsStandAtTheirDesignPlaces()
    {
        GameFixture game;
        game.start();
        QCOMPARE(game.c().surface->size(), QSize(848, 567));
        QCOMPARE(game.window->centralWidget(), game.c().surface);
        // Twips / 15, relative to the client area below the menu bar.
        QCOMPARE(game.find("lblNum3")->geometry(), QRect(8, 88, 85, 55));
        QCOMPARE(game.find("txtAnswer")->geometry(), QRect(656, 136, 177, 80));
        QCOMPARE(game.find("cmdNext")->geometry(), QRect(696, 408, 121, 73));
        QCOMPARE(game.find("cmdExit")->geometry(), QRect(32, 416, 121, 73));
        QCOMPARE(game.find("Label9")->geometry(), QRect(120, 0, 481, 41));
        QCOMPARE(game.find("Image1")->geometry(), QRect(40, 24, 32, 32));
        QCOMPARE(game.find("txtAnswer1")->geometry(), QRect(552, 24, 0, 7));
        // Auto-size labels keep their left and top edges.
        QCOMPARE(game.find("lblScore")->pos(), QPoint(64, 288));
        QCOMPARE(game.find("lblpunti")->pos(), QPoint(712, 488));
        // The window is as large as its client area and menu bar, and fixed.
        const QSize size = game.window->size();
        QCOMPARE(size.width(), 848);
        QCOMPARE(size.height(), 567 + game.window->menuBar()->height());
        QCOMPARE(game.window->minimumSize(), game.window->maximumSize());
        QVERIFY(game.window->windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(game.window->windowFlags() & Qt::WindowMaximizeButtonHint));
    }

    void designCaptionsFontsAndColours()
    {
        GameFixture game;
        game.start();
        QCOMPARE(game.caption("Label12"), QString::fromUtf8("Il record  è di "));
        QCOMPARE(game.caption("Label9"), QStringLiteral("Calcola il valore della seguente "));
        QCOMPARE(game.caption("Label5"), QStringLiteral(" b ="));
        QCOMPARE(game.caption("lblScore"), QStringLiteral("0"));
        const QFont lblconto = game.find("lblconto")->font();
        QCOMPARE(lblconto.family(), QStringLiteral("Arial Black"));
        QCOMPARE(lblconto.pointSizeF(), 12.0);
        const QFont message = game.find("lblMessage")->font();
        QVERIFY(message.bold() && message.italic());
        QCOMPARE(message.pointSizeF(), 24.0);
        QCOMPARE(game.find("lblvalb")->font().pointSizeF(), 26.25);
        QCOMPARE(game.find<Label>("Label6")->foreColour(), QColor(0x00, 0xC0, 0x00));
        QCOMPARE(game.find<Label>("lblnome")->foreColour(), QColor(0xFF, 0x00, 0xFF));
        QCOMPARE(game.find<PictureButton>("cmdExit")->backColour(), QColor(0xFF, 0x00, 0x00));
        QCOMPARE(game.find<QLineEdit>("txtAnswer")->palette().color(QPalette::Base), QColor(0xFF, 0xFF, 0x80));
        // Missing faces fall back to installed faces with the same metrics.
        const QFontInfo arial(game.find("lblNum3")->font());
        QVERIFY2(arial.family() == "Arial" || arial.family() == "Liberation Sans", qPrintable(arial.family()));
        QVERIFY(game.find("Label2")->isHidden());
        QVERIFY(game.find<Label>("Label2")->autoFillBackground());
        QVERIFY(!game.find<Label>("Label9")->autoFillBackground());
    }

    void toolTipsReadExactly()
    {
        GameFixture game;
        game.start();
        QCOMPARE(game.find("txtAnswer")->toolTip(), QStringLiteral("Inserisci il risultato e  premi il tasto  Invio"));
        QCOMPARE(game.find("cmdNext")->toolTip(), QStringLiteral("Go"));
        QCOMPARE(game.find("cmdExit")->toolTip(),
                 QStringLiteral("Ti prego resta ancora, forse riuscirai a farmi uscire "));
        QCOMPARE(game.find("lblScore")->toolTip(),
                 QString::fromUtf8("Questo è il tuo punteggio. Forza con il  record"));
        QCOMPARE(game.find("Image1")->toolTip(), QStringLiteral("Clicca sotto di me per impostare il Timer"));
        QCOMPARE(game.find("lblTime")->toolTip(), QStringLiteral("Clicca sotto di me per attivare il Timer"));
    }

    void autoSizeLabelsFollowTheirCaptions()
    {
        GameFixture game;
        game.start(QString());
        auto *name = game.find<Label>("lblnome1");
        const int emptyWidth = name->width();
        QVERIFY2(emptyWidth > 0 && emptyWidth < 15, "an empty name leaves a narrow box");
        name->setCaption(QStringLiteral("Massimiliano"));
        QVERIFY(name->width() > 100);
        QCOMPARE(name->pos(), QPoint(136, 376));

        auto *score = game.find<Label>("lblScore");
        const int oneDigit = score->width();
        score->setCaption(QStringLiteral("12"));
        QVERIFY(score->width() > oneDigit);
        // A fixed box keeps its size whatever its caption.
        auto *coefficient = game.find<Label>("lblNum3");
        coefficient->setCaption(QStringLiteral("-5"));
        QCOMPARE(coefficient->size(), QSize(85, 55));
    }

    // An auto-size label takes the size a QLabel with its font, border and
    // caption asks for: numbers at every answer, names, a caption in a
    // font changed on the way. Each is measured for itself, never taken
    // from a label measured before.
    void captionsAreMeasuredAsQLabelMeasuresThem()
    {
        GameFixture game;
        game.start();
        QLabel reference;
        auto measuredAsQLabel = [&reference](const Label *label) {
            reference.setFont(label->font());
            reference.setFrameStyle(label->frameStyle());
            reference.setLineWidth(label->lineWidth());
            reference.setAlignment(label->alignment());
            reference.setMargin(0);
            reference.setIndent(0);
            reference.setTextFormat(Qt::PlainText);
            reference.setText(label->caption());
            return reference.sizeHint();
        };
        auto check = [&](Label *label, const QString &caption) {
            label->setCaption(caption);
            const QSize expected = caption.isEmpty() ? QSize(Label::kEmptyWidth + 2 * label->frameWidth(), measuredAsQLabel(label).height())
                                                     : measuredAsQLabel(label);
            QVERIFY2(label->size() == expected, qPrintable(QString("%1 «%2» %3 %4").arg(label->objectName(), caption).arg(label->width()).arg(expected.width())));
        };
        for (const char *name : {"lblScore", "lblScore1", "lblpunti", "lblNum1", "lblNum4"}) {
            QList<int> numbers{1234, 11111, 32767, -5, -11, -32768};
            for (int n = 0; n <= 150; ++n)
                numbers << n;
            for (int n : numbers)
                check(game.find<Label>(name), QString::number(n));
        }
        for (const char *name : {"Label13", "Label3", "Label7", "Label14", "lblnome1", "lblnome", "lblTime"})
            check(game.find<Label>(name), QStringLiteral("Massimiliano\nPaola"));
        for (const char *name : {"lblnome", "lblScore"}) {
            auto *label = game.find<Label>(name);
            QFont bigger = label->font();
            bigger.setPointSizeF(bigger.pointSizeF() * 2);
            label->setFont(bigger);
            check(label, QString());
            check(label, QStringLiteral("Massimiliano\nPaola"));
            check(label, QStringLiteral("-32768"));
        }
    }

    void commandOneHidesBehindTheNextButton()
    {
        GameFixture game;
        game.start();
        QWidget *command1 = game.find("Command1");
        QCOMPARE(game.c().surface->childAt(command1->geometry().center()), game.find("cmdNext"));
        // Text boxes and buttons stand in front of every label.
        QCOMPARE(game.c().surface->childAt(QPoint(700, 140)), game.find("txtAnswer"));
    }
};

TestClass layoutTest() { return testClass<LayoutTest>(); }

#include "test_window_layout.moc"
