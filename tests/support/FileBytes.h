#pragma once

#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>
#include <QFile>
#include <QString>
#include <QTest>

#include <memory>

#include <unistd.h>

// Whole-file reads and writes for tests that check record files byte for byte.

inline QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return "<missing>";
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return file.readAll();
}

// Every name in a folder, hidden ones and leftovers included, sorted.
inline QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Root passes every permission check, so a test of one cannot run as root.
inline bool runningAsRoot() { return ::geteuid() == 0; }

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

// What every record test starts from: a fresh record folder, its two files'
// paths, and the pair put in or checked byte for byte.
class RecordFolderFixture
{
protected:
    void renewFolder()
    {
        m_folder = std::make_unique<TempRecordFolder>();
        QVERIFY(m_folder->isValid());
        m_dir = m_folder->path;
    }
    QString score() const { return m_dir + QStringLiteral("esprle.txt"); }
    QString name() const { return m_dir + QStringLiteral("nesprle.txt"); }
    void storeRecord(const QByteArray &scoreBytes, const QByteArray &nameBytes)
    {
        writeBytes(score(), scoreBytes);
        writeBytes(name(), nameBytes);
    }
    // Nothing lost: both files still hold the record stored before.
    void verifyRecordKept(const QByteArray &scoreBytes, const QByteArray &nameBytes)
    {
        QCOMPARE(bytesOf(score()), scoreBytes);
        QCOMPARE(bytesOf(name()), nameBytes);
    }

    std::unique_ptr<TempRecordFolder> m_folder;
    QString m_dir; // the record folder of the current test, one trailing '/'
};
