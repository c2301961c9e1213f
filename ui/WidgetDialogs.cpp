#include "ui/WidgetDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

QWidget *WidgetDialogs::owner() const
{
    // The window the user is working in owns the box: a tool window that stays on top (the
    // disk-space window) would otherwise cover a box that belongs to the main window.
    if (QWidget *active = QApplication::activeWindow(); active && active->isVisible())
        return active;
    return m_parent;
}

MessageAnswer WidgetDialogs::messageBox(const QString &text, const QString &caption,
                                        MessageIcon icon, MessageButtons buttons)
{
    QMessageBox box(owner());
    box.setWindowTitle(caption);
    box.setText(text);
    switch (icon) {
    case MessageIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MessageIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MessageIcon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case MessageIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    }
    switch (buttons) {
    case MessageButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MessageButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case MessageButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MessageButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    default:
        return MessageAnswer::Ok;
    }
}

QString WidgetDialogs::chooseFolder(const QString &title, const QString &startFolder)
{
    return QFileDialog::getExistingDirectory(owner(), title, startFolder);
}

QStringList WidgetDialogs::qtNameFilters(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts.at(i + 1);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << QStringLiteral("%1 (%2)").arg(parts.at(i), patterns);
    }
    return filters;
}

// Runs a file dialog of either kind; Qt's save dialog asks before overwriting an existing file.
static QString runFileDialog(QWidget *parent, QFileDialog::AcceptMode mode, const QString &title,
                             const QString &startFolder, const QString &filter,
                             const QString &defaultSuffix)
{
    QFileDialog dialog(parent, title, startFolder);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setNameFilters(WidgetDialogs::qtNameFilters(filter));
    dialog.setDefaultSuffix(defaultSuffix.startsWith(QLatin1Char('.')) ? defaultSuffix.mid(1)
                                                                       : defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

QString WidgetDialogs::chooseOpenFile(const QString &title, const QString &startFolder,
                                      const QString &filter, const QString &defaultSuffix)
{
    return runFileDialog(owner(), QFileDialog::AcceptOpen, title, startFolder, filter,
                         defaultSuffix);
}

QString WidgetDialogs::chooseSaveFile(const QString &title, const QString &startFolder,
                                      const QString &filter, const QString &defaultSuffix)
{
    return runFileDialog(owner(), QFileDialog::AcceptSave, title, startFolder, filter,
                         defaultSuffix);
}

std::optional<QString> WidgetDialogs::inputBox(const QString &caption, const QString &prompt,
                                               const QString &initial)
{
    bool accepted = false;
    const QString text =
        QInputDialog::getText(owner(), caption, prompt, QLineEdit::Normal, initial, &accepted);
    if (!accepted)
        return std::nullopt;
    return text;
}
