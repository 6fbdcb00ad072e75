#pragma once

#include "startup/Version.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

// What the start-up tests set up as the program would have it: its name and
// version, as its main() gives them, and the files it is to find.

inline void nameTheProgram()
{
    QCoreApplication::setApplicationName(QStringLiteral("tarvimonda"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TARVIMONDA_VERSION));
}

inline void writeText(const QString &path, const QByteArray &text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}
