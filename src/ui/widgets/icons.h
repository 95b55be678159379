#pragma once

#include <QIcon>
#include <QImage>

namespace tessary {

QIcon programIcon();
// The list's key image, at 16 and 32 pixels.
QIcon keyIcon();
QIcon toolbarIcon(const char* name);
// The 120 x 240 picture at the left of the New User window and the password wizard: a stretch of the
// Mandelbrot set's edge.
QImage sidePicture();

} // namespace tessary
