#pragma once

#include <QImage>
#include <QSize>

// A window of a made-up notes app (title bar, sidebar, text, a small chart),
// opaque, at `size`. Needs a QGuiApplication for the fonts.
QImage drawSamplePicture(QSize size);
