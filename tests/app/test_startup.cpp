// What the program is started with: the command line and the teacher's
// configuration file, and the real program answering --help and --check
// with no display, and surviving how it was started.
#include "TestClasses.h"

#include <QCoreApplication>

TestClass configurationTest();
TestClass commandLineTest();
TestClass checkTest();
TestClass recordFolderChoiceTest();

int main(int argc, char **argv)
{
    return runTestClasses<QCoreApplication>(argc, argv, {configurationTest(), commandLineTest(), checkTest(),
                                                         recordFolderChoiceTest()});
}
