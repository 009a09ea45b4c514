// JPEG pictures of the windows, decoded with libjpeg (libjpeg-turbo's jpeglib.h API).
//
// The decorative pictures of the tool windows are JPEG files compiled into the program as
// Qt resources; they are decoded here rather than through Qt's image plugins so that the
// program depends on the one JPEG library it names, whatever plugins the desktop has.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace zv::app {

// Pictures larger than this many pixels a side are refused rather than allocated.
inline constexpr int kMaxJpegSide = 8192;

// Decodes JPEG bytes into an RGB image (grey and CMYK pictures are converted). A null image
// when the bytes are no JPEG, are damaged or are too large; *error (when given) then holds
// the reason. A picture that ends early is decoded as far as it goes (libjpeg fills the
// missing rows).
QImage decodeJpeg(const QByteArray& bytes, QString* error = nullptr);

// Reads a file or a resource (":/optical/optical_header.jpg") and decodes it. A null
// image with the reason in *error when the file cannot be read or decoded.
QImage loadJpegPicture(const QString& path, QString* error = nullptr);

}  // namespace zv::app
