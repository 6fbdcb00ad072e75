#pragma once

#include "settings/Configuration.h"

#include <QString>
#include <QStringList>

// The configuration's findings in the teacher's words, for both windows and
// the check: each names its file and line and what it means for the class.

// "FILE, riga N", or the file alone.
QString placeText(const ConfigurationPlace &place);

// Where a chosen record folder was chosen: "nell'opzione --record-folder"
// or "in FILE, riga N".
QString chosenInText(const ConfigurationPlace &recordFolderFrom);

// One sentence a problem, with what the class gets instead.
QStringList problemTexts(const Configuration &configuration);

// One sentence a right line that does not count, and why.
QStringList overriddenTexts(const Configuration &configuration);
