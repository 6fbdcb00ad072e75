#pragma once

#include "ui/WindowDescription.h"

#include <QFont>

// Maps the faces the window names to installed faces with the same metrics
// where they are missing (Liberation Sans for Arial, Liberation Serif for
// Times New Roman). Call once after the application object exists.
void installFontSubstitutes();

// The font of a control: face, point size as given, bold, italic.
QFont fontFor(const FontSpec &design);
