// The log's own commands: "Save log…" in its context menu, and the optional log file that
// keeps every line in the settings folder (CheckBox24, off by default).

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSaveFile>

#include "engine/Errors.h"
#include "ui/MainWindow.h"

namespace {
const FileDialogSpec SaveLogDialog{QStringLiteral("Save log"),
                                   QStringLiteral("Log files|*.log|Text files|*.txt|All Files|*.*"),
                                   QStringLiteral("log")};
} // namespace

QString TForm1::logFilePath() const
{
    return QFileInfo(lastOptionSetPath()).absolutePath() + QStringLiteral("/tevo.log");
}

QMenu *TForm1::createLogContextMenu()
{
    QMenu *menu = Memo1->createStandardContextMenu();
    menu->addSeparator();
    QAction *save = menu->addAction(QStringLiteral("Save log…"));
    save->setObjectName(QStringLiteral("SaveLog1"));
    save->setEnabled(!Memo1->document()->isEmpty());
    connect(save, &QAction::triggered, this, &TForm1::SaveLog);
    return menu;
}

void TForm1::SaveLog()
{
    const QString path = m_context.dialogs.chooseSaveFile(
        SaveLogDialog.title, QFileInfo(logFilePath()).absolutePath(), SaveLogDialog.filter,
        SaveLogDialog.defaultSuffix);
    if (path.isEmpty())
        return;
    QSaveFile file(path);
    const QByteArray text = Memo1->toPlainText().toUtf8() + '\n';
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        ShowError(QStringLiteral("%1: %2").arg(path, file.errorString()));
}

void TForm1::appendToLogFile(const QString &line)
{
    if (!m_settings.WriteLogFile())
        return;
    // Opened for each line, so that the file is complete whenever Tevo ends; a failure leaves
    // the on-screen log as it is.
    QFile file(logFilePath());
    if (file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        file.write(line.toUtf8() + '\n');
}
