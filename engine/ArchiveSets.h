#pragma once
// Archive-set naming rules: the first volumes of a release, set stems and set membership.

#include <QString>
#include <QStringList>

class EngineContext;

namespace ExtensionList {
// Candidate first volumes (and, when checking without an archive, SFV files).
QString candidates(bool withSfvFiles);
// Every file that may be a volume or checksum list of a set: ".r", ".0", ".sfv".
QString setVolumes();
} // namespace ExtensionList

// The first volumes of the archive sets below releaseFolder, in scan order (recursing with
// ScanSubdirs; with CheckWithoutArchive the SFV files too). When part-style names occur, every
// part but the first is dropped. Logs the part-style notice and the count.
QStringList BuildCandidateList(EngineContext &ctx, const QString &releaseFolder);

// Whether a file name reads "<stem>.part<digits>.rar", letter case ignored.
bool IsPartStyleVolume(const QString &fileName);
// Whether it is the first volume of such a set ("part1", "part01", "part001" ...).
bool IsFirstPartStyleVolume(const QString &fileName);

// The text after "Source:" in the log: the first volume's file name less its last two
// characters, then "*" (x.rar -> x.r*, x.part01.rar -> x.part01.r*).
QString VolumePattern(const QString &firstVolume);

// The stem shared by the files of one set: the name less its extension, and less a
// ".part<digits>" marker before it (x.part02.rar, x.r00, x.001, x.sfv -> x).
QString VolumeSetStem(const QString &fileName);

// Whether the file at path is a volume or the SFV list of the set whose first volume is
// firstVolume: equal stems, letter case significant, and a volume or SFV extension (.rar, .r00,
// .001, .sfv ...), so that a document such as x.rtf beside set x is never taken for a volume.
bool IsSetMember(const QString &firstVolume, const QString &path);
