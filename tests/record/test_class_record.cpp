// One record folder shared by a whole class, with the real record keeper
// saving in it as the game does.
#include "TestClasses.h"

#include <QCoreApplication>

TestClass testClassLocks();
TestClass testClassPupils();

int main(int argc, char **argv)
{
    return runTestClasses<QCoreApplication>(argc, argv, {testClassLocks(), testClassPupils()});
}
