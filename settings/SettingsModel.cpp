#include "settings/SettingsModel.h"

namespace {

using Kind = SettingsModel::Kind;

SettingsModel::Key checkKey(const char *name, bool on)
{
    return {QLatin1String(name), Kind::Check, on, {}};
}

SettingsModel::Key radioKey(const char *name, const char *group, bool on)
{
    return {QLatin1String(name), Kind::Radio, on, QLatin1String(group)};
}

SettingsModel::Key textKey(const char *name, const QString &value = {})
{
    return {QLatin1String(name), Kind::Text, value, {}};
}

SettingsModel::Key listKey(const char *name)
{
    return {QLatin1String(name), Kind::List, QStringList(), {}};
}

} // namespace

const QList<SettingsModel::Key> &SettingsModel::keys()
{
    static const QList<Key> all = {
        // Input and output.
        radioKey("RadioButton6", "input", true),
        radioKey("RadioButton7", "input", false),
        textKey("Edit1"),
        listKey("ListBox1"),
        radioKey("RadioButton3", "output", true),
        radioKey("RadioButton1", "output", false),
        radioKey("RadioButton2", "output", false),
        textKey("Edit2"),
        checkKey("CheckBox2", false),
        radioKey("RadioButton12", "naming", true),
        radioKey("RadioButton14", "naming", false),
        // Options.
        checkKey("CheckBox1", true),
        checkKey("CheckBox4", true),
        checkKey("CheckBox6", false),
        checkKey("CheckBox9", false),
        checkKey("CheckBox22", false),
        checkKey("CheckBox5", true),
        checkKey("CheckBox15", false),
        checkKey("CheckBox3", false),
        radioKey("RadioButton4", "deleteTiming", true),
        radioKey("RadioButton5", "deleteTiming", false),
        checkKey("CheckBox11", false),
        checkKey("CheckBox16", false),
        checkKey("CheckBox8", false),
        checkKey("CheckBox10", false),
        checkKey("CheckBox17", true),
        checkKey("CheckBox7", true),
        checkKey("CheckBox18", true),
        checkKey("CheckBox25", true),
        checkKey("CheckBox19", false),
        checkKey("CheckBox20", false),
        checkKey("CheckBox23", true),
        checkKey("CheckBox12", false),
        textKey("Edit6", QStringLiteral("15")),
        textKey("ComboBox1"),
        textKey("ComboBox2", QStringLiteral("Normal")),
        // After extraction.
        radioKey("RadioButton8", "after", true),
        radioKey("RadioButton9", "after", false),
        radioKey("RadioButton10", "after", false),
        radioKey("RJumpBackToWelcome", "after", false),
        textKey("Edit3"),
        textKey("Edit4", QStringLiteral("cdemu load 0 \"%1\"")),
        checkKey("CheckBox13", false),
        radioKey("RadioButton11", "runFilter", false),
        radioKey("RadioButton13", "runFilter", true),
        textKey("Edit5", QStringLiteral("cue")),
        checkKey("CheckBox14", false),
        // Skip and delete lists.
        checkKey("CheckBox21", false),
        listKey("ListBox2"),
        listKey("ListBox3"),
        // The log.
        checkKey("CheckBox24", false),
        // No control shows these.
        textKey("LastOpenPath"),
        textKey("ActiveLanguageFile"),
    };
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
        m_values.insert(key.name, key.defaultValue);
}

bool SettingsModel::isChecked(const QString &name) const
{
    return m_values.value(name).toBool();
}

QString SettingsModel::text(const QString &name) const
{
    return m_values.value(name).toString();
}

QStringList SettingsModel::list(const QString &name) const
{
    return m_values.value(name).toStringList();
}

bool SettingsModel::store(const QHash<QString, QVariant> &updates)
{
    // Every value is in place before anyone hears of the first change, so that a listener never
    // sees a radio group with two buttons on or none.
    QStringList changedNames;
    for (const Key &key : keys()) {
        const auto update = updates.constFind(key.name);
        if (update == updates.cend() || m_values.value(key.name) == *update)
            continue;
        m_values.insert(key.name, *update);
        changedNames << key.name;
    }
    for (const QString &name : std::as_const(changedNames))
        emit changed(name);
    return !changedNames.isEmpty();
}

bool SettingsModel::setChecked(const QString &name, bool on)
{
    const std::optional<Key> key = findKey(name);
    if (!key || (key->kind != Kind::Check && key->kind != Kind::Radio))
        return false;
    if (key->kind == Kind::Check)
        return store({{key->name, on}});
    if (!on)
        return false; // a group always has its one button on
    QHash<QString, QVariant> updates{{key->name, true}};
    for (const Key &other : keys()) {
        if (other.kind == Kind::Radio && other.group == key->group && other.name != key->name)
            updates.insert(other.name, false);
    }
    return store(updates);
}

bool SettingsModel::setText(const QString &name, const QString &value)
{
    const std::optional<Key> key = findKey(name);
    if (!key || key->kind != Kind::Text)
        return false;
    QString stored = value;
    if (key->name == QLatin1String("ComboBox2")) {
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
    return store({{key->name, stored}});
}

bool SettingsModel::setList(const QString &name, const QStringList &items)
{
    const std::optional<Key> key = findKey(name);
    if (!key || key->kind != Kind::List)
        return false;
    return store({{key->name, items}});
}

// ---- The read interface ---------------------------------------------------------------------

InputModeChoice SettingsModel::InputMode() const
{
    return isChecked(QStringLiteral("RadioButton7")) ? InputModeChoice::Queue
                                                     : InputModeChoice::SingleFolder;
}

QString SettingsModel::InputFolder() const
{
    return text(QStringLiteral("Edit1"));
}
QStringList SettingsModel::Queue() const
{
    return list(QStringLiteral("ListBox1"));
}

OutputModeChoice SettingsModel::OutputMode() const
{
    if (isChecked(QStringLiteral("RadioButton2")))
        return OutputModeChoice::CustomDir;
    if (isChecked(QStringLiteral("RadioButton1")))
        return OutputModeChoice::NewDirInInput;
    return OutputModeChoice::InputFolder;
}

QString SettingsModel::CustomOutputDir() const
{
    return text(QStringLiteral("Edit2"));
}
bool SettingsModel::SubdirPerEntry() const
{
    return isChecked(QStringLiteral("CheckBox2"));
}

SubdirNamingChoice SettingsModel::SubdirNaming() const
{
    return isChecked(QStringLiteral("RadioButton14")) ? SubdirNamingChoice::FolderName
                                                      : SubdirNamingChoice::ArchiveName;
}

bool SettingsModel::ScanSubdirs() const
{
    return isChecked(QStringLiteral("CheckBox1"));
}
bool SettingsModel::CheckSfv() const
{
    return isChecked(QStringLiteral("CheckBox4"));
}
bool SettingsModel::FullOutput() const
{
    return isChecked(QStringLiteral("CheckBox6"));
}
bool SettingsModel::CheckOnly() const
{
    return isChecked(QStringLiteral("CheckBox9"));
}
bool SettingsModel::CheckWithoutArchive() const
{
    return isChecked(QStringLiteral("CheckBox22"));
}
bool SettingsModel::OpenNfo() const
{
    return isChecked(QStringLiteral("CheckBox5"));
}
bool SettingsModel::CopyNfo() const
{
    return isChecked(QStringLiteral("CheckBox15"));
}
bool SettingsModel::DeleteSources() const
{
    return isChecked(QStringLiteral("CheckBox3"));
}

DeleteTimingChoice SettingsModel::DeleteTiming() const
{
    return isChecked(QStringLiteral("RadioButton5")) ? DeleteTimingChoice::AfterExtractingAll
                                                     : DeleteTimingChoice::AfterExtraction;
}

bool SettingsModel::DeleteEmptySourceFolder() const
{
    return isChecked(QStringLiteral("CheckBox11"));
}
bool SettingsModel::OpenDestination() const
{
    return isChecked(QStringLiteral("CheckBox16"));
}
bool SettingsModel::ShutdownAfter() const
{
    return isChecked(QStringLiteral("CheckBox8"));
}
bool SettingsModel::CloseAfter() const
{
    return isChecked(QStringLiteral("CheckBox10"));
}
bool SettingsModel::SuppressErrors() const
{
    return isChecked(QStringLiteral("CheckBox17"));
}
bool SettingsModel::UnpackZipFirst() const
{
    return isChecked(QStringLiteral("CheckBox7"));
}
bool SettingsModel::DeleteZipAfter() const
{
    return isChecked(QStringLiteral("CheckBox18"));
}
bool SettingsModel::RepairWithPar2() const
{
    return isChecked(QStringLiteral("CheckBox25"));
}
bool SettingsModel::NoReturnFromTray() const
{
    return isChecked(QStringLiteral("CheckBox19"));
}
bool SettingsModel::AlwaysInTray() const
{
    return isChecked(QStringLiteral("CheckBox20"));
}
bool SettingsModel::ShellIntegration() const
{
    return isChecked(QStringLiteral("CheckBox12"));
}
QString SettingsModel::WatchInterval() const
{
    return text(QStringLiteral("Edit6"));
}
QString SettingsModel::LanguageFile() const
{
    return text(QStringLiteral("ComboBox1"));
}

PriorityChoice SettingsModel::Priority() const
{
    switch (priorityTexts().indexOf(text(QStringLiteral("ComboBox2")))) {
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
    if (isChecked(QStringLiteral("RadioButton9")))
        return AfterActionChoice::PlaySound;
    if (isChecked(QStringLiteral("RadioButton10")))
        return AfterActionChoice::RunApplication;
    if (isChecked(QStringLiteral("RJumpBackToWelcome")))
        return AfterActionChoice::ClearQueue;
    return AfterActionChoice::DoNothing;
}

QString SettingsModel::SoundFile() const
{
    return text(QStringLiteral("Edit3"));
}
QString SettingsModel::RunCommand() const
{
    return text(QStringLiteral("Edit4"));
}
bool SettingsModel::RunPerQueueEntry() const
{
    return isChecked(QStringLiteral("CheckBox13"));
}

RunFileFilterChoice SettingsModel::RunFileFilter() const
{
    return isChecked(QStringLiteral("RadioButton11")) ? RunFileFilterChoice::EveryFile
                                                      : RunFileFilterChoice::OfType;
}

QString SettingsModel::RunExtension() const
{
    return text(QStringLiteral("Edit5"));
}
bool SettingsModel::RunOnce() const
{
    return isChecked(QStringLiteral("CheckBox14"));
}
bool SettingsModel::ListsApplyToFiles() const
{
    return isChecked(QStringLiteral("CheckBox21"));
}
QStringList SettingsModel::SkipList() const
{
    return list(QStringLiteral("ListBox2"));
}
QStringList SettingsModel::DeleteList() const
{
    return list(QStringLiteral("ListBox3"));
}
QString SettingsModel::LastOpenPath() const
{
    return text(QStringLiteral("LastOpenPath"));
}
bool SettingsModel::NotifyAtJobEnd() const
{
    return isChecked(QStringLiteral("CheckBox23"));
}
bool SettingsModel::WriteLogFile() const
{
    return isChecked(QStringLiteral("CheckBox24"));
}

QString SettingsModel::ActiveLanguageFile() const
{
    return text(QStringLiteral("ActiveLanguageFile"));
}

// ---- Typed setters ----------------------------------------------------------------------------

void SettingsModel::setInputMode(InputModeChoice mode)
{
    setChecked(mode == InputModeChoice::Queue ? QStringLiteral("RadioButton7")
                                              : QStringLiteral("RadioButton6"),
               true);
}

void SettingsModel::setInputFolder(const QString &folder)
{
    setText(QStringLiteral("Edit1"), folder);
}
void SettingsModel::setQueue(const QStringList &folders)
{
    setList(QStringLiteral("ListBox1"), folders);
}

void SettingsModel::setOutputMode(OutputModeChoice mode)
{
    switch (mode) {
    case OutputModeChoice::InputFolder:
        setChecked(QStringLiteral("RadioButton3"), true);
        break;
    case OutputModeChoice::NewDirInInput:
        setChecked(QStringLiteral("RadioButton1"), true);
        break;
    case OutputModeChoice::CustomDir:
        setChecked(QStringLiteral("RadioButton2"), true);
        break;
    }
}

void SettingsModel::setCustomOutputDir(const QString &folder)
{
    setText(QStringLiteral("Edit2"), folder);
}
void SettingsModel::setSubdirPerEntry(bool on)
{
    setChecked(QStringLiteral("CheckBox2"), on);
}

void SettingsModel::setSubdirNaming(SubdirNamingChoice naming)
{
    setChecked(naming == SubdirNamingChoice::FolderName ? QStringLiteral("RadioButton14")
                                                        : QStringLiteral("RadioButton12"),
               true);
}

void SettingsModel::setScanSubdirs(bool on)
{
    setChecked(QStringLiteral("CheckBox1"), on);
}
void SettingsModel::setCheckSfv(bool on)
{
    setChecked(QStringLiteral("CheckBox4"), on);
}
void SettingsModel::setFullOutput(bool on)
{
    setChecked(QStringLiteral("CheckBox6"), on);
}
void SettingsModel::setCheckOnly(bool on)
{
    setChecked(QStringLiteral("CheckBox9"), on);
}
void SettingsModel::setCheckWithoutArchive(bool on)
{
    setChecked(QStringLiteral("CheckBox22"), on);
}
void SettingsModel::setOpenNfo(bool on)
{
    setChecked(QStringLiteral("CheckBox5"), on);
}
void SettingsModel::setCopyNfo(bool on)
{
    setChecked(QStringLiteral("CheckBox15"), on);
}
void SettingsModel::setDeleteSources(bool on)
{
    setChecked(QStringLiteral("CheckBox3"), on);
}

void SettingsModel::setDeleteTiming(DeleteTimingChoice timing)
{
    setChecked(timing == DeleteTimingChoice::AfterExtractingAll ? QStringLiteral("RadioButton5")
                                                                : QStringLiteral("RadioButton4"),
               true);
}

void SettingsModel::setDeleteEmptySourceFolder(bool on)
{
    setChecked(QStringLiteral("CheckBox11"), on);
}
void SettingsModel::setOpenDestination(bool on)
{
    setChecked(QStringLiteral("CheckBox16"), on);
}
void SettingsModel::setShutdownAfter(bool on)
{
    setChecked(QStringLiteral("CheckBox8"), on);
}
void SettingsModel::setCloseAfter(bool on)
{
    setChecked(QStringLiteral("CheckBox10"), on);
}
void SettingsModel::setSuppressErrors(bool on)
{
    setChecked(QStringLiteral("CheckBox17"), on);
}
void SettingsModel::setUnpackZipFirst(bool on)
{
    setChecked(QStringLiteral("CheckBox7"), on);
}
void SettingsModel::setDeleteZipAfter(bool on)
{
    setChecked(QStringLiteral("CheckBox18"), on);
}
void SettingsModel::setRepairWithPar2(bool on)
{
    setChecked(QStringLiteral("CheckBox25"), on);
}
void SettingsModel::setNoReturnFromTray(bool on)
{
    setChecked(QStringLiteral("CheckBox19"), on);
}
void SettingsModel::setAlwaysInTray(bool on)
{
    setChecked(QStringLiteral("CheckBox20"), on);
}
void SettingsModel::setShellIntegration(bool on)
{
    setChecked(QStringLiteral("CheckBox12"), on);
}
void SettingsModel::setWatchInterval(const QString &seconds)
{
    setText(QStringLiteral("Edit6"), seconds);
}
void SettingsModel::setLanguageFile(const QString &name)
{
    setText(QStringLiteral("ComboBox1"), name);
}

void SettingsModel::setPriority(PriorityChoice priority)
{
    if (priority != PriorityChoice::NoSelection)
        setText(QStringLiteral("ComboBox2"), priorityTexts().at(static_cast<int>(priority)));
}

void SettingsModel::setAfterAction(AfterActionChoice action)
{
    static const char *const buttons[] = {"RadioButton8", "RadioButton9", "RadioButton10",
                                          "RJumpBackToWelcome"};
    setChecked(QLatin1String(buttons[static_cast<int>(action)]), true);
}

void SettingsModel::setSoundFile(const QString &path)
{
    setText(QStringLiteral("Edit3"), path);
}
void SettingsModel::setRunCommand(const QString &command)
{
    setText(QStringLiteral("Edit4"), command);
}
void SettingsModel::setRunPerQueueEntry(bool on)
{
    setChecked(QStringLiteral("CheckBox13"), on);
}

void SettingsModel::setRunFileFilter(RunFileFilterChoice filter)
{
    setChecked(filter == RunFileFilterChoice::EveryFile ? QStringLiteral("RadioButton11")
                                                        : QStringLiteral("RadioButton13"),
               true);
}

void SettingsModel::setRunExtension(const QString &extension)
{
    setText(QStringLiteral("Edit5"), extension);
}
void SettingsModel::setRunOnce(bool on)
{
    setChecked(QStringLiteral("CheckBox14"), on);
}
void SettingsModel::setListsApplyToFiles(bool on)
{
    setChecked(QStringLiteral("CheckBox21"), on);
}
void SettingsModel::setSkipList(const QStringList &patterns)
{
    setList(QStringLiteral("ListBox2"), patterns);
}
void SettingsModel::setDeleteList(const QStringList &patterns)
{
    setList(QStringLiteral("ListBox3"), patterns);
}
void SettingsModel::setLastOpenPath(const QString &path)
{
    setText(QStringLiteral("LastOpenPath"), path);
}
void SettingsModel::setNotifyAtJobEnd(bool on)
{
    setChecked(QStringLiteral("CheckBox23"), on);
}
void SettingsModel::setWriteLogFile(bool on)
{
    setChecked(QStringLiteral("CheckBox24"), on);
}
void SettingsModel::setActiveLanguageFile(const QString &name)
{
    setText(QStringLiteral("ActiveLanguageFile"), name);
}
