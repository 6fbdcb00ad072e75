// The gradient behind the exercise, kept on the window's surface and
// painted again over a wrong answer's black.
#include "PlayKeys.h"
#include "TestClasses.h"

#include "exercise/Gradient.h"
#include "ui/Surface.h"

class GradientTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { installFontSubstitutes(); }

    void gradientIsDrawnOnThePersistentSurface()
    {
        GameFixture game;
        game.start();
        game.state().backgroundShade = 14;
        game.window->cmdNext_Click();
        const int shade = game.window->state().backgroundShade * 10;
        const QImage image = game.c().surface->grab().toImage();
        QCOMPARE(image.pixelColor(420, 0), QColor(shade, shade, 0));
        QCOMPARE(image.pixelColor(5, image.height() - 1), QColor(shade, shade, 255));
        QCOMPARE(image.pixelColor(840, image.height() / 2).blue(), 128);
        // Covered and repainted, the drawing is still there.
        game.c().surface->repaint();
        QCOMPARE(game.c().surface->grab().toImage().pixelColor(420, 0), QColor(shade, shade, 0));
        game.c().surface->setBackColour(Qt::black);
        QCOMPARE(game.c().surface->grab().toImage().pixelColor(5, image.height() - 1), QColor(Qt::black));
    }

    void gradientAfterAWrongAnswerCoversTheBlackEverywhere()
    {
        // After a wrong answer's black-out the gradient covers every pixel.
        GameFixture game;
        game.start();
        answer(game, "999");
        QCOMPARE(game.c().surface->backColour(), QColor(Qt::black));
        game.window->cmdNext_Click();
        Surface &surface = *game.c().surface;
        QImage shown(surface.size(), QImage::Format_RGB32);
        shown.fill(Qt::white);
        surface.render(&shown, {}, {}, QWidget::DrawWindowBackground); // its children aside
        QImage fresh(shown.size(), QImage::Format_RGB32);
        paintGradient(fresh, game.window->state().backgroundShade);
        QCOMPARE(shown, fresh);
    }
};

TestClass gradientTest() { return testClass<GradientTest>(); }

#include "test_play_gradient.moc"
