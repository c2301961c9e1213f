#pragma once
// Extracts one RAR archive set through libunrar into a folder, keeping the progress display current
// and reporting every failure, so that a set that was not fully extracted never counts as done.

#include <exception>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QtGlobal>

class EngineContext;
class LibraryThread;
struct SetPlan;

// The language texts of the RAR extraction.
namespace RarText {
enum : int {
    VolumeMissing = 90,
    NoMemory = 91,
    BadData = 92,
    BadArchive = 93,
    CannotOpen = 94,
    ArchiveNotOpened = 95,
    ReadOnlyTarget = 96,
    CrcError = 97,
    CloseFailed = 98,
    EntryFailed = 162,
    VolumeNotOpened = 163,
    WriteFailed = 164,
    ReadFailed = 165,
    CreateFailed = 166,
    Encrypted = 167,
    Aborted = 168,
    LibraryError = 169,
    OutsideDestination = 170,
    LinkSkipped = 171,
    PathTooLong = 172,
    ArchiveOpenFailed = 173,
    UnusableName = 178,
    LinkLeftOut = 216,
};
}

// One run of the extraction; the library's callback comes back here through RarCallback.
class RarExtraction
{
public:
    RarExtraction(EngineContext &ctx, QStringList &extractedFiles, bool &extractionIncomplete);

    // Extracts every entry of the archive whose first volume is archivePath into destination.
    // True only when each entry was written in full; false after the first failure, which is
    // logged. A file is written under a hidden name and gets its own only once it is complete.
    // With setTotal (the unpacked size of the whole set) the progress bar runs over the whole
    // set. Throws TevoError when the first volume cannot be opened to read its size.
    bool extract(const QString &archivePath, const QString &destination, qint64 setTotal = 0);

    // The library's callback: volume changes, processed data and password requests.
    int onCallback(unsigned int message, long p1, long p2);

    // The progress of this archive: total of the current entry (at least the first volume's
    // size) and the KiB processed across all entries so far.
    qint64 ProgressTotal = 0;
    qint64 ProcessedKiB = 0;
    qint64 FirstVolumeSize = 0;
    // The entry the library is working on, as stored in the archive.
    QString CurrentName;

    // Links passed over because they point outside the destination.
    QStringList SkippedEntries;
    // Every entry name of the set, when its plan is known: an entry "name;n" is then an older
    // version of "name".
    QSet<QString> m_entryNames;
    // The set's plan, when known: a damaged entry is reported with the volumes it lies in.
    const SetPlan *m_plan = nullptr;

    // The last estimate of the remaining time; it is kept from one archive to the next.
    static QString EstimateText;

private:
    // The callback's answer, given on the window's thread.
    int answerCallback(unsigned int message, long p1, long p2);
    bool onVolumeChange(const QString &nextVolume, bool libraryAsks);
    bool isOlderVersion(const QString &name) const;
    void skipLink(const QString &name, const QString &target);
    // Gives a finished file its name; false (logged) when it is not as long as its header says.
    bool publishFile(const QString &part, const QString &target, qint64 expectedSize);
    void onProcessedData(qint64 bytes);
    void reportEntryFailure(const QString &entry, const QString &reason, bool showBox);
    void showError(const QString &text, bool withCaption);

    friend int RarCallback(unsigned int message, long userData, long p1, long p2);

    EngineContext &m_ctx;
    QStringList &m_extractedFiles;
    bool &m_extractionIncomplete;
    bool m_wideVolumeMessages = false;
    bool m_volumeMissingReported = false;
    // The whole set's unpacked size, when known: the progress bar's maximum.
    qint64 m_setTotal = 0;
    // An error thrown inside the callback, raised again once the library has returned.
    std::exception_ptr m_callbackError;
    // The thread the entries are extracted on, while extract() runs.
    LibraryThread *m_library = nullptr;
};

// Extracts archivePath (the first volume of a set) into destination, appending the full path of
// every entry to ExtractedFiles; sets ExtractionIncomplete when an earlier entry is missing.
bool ExtractRARArchive(EngineContext &ctx, const QString &archivePath, const QString &destination,
                       QStringList &ExtractedFiles, bool &ExtractionIncomplete);
// The same for the set of plan, with the progress bar over the whole set; older file versions
// are left in the archive. The links passed over (pointing outside the destination) go to
// skippedEntries: the set is extracted, but not in full.
bool ExtractRARArchive(EngineContext &ctx, const SetPlan &plan, const QString &destination,
                       QStringList &ExtractedFiles, bool &ExtractionIncomplete,
                       QStringList *skippedEntries = nullptr);

// The callback registered with libunrar; userData is the RarExtraction in progress.
int RarCallback(unsigned int message, long userData, long p1, long p2);

// The reason text for a libunrar result code (empty for codes without one).
QString RarErrorReason(const EngineContext &ctx, int code);
