// The window as a pupil sees it: places, captions, fonts, keys and menu.
#include "TestClasses.h"

#include <QApplication>

TestClass layoutTest();
TestClass controlsTest();

int main(int argc, char **argv)
{
    return runTestClasses<QApplication>(argc, argv, {layoutTest(), controlsTest()});
}
