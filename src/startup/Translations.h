#pragma once

class QCoreApplication;

// Qt's own Italian texts (the answer box's right-click menu, the standard
// buttons), whatever the machine's language: the game speaks only Italian.
// False when they are not installed (Debian: qt6-translations-l10n).
bool installQtItalian(QCoreApplication &application);

// The same, read only when first needed: the right-click menu of a text
// box, by mouse or keyboard, is the one place the game shows Qt's own
// texts, and nothing before the name prompt needs them. False when they
// are not installed.
bool installQtItalianWhenAsked(QCoreApplication &application);
