// What a screen reader reads of the window, when it reads it, and play with
// the keyboard alone or the numeric keypad alone.
#include "TestClasses.h"

#include <QApplication>

TestClass screenReaderTest();
TestClass keyboardTest();

int main(int argc, char **argv)
{
    return runTestClasses<QApplication>(argc, argv, {screenReaderTest(), keyboardTest()});
}
