#pragma once

#include "ui/WindowDescription.h"

#include <QCursor>
#include <QIcon>
#include <QPixmap>

// The program's pictures, drawn from the vector originals in the resources
// so they stay sharp at any screen scale.

// The picture at its natural size, rendered for the given device pixel ratio.
QPixmap picturePixmap(Picture picture, qreal devicePixelRatio = 1.0);
// The picture at 1x and at the scale of each screen, for QIcon to choose
// from; the window icon instead at each size of kWindowIconSizes.
QIcon pictureIcon(Picture picture);
inline constexpr int kWindowIconSizes[] = {16, 22, 24, 32, 48, 64, 96, 128, 256};
// A mouse pointer made from the picture, its hot spot at the centre.
QCursor pictureCursor(Picture picture, qreal devicePixelRatio = 1.0);
// Natural size in logical pixels.
QSize pictureSize(Picture picture);
