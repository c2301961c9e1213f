#include "settings/OptionSetFile.h"

#include <QMap>

#include "settings/IniReader.h"
#include "settings/SettingsModel.h"

namespace {

constexpr int ListCount = 3;

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

} // namespace

OptionSetSnapshot OptionSetSnapshotOf(const SettingsModel &settings)
{
    OptionSetSnapshot snapshot;
    // The format fixes the keys and their order.
    for (const QString &name : OptionSetKeys::Options)
        snapshot.options.append({name, settings.isChecked(name)});
    for (const QString &name : OptionSetKeys::Edits)
        snapshot.edits.append({name, settings.text(name)});
    snapshot.language = settings.LanguageFile();
    snapshot.lastOpenPath = settings.LastOpenPath();
    for (int n = 1; n <= ListCount; ++n)
        snapshot.lists << settings.list(OptionSetKeys::listName(n));
    return snapshot;
}

void SaveOptionSet(const SettingsModel &settings, const QString &fileName)
{
    WriteOptionSetFile(fileName, OptionSetSnapshotOf(settings));
}

void ApplyOptionSet(SettingsModel &settings, const IniReader &file,
                    const std::function<void()> &priorityEntry)
{
    using Kind = SettingsModel::Kind;

    // Check boxes and radio buttons.
    for (const IniEntry &entry : file.entries(OptionSetKeys::OptionsSection)) {
        const std::optional<SettingsModel::Key> key = SettingsModel::findKey(entry.key);
        if (key && (key->kind == Kind::Check || key->kind == Kind::Radio))
            settings.setChecked(key->name, entry.value == QLatin1String("1"));
    }

    // Texts and the priority. The language has a section of its own, and the values that no
    // control shows are never read from here.
    for (const IniEntry &entry : file.entries(OptionSetKeys::EditsSection)) {
        const std::optional<SettingsModel::Key> key = SettingsModel::findKey(entry.key);
        if (key && key->name.startsWith(QLatin1String("Edit"))) {
            settings.setText(key->name, entry.value);
            continue;
        }
        if (!key || key->id != SettingKey::ComboBox2)
            continue;
        // Only one of the drop-down's choices selects anything (the model also takes empty, for
        // nothing selected); the entry is applied either way.
        const bool changed = !entry.value.isEmpty() && settings.setText(key->name, entry.value);
        if (!changed && priorityEntry)
            priorityEntry();
    }

    // Lists: an absent section empties the list.
    for (int n = 1; n <= ListCount; ++n) {
        const QString section = OptionSetKeys::listName(n);
        const int count = file.readInteger(section, OptionSetKeys::ListCount, 0);
        settings.setList(section, listEntries(file, section, count));
    }

    const QString language = file.readString(OptionSetKeys::OtherSection, OptionSetKeys::Language,
                                             OptionSetKeys::DefaultLanguage);
    settings.setActiveLanguageFile(language);
    settings.setLanguageFile(language);
    settings.setLastOpenPath(
        file.readString(OptionSetKeys::OtherSection, OptionSetKeys::LastOpenPath));
    settings.announceOptionSetApplied();
}

void LoadOptionSet(SettingsModel &settings, const QString &fileName,
                   const std::function<void()> &priorityEntry)
{
    ApplyOptionSet(settings, IniReader::fromFile(fileName), priorityEntry);
}
