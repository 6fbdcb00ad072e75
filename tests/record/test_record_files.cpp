// The two record files as the record folder's steps read and write them,
// in the test's own process.
#include "TestClasses.h"

#include <QCoreApplication>

TestClass testRecordReading();
TestClass testRecordSaving();
TestClass testRecordLocking();

int main(int argc, char **argv)
{
    return runTestClasses<QCoreApplication>(argc, argv, {testRecordReading(), testRecordSaving(),
                                                         testRecordLocking()});
}
