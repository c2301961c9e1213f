#pragma once
// Decodes the JPEG pictures of Tevo's windows with libjpeg, failing cleanly on damaged data.

#include <QByteArray>
#include <QImage>
#include <QString>

// The decoded picture in QImage::Format_RGB888; a null image when the data is not a complete,
// undamaged JPEG picture, with the reason in *error when error is given.
QImage DecodeJpeg(const QByteArray &data, QString *error = nullptr);
