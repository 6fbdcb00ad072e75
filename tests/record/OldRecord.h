#pragma once

#include "FileBytes.h"

#include <QByteArray>

// The record on disk before a save that goes wrong: what must survive whole.
inline const QByteArray kOldScore = "7\r\n";
inline const QByteArray kOldName = "Anna\r\n";

class OldRecordFixture : protected RecordFolderFixture
{
protected:
    void storeOldRecord() { storeRecord(kOldScore, kOldName); }
    void verifyOldRecordKept() { verifyRecordKept(kOldScore, kOldName); }
};
