#include "ui/SplashWindow.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>

#include "ui/Pictures.h"

TForm2::TForm2(QWidget *parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Loading Tevo.."));
    setFixedSize(640, 480);

    // The picture is 642 x 481 and overhangs the client area by a pixel on two sides.
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, 642, 481);
    Image1->setPixmap(QPixmap::fromImage(LoadPicture(QStringLiteral("splash.jpg"))));

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}
