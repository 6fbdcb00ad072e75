#pragma once

#include "fileformats/RegisterParser.h"

class QWidget;

// The lines of the register that could not be read, by their number in the
// file, each with the reason; count is all of them, lines those kept. The
// dialog closes itself; the window stays usable meanwhile.
void showUnreadLines(QWidget *parent, int count, const QList<UnreadLine> &lines);
