#pragma once
// The back-end on libarchive for what libunrar and libzip do not read: 7z archives and split 7z
// sets (x.7z.001, x.7z.002 ...), and tar archives and ISO 9660 images where the user asks for
// them, listed and extracted through the one back-end interface.

#include <QHash>
#include <QString>
#include <QStringList>

#include "engine/ArchiveBackend.h"
#include "engine/ArchiveSignature.h"
#include "engine/ProgressText.h"

class EngineContext;

// Whether the set that starts at path is one for this back-end: a 7z signature, or, for a first
// part that is no archive of its own, the name x.7z.001, or the content of a tar archive or an
// ISO 9660 image.
bool IsLibarchiveSet(const QString &path);

// Whether fileName reads x.7z.001 (any number of zeros before the 1), letter case ignored.
bool IsFirstSevenZipPart(const QString &fileName);

// Tar or DiscImage when the file at path is a tar archive (plain, or compressed with gzip, bzip2,
// xz, zstd or lzip: then libarchive must read a tar header from it) or an ISO 9660 image; None
// otherwise. UDF-only images, which libarchive does not read, are None.
ArchiveKind OtherArchiveKindOfFile(const QString &path);

// The files of the set that starts at firstVolume: x.7z.001 and each x.7z.NNN after it that is
// there, in order; any other file alone.
QStringList SplitVolumes(const QString &firstVolume);

class LibarchiveBackend : public ArchiveBackend
{
public:
    // The set whose first volume is firstVolume; plan, when read already, saves a listing.
    LibarchiveBackend(EngineContext &ctx, const QString &firstVolume,
                      const SetPlan *plan = nullptr);

    SetPlan list() override;
    bool extractTo(const QString &folder, ArchiveSink &sink) override;

private:
    bool extractEntries(struct archive *reader, const QString &folder, ArchiveSink &sink);
    bool writeFile(struct archive *reader, const QString &path, const QString &name,
                   ArchiveSink &sink);
    void reportProgress(ArchiveSink &sink);

    EngineContext &m_ctx;
    QString m_firstVolume;
    // Whether the set has been listed (here or by whoever handed the plan on), and then the
    // unpacked size of its files.
    bool m_listed = false;
    qint64 m_total = 0;
    qint64 m_done = 0;
    ProgressTextPace m_textPace;
};
