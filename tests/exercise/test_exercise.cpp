// The exercises a game draws, and the gradient behind them.
#include "TestClasses.h"

#include <QCoreApplication>

TestClass testExerciseDraws();
TestClass testRandomDraws();
TestClass testGradient();

int main(int argc, char **argv)
{
    return runTestClasses<QCoreApplication>(argc, argv, {testExerciseDraws(), testRandomDraws(), testGradient()});
}
