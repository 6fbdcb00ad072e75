// The record keeper as a program: the requests it takes, what it keeps of
// its caller, and the group it holds.
#include "TestClasses.h"

#include <QCoreApplication>

TestClass testKeeperRequests();
TestClass testKeeperCaller();
TestClass testKeeperGroups();

int main(int argc, char **argv)
{
    return runTestClasses<QCoreApplication>(argc, argv, {testKeeperRequests(), testKeeperCaller(),
                                                         testKeeperGroups()});
}
