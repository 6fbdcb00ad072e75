#pragma once

#include <QString>

// The usual system errors in Italian, whatever the machine's language (often
// English on a school's machines), and ours for what stands in a file's
// place.
QString errorReason(int error);
