// The main window's option-set commands: "Save Options", "Open Optionset", and the saving and
// loading that start-up and close do with "last.os".

#include <QPushButton>

#include "engine/Errors.h"
#include "engine/TextNumbers.h"
#include "settings/ConfigLocation.h"
#include "settings/OptionSetFile.h"
#include "ui/MainWindow.h"

void TForm1::SaveOptionSet(const QString &fileName, bool confirm)
{
    ::SaveOptionSet(m_settings, fileName);
    if (confirm)
        m_context.dialogs.messageBox(m_context.LangText(Text::OptionsSaved),
                                     QStringLiteral("Successful"), MessageIcon::Information);
}

void TForm1::LoadOptionSet(const QString &fileName, bool confirm)
{
    // A priority entry that changed nothing is applied all the same; one that changed the choice
    // has run the drop-down's change rule already.
    ::LoadOptionSet(m_settings, fileName, [this] { ComboBox2Change(); });
    if (confirm)
        m_context.dialogs.messageBox(m_context.LangText(Text::OptionsLoaded),
                                     QStringLiteral("Successful"), MessageIcon::Information);
}

void TForm1::connectOptionSetButtons()
{
    connect(Button8, &QPushButton::clicked, this, [this] {
        const QString name =
            m_context.dialogs.chooseSaveFile(os_save.title, ConfigFolder(m_context.programFolder),
                                             os_save.filter, os_save.defaultSuffix);
        if (name.isEmpty())
            return;
        try {
            SaveOptionSet(name, true);
        } catch (const TevoError &error) {
            ShowError(error.message());
        }
    });
    connect(Button9, &QPushButton::clicked, this, [this] {
        const QString name =
            m_context.dialogs.chooseOpenFile(os_load.title, ConfigFolder(m_context.programFolder),
                                             os_load.filter, os_load.defaultSuffix);
        if (!name.isEmpty())
            LoadOptionSet(name, true);
    });
}
