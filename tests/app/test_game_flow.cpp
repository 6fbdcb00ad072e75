// Start-up, new game, minimise, information, exit and close box, driven
// through the real window with its dialogs answered from the test.
#include "TestClasses.h"

#include <QApplication>

TestClass gameStartTest();
TestClass newGameTest();
TestClass dialogsTest();
TestClass gameEndTest();
TestClass recordFolderTest();

int main(int argc, char **argv)
{
    return runTestClasses<QApplication>(argc, argv, {gameStartTest(), newGameTest(), dialogsTest(), gameEndTest(),
                                                     recordFolderTest()});
}
