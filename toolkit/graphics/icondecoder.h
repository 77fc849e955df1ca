#pragma once

#include <QByteArray>
#include <QImage>

// Decodes an icon file (.ico) into the largest of its images, as Format_ARGB32. The
// directory and each image's header are checked before Qt's icon reader runs; a
// broken icon throws EInvalidGraphic with "Icône incorrecte".
QImage DecodeIcon(const QByteArray& Data);
