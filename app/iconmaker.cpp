// Draws Tevo's application icon as PNG files of the usual sizes for the hicolor theme, from the
// same shapes as app/icons/tevo.svg (so the build needs no SVG renderer).

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPolygonF>

namespace {

QImage drawIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0); // the SVG's 64 x 64 view box
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x10, 0x30, 0x4a));
    painter.drawRoundedRect(QRectF(0, 0, 64, 64), 12, 12);
    painter.setBrush(QColor(0xf0, 0xa0, 0x20));
    painter.drawPolygon(QPolygonF({{10, 54}, {32, 10}, {54, 54}}));
    painter.setBrush(QColor(0x10, 0x30, 0x4a));
    painter.drawPolygon(QPolygonF({{22, 48}, {32, 28}, {42, 48}}));
    return image;
}

} // namespace

// tevo-icon-maker <output folder>: writes <folder>/<n>x<n>/apps/tevo.png for each size.
int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2)
        return 2;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder =
            QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
        if (!QDir().mkpath(folder) || !drawIcon(size).save(folder + QStringLiteral("/tevo.png")))
            return 1;
    }
    return 0;
}
