#include "settings/OptionsReference.h"

#include <QRegularExpression>

#include "engine/LanguageTexts.h"
#include "engine/TextNumbers.h"
#include "settings/OptionSetWriter.h"
#include "settings/SettingsModel.h"
#include "settings/SettingsTable.h"

namespace {

const QChar ListSeparator = QLatin1Char('|');

QString captionOf(const SettingRow &row, const LanguageTexts &language)
{
    if (row.caption == NoCaption)
        return QString::fromUtf8(row.englishCaption);
    QString caption = language.LangText(row.caption).trimmed();
    // The watch interval's caption frames its edit field: "Check directories every … seconds".
    if (row.key == SettingKey::Edit6)
        caption += QStringLiteral(" … ") + language.LangText(Text::WatchIntervalUnit).trimmed();
    return caption;
}

QString valuesOf(const SettingRow &row)
{
    if (row.kind != SettingKind::Radio)
        return QString::fromUtf8(row.values);
    QStringList others;
    for (const SettingRow &other : SettingsTable) {
        if (other.kind == SettingKind::Radio && qstrcmp(other.group, row.group) == 0 &&
            other.key != row.key)
            others << QString::fromUtf8(other.name);
    }
    return QStringLiteral("1, which turns off %1").arg(others.join(QStringLiteral(", ")));
}

QString defaultOf(const SettingRow &row)
{
    const QString value = QString::fromUtf8(row.defaultValue);
    if (value.isEmpty())
        return QStringLiteral("empty");
    if (row.kind == SettingKind::Text)
        return QLatin1Char('"') + value + QLatin1Char('"');
    return value;
}

QString storedIn(const SettingRow &row)
{
    const QString name = QString::fromUtf8(row.name);
    if (OptionSetKeys::Options.contains(name))
        return QLatin1Char('[') + OptionSetKeys::OptionsSection + QLatin1Char(']');
    if (OptionSetKeys::Edits.contains(name))
        return QLatin1Char('[') + OptionSetKeys::EditsSection + QLatin1Char(']');
    if (row.kind == SettingKind::List)
        return QLatin1Char('[') + name + QLatin1Char(']');
    if (row.key == SettingKey::ComboBox1)
        return QStringLiteral("[other] ") + OptionSetKeys::Language;
    if (row.key == SettingKey::LastOpenPath)
        return QStringLiteral("[other] ") + OptionSetKeys::LastOpenPath;
    return QStringLiteral("nowhere (starts from its default)");
}

// Whether the text key takes the value, as the window's control would hold it.
bool takesText(SettingKey key, const QString &value)
{
    if (key == SettingKey::Edit6)
        return QRegularExpression(QStringLiteral("^[0-9]{1,9}$")).match(value).hasMatch() &&
               value.toInt() > 0;
    if (key == SettingKey::ComboBox2)
        return SettingsModel::priorityTexts().contains(value, Qt::CaseInsensitive);
    return true;
}

QString applyValue(SettingsModel &settings, const SettingsModel::Key &key, const QString &value)
{
    const QString refused = QStringLiteral("%1 takes %2, not \"%3\"")
                                .arg(key.name, valuesOf(SettingRowOf(key.id)), value);
    switch (key.kind) {
    case SettingKind::Check:
        if (value != QLatin1String("0") && value != QLatin1String("1"))
            return refused;
        settings.setChecked(key.id, value == QLatin1String("1"));
        return {};
    case SettingKind::Radio:
        if (value != QLatin1String("1"))
            return refused;
        settings.setChecked(key.id, true);
        return {};
    case SettingKind::Text:
        if (!takesText(key.id, value))
            return refused;
        settings.setText(key.id, value);
        // As an option-set file's language does: the name is also the one start-up loads.
        if (key.id == SettingKey::ComboBox1)
            settings.setActiveLanguageFile(value);
        return {};
    case SettingKind::List:
        settings.setList(key.id, value.split(ListSeparator, Qt::SkipEmptyParts));
        return {};
    }
    return refused;
}

} // namespace

QString OptionsReference(const LanguageTexts &language)
{
    QString text = QStringLiteral(
        "# Tevo's settings\n"
        "\n"
        "Every key of an option-set file (`*.os`, `last.os`), as `tevo-cli --list-options` prints\n"
        "it: its caption in the window, the values it takes, its default and where an option-set\n"
        "file keeps it. Keys are read in any letter case. `tevo-cli --set KEY=VALUE` sets a key\n"
        "for one run, over the option set; a list takes its entries separated by \"|\".\n"
        "\n");
    for (const SettingRow &row : SettingsTable) {
        text += QStringLiteral("- `%1`: \"%2\". Values: %3. Default: %4. Stored: %5.\n")
                    .arg(QString::fromUtf8(row.name), captionOf(row, language), valuesOf(row),
                         defaultOf(row), storedIn(row));
    }
    return text;
}

QString ApplySettingAssignment(SettingsModel &settings, const QString &assignment)
{
    const int equals = assignment.indexOf(QLatin1Char('='));
    if (equals <= 0)
        return QStringLiteral("--set takes KEY=VALUE, not \"%1\"").arg(assignment);
    const QString name = assignment.left(equals).trimmed();
    const std::optional<SettingsModel::Key> key = SettingsModel::findKey(name);
    if (!key)
        return QStringLiteral("unknown key %1 (tevo-cli --list-options lists them)").arg(name);
    return applyValue(settings, *key, assignment.mid(equals + 1));
}
