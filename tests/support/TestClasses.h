#pragma once

#include <QByteArray>
#include <QList>
#include <QMetaMethod>
#include <QObject>
#include <QTest>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>

#include <sys/wait.h>
#include <unistd.h>

// One test program made of several QtTest classes, each in a source file of
// its own: one CTest name and one link however a topic is split. The classes
// run one after another, each as QTEST_MAIN would run it. A test function
// named on the command line (`test_stress newGamesInARow`) goes to the class
// that holds it, and a class holding none of those named is not run, so a
// script that names one keeps working.

// A class of the program: what it holds, and how to make one.
struct TestClass
{
    const QMetaObject *meta;
    std::unique_ptr<QObject> (*make)();
};

template <class Test> TestClass testClass()
{
    return {&Test::staticMetaObject, [] { return std::unique_ptr<QObject>(std::make_unique<Test>()); }};
}

// A test function as QtTest takes one: a private slot without parameters.
inline bool isTestFunction(const QMetaMethod &method)
{
    return method.methodType() == QMetaMethod::Slot && method.access() == QMetaMethod::Private
           && method.parameterCount() == 0;
}

// Whether a command-line argument ("function" or "function:row") names a
// test function of the class.
inline bool namesTestFunctionOf(const QMetaObject &meta, const char *argument)
{
    QByteArray name(argument);
    if (const qsizetype colon = name.indexOf(':'); colon >= 0)
        name.truncate(colon);
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i)
        if (isTestFunction(meta.method(i)) && meta.method(i).name() == name)
            return true;
    return false;
}

// QtTest ends the program once it has listed a class's functions or data
// tags: each class is listed by a child of its own, in turn.
inline bool onlyListed(int argc, char **argv)
{
    return std::any_of(argv + 1, argv + argc, [](const char *argument) {
        return std::strcmp(argument, "-functions") == 0 || std::strcmp(argument, "-datatags") == 0;
    });
}
inline int listedByAChild(QObject *test, int argc, char **argv)
{
    std::fflush(stdout);
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(QTest::qExec(test, argc, argv));
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

// main() of a program of several classes; Application is the application
// QTEST_MAIN (QApplication) or QTEST_GUILESS_MAIN (QCoreApplication) makes.
// The status is the number of failed tests, as QtTest counts them.
template <class Application> int runTestClasses(int argc, char **argv, std::initializer_list<TestClass> classes)
{
    Application application(argc, argv);
    application.setAttribute(Qt::AA_Use96Dpi, true);
    const auto namesAny = [&classes](const char *argument) {
        return std::any_of(classes.begin(), classes.end(),
                           [argument](const TestClass &test) { return namesTestFunctionOf(*test.meta, argument); });
    };
    int failed = 0;
    for (const TestClass &test : classes) {
        QList<char *> arguments{argv[0]};
        bool namedHere = false;
        bool namedElsewhere = false;
        for (int i = 1; i < argc; ++i) {
            const bool here = namesTestFunctionOf(*test.meta, argv[i]);
            const bool elsewhere = !here && namesAny(argv[i]);
            namedHere |= here;
            namedElsewhere |= elsewhere;
            if (!elsewhere)
                arguments.append(argv[i]);
        }
        if (namedElsewhere && !namedHere)
            continue;
        const std::unique_ptr<QObject> object = test.make();
        failed += onlyListed(argc, argv) ? listedByAChild(object.get(), int(arguments.size()), arguments.data())
                                         : QTest::qExec(object.get(), int(arguments.size()), arguments.data());
    }
    return std::min(failed, 127);
}
