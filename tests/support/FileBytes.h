#pragma once

#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>
#include <QFile>
#include <QString>
#include <QTest>

// Whole-file reads and writes for tests that check record files byte for byte.

inline QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return file.readAll();
}

inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A fresh record folder "rec/" inside a temporary folder, for one test.
// Whatever permissions the test took away are given back before removal.
struct TempRecordFolder
{
    TempRecordFolder() { QDir().mkpath(path); }
    ~TempRecordFolder()
    {
        for (const QString &entry : QDir(path).entryList(QDir::Files | QDir::Hidden))
            QFile::setPermissions(path + entry, QFile::ReadOwner | QFile::WriteOwner);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    bool isValid() const { return temporary.isValid() && QDir(path).exists(); }

    QTemporaryDir temporary;
    const QString path = temporary.path() + QStringLiteral("/rec/"); // one trailing '/'
};
