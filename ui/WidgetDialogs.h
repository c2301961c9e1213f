#pragma once
// The real modal dialogs: Qt message boxes, folder and file choosers, input box.

#include "engine/Dialogs.h"

class QWidget;

class WidgetDialogs : public Dialogs
{
public:
    explicit WidgetDialogs(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }

    MessageAnswer messageBox(const QString &text, const QString &caption, MessageIcon icon,
                             MessageButtons buttons) override;
    QString chooseFolder(const QString &title, const QString &startFolder) override;
    QString chooseOpenFile(const QString &title, const QString &startFolder, const QString &filter,
                           const QString &defaultSuffix) override;
    QString chooseSaveFile(const QString &title, const QString &startFolder, const QString &filter,
                           const QString &defaultSuffix) override;
    std::optional<QString> inputBox(const QString &caption, const QString &prompt,
                                    const QString &initial) override;

    // "MP3-Files|*.mp3|All Files|*.*" as Qt name filters ("MP3-Files (*.mp3)", ...).
    static QStringList qtNameFilters(const QString &filter);

private:
    // The active window when there is one, else the main window.
    QWidget *owner() const;

    QWidget *m_parent;
};
