#pragma once

#include <QImage>

class QPainter;

// The background gradient: 256 solid horizontal bands, blue 0 at the top to
// blue 255 at the bottom, red and green 10 x shade. Band i covers device
// rows [i*h/256, (i+1)*h/256) of a surface h device pixels high, so the
// bands tile it without gaps whatever its height and scale.

// Paints the whole image.
void paintGradient(QImage &image, int shade);

// Paints the exposed part (logical pixels) of a surface of the given
// logical size on painter, band by band in device pixels: the same pixels
// as paintGradient on an image of the surface's device size.
void paintGradient(QPainter &painter, const QSize &size, int shade, const QRect &exposed);
