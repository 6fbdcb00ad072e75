#pragma once

#include <QImage>

// Paints the background gradient over the whole image: 256 solid horizontal
// bands, blue 0 at the top to blue 255 at the bottom, red and green
// 10 x shade. Band i covers rows [i*h/256, (i+1)*h/256), so the bands tile
// the image without gaps whatever its height.
void paintGradient(QImage &image, int shade);
