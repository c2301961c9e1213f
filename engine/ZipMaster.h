#pragma once
// Tevo's ZIP component: extracts one ZIP file through libzip into a folder, flat and without ever
// replacing a file, reporting progress events and stopping when cancelled.

#include <functional>
#include <QHash>
#include <QSet>
#include <QString>
#include <QtGlobal>

#include <memory>
#include <vector>

#include "engine/ArchiveBackend.h"

#include "engine/TextNumbers.h"

class EngineContext;
class TZipMaster;
struct zip;
struct zip_stat;

// The kinds of progress event, in the component's own numbering.
enum class ZipProgressType {
    NewFile = 0,
    ProgressUpdate = 1,
    EndOfBatch = 2,
    TotalFiles2Process = 3,
    TotalSize2Process = 4,
    NewExtra = 5,
    ExtraUpdate = 6,
};

// What one extract operation did.
struct ZipExtractResult
{
    bool opened = false;
    bool cancelled = false;
    int files = 0;   // file entries in the ZIP (folder entries are not counted)
    int written = 0; // files written
    int kept = 0;    // files not written because the same file was already there
    int failed = 0;  // files that could not be written (each one logged)

    // Every file entry is on disk: written now or already there.
    bool complete() const { return opened && !cancelled && failed == 0 && written + kept == files; }
};

// The file name an entry is written under: its stored name without folder names ("/" or "\").
QString ZipEntryFileName(const QString &storedName);

// The window's side of a ZIP extraction: the progress bar, Label4 and Label5, Pause and abort.
class ZipProgressDisplay
{
public:
    explicit ZipProgressDisplay(EngineContext &ctx) : m_ctx(ctx) {}

    // The component's progress handler.
    void ZIPProgress(TZipMaster &sender, ZipProgressType type, const QString &fileName,
                     qint64 size);

    // The ZIP being extracted (file name only) and the KiB reported for it so far.
    QString CurrentZipName;
    qint64 ZipDoneKiB = 0;
    // The bar's maximum in KiB, as the last TotalSize2Process set it.
    qint64 BarMaximumKiB = 0;

private:
    EngineContext &m_ctx;
};

class TZipMaster
{
public:
    using ProgressHandler = std::function<void(TZipMaster &sender, ZipProgressType type,
                                               const QString &fileName, qint64 size)>;

    // Reports its failures to the log of ctx; progress goes to the window's display until
    // OnProgress is replaced.
    explicit TZipMaster(EngineContext &ctx);

    // The ZIP to extract and the folder its files are written to.
    QString ZipFileName;
    QString ExtrBaseDir;
    ProgressHandler OnProgress;

    // Extracts every file entry of ZipFileName directly into ExtrBaseDir. A file that already
    // exists there is kept; unless it is the entry's own content, the entry counts as failed, and
    // so does a later entry whose file name (without folders) an earlier one has taken. Entries
    // whose names cannot be used, links and encrypted entries are not written. Returns when the ZIP
    // is done or cancelled.
    ZipExtractResult Extract();
    // Asks a running Extract to stop after the current block (called from OnProgress).
    void Cancel() { m_cancelRequested = true; }

    // One round of the ZIP phase: resets the display for this ZIP, points the component at it
    // and its folder (created when missing), and extracts. True when every file is on disk.
    bool ExtractZip(const QString &zipPath, const QString &baseDir);
    // The ZIPs that ExtractZip has extracted completely: only these may be deleted.
    const QSet<QString> &CompleteZips() const { return m_completeZips; }

    ZipProgressDisplay &Display() { return m_display; }
    // Where progress, log lines and the checkpoint are reached: an EngineSink over the context
    // unless setSink() names another.
    ArchiveSink &sink() { return *m_sink; }
    void setSink(ArchiveSink &sink) { m_sink = &sink; }

private:
    friend class ZipBackend;
    struct PlannedEntry;

    // Writes the file entries flat into folder; with a destination, each finished file is given
    // its name there (never over an existing one), otherwise it stays in folder.
    ZipExtractResult extractInto(const QString &folder, const QString &destination);
    bool openZip(zip **archive, ZipExtractResult &result);
    void unlockZip(zip *archive);
    QString refusalFor(zip *archive, quint64 index, const struct zip_stat &stat, bool statOk,
                       const QString &name) const;
    std::vector<PlannedEntry> planEntries(zip *archive, const QString &destination,
                                          ZipExtractResult &result);
    bool passOver(const PlannedEntry &entry, const QString &destination, ZipExtractResult &result);
    bool takeEntry(zip *archive, const PlannedEntry &entry, const QString &folder,
                   const QString &destination, std::vector<char> &buffer, ZipExtractResult &result);
    template <typename File>
    int writeEntry(zip *archive, const PlannedEntry &entry, File &file, std::vector<char> &buffer,
                   ZipExtractResult &result);
    bool cancelled(ZipExtractResult &result);
    void progress(ZipProgressType type, const QString &fileName, qint64 size);
    void logEntryFailure(const QString &entry, const QString &reason);

    EngineContext &m_ctx;
    std::unique_ptr<ArchiveSink> m_ownSink;
    ArchiveSink *m_sink;
    ZipProgressDisplay m_display;
    QSet<QString> m_completeZips;
    bool m_cancelRequested = false;
    // The open ZIP has a password that fits its encrypted entries.
    bool m_unlocked = false;
    qint64 m_plannedBytes = 0;
    int m_plannedFiles = 0;
    // Without a destination: the files written, by name, with their sizes, and their names in
    // the order they were written.
    QHash<QString, qint64> m_written;
    QStringList m_writtenNames;
};

// The ZIP back-end: one ZIP file through libzip (behind TZipMaster), its file entries written
// flat into the folder, folders left out.
class ZipBackend : public ArchiveBackend
{
public:
    ZipBackend(EngineContext &ctx, const QString &zipPath);

    SetPlan list() override;
    bool extractTo(const QString &folder, ArchiveSink &sink) override;

private:
    TZipMaster m_zip;
};
