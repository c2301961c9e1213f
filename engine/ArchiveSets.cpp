#include "engine/ArchiveSets.h"

#include <QRegularExpression>

#include "engine/ArchiveBackend.h"
#include "engine/Backends.h"
#include "engine/ContentScan.h"
#include "engine/EngineContext.h"
#include "engine/FileScan.h"
#include "engine/GeneralFuncs.h"
#include "engine/LibarchiveBackend.h"
#include "engine/TextNumbers.h"

namespace {

const QRegularExpression &PartStyleName()
{
    static const QRegularExpression pattern(QStringLiteral("\\.part([0-9]+)\\.rar$"),
                                            QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

// Whether the RAR file at path starts a set: by its flags, or by its part name where the library
// cannot open it.
bool StartsRarSet(EngineContext &ctx, const QString &path)
{
    const SetPlan peek = PeekSetPlan(ctx, path);
    const QString name = FileNameOf(path);
    return peek.startsSet() &&
           (peek.opened || !IsPartStyleVolume(name) || IsFirstPartStyleVolume(name));
}

} // namespace

QString ExtensionList::candidates(bool withSfvFiles)
{
    QStringList tokens{QStringLiteral(".rar"), QStringLiteral(".001"), QStringLiteral(".000"),
                       QStringLiteral(".7z")};
    if (withSfvFiles)
        tokens << QStringLiteral(".sfv");
    return make(tokens);
}

QString ExtensionList::setVolumes()
{
    return make({QStringLiteral(".r"), QStringLiteral(".0"), QStringLiteral(".sfv")});
}

bool IsPartStyleVolume(const QString &fileName)
{
    return PartStyleName().match(fileName).hasMatch();
}

bool IsFirstPartStyleVolume(const QString &fileName)
{
    const QRegularExpressionMatch match = PartStyleName().match(fileName);
    if (!match.hasMatch())
        return false;
    // "1", "01", "001", "0001": any number of leading zeros before a final 1.
    const QString number = match.captured(1);
    return number.endsWith(QLatin1Char('1')) && number.count(QLatin1Char('0')) == number.size() - 1;
}

QList<ArchiveSet> BuildArchiveSets(EngineContext &ctx, const QString &releaseFolder)
{
    return BuildArchiveSets(ctx, releaseFolder, UnplacedArchivesOfRelease(ctx, releaseFolder));
}

QList<ArchiveSet> BuildArchiveSets(EngineContext &ctx, const QString &releaseFolder,
                                   const ReleaseContent &unplaced)
{
    QStringList candidates;
    FindFiles(ctx, releaseFolder, candidates, ctx.settings.ScanSubdirs(),
              ExtensionList::candidates(ctx.settings.CheckWithoutArchive()));
    candidates << ContentCandidates(ctx, unplaced);

    bool partStyle = false;
    QList<ArchiveSet> sets;
    for (const QString &path : std::as_const(candidates)) {
        const QString name = FileNameOf(path);
        partStyle = partStyle || IsPartStyleVolume(name);
        ArchiveSet set;
        set.path = path;
        if (name.endsWith(QLatin1String(".sfv"), Qt::CaseInsensitive)) {
            set.sfvOnly = true;
            sets << set;
            continue;
        }
        if (IsLibarchiveSet(path)) {
            set.plan = BackendForSet(ctx, path)->list();
            set.stamp = VolumesStamp(set.plan);
            sets << set;
            continue;
        }
        // A later volume is told by its flags, so the whole set is listed only from its start.
        set.plan = PeekSetPlan(ctx, path);
        if (!set.plan.startsSet())
            continue;
        if (!set.plan.opened && IsPartStyleVolume(name) && !IsFirstPartStyleVolume(name))
            continue;
        if (set.plan.opened)
            set.plan = ReadSetPlan(ctx, path);
        set.stamp = VolumesStamp(set.plan);
        sets << set;
    }

    // Archives too old to mark their first volume: a file that another set read as one of its
    // volumes is no set of its own.
    for (int i = 0; i < sets.size();) {
        if (!sets.at(i).sfvOnly &&
            VolumesOfOtherSets(sets, i).contains(NormalizeSlashes(sets.at(i).path)))
            sets.removeAt(i);
        else
            ++i;
    }

    if (partStyle)
        ctx.AddLogLine(LogTag::Archive + ctx.LangText(Text::PartStyleFound));
    ctx.AddLogLine(LogTag::Archive +
                   ctx.LangText(Text::ArchivesFound, {QString::number(sets.size())}));
    return sets;
}

void NestedArchives(EngineContext &ctx, const QStringList &files, QStringList &setStarts,
                    QStringList &zips)
{
    for (const QString &path : files) {
        const QString name = FileNameOf(path);
        if (KeptAsItIs(name))
            continue;
        const ArchiveKind kind = ArchiveKindOfFile(path);
        if (kind == ArchiveKind::Zip && name.endsWith(QLatin1String(".zip"), Qt::CaseInsensitive))
            zips << path;
        else if (kind == ArchiveKind::SevenZip || IsFirstSevenZipPart(name))
            setStarts << path;
        else if (IsRarKind(kind) && StartsRarSet(ctx, path))
            setStarts << path;
        else if (kind == ArchiveKind::None && ctx.settings.UnpackOtherFormats() &&
                 OtherArchiveKindOfFile(path) != ArchiveKind::None)
            setStarts << path;
    }
}

QStringList ArchivesInNoSet(EngineContext &ctx, const ReleaseContent &unplaced,
                            const QList<ArchiveSet> &sets)
{
    QSet<QString> used;
    for (const ArchiveSet &set : sets) {
        used.insert(NormalizeSlashes(set.path));
        used.unite(PlanVolumes(set.plan));
    }
    const bool zipPhase = ctx.settings.UnpackZipFirst();
    QStringList unused;
    for (const QList<ContentFile> &files : unplaced) {
        for (const ContentFile &file : files) {
            if (!used.contains(NormalizeSlashes(file.path)) &&
                !(zipPhase && file.kind == ArchiveKind::Zip))
                unused << file.path;
        }
    }
    return unused;
}

void NoteArchivesInNoSet(EngineContext &ctx, const QStringList &files)
{
    if (files.isEmpty())
        return;
    QStringList names;
    for (const QString &file : files)
        names << FileNameOf(file);
    ctx.AddLogLine(LogTag::Note +
                   ctx.LangText(Text::ArchivesInNoSet, {names.join(QStringLiteral(", "))}));
    // While watching, the rest of such a set may still be arriving: a later round takes it, as it
    // takes a named set that is not complete yet.
    if (!ctx.job.WatchTimerEnabled)
        ++ctx.job.Tally.failures;
}

QStringList BuildCandidateList(EngineContext &ctx, const QString &releaseFolder)
{
    QStringList paths;
    for (const ArchiveSet &set : BuildArchiveSets(ctx, releaseFolder))
        paths << set.path;
    return paths;
}

QSet<QString> PlanVolumes(const SetPlan &plan)
{
    QSet<QString> volumes;
    for (const QString &volume : plan.volumes)
        volumes.insert(NormalizeSlashes(volume));
    return volumes;
}

QSet<QString> VolumesOfOtherSets(const QList<ArchiveSet> &sets, int index)
{
    QSet<QString> volumes;
    for (int i = 0; i < sets.size(); ++i) {
        if (i != index)
            volumes.unite(PlanVolumes(sets.at(i).plan));
    }
    return volumes;
}

QString VolumePattern(const QString &firstVolume)
{
    QString name = FileNameOf(firstVolume);
    name.chop(2);
    return name + QLatin1Char('*');
}

QString VolumeSetStem(const QString &fileName)
{
    const int dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return fileName;
    const QString withoutExtension = fileName.left(dot);
    // Only a ".part<digits>" marker is dropped, so that sets named "x.party.2019" and
    // "x.party.2020" keep stems of their own. Its letter case does not matter (X.PART01.RAR).
    static const QRegularExpression partMarker(QStringLiteral("\\.part[0-9]+$"),
                                               QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = partMarker.match(withoutExtension);
    if (match.hasMatch())
        return withoutExtension.left(match.capturedStart());
    return withoutExtension;
}

bool IsSetMember(const QString &firstVolume, const QString &path)
{
    static const QRegularExpression volumeExtension(QStringLiteral("\\.(rar|r[0-9]+|[0-9]+|sfv)$"),
                                                    QRegularExpression::CaseInsensitiveOption);
    const QString name = FileNameOf(path);
    return volumeExtension.match(name).hasMatch() &&
           VolumeSetStem(name).compare(VolumeSetStem(FileNameOf(firstVolume)),
                                       Qt::CaseInsensitive) == 0;
}
