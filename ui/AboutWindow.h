#pragma once
// The about window: picture, credits and Tevo's web address.

#include <functional>
#include <QDialog>
#include <QUrl>

class QLabel;
class QPushButton;

class TForm3 : public QDialog
{
    Q_OBJECT
public:
    using UrlOpener = std::function<bool(const QUrl &)>;

    // openUrl hands the web address to the desktop's browser (QDesktopServices by default).
    explicit TForm3(QWidget *parent = nullptr, UrlOpener openUrl = {});

    // Shows the window centred over the main window, or brings it to the front.
    void showOver(QWidget *mainWindow);

    static QUrl webAddress();

    QLabel *Image1;
    QLabel *Label1;       // "Code: "
    QLabel *Label2;       // the credited coder
    QLabel *Label3;       // "GFX:"
    QLabel *Label4;       // the credited artist
    QLabel *Label5;       // "Visit"
    QLabel *Label6;       // the link
    QPushButton *Button1; // "Close"

public slots:
    void Label6Click();

private:
    UrlOpener m_openUrl;
};
