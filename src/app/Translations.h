#pragma once

class QCoreApplication;

// Qt's own Italian texts (the answer box's right-click menu, the standard
// buttons), whatever the machine's language: the game speaks only Italian.
// False when they are not installed (Debian: qt6-translations-l10n).
bool installQtItalian(QCoreApplication &application);
