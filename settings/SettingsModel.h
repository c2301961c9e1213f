#pragma once
// Every user setting as data, keyed by the settings table; the one place settings live in memory,
// shared by the window, the jobs and tevo-cli.

#include <algorithm>
#include <array>
#include <optional>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "engine/Settings.h"
#include "settings/SettingsTable.h"

class SettingsModel : public QObject, public Settings
{
    Q_OBJECT

public:
    using Kind = SettingKind;
    // A row of the settings table, as the model hands it out.
    struct Key
    {
        QString name;
        Kind kind;
        QVariant defaultValue;
        QString group; // radio buttons only
        SettingKey id;
    };
    // Every setting of the settings table, in its order.
    static const QList<Key> &keys();
    // The key of that name, compared without regard to letter case (option-set files name
    // controls that way); nullopt when there is none.
    static std::optional<Key> findKey(const QString &name);
    static const Key &keyOf(SettingKey id) { return keys().at(int(id)); }
    static QString nameOf(SettingKey id) { return keyOf(id).name; }
    // The choices of the priority drop-down, in the order of PriorityChoice.
    static const QStringList &priorityTexts();

    explicit SettingsModel(QObject *parent = nullptr);

    bool isChecked(SettingKey key) const { return m_values[std::size_t(key)].toBool(); }
    QString text(SettingKey key) const { return m_values[std::size_t(key)].toString(); }
    QStringList list(SettingKey key) const { return m_values[std::size_t(key)].toStringList(); }
    QVariant value(SettingKey key) const { return m_values[std::size_t(key)]; }

    // Each returns whether the model changed; a key of another kind changes nothing. Turning a
    // radio button on turns the others of its group off; the one that is on cannot be turned off
    // by itself. The priority takes one of its three choices (in any letter case), or empty for
    // no selection; any other text changes nothing.
    bool setChecked(SettingKey key, bool on);
    bool setText(SettingKey key, const QString &text);
    bool setList(SettingKey key, const QStringList &items);

    // The same by the name of the key (any letter case), for the window's controls and the
    // option-set files, which know settings by name; an unknown name reads empty and changes
    // nothing.
    bool isChecked(const QString &name) const;
    QString text(const QString &name) const;
    QStringList list(const QString &name) const;
    QVariant value(const QString &name) const;
    bool setChecked(const QString &name, bool on);
    bool setText(const QString &name, const QString &text);
    bool setList(const QString &name, const QStringList &items);

    // Settings.
    InputModeChoice InputMode() const override;
    QString InputFolder() const override;
    QStringList Queue() const override;
    OutputModeChoice OutputMode() const override;
    QString CustomOutputDir() const override;
    bool SubdirPerEntry() const override;
    SubdirNamingChoice SubdirNaming() const override;
    bool ScanSubdirs() const override;
    bool CheckSfv() const override;
    bool FullOutput() const override;
    bool CheckOnly() const override;
    bool CheckWithoutArchive() const override;
    bool OpenNfo() const override;
    bool CopyNfo() const override;
    bool DeleteSources() const override;
    DeleteTimingChoice DeleteTiming() const override;
    bool DeleteEmptySourceFolder() const override;
    bool OpenDestination() const override;
    bool ShutdownAfter() const override;
    bool CloseAfter() const override;
    bool SuppressErrors() const override;
    bool UnpackZipFirst() const override;
    bool DeleteZipAfter() const override;
    bool RepairWithPar2() const override;
    bool UnpackOtherFormats() const override;
    bool UnpackNested() const override;
    QString PasswordList() const override;
    bool NoReturnFromTray() const override;
    bool AlwaysInTray() const override;
    bool ShellIntegration() const override;
    QString WatchInterval() const override;
    QString LanguageFile() const override;
    PriorityChoice Priority() const override;
    AfterActionChoice AfterAction() const override;
    QString SoundFile() const override;
    QString RunCommand() const override;
    bool RunPerQueueEntry() const override;
    RunFileFilterChoice RunFileFilter() const override;
    QString RunExtension() const override;
    bool RunOnce() const override;
    bool ListsApplyToFiles() const override;
    QStringList SkipList() const override;
    QStringList DeleteList() const override;
    QString LastOpenPath() const override;
    // Not in the read interface: the job's end notification, the log file, the language file
    // that start-up loads.
    bool NotifyAtJobEnd() const;
    bool WriteLogFile() const;
    QString ActiveLanguageFile() const;

    void setInputMode(InputModeChoice mode);
    void setInputFolder(const QString &folder);
    void setQueue(const QStringList &folders);
    void setOutputMode(OutputModeChoice mode);
    void setCustomOutputDir(const QString &folder);
    void setSubdirPerEntry(bool on);
    void setSubdirNaming(SubdirNamingChoice naming);
    void setScanSubdirs(bool on);
    void setCheckSfv(bool on);
    void setFullOutput(bool on);
    void setCheckOnly(bool on);
    void setCheckWithoutArchive(bool on);
    void setOpenNfo(bool on);
    void setCopyNfo(bool on);
    void setDeleteSources(bool on);
    void setDeleteTiming(DeleteTimingChoice timing);
    void setDeleteEmptySourceFolder(bool on);
    void setOpenDestination(bool on);
    void setShutdownAfter(bool on);
    void setCloseAfter(bool on);
    void setSuppressErrors(bool on);
    void setUnpackZipFirst(bool on);
    void setRepairWithPar2(bool on);
    void setUnpackOtherFormats(bool on);
    void setUnpackNested(bool on);
    void setPasswordList(const QString &path);
    void setNoReturnFromTray(bool on);
    void setAlwaysInTray(bool on);
    void setShellIntegration(bool on);
    void setWatchInterval(const QString &seconds);
    void setLanguageFile(const QString &name);
    void setPriority(PriorityChoice priority);
    void setAfterAction(AfterActionChoice action);
    void setSoundFile(const QString &path);
    void setRunCommand(const QString &command);
    void setRunFileFilter(RunFileFilterChoice filter);
    void setRunExtension(const QString &extension);
    void setRunOnce(bool on);
    void setListsApplyToFiles(bool on);
    void setSkipList(const QStringList &patterns);
    void setDeleteList(const QStringList &patterns);
    void setLastOpenPath(const QString &path);
    void setNotifyAtJobEnd(bool on);
    void setWriteLogFile(bool on);
    void setActiveLanguageFile(const QString &name);

    // Tells the listeners that an option-set file has been applied in full.
    void announceOptionSetApplied() { emit optionSetApplied(); }

signals:
    // One setting changed, by whoever; the model already holds the new value.
    void changed(const QString &name);
    // An option-set file was applied (after the changes it made).
    void optionSetApplied();

private:
    bool store(const QMap<SettingKey, QVariant> &updates);

    std::array<QVariant, SettingsTable.size()> m_values;
};
