#include "jobs/CommandLine.h"

#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

#include "jobs/InputQueue.h"
#include "jobs/WatchMode.h"
#include "tools/GeneralFuncs.h"
#include "ui/MainWindow.h"

CommandLine SplitCommandLine(const QStringList &parameters)
{
    CommandLine result;
    for (const QString &parameter : parameters) {
        if (parameter.startsWith(QLatin1Char('-')))
            result.switches << parameter.mid(1).toLower();
        else
            result.folders << parameter;
    }
    return result;
}

void ApplyCommandLine(TForm1 &form, const CommandLine &commandLine)
{
    if (commandLine.folders.size() == 1) {
        form.Edit1->setText(commandLine.folders.first());
    } else if (commandLine.folders.size() > 1) {
        form.RadioButton7->setChecked(true);
        form.ListBox1->clear();
        for (const QString &folder : commandLine.folders) {
            if (!IsInQueue(form.ListBox1, NormalizeFolder(folder)))
                form.ListBox1->addItem(folder);
        }
    }
    for (const QString &option : commandLine.switches) {
        if (option == QLatin1String("unpack"))
            form.Button1Click();
        else if (option == QLatin1String("watch"))
            form.watchMode().Button17Click();
    }
}
