#pragma once
// Read access to every user setting, as the engine sees them: the settings model answers with the
// value in force at the moment of the call, also when the window changed it during a job.

#include <QString>
#include <QStringList>

enum class InputModeChoice { SingleFolder, Queue };
enum class OutputModeChoice { InputFolder, NewDirInInput, CustomDir };
enum class SubdirNamingChoice { ArchiveName, FolderName };
enum class DeleteTimingChoice { AfterExtraction, AfterExtractingAll };
enum class AfterActionChoice { DoNothing, PlaySound, RunApplication, ClearQueue };
enum class RunFileFilterChoice { EveryFile, OfType };
// Index of the priority drop-down; NoSelection changes nothing.
enum class PriorityChoice { NoSelection = -1, High = 0, Normal = 1, Low = 2 };

class Settings
{
public:
    virtual ~Settings() = default;

    // Input and output.
    virtual InputModeChoice InputMode() const = 0;
    virtual QString InputFolder() const = 0;
    virtual QStringList Queue() const = 0;
    virtual OutputModeChoice OutputMode() const = 0;
    virtual QString CustomOutputDir() const = 0;
    virtual bool SubdirPerEntry() const = 0;
    virtual SubdirNamingChoice SubdirNaming() const = 0;

    // Options.
    virtual bool ScanSubdirs() const = 0;
    virtual bool CheckSfv() const = 0;
    virtual bool FullOutput() const = 0;
    virtual bool CheckOnly() const = 0;
    virtual bool CheckWithoutArchive() const = 0;
    virtual bool OpenNfo() const = 0;
    virtual bool CopyNfo() const = 0;
    virtual bool DeleteSources() const = 0;
    virtual DeleteTimingChoice DeleteTiming() const = 0;
    virtual bool DeleteEmptySourceFolder() const = 0;
    virtual bool OpenDestination() const = 0;
    virtual bool ShutdownAfter() const = 0;
    virtual bool CloseAfter() const = 0;
    virtual bool SuppressErrors() const = 0;
    virtual bool UnpackZipFirst() const = 0;
    virtual bool DeleteZipAfter() const = 0;
    // A set that fails its check is repaired with the PAR2 files beside it.
    virtual bool RepairWithPar2() const = 0;
    // tar (also compressed) and ISO 9660 images are unpacked too; off, they are release content.
    virtual bool UnpackOtherFormats() const = 0;
    // Archives that an extracted set wrote are extracted in their place, two levels deep.
    virtual bool UnpackNested() const = 0;
    // A text file of passwords to try, one a line, on sets that need one; empty for none.
    virtual QString PasswordList() const = 0;
    virtual bool NoReturnFromTray() const = 0;
    virtual bool AlwaysInTray() const = 0;
    virtual bool ShellIntegration() const = 0;
    virtual QString WatchInterval() const = 0;
    virtual QString LanguageFile() const = 0;
    virtual PriorityChoice Priority() const = 0;

    // After extraction.
    virtual AfterActionChoice AfterAction() const = 0;
    virtual QString SoundFile() const = 0;
    virtual QString RunCommand() const = 0;
    virtual bool RunPerQueueEntry() const = 0;
    virtual RunFileFilterChoice RunFileFilter() const = 0;
    virtual QString RunExtension() const = 0;
    virtual bool RunOnce() const = 0;

    // Skip and delete lists.
    virtual bool ListsApplyToFiles() const = 0;
    virtual QStringList SkipList() const = 0;
    virtual QStringList DeleteList() const = 0;

    // Not a control: the folder last chosen in a folder browser.
    virtual QString LastOpenPath() const = 0;
};
