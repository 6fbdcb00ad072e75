// What a save leaves on disk when things go wrong beneath it: the program
// killed half-way, a folder or files the user may not write, a full disk.
// The system calls a save makes are trapped by SystemCallTraps.cpp.
#include "TestClasses.h"

#include <QCoreApplication>

TestClass testInterruptedSave();
TestClass testDiskFaults();

int main(int argc, char **argv)
{
    return runTestClasses<QCoreApplication>(argc, argv, {testInterruptedSave(), testDiskFaults()});
}
