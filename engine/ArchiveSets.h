#pragma once
// Archive-set naming rules: the first volumes of a release, set stems and set membership.

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include "engine/ContentScan.h"
#include "engine/SetPlan.h"

class EngineContext;

// One archive set of a release: its first volume and the plan read from its headers (no plan for
// an SFV list checked without an archive).
struct ArchiveSet
{
    QString path;
    SetPlan plan;
    bool sfvOnly = false;
    // VolumesStamp of plan when it was read.
    QString stamp;
};

namespace ExtensionList {
// Candidate first volumes: RAR and numbered volumes, 7z files (and, when checking without an
// archive, SFV files).
QString candidates(bool withSfvFiles);
// Every file that may be a volume or checksum list of a set: ".r", ".0", ".sfv".
QString setVolumes();
} // namespace ExtensionList

// The archive sets below releaseFolder, in scan order (recursing with ScanSubdirs; with
// CheckWithoutArchive the SFV files too). Which files start a set is read from the archives
// themselves: a later volume of a set is never a set of its own, whatever its name says, and
// two one-volume archives are two sets however alike their names. Only a file the library cannot
// open is judged by its name. Files no name rule places join when their content shows them to
// start a RAR set (logged). Logs the part-style notice and the count.
QList<ArchiveSet> BuildArchiveSets(EngineContext &ctx, const QString &releaseFolder);
// The same with the release's unplaced archives read already (UnplacedArchivesOfRelease).
QList<ArchiveSet> BuildArchiveSets(EngineContext &ctx, const QString &releaseFolder,
                                   const ReleaseContent &unplaced);
// The files among unplaced (the release's files that carry an archive signature) that neither
// the names nor the content placed in one of sets (nor, with UnpackZipFirst, the ZIP phase took).
QStringList ArchivesInNoSet(EngineContext &ctx, const ReleaseContent &unplaced,
                            const QList<ArchiveSet> &sets);
// Archives that could not be made into sets: a [NOTE] line names them, and the job counts a
// failure (not while watching), so that a folder of them never ends as a success. Nothing for an
// empty list.
void NoteArchivesInNoSet(EngineContext &ctx, const QStringList &files);
// The first volumes of BuildArchiveSets.
QStringList BuildCandidateList(EngineContext &ctx, const QString &releaseFolder);

// The archives found among files (what an extracted set wrote), by their content: setStarts gets
// the RAR archives and first volumes, 7z archives and first parts and, with UnpackOtherFormats,
// tar archives and disc images; zips the ZIP files named ".zip". Files kept as they are (e-books,
// comics ...) are neither.
void NestedArchives(EngineContext &ctx, const QStringList &files, QStringList &setStarts,
                    QStringList &zips);

// The volumes of every set but the one at index, in the form NormalizeSlashes gives.
QSet<QString> VolumesOfOtherSets(const QList<ArchiveSet> &sets, int index);
// The volumes of a plan in the form NormalizeSlashes gives.
QSet<QString> PlanVolumes(const SetPlan &plan);

// Whether a file name reads "<stem>.part<digits>.rar", letter case ignored.
bool IsPartStyleVolume(const QString &fileName);
// Whether it is the first volume of such a set ("part1", "part01", "part001" ...).
bool IsFirstPartStyleVolume(const QString &fileName);

// The text after "Source:" in the log: the first volume's file name less its last two
// characters, then "*" (x.rar -> x.r*, x.part01.rar -> x.part01.r*).
QString VolumePattern(const QString &firstVolume);

// The stem shared by the files of one set: the name less its extension, and less a
// ".part<digits>" marker before it, in any letter case (x.part02.rar, x.r00, x.001, x.sfv -> x;
// X.PART02.RAR -> X).
QString VolumeSetStem(const QString &fileName);

// Whether the file at path is a volume or the SFV list of the set whose first volume is
// firstVolume: equal stems, letter case ignored, and a volume or SFV extension (.rar, .r00,
// .001, .sfv ...), so that a document such as x.rtf beside set x is never taken for a volume.
bool IsSetMember(const QString &firstVolume, const QString &path);
