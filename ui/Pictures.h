#pragma once
// The pictures and the icon embedded in the program.

#include <QIcon>
#include <QImage>
#include <QString>

// One of the embedded JPEG pictures ("banner.jpg", "splash.jpg", "about.jpg"), decoded with
// libjpeg; a null image when there is no such picture or it does not decode.
QImage LoadPicture(const QString &name);

// The application's icon, for the windows and the notification area.
QIcon ApplicationIcon();
