#include "settings/SettingsModel.h"

namespace {

QVariant defaultOf(const SettingRow &row)
{
    const QString value = QString::fromUtf8(row.defaultValue);
    switch (row.kind) {
    case SettingKind::Check:
    case SettingKind::Radio:
        return value == QLatin1String("1");
    case SettingKind::Text:
        return value;
    case SettingKind::List:
        return value.isEmpty() ? QStringList() : value.split(QLatin1Char('|'));
    }
    return {};
}

} // namespace

const QList<SettingsModel::Key> &SettingsModel::keys()
{
    static const QList<Key> all = [] {
        QList<Key> rows;
        for (const SettingRow &row : SettingsTable)
            rows.append({QString::fromUtf8(row.name), row.kind, defaultOf(row),
                         QString::fromUtf8(row.group), row.key});
        return rows;
    }();
    return all;
}

std::optional<SettingsModel::Key> SettingsModel::findKey(const QString &name)
{
    for (const Key &key : keys()) {
        if (key.name.compare(name, Qt::CaseInsensitive) == 0)
            return key;
    }
    return std::nullopt;
}

const QStringList &SettingsModel::priorityTexts()
{
    static const QStringList texts = {QStringLiteral("High"), QStringLiteral("Normal"),
                                      QStringLiteral("Low")};
    return texts;
}

SettingsModel::SettingsModel(QObject *parent) : QObject(parent)
{
    for (const Key &key : keys())
        m_values[std::size_t(key.id)] = key.defaultValue;
}

bool SettingsModel::store(const QMap<SettingKey, QVariant> &updates)
{
    // Every value is in place before anyone hears of the first change, so that a listener never
    // sees a radio group with two buttons on or none.
    QList<SettingKey> changedKeys;
    for (auto update = updates.cbegin(); update != updates.cend(); ++update) {
        QVariant &held = m_values[std::size_t(update.key())];
        if (held == update.value())
            continue;
        held = update.value();
        changedKeys << update.key();
    }
    for (const SettingKey key : std::as_const(changedKeys))
        emit changed(nameOf(key));
    return !changedKeys.isEmpty();
}

bool SettingsModel::setChecked(SettingKey id, bool on)
{
    const Key &key = keyOf(id);
    if (key.kind == Kind::Check)
        return store({{id, on}});
    if (key.kind != Kind::Radio || !on)
        return false; // a group always has its one button on
    QMap<SettingKey, QVariant> updates{{id, true}};
    for (const Key &other : keys()) {
        if (other.kind == Kind::Radio && other.group == key.group && other.id != id)
            updates.insert(other.id, false);
    }
    return store(updates);
}

bool SettingsModel::setText(SettingKey id, const QString &value)
{
    if (keyOf(id).kind != Kind::Text)
        return false;
    QString stored = value;
    if (id == SettingKey::ComboBox2) {
        const auto &choices = priorityTexts();
        const auto match = std::find_if(choices.begin(), choices.end(), [&value](const QString &c) {
            return c.compare(value, Qt::CaseInsensitive) == 0;
        });
        // Empty is the drop-down with nothing selected: no priority to apply.
        if (match == choices.end() && !value.isEmpty())
            return false;
        if (match != choices.end())
            stored = *match;
    }
    return store({{id, stored}});
}

bool SettingsModel::setList(SettingKey id, const QStringList &items)
{
    if (keyOf(id).kind != Kind::List)
        return false;
    return store({{id, items}});
}

bool SettingsModel::isChecked(const QString &name) const
{
    const std::optional<Key> key = findKey(name);
    return key && isChecked(key->id);
}

QString SettingsModel::text(const QString &name) const
{
    const std::optional<Key> key = findKey(name);
    return key ? text(key->id) : QString();
}

QStringList SettingsModel::list(const QString &name) const
{
    const std::optional<Key> key = findKey(name);
    return key ? list(key->id) : QStringList();
}

QVariant SettingsModel::value(const QString &name) const
{
    const std::optional<Key> key = findKey(name);
    return key ? value(key->id) : QVariant();
}

bool SettingsModel::setChecked(const QString &name, bool on)
{
    const std::optional<Key> key = findKey(name);
    return key && setChecked(key->id, on);
}

bool SettingsModel::setText(const QString &name, const QString &value)
{
    const std::optional<Key> key = findKey(name);
    return key && setText(key->id, value);
}

bool SettingsModel::setList(const QString &name, const QStringList &items)
{
    const std::optional<Key> key = findKey(name);
    return key && setList(key->id, items);
}

// ---- The read interface ---------------------------------------------------------------------

InputModeChoice SettingsModel::InputMode() const
{
    return isChecked(SettingKey::RadioButton7) ? InputModeChoice::Queue
                                               : InputModeChoice::SingleFolder;
}

QString SettingsModel::InputFolder() const
{
    return text(SettingKey::Edit1);
}
QStringList SettingsModel::Queue() const
{
    return list(SettingKey::ListBox1);
}

OutputModeChoice SettingsModel::OutputMode() const
{
    if (isChecked(SettingKey::RadioButton2))
        return OutputModeChoice::CustomDir;
    if (isChecked(SettingKey::RadioButton1))
        return OutputModeChoice::NewDirInInput;
    return OutputModeChoice::InputFolder;
}

QString SettingsModel::CustomOutputDir() const
{
    return text(SettingKey::Edit2);
}
bool SettingsModel::SubdirPerEntry() const
{
    return isChecked(SettingKey::CheckBox2);
}

SubdirNamingChoice SettingsModel::SubdirNaming() const
{
    return isChecked(SettingKey::RadioButton14) ? SubdirNamingChoice::FolderName
                                                : SubdirNamingChoice::ArchiveName;
}

bool SettingsModel::ScanSubdirs() const
{
    return isChecked(SettingKey::CheckBox1);
}
bool SettingsModel::CheckSfv() const
{
    return isChecked(SettingKey::CheckBox4);
}
bool SettingsModel::FullOutput() const
{
    return isChecked(SettingKey::CheckBox6);
}
bool SettingsModel::CheckOnly() const
{
    return isChecked(SettingKey::CheckBox9);
}
bool SettingsModel::CheckWithoutArchive() const
{
    return isChecked(SettingKey::CheckBox22);
}
bool SettingsModel::OpenNfo() const
{
    return isChecked(SettingKey::CheckBox5);
}
bool SettingsModel::CopyNfo() const
{
    return isChecked(SettingKey::CheckBox15);
}
bool SettingsModel::DeleteSources() const
{
    return isChecked(SettingKey::CheckBox3);
}

DeleteTimingChoice SettingsModel::DeleteTiming() const
{
    return isChecked(SettingKey::RadioButton5) ? DeleteTimingChoice::AfterExtractingAll
                                               : DeleteTimingChoice::AfterExtraction;
}

bool SettingsModel::DeleteEmptySourceFolder() const
{
    return isChecked(SettingKey::CheckBox11);
}
bool SettingsModel::OpenDestination() const
{
    return isChecked(SettingKey::CheckBox16);
}
bool SettingsModel::ShutdownAfter() const
{
    return isChecked(SettingKey::CheckBox8);
}
bool SettingsModel::CloseAfter() const
{
    return isChecked(SettingKey::CheckBox10);
}
bool SettingsModel::SuppressErrors() const
{
    return isChecked(SettingKey::CheckBox17);
}
bool SettingsModel::UnpackZipFirst() const
{
    return isChecked(SettingKey::CheckBox7);
}
bool SettingsModel::DeleteZipAfter() const
{
    return isChecked(SettingKey::CheckBox18);
}
bool SettingsModel::RepairWithPar2() const
{
    return isChecked(SettingKey::CheckBox25);
}
bool SettingsModel::UnpackOtherFormats() const
{
    return isChecked(SettingKey::CheckBox26);
}
bool SettingsModel::UnpackNested() const
{
    return isChecked(SettingKey::CheckBox27);
}
QString SettingsModel::PasswordList() const
{
    return text(SettingKey::Edit7);
}
bool SettingsModel::NoReturnFromTray() const
{
    return isChecked(SettingKey::CheckBox19);
}
bool SettingsModel::AlwaysInTray() const
{
    return isChecked(SettingKey::CheckBox20);
}
bool SettingsModel::ShellIntegration() const
{
    return isChecked(SettingKey::CheckBox12);
}
QString SettingsModel::WatchInterval() const
{
    return text(SettingKey::Edit6);
}
QString SettingsModel::LanguageFile() const
{
    return text(SettingKey::ComboBox1);
}

PriorityChoice SettingsModel::Priority() const
{
    switch (priorityTexts().indexOf(text(SettingKey::ComboBox2))) {
    case 0:
        return PriorityChoice::High;
    case 1:
        return PriorityChoice::Normal;
    case 2:
        return PriorityChoice::Low;
    default:
        return PriorityChoice::NoSelection;
    }
}

AfterActionChoice SettingsModel::AfterAction() const
{
    if (isChecked(SettingKey::RadioButton9))
        return AfterActionChoice::PlaySound;
    if (isChecked(SettingKey::RadioButton10))
        return AfterActionChoice::RunApplication;
    if (isChecked(SettingKey::RJumpBackToWelcome))
        return AfterActionChoice::ClearQueue;
    return AfterActionChoice::DoNothing;
}

QString SettingsModel::SoundFile() const
{
    return text(SettingKey::Edit3);
}
QString SettingsModel::RunCommand() const
{
    return text(SettingKey::Edit4);
}
bool SettingsModel::RunPerQueueEntry() const
{
    return isChecked(SettingKey::CheckBox13);
}

RunFileFilterChoice SettingsModel::RunFileFilter() const
{
    return isChecked(SettingKey::RadioButton11) ? RunFileFilterChoice::EveryFile
                                                : RunFileFilterChoice::OfType;
}

QString SettingsModel::RunExtension() const
{
    return text(SettingKey::Edit5);
}
bool SettingsModel::RunOnce() const
{
    return isChecked(SettingKey::CheckBox14);
}
bool SettingsModel::ListsApplyToFiles() const
{
    return isChecked(SettingKey::CheckBox21);
}
QStringList SettingsModel::SkipList() const
{
    return list(SettingKey::ListBox2);
}
QStringList SettingsModel::DeleteList() const
{
    return list(SettingKey::ListBox3);
}
QString SettingsModel::LastOpenPath() const
{
    return text(SettingKey::LastOpenPath);
}
bool SettingsModel::NotifyAtJobEnd() const
{
    return isChecked(SettingKey::CheckBox23);
}
bool SettingsModel::WriteLogFile() const
{
    return isChecked(SettingKey::CheckBox24);
}

QString SettingsModel::ActiveLanguageFile() const
{
    return text(SettingKey::ActiveLanguageFile);
}

// ---- Typed setters ----------------------------------------------------------------------------

void SettingsModel::setInputMode(InputModeChoice mode)
{
    setChecked(mode == InputModeChoice::Queue ? SettingKey::RadioButton7 : SettingKey::RadioButton6,
               true);
}

void SettingsModel::setInputFolder(const QString &folder)
{
    setText(SettingKey::Edit1, folder);
}
void SettingsModel::setQueue(const QStringList &folders)
{
    setList(SettingKey::ListBox1, folders);
}

void SettingsModel::setOutputMode(OutputModeChoice mode)
{
    switch (mode) {
    case OutputModeChoice::InputFolder:
        setChecked(SettingKey::RadioButton3, true);
        break;
    case OutputModeChoice::NewDirInInput:
        setChecked(SettingKey::RadioButton1, true);
        break;
    case OutputModeChoice::CustomDir:
        setChecked(SettingKey::RadioButton2, true);
        break;
    }
}

void SettingsModel::setCustomOutputDir(const QString &folder)
{
    setText(SettingKey::Edit2, folder);
}
void SettingsModel::setSubdirPerEntry(bool on)
{
    setChecked(SettingKey::CheckBox2, on);
}

void SettingsModel::setSubdirNaming(SubdirNamingChoice naming)
{
    setChecked(naming == SubdirNamingChoice::FolderName ? SettingKey::RadioButton14
                                                        : SettingKey::RadioButton12,
               true);
}

void SettingsModel::setScanSubdirs(bool on)
{
    setChecked(SettingKey::CheckBox1, on);
}
void SettingsModel::setCheckSfv(bool on)
{
    setChecked(SettingKey::CheckBox4, on);
}
void SettingsModel::setFullOutput(bool on)
{
    setChecked(SettingKey::CheckBox6, on);
}
void SettingsModel::setCheckOnly(bool on)
{
    setChecked(SettingKey::CheckBox9, on);
}
void SettingsModel::setCheckWithoutArchive(bool on)
{
    setChecked(SettingKey::CheckBox22, on);
}
void SettingsModel::setOpenNfo(bool on)
{
    setChecked(SettingKey::CheckBox5, on);
}
void SettingsModel::setCopyNfo(bool on)
{
    setChecked(SettingKey::CheckBox15, on);
}
void SettingsModel::setDeleteSources(bool on)
{
    setChecked(SettingKey::CheckBox3, on);
}

void SettingsModel::setDeleteTiming(DeleteTimingChoice timing)
{
    setChecked(timing == DeleteTimingChoice::AfterExtractingAll ? SettingKey::RadioButton5
                                                                : SettingKey::RadioButton4,
               true);
}

void SettingsModel::setDeleteEmptySourceFolder(bool on)
{
    setChecked(SettingKey::CheckBox11, on);
}
void SettingsModel::setOpenDestination(bool on)
{
    setChecked(SettingKey::CheckBox16, on);
}
void SettingsModel::setShutdownAfter(bool on)
{
    setChecked(SettingKey::CheckBox8, on);
}
void SettingsModel::setCloseAfter(bool on)
{
    setChecked(SettingKey::CheckBox10, on);
}
void SettingsModel::setSuppressErrors(bool on)
{
    setChecked(SettingKey::CheckBox17, on);
}
void SettingsModel::setUnpackZipFirst(bool on)
{
    setChecked(SettingKey::CheckBox7, on);
}
void SettingsModel::setRepairWithPar2(bool on)
{
    setChecked(SettingKey::CheckBox25, on);
}
void SettingsModel::setUnpackOtherFormats(bool on)
{
    setChecked(SettingKey::CheckBox26, on);
}
void SettingsModel::setUnpackNested(bool on)
{
    setChecked(SettingKey::CheckBox27, on);
}
void SettingsModel::setPasswordList(const QString &path)
{
    setText(SettingKey::Edit7, path);
}
void SettingsModel::setNoReturnFromTray(bool on)
{
    setChecked(SettingKey::CheckBox19, on);
}
void SettingsModel::setAlwaysInTray(bool on)
{
    setChecked(SettingKey::CheckBox20, on);
}
void SettingsModel::setShellIntegration(bool on)
{
    setChecked(SettingKey::CheckBox12, on);
}
void SettingsModel::setWatchInterval(const QString &seconds)
{
    setText(SettingKey::Edit6, seconds);
}
void SettingsModel::setLanguageFile(const QString &name)
{
    setText(SettingKey::ComboBox1, name);
}

void SettingsModel::setPriority(PriorityChoice priority)
{
    if (priority != PriorityChoice::NoSelection)
        setText(SettingKey::ComboBox2, priorityTexts().at(static_cast<int>(priority)));
}

void SettingsModel::setAfterAction(AfterActionChoice action)
{
    static const SettingKey buttons[] = {SettingKey::RadioButton8, SettingKey::RadioButton9,
                                         SettingKey::RadioButton10, SettingKey::RJumpBackToWelcome};
    setChecked(buttons[static_cast<int>(action)], true);
}

void SettingsModel::setSoundFile(const QString &path)
{
    setText(SettingKey::Edit3, path);
}
void SettingsModel::setRunCommand(const QString &command)
{
    setText(SettingKey::Edit4, command);
}

void SettingsModel::setRunFileFilter(RunFileFilterChoice filter)
{
    setChecked(filter == RunFileFilterChoice::EveryFile ? SettingKey::RadioButton11
                                                        : SettingKey::RadioButton13,
               true);
}

void SettingsModel::setRunExtension(const QString &extension)
{
    setText(SettingKey::Edit5, extension);
}
void SettingsModel::setRunOnce(bool on)
{
    setChecked(SettingKey::CheckBox14, on);
}
void SettingsModel::setListsApplyToFiles(bool on)
{
    setChecked(SettingKey::CheckBox21, on);
}
void SettingsModel::setSkipList(const QStringList &patterns)
{
    setList(SettingKey::ListBox2, patterns);
}
void SettingsModel::setDeleteList(const QStringList &patterns)
{
    setList(SettingKey::ListBox3, patterns);
}
void SettingsModel::setLastOpenPath(const QString &path)
{
    setText(SettingKey::LastOpenPath, path);
}
void SettingsModel::setNotifyAtJobEnd(bool on)
{
    setChecked(SettingKey::CheckBox23, on);
}
void SettingsModel::setWriteLogFile(bool on)
{
    setChecked(SettingKey::CheckBox24, on);
}
void SettingsModel::setActiveLanguageFile(const QString &name)
{
    setText(SettingKey::ActiveLanguageFile, name);
}
