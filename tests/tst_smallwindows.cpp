// The splash and about windows.

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "ui/AboutWindow.h"
#include "ui/SplashWindow.h"

class TestSmallWindows : public QObject
{
    Q_OBJECT

private slots:
    void splashShowsItsPicture()
    {
        TForm2 splash;
        QCOMPARE(splash.windowTitle(), QStringLiteral("Loading Tevo.."));
        QCOMPARE(splash.size(), QSize(640, 480));
        QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(splash.Image1->pixmap().size(), QSize(642, 481));
        splash.show();
        QVERIFY(QTest::qWaitForWindowExposed(&splash));
        // The picture is drawn, not the window's plain background.
        const QImage grabbed = splash.grab().toImage();
        QVERIFY(grabbed.pixelColor(160, 320).red() > 200); // the orange mark
    }

    void aboutLinkOpensTheWebAddress()
    {
        QList<QUrl> opened;
        TForm3 about(nullptr, [&](const QUrl &url) {
            opened << url;
            return true;
        });
        QCOMPARE(about.windowTitle(), QStringLiteral("About Tevo v1.03"));
        QVERIFY(about.windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!about.Image1->pixmap().isNull());
        QVERIFY(about.Label6->text().contains(TForm3::webAddress().toString()));
        QCOMPARE(about.Label6->cursor().shape(), Qt::PointingHandCursor);

        QWidget main;
        main.resize(520, 548);
        main.show();
        about.showOver(&main);
        QVERIFY(about.isVisible());
        QVERIFY(!about.isModal());
        emit about.Label6->linkActivated(TForm3::webAddress().toString());
        QCOMPARE(opened, QList<QUrl>({TForm3::webAddress()}));

        QTest::mouseClick(about.Button1, Qt::LeftButton);
        QVERIFY(!about.isVisible());
        about.showOver(&main);
        QTest::keyClick(&about, Qt::Key_Escape);
        QVERIFY(!about.isVisible());
    }
};

QTEST_MAIN(TestSmallWindows)
#include "tst_smallwindows.moc"
