#include "ui/AboutWindow.h"

#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "ui/Pictures.h"
#include "ui/WindowFont.h"

QUrl TForm3::webAddress()
{
    return QUrl(QStringLiteral("https://tevo.example.org/"));
}

TForm3::TForm3(QWidget *parent, UrlOpener openUrl)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint),
      m_openUrl(openUrl ? std::move(openUrl)
                        : UrlOpener([](const QUrl &url) { return QDesktopServices::openUrl(url); }))
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("About Tevo v1.03"));
    setFont(TevoWindowFont());
    setFixedSize(330, 230);
    setModal(false);

    auto *group = new QGroupBox(QStringLiteral(" About "), this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    group->setGeometry(8, 6, 314, 182);
    group->setAutoFillBackground(true);
    QPalette white = group->palette();
    white.setColor(QPalette::Window, Qt::white);
    group->setPalette(white);

    Image1 = new QLabel(group);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(77, 18, 160, 120);
    Image1->setPixmap(QPixmap::fromImage(LoadPicture(QStringLiteral("about.jpg"))));

    Label1 = new QLabel(QStringLiteral("Code: "), group);
    Label1->setGeometry(12, 142, 40, 16);
    Label2 = new QLabel(QStringLiteral("the Tevo team"), group);
    Label2->setGeometry(52, 142, 110, 16);
    Label3 = new QLabel(QStringLiteral("GFX:"), group);
    Label3->setGeometry(172, 142, 30, 16);
    Label4 = new QLabel(QStringLiteral("the Tevo team"), group);
    Label4->setGeometry(204, 142, 104, 16);
    Label5 = new QLabel(QStringLiteral("Visit"), group);
    Label5->setGeometry(12, 160, 40, 16);
    Label6 = new QLabel(webAddress().toString(), group);
    Label6->setObjectName(QStringLiteral("Label6"));
    Label6->setGeometry(52, 160, 250, 16);
    Label6->setCursor(Qt::PointingHandCursor);
    Label6->setTextFormat(Qt::RichText);
    Label6->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(webAddress().toString()));
    Label6->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(Label6, &QLabel::linkActivated, this, &TForm3::Label6Click);

    Button1 = new QPushButton(QStringLiteral("Close"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(125, 196, 80, 25);
    Button1->setDefault(true); // Enter; Escape closes through QDialog::reject
    connect(Button1, &QPushButton::clicked, this, &QDialog::hide);
}

void TForm3::showOver(QWidget *mainWindow)
{
    if (!isVisible() && mainWindow && mainWindow->isVisible())
        move(mainWindow->frameGeometry().center() - rect().center());
    show();
    raise();
    activateWindow();
}

void TForm3::Label6Click()
{
    m_openUrl(webAddress());
}
