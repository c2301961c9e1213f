#pragma once
// Extracts one RAR archive set through libunrar into a folder, keeping the progress display current
// and reporting every failure, so that a set that was not fully extracted never counts as done.

#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <string>

#include "engine/ArchiveBackend.h"
#include "engine/ProgressText.h"
#include "engine/RarStoredParts.h"

#include "engine/TextNumbers.h"

class EngineContext;
class LibraryThread;

class ArchiveSink;

// One run of the extraction; the library's callback comes back here through RarCallback.
class RarExtraction
{
public:
    // Reports through an EngineSink over ctx until setSink() names another sink.
    // The names of the entries written go to extractedFiles, relative to the folder.
    RarExtraction(EngineContext &ctx, QStringList &extractedFiles);
    ~RarExtraction();

    void setSink(ArchiveSink &sink) { m_sink = &sink; }

    // Extracts every entry of the archive whose first volume is archivePath into folder, which
    // libunrar gets as its destination folder: its own path, link and redirect handling then
    // works relative to it, and nothing is read from the working directory. True only when each
    // entry meant to be written was written; false after the first failure, which is logged.
    // Links leading outside are left out (SkippedEntries). With setTotal (the unpacked size of
    // the whole set) the progress bar runs over the whole set. Throws TevoError when the first
    // volume cannot be opened to read its size.
    bool extract(const QString &archivePath, const QString &folder, qint64 setTotal = 0);

    // The library's callback: volume changes, processed data and password requests.
    int onCallback(unsigned int message, long p1, long p2);

    // The progress of this archive: total of the current entry (at least the first volume's
    // size) and the KiB processed across all entries so far.
    qint64 ProgressTotal = 0;
    qint64 ProcessedKiB = 0;
    qint64 FirstVolumeSize = 0;
    // The entry the library is working on, as stored in the archive.
    QString CurrentName;

    // Links and copies passed over because they lead outside the folder.
    QStringList SkippedEntries;
    // The regular files written, by name, with the sizes their headers give.
    QHash<QString, qint64> WrittenFiles;
    // Every entry name of the set, when its plan is known: an entry "name;n" is then an older
    // version of "name".
    QSet<QString> m_entryNames;
    // The set's plan, when known: a damaged entry is reported with the volumes it lies in.
    const SetPlan *m_plan = nullptr;
    // The password that fits the set, when the user gave one; never shown anywhere.
    std::wstring m_password;

    // The stored files copied straight from their volumes, not through libunrar.
    int StoredCopies = 0;
    // The small files libunrar decoded and Tevo's writer wrote.
    int SmallFilesWritten = 0;

    // The last estimate of the remaining time; it is kept from one archive to the next.
    static QString EstimateText;

private:
    struct Run;
    enum class Step { Next, End, Failed };

    bool openArchive(Run &run, const QString &archivePath);
    bool openFailed(const QString &archiveName, int code);
    Step readHeader(Run &run);
    Step takeEntry(Run &run);
    // The text number of why the current entry must not be written; none when it may be.
    std::optional<int> refusalFor(const Run &run) const;
    bool leaveOutLink(Run &run, bool link, const QString &linkTarget);
    Step extractLink(Run &run, const QString &linkTarget);
    Step extractEmptyEncrypted(Run &run);
    QList<StoredPiece> storedPieces(const Run &run, RarDataPart &firstPart) const;
    RarEntryStart entryStart(const Run &run) const;
    // Copies the current entry straight from its volumes when it is a plain stored file; none
    // when it is left to the library.
    std::optional<Step> copyStored(Run &run);
    bool writerTakes(const Run &run) const;
    // Hands the current entry to the small-file writer when it takes it; none when it does not.
    std::optional<Step> writeSmall(Run &run);
    bool settleWriter(Run &run);
    Step failedEntry(int code);
    void showEntry(const Run &run);
    // Runs RARProcessFileW on the current entry: small entries here, others on the library
    // thread. A file or folder goes under the destination folder, never to a name of its own.
    // destName: the full name to write a file under, when not the library's own reading of it.
    int process(Run &run, int operation, const QString &destName = QString());
    bool processOrFail(Run &run, int operation);
    int answerCallback(unsigned int message, long p1, long p2);
    bool onVolumeChange(const QString &nextVolume, bool libraryAsks);
    bool isOlderVersion(const QString &name) const;
    void skipLink(const QString &name, const QString &target);
    void onProcessedData(qint64 bytes);
    void reportEntryFailure(const QString &entry, const QString &reason, bool showBox);
    // A CRC error, named with the volumes the damaged data lies in.
    void reportDamaged(const QString &entryWithVolumes);
    // A library result other than success for entry: damaged data or the code's reason.
    void reportLibraryError(const QString &entry, int code);
    void showError(const QString &text, bool withCaption);

    friend int RarCallback(unsigned int message, long userData, long p1, long p2);

    EngineContext &m_ctx;
    std::unique_ptr<ArchiveSink> m_ownSink;
    ArchiveSink *m_sink = nullptr;
    QStringList &m_extractedFiles;
    bool m_wideVolumeMessages = false;
    bool m_volumeMissingReported = false;
    // The whole set's unpacked size, when known: the progress bar's maximum.
    qint64 m_setTotal = 0;
    ProgressTextPace m_textPace;
    // When the current entry was last named on the display.
    bool m_entryShown = false;
    std::uint32_t m_entryTick = 0;
    // An error thrown inside the callback, raised again once the library has returned.
    std::exception_ptr m_callbackError;
    // The thread the entries are extracted on, while extract() runs.
    LibraryThread *m_library = nullptr;
    // Where the bytes libunrar decodes go while it tests an entry for the small-file writer.
    QByteArray *m_decoded = nullptr;
    qint64 m_decodedLimit = 0;
};

// The RAR back-end: a set of RAR volumes through libunrar.
class RarBackend : public ArchiveBackend
{
public:
    // The set whose first volume is firstVolume; plan, when read already, saves a listing.
    RarBackend(EngineContext &ctx, const QString &firstVolume);
    RarBackend(EngineContext &ctx, const SetPlan &plan);

    SetPlan list() override;
    bool extractTo(const QString &folder, ArchiveSink &sink) override;

private:
    EngineContext &m_ctx;
    QString m_firstVolume;
    SetPlan m_plan;
    bool m_planKnown = false;
};

// Extracts archivePath (the first volume of a set) into destination through a staging folder
// and publishes it, all or nothing (an existing file of an entry's name is replaced unless it is
// read-only or was written earlier in this job), appending the full path of every entry to
// ExtractedFiles. ExtractionIncomplete is set when the set was not published.
bool ExtractRARArchive(EngineContext &ctx, const QString &archivePath, const QString &destination,
                       QStringList &ExtractedFiles, bool &ExtractionIncomplete);
// The same for the set of plan, with the progress bar over the whole set; older file versions
// are left in the archive. The links passed over (leading outside the destination) go to
// skippedEntries: the set is published, but not in full.
bool ExtractRARArchive(EngineContext &ctx, const SetPlan &plan, const QString &destination,
                       QStringList &ExtractedFiles, bool &ExtractionIncomplete,
                       QStringList *skippedEntries = nullptr);

// The callback registered with libunrar; userData is the RarExtraction in progress.
int RarCallback(unsigned int message, long userData, long p1, long p2);

// The reason text for a libunrar result code (empty for codes without one).
QString RarErrorReason(const EngineContext &ctx, int code);
