#include "settings/OptionSetFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHash>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include "engine/Errors.h"
#include "settings/ConfigLocation.h"
#include "settings/IniReader.h"
#include "ui/MainWindow.h"

namespace {

constexpr int TextOptionsSaved = 139;
constexpr int TextOptionsLoaded = 140;

QListWidget *listBox(const TForm1 &form, int n)
{
    return form.findChild<QListWidget *>(OptionSetKeys::listName(n));
}

// The window's named controls by case-folded name; the first in creation order wins.
QHash<QString, QWidget *> controlsByName(TForm1 &form)
{
    QHash<QString, QWidget *> byName;
    for (QWidget *widget : form.findChildren<QWidget *>()) {
        const QString name = widget->objectName().toCaseFolded();
        if (!name.isEmpty() && !byName.contains(name))
            byName.insert(name, widget);
    }
    return byName;
}

// Entry i of a list section for i = 0 .. count-1, in index order. Reading only the keys that
// exist keeps a hand-written "ins=99999999" from costing a hundred million look-ups.
QStringList listEntries(const IniReader &file, const QString &section, int count)
{
    QMap<int, QString> byIndex;
    for (const IniEntry &entry : file.entries(section)) {
        bool isNumber = false;
        const int index = entry.key.toInt(&isNumber, 10);
        // Only the plain decimal form names entry i ("01" or "+1" is another key).
        if (isNumber && index >= 0 && index < count && entry.key == QString::number(index))
            byIndex.insert(index, entry.value);
    }
    QStringList items;
    for (const QString &value : std::as_const(byIndex)) {
        if (!value.isEmpty())
            items << value;
    }
    return items;
}

void reportError(TForm1 &form, const TevoError &error)
{
    form.ShowError(error.message());
}

} // namespace

OptionSetSnapshot OptionSetSnapshotOf(const TForm1 &form)
{
    OptionSetSnapshot snapshot;
    // The format fixes the keys and their order; they are the window's stored choices.
    for (const QString &name : OptionSetKeys::Options) {
        if (const auto *button = form.findChild<QAbstractButton *>(name))
            snapshot.options.append({name, button->isChecked()});
    }
    snapshot.edits = {{form.Edit1->objectName(), form.Edit1->text()},
                      {form.Edit2->objectName(), form.Edit2->text()},
                      {form.Edit4->objectName(), form.Edit4->text()},
                      {form.Edit6->objectName(), form.Edit6->text()},
                      {form.ComboBox2->objectName(), form.ComboBox2->currentText()}};
    snapshot.language = form.ComboBox1->currentText();
    snapshot.lastOpenPath = form.LastOpenPath();
    for (int n = 1; const QListWidget *list = listBox(form, n); ++n) {
        QStringList items;
        for (int i = 0; i < list->count(); ++i)
            items << list->item(i)->text();
        snapshot.lists << items;
    }
    return snapshot;
}

void SaveOptionSet(TForm1 &form, const QString &fileName, bool confirm)
{
    WriteOptionSetFile(fileName, OptionSetSnapshotOf(form));
    if (confirm)
        form.context().dialogs.messageBox(form.context().LangText(TextOptionsSaved),
                                          QStringLiteral("Successful"), MessageIcon::Information);
}

void ApplyOptionSet(TForm1 &form, const IniReader &file)
{
    const QHash<QString, QWidget *> controls = controlsByName(form);
    auto control = [&controls](const QString &name) {
        return controls.value(name.toCaseFolded(), nullptr);
    };

    // Check boxes and radio buttons; setting one runs its click rule through its signal.
    for (const IniEntry &entry : file.entries(OptionSetKeys::OptionsSection)) {
        QWidget *widget = control(entry.key);
        if (!qobject_cast<QCheckBox *>(widget) && !qobject_cast<QRadioButton *>(widget))
            continue;
        static_cast<QAbstractButton *>(widget)->setChecked(entry.value == QLatin1String("1"));
    }

    // Texts and choices.
    for (const IniEntry &entry : file.entries(OptionSetKeys::EditsSection)) {
        QWidget *widget = control(entry.key);
        if (auto *edit = qobject_cast<QLineEdit *>(widget)) {
            edit->setText(entry.value);
        } else if (auto *combo = qobject_cast<QComboBox *>(widget)) {
            const int index = combo->findText(entry.value, Qt::MatchFixedString);
            if (combo == form.ComboBox2) {
                // The priority is applied after every entry, matched or not, and only once.
                if (index >= 0) {
                    const QSignalBlocker quiet(combo);
                    combo->setCurrentIndex(index);
                }
                form.ComboBox2Change();
            } else if (index >= 0) {
                combo->setCurrentIndex(index);
            }
        }
    }

    // Lists: an absent section empties the list.
    for (int n = 1; QListWidget *list = listBox(form, n); ++n) {
        const QString section = OptionSetKeys::listName(n);
        list->clear();
        const int count = file.readInteger(section, OptionSetKeys::ListCount, 0);
        list->addItems(listEntries(file, section, count));
    }

    const QString language = file.readString(OptionSetKeys::OtherSection, OptionSetKeys::Language,
                                             OptionSetKeys::DefaultLanguage);
    form.setActiveLanguageFile(language);
    form.ComboBox1->setCurrentText(language);
    form.setLastOpenPath(file.readString(OptionSetKeys::OtherSection, OptionSetKeys::LastOpenPath));
    form.OutputModeRule();
}

void LoadOptionSet(TForm1 &form, const QString &fileName, bool confirm)
{
    ApplyOptionSet(form, IniReader::fromFile(fileName));
    if (confirm)
        form.context().dialogs.messageBox(form.context().LangText(TextOptionsLoaded),
                                          QStringLiteral("Successful"), MessageIcon::Information);
}

void Button8Click(TForm1 &form)
{
    EngineContext &ctx = form.context();
    const QString name =
        ctx.dialogs.chooseSaveFile(TForm1::os_save.title, ConfigFolder(ctx.programFolder),
                                   TForm1::os_save.filter, TForm1::os_save.defaultSuffix);
    if (name.isEmpty())
        return;
    try {
        SaveOptionSet(form, name, true);
    } catch (const TevoError &error) {
        reportError(form, error);
    }
}

void Button9Click(TForm1 &form)
{
    EngineContext &ctx = form.context();
    const QString name =
        ctx.dialogs.chooseOpenFile(TForm1::os_load.title, ConfigFolder(ctx.programFolder),
                                   TForm1::os_load.filter, TForm1::os_load.defaultSuffix);
    if (!name.isEmpty())
        LoadOptionSet(form, name, true);
}

void ConnectOptionSetButtons(TForm1 &form)
{
    QObject::connect(form.Button8, &QPushButton::clicked, &form, [&form] { Button8Click(form); });
    QObject::connect(form.Button9, &QPushButton::clicked, &form, [&form] { Button9Click(form); });
}

void TForm1::SaveOptionSet(const QString &fileName, bool confirm)
{
    ::SaveOptionSet(*this, fileName, confirm);
}

void TForm1::LoadOptionSet(const QString &fileName, bool confirm)
{
    ::LoadOptionSet(*this, fileName, confirm);
}
