#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>

// Decodes the images of an icon file (.ico), in the file's order, as Format_ARGB32:
// bitmap images by the toolkit's own bitmap decoder with their mask or alpha, PNG images
// by Qt's built-in PNG reader (no image plugin is loaded). The directory and each
// image's header are checked first; an image that does not decode is left out. A broken
// icon, or one with no image that decodes, throws EInvalidGraphic with "Icône incorrecte".
QList<QImage> DecodeIconImages(const QByteArray& Data);

// The largest of the icon's images (the first of equal ones).
QImage DecodeIcon(const QByteArray& Data);
