#pragma once
// The disk-space tool window: the local drives with their use, and the "Does it fit?" check.

#include <functional>
#include <QDialog>
#include <QList>

#include "tools/DiskSpace.h"

class Dialogs;
class QLabel;
class QPushButton;
class QTreeWidget;

class TFrmDiskSpace : public QDialog
{
    Q_OBJECT
public:
    using DriveSource = std::function<QList<DriveSpace>()>;

    // settings are the main window's (queue, input folder, ScanSubdirs); drives default to the
    // mounted local disks.
    TFrmDiskSpace(const Settings &settings, Dialogs &dialogs, DriveSource drives = LocalDrives,
                  QWidget *parent = nullptr);

    // Shows the window (which refreshes the list) or, when it is already visible, only
    // brings it to the front.
    void showOrRaise();

    // Rebuilds the drive list.
    void Refresh();

    QLabel *Label1;
    QTreeWidget *ListView1;
    QPushButton *Button2; // "Refresh"
    QPushButton *Button3; // "Does it fit?"
    QPushButton *Button1; // "Close"

public slots:
    void Button3Click();
    void Button1Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    const Settings &m_settings;
    Dialogs &m_dialogs;
    DriveSource m_drives;
};
