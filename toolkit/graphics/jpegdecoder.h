#pragma once

#include <QByteArrayView>
#include <QImage>

// Decodes JPEG bytes with libjpeg into a Format_RGB32 image (greyscale, YCbCr, RGB and
// CMYK pictures). Broken or truncated data, including what libjpeg only warns about,
// and pictures past the size bounds throw EInvalidGraphic with "Image JPEG incorrecte".
QImage DecodeJpeg(QByteArrayView Data);
