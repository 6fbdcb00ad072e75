// The register window as a teacher uses it, with the keyboard: sorting, a
// period, a search, a pupil's chart, what a screen reader reads, a game that
// ends meanwhile; the report as PDF; and the program writing it with no
// display at all.
#include "TestClasses.h"

#include <QApplication>

TestClass windowUseTest();
TestClass reportsTest();

int main(int argc, char **argv)
{
    return runTestClasses<QApplication>(argc, argv, {windowUseTest(), reportsTest()});
}
