// The JPEG pictures: the embedded ones decode with libjpeg, damaged data fails cleanly.

#include <QFile>
#include <QRandomGenerator>
#include <QTest>

#include "ui/JpegImage.h"
#include "ui/Pictures.h"

namespace {

QByteArray embedded(const QString &name)
{
    LoadPicture(name); // registers the resources
    QFile file(QStringLiteral(":/pictures/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

bool near(QRgb pixel, int red, int green, int blue)
{
    return qAbs(qRed(pixel) - red) < 24 && qAbs(qGreen(pixel) - green) < 24 &&
           qAbs(qBlue(pixel) - blue) < 24;
}

} // namespace

class TestJpegImage : public QObject
{
    Q_OBJECT

private slots:
    void embeddedPicturesDecode_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QTest::newRow("banner") << QStringLiteral("banner.jpg") << QSize(505, 81);
        QTest::newRow("splash") << QStringLiteral("splash.jpg") << QSize(642, 481);
        QTest::newRow("about") << QStringLiteral("about.jpg") << QSize(160, 120);
    }
    void embeddedPicturesDecode()
    {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        const QByteArray data = embedded(name);
        QVERIFY(data.startsWith("\xFF\xD8"));
        QString error;
        const QImage image = DecodeJpeg(data, &error);
        QVERIFY2(!image.isNull(), qPrintable(error));
        QCOMPARE(image.size(), size);
        QCOMPARE(image.format(), QImage::Format_RGB888);
        QCOMPARE(LoadPicture(name).size(), size);
    }

    void decodedPixelsAreThePicture()
    {
        // The banner: black on the left edge, the orange mark at (40, 55).
        const QImage banner = LoadPicture(QStringLiteral("banner.jpg"));
        QVERIFY(near(banner.pixel(2, 2), 0, 0, 0));
        QVERIFY(near(banner.pixel(40, 58), 0xf0, 0xa0, 0x20));
    }

    void damagedDataFailsCleanly_data()
    {
        const QByteArray splash = embedded(QStringLiteral("splash.jpg"));
        QByteArray noise(4096, Qt::Uninitialized);
        QRandomGenerator generator(7);
        for (char &byte : noise)
            byte = char(generator.bounded(256));
        QByteArray corruptBody = splash;
        for (int i = 800; i < corruptBody.size() - 2; i += 97)
            corruptBody[i] = char(0xFF); // stray markers inside the entropy-coded data

        QTest::addColumn<QByteArray>("data");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("garbage") << noise;
        QTest::newRow("text") << QByteArray("definitely not a picture");
        QTest::newRow("header only") << splash.left(300);
        QTest::newRow("truncated half") << splash.left(splash.size() / 2);
        QTest::newRow("last bytes missing") << splash.left(splash.size() - 40);
        QTest::newRow("start marker only") << QByteArray("\xFF\xD8", 2);
        QTest::newRow("corrupt body") << corruptBody;
    }
    void damagedDataFailsCleanly()
    {
        QFETCH(QByteArray, data);
        QString error;
        const QImage image = DecodeJpeg(data, &error);
        QVERIFY(image.isNull());
        QVERIFY(!error.isEmpty());
        // The decoder is usable again afterwards.
        QVERIFY(!DecodeJpeg(embedded(QStringLiteral("about.jpg"))).isNull());
    }

    void unknownPictureIsNull() { QVERIFY(LoadPicture(QStringLiteral("none.jpg")).isNull()); }
};

QTEST_MAIN(TestJpegImage)
#include "tst_jpegimage.moc"
