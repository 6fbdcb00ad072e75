#pragma once

#include <QString>

// What the game says once a new record is on disk, word for word.
inline const QString kSaved = QStringLiteral("Ok ho registrato il tuo record, C A M P I O N E");
