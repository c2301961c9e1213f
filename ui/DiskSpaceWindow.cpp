#include "ui/DiskSpaceWindow.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTreeWidget>

#include "engine/Dialogs.h"
#include "engine/Settings.h"
#include "ui/WindowFont.h"

TFrmDiskSpace::TFrmDiskSpace(const Settings &settings, Dialogs &dialogs, DriveSource drives,
                             QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint),
      m_settings(settings), m_dialogs(dialogs), m_drives(std::move(drives))
{
    setObjectName(QStringLiteral("FrmDiskSpace"));
    setWindowTitle(QStringLiteral("Tevo > Disk space"));
    setFont(TevoWindowFont());
    setFixedSize(379, 207);
    setModal(false);

    Label1 = new QLabel(
        QStringLiteral("This is an overview of your harddrives and the free space."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 6, 363, 16);

    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setGeometry(8, 26, 363, 140);
    ListView1->setColumnCount(4);
    ListView1->setHeaderLabels({QStringLiteral("Drive"), QStringLiteral("Free"),
                                QStringLiteral("Size"), QStringLiteral("Percentage used")});
    // Mount points are longer than drive letters: the first column is wider than 57 pixels.
    ListView1->setColumnWidth(0, 80);
    ListView1->setColumnWidth(1, 85);
    ListView1->setColumnWidth(2, 85);
    ListView1->setColumnWidth(3, 100);
    ListView1->setRootIsDecorated(false);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);

    Button2 = new QPushButton(QStringLiteral("Refresh"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(8, 174, 100, 25);
    Button2->setAutoDefault(false);
    Button3 = new QPushButton(QStringLiteral("Does it fit?"), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setGeometry(139, 174, 100, 25);
    Button3->setAutoDefault(false);
    Button3->setToolTip(QStringLiteral(
        "This will calculate if your current queue will fit on any of your hard drives"));
    Button1 = new QPushButton(QStringLiteral("Close"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(271, 174, 100, 25);
    Button1->setDefault(true); // Enter closes; Escape closes through QDialog::reject

    connect(Button2, &QPushButton::clicked, this, &TFrmDiskSpace::Refresh);
    connect(Button3, &QPushButton::clicked, this, &TFrmDiskSpace::Button3Click);
    connect(Button1, &QPushButton::clicked, this, &TFrmDiskSpace::Button1Click);
}

void TFrmDiskSpace::showOrRaise()
{
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    show();
}

void TFrmDiskSpace::Refresh()
{
    ListView1->clear();
    for (const DriveListRow &row : DriveListRows(m_drives()))
        new QTreeWidgetItem(ListView1, {row.drive, row.free, row.size, row.used});
}

void TFrmDiskSpace::Button3Click()
{
    const FitCheckAnswer answer =
        CheckFit(FitCheckFolders(m_settings), m_settings.ScanSubdirs(), m_drives());
    const MessageIcon icon =
        answer.kind == FitCheckAnswer::Kind::Fits ? MessageIcon::Information : MessageIcon::Error;
    m_dialogs.messageBox(answer.text, answer.caption, icon, MessageButtons::Ok);
}

void TFrmDiskSpace::Button1Click()
{
    hide();
}

void TFrmDiskSpace::showEvent(QShowEvent *event)
{
    // Only a real change from hidden to shown refreshes, not a window-system restore.
    if (!event->spontaneous())
        Refresh();
    QDialog::showEvent(event);
}
