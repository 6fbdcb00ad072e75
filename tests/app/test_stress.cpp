// The real window under stress: random input by the thousand, and memory
// over a whole game and many new games.
#include "TestClasses.h"

#include <QApplication>

TestClass randomInputTest();
TestClass memoryTest();

int main(int argc, char **argv)
{
    return runTestClasses<QApplication>(argc, argv, {randomInputTest(), memoryTest()});
}
