#include "ui/Pictures.h"

#include <QFile>

#include "ui/JpegImage.h"

// The pictures live in a resource file of the static core library, which the linker would
// leave out unless it is registered by hand.
static void registerPictures()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(Pictures);
        return true;
    }();
    Q_UNUSED(registered);
}

QImage LoadPicture(const QString &name)
{
    registerPictures();
    QFile file(QStringLiteral(":/pictures/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return QImage();
    return DecodeJpeg(file.readAll());
}

QIcon ApplicationIcon()
{
    registerPictures();
    return QIcon(QStringLiteral(":/pictures/tevo.png"));
}
