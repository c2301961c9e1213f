#pragma once
// Filling the input folder and the queue, and editing the skip and delete lists of the main window.

#include <QObject>
#include <QString>
#include <QStringList>

#include "settings/SettingsTable.h"

class Dialogs;
class QKeyEvent;
class QLineEdit;
class QListWidget;
class QWidget;
class TForm1;

// The folder chooser, opening at initial; the chosen folder, or empty when cancelled.
QString BrowseFolder(Dialogs &dialogs, const QString &title, const QString &initial);
// The first list box of the group box that directly holds the button; null when the button
// sits elsewhere or the group box holds no list.
QListWidget *GetParentBox(const QWidget *button);

// The queue and list commands of the main window. It attaches itself to the window's buttons,
// lists and input field and lives as long as the window.
class InputQueue : public QObject
{
    Q_OBJECT

public:
    explicit InputQueue(TForm1 &form);

    void Button4Click();  // Browse: input folder
    void Button5Click();  // Browse: custom output folder
    void Button6Click();  // Add Folder
    void Button16Click(); // Add +Sub
    void Button7Click();  // Delete (queue)
    void Button10Click(); // Delete All (queue)
    void Button11Click(); // Browse: sound file
    // The skip and delete lists share these; the list is the one beside the pressed button.
    void AddItemClick(const QWidget *button);
    void DeleteItemClick(const QWidget *button);
    void DeleteAllItemsClick(const QWidget *button);
    // Folders dropped from the file manager onto ListBox1 or Edit1.
    void FoldersDropped(const QStringList &paths);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The Browse buttons of the input and output folders: the chosen folder goes to the field.
    void browseInto(SettingKey field, int titleText);
    // The Delete key in one of the three lists.
    void ListBoxKeyDown(QListWidget *list, const QKeyEvent *event);

    TForm1 &m_form;
};
