// Playing through the real window: keys, verdicts, the default button, the
// gradient, and the countdown that ends the game.
#include "TestClasses.h"

#include <QApplication>

TestClass answerTest();
TestClass gradientTest();
TestClass countdownTest();

int main(int argc, char **argv)
{
    return runTestClasses<QApplication>(argc, argv, {answerTest(), gradientTest(), countdownTest()});
}
